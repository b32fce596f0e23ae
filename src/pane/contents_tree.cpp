#include "pane/contents_tree.h"

#include "pane/model/contents_model.h"

#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QtDebug>

#include <algorithm>
#include <array>

namespace vesk {
namespace {

constexpr int kRecordRole = Qt::UserRole;
constexpr int kIndentation = 20;

} // namespace

CContentsTree::CContentsTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("contentsTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    // Top-level items stand at the left edge, without a line or button.
    setRootIsDecorated(false);
    setItemsExpandable(true);
    setExpandsOnDoubleClick(true);
    setIndentation(kIndentation);
    setIconSize(QSize(20, 20));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    // The selection looks the same with and without the focus.
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
}

void CContentsTree::Fill(const ContentsModel& contents, const QIcon& icon)
{
    clear();
    const int count = std::max(contents.m_nRecordCount, 1);
    m_itemOfRecord.assign(static_cast<std::size_t>(count), nullptr);
    // The last item of each level: a new item goes under the last one a
    // level up, as its node goes under the last node a level up.
    std::array<QTreeWidgetItem*, kContentsMaxLevel + 1> lastOfLevel{};
    for (int slot = 1; slot < count; ++slot) {
        const ContentsRecordTag& record = contents.Record(static_cast<std::size_t>(slot));
        if (record.level < 1 || record.level > kContentsMaxLevel)
            break;  // the loader keeps no such record; never index outside the handles
        QTreeWidgetItem* parentItem = record.level == 1 ? nullptr : lastOfLevel[record.level - 1];
        if (record.level > 1 && !parentItem)
            break;
        const QString name = QString::fromStdU16String(record.Name());
        auto* item = parentItem ? new QTreeWidgetItem(parentItem, QStringList{name})
                                : new QTreeWidgetItem(this, QStringList{name});
        item->setIcon(0, icon);
        item->setData(0, kRecordRole, slot);
        lastOfLevel[record.level] = item;
        m_itemOfRecord[static_cast<std::size_t>(slot)] = item;
    }
}

int CContentsTree::RecordOfItem(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kRecordRole).toInt() : 0;
}

QTreeWidgetItem* CContentsTree::ItemOfRecord(int record) const
{
    if (record < 1 || static_cast<std::size_t>(record) >= m_itemOfRecord.size())
        return nullptr;
    return m_itemOfRecord[static_cast<std::size_t>(record)];
}

QString CContentsTree::ItemPath(const QTreeWidgetItem* item)
{
    if (!item)
        return {};
    QString path = item->text(0);
    for (const QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        path.prepend(up->text(0) + QLatin1Char('\\'));
    return path;
}

QTreeWidgetItem* CContentsTree::SelectedItem() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void CContentsTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    // Dotted lines from each item to its parent and along the siblings that
    // follow; nothing else (no expand buttons).
    const int indent = indentation();
    int depth = 0;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        ++depth;
    if (depth == 0)
        return;
    painter->save();
    QPen pen(palette().color(QPalette::Mid));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    const int midY = rect.top() + rect.height() / 2;
    const auto hasNextSibling = [](const QModelIndex& i) {
        return i.row() + 1 < i.model()->rowCount(i.parent());
    };
    QModelIndex current = index;
    for (int column = depth - 1; column >= 0; --column) {
        const int x = rect.left() + column * indent + indent / 2;
        if (column == depth - 1) {
            painter->drawLine(x, rect.top(), x, hasNextSibling(current) ? rect.bottom() : midY);
            painter->drawLine(x, midY, rect.left() + (column + 1) * indent, midY);
        } else if (hasNextSibling(current)) {
            painter->drawLine(x, rect.top(), x, rect.bottom());
        }
        current = current.parent();
    }
    painter->restore();
}

bool CContentsTree::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return true;  // the tree shows no tooltips
    return QTreeWidget::viewportEvent(event);
}

} // namespace vesk
