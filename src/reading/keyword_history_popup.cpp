#include "reading/keyword_history_popup.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

namespace vesk {
namespace {

constexpr int kVisibleRows = 12;

} // namespace

CKeywordHistoryPopup::CKeywordHistoryPopup(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("keywordHistoryPopup"));
    setWindowFlags(Qt::Popup);
    setColumnCount(2);
    header()->hide();
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font;
    // The keyword box's fonts, so rare characters draw here as well.
    font.setFamilies({QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(14);
    setFont(font);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { Choose(item); });
}

QString CKeywordHistoryPopup::OptionsText(const KeywordHistoryEntry& entry)
{
    static const QString kTargets[] = {QStringLiteral("全文"), QStringLiteral("正文"), QStringLiteral("注釈")};
    QStringList parts{kTargets[std::clamp(entry.target, 0, 2)]};
    if (entry.variants)
        parts << QStringLiteral("異体字");
    parts << (entry.andOr == 1 ? QStringLiteral("or") : QStringLiteral("and"));
    return parts.join(QStringLiteral("・"));
}

void CKeywordHistoryPopup::ShowBelow(QWidget* anchor, const QList<KeywordHistoryEntry>& entries)
{
    clear();
    for (const KeywordHistoryEntry& entry : entries) {
        auto* item = new QTreeWidgetItem(this, {entry.keyword, OptionsText(entry)});
        item->setForeground(1, palette().placeholderText());
    }
    resizeColumnToContents(1);
    const int optionsWidth = columnWidth(1);
    const int width = std::max(anchor->width(), sizeHintForColumn(0) + optionsWidth + 24);
    setColumnWidth(0, width - optionsWidth - 4);
    const int rows = std::min<int>(kVisibleRows, std::max<int>(1, static_cast<int>(entries.size())));
    const int height = rows * std::max(sizeHintForRow(0), 1) + 2 * frameWidth() + 2;
    QPoint place = anchor->mapToGlobal(QPoint(0, anchor->height()));
    if (const QScreen* screen = anchor->screen())
        place.setX(std::min(place.x(), screen->availableGeometry().right() - width));
    setGeometry(place.x(), place.y(), width, height);
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
    show();
    setFocus();
}

void CKeywordHistoryPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose(currentItem());
        return;
    case Qt::Key_Escape:
        hide();
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void CKeywordHistoryPopup::Choose(QTreeWidgetItem* item)
{
    const int index = item ? indexOfTopLevelItem(item) : -1;
    hide();
    if (index >= 0)
        emit entryChosen(index);
}

} // namespace vesk
