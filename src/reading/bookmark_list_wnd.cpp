#include "reading/bookmark_list_wnd.h"

#include "ui/message_box.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vesk {
namespace {

const QString kMissing = QStringLiteral("この頁はありません");
constexpr int kRowRole = Qt::UserRole;

QString PathPart(const BookmarkTag& bookmark, std::size_t from, std::size_t count)
{
    QStringList names;
    for (std::size_t i = from; i < bookmark.vecPath.size() && i < from + count; ++i)
        names << QString::fromStdU16String(bookmark.vecPath[i]);
    return names.join(QStringLiteral("\\"));
}

} // namespace

CBookmarkListWnd::CBookmarkListWnd(CBookmarkStore& store, Resolver resolve, QWidget* parent)
    : QDialog(parent), m_store(store), m_resolve(std::move(resolve))
{
    setObjectName(QStringLiteral("bookmarkList"));
    setWindowTitle(QStringLiteral("しおり一覧"));
    resize(620, 360);
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(5);
    m_list->setHeaderLabels({QStringLiteral("類別"), QStringLiteral("書名"), QStringLiteral("巻"),
                             QStringLiteral("頁"), QStringLiteral("名前")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    const int widths[] = {60, 120, 110, 90};
    for (int column = 0; column < 4; ++column)
        m_list->setColumnWidth(column, widths[column]);
    QFont font = m_list->font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB")});
    m_list->setFont(font);

    auto* buttons = new QDialogButtonBox(this);
    m_open = buttons->addButton(QStringLiteral("開く"), QDialogButtonBox::ActionRole);
    m_rename = buttons->addButton(QStringLiteral("名前の変更..."), QDialogButtonBox::ActionRole);
    m_delete = buttons->addButton(QStringLiteral("削除"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);

    connect(m_open, &QPushButton::clicked, this, [this] { OpenBookmark(SelectedRow()); });
    connect(m_rename, &QPushButton::clicked, this, &CBookmarkListWnd::OnRename);
    connect(m_delete, &QPushButton::clicked, this, &CBookmarkListWnd::OnDelete);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] { OpenBookmark(SelectedRow()); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CBookmarkListWnd::UpdateButtons);
    Refresh();
}

void CBookmarkListWnd::Refresh()
{
    const int selected = SelectedRow();
    m_list->clear();
    int row = 0;
    for (const BookmarkTag& bookmark : m_store.m_vecBookmarks) {
        const bool present = m_resolve && m_resolve(bookmark).has_value();
        const QString page = present ? QString::number(bookmark.nPageNo)
                                     : QStringLiteral("%1（%2）").arg(bookmark.nPageNo).arg(kMissing);
        auto* item = new QTreeWidgetItem(m_list, {PathPart(bookmark, 0, 1), PathPart(bookmark, 1, 1),
                                                  PathPart(bookmark, 2, bookmark.vecPath.size()), page,
                                                  QString::fromStdU16String(bookmark.strNote)});
        item->setData(0, kRowRole, row++);
        if (!present) {
            for (int column = 0; column < m_list->columnCount(); ++column)
                item->setForeground(column, palette().placeholderText());
            item->setToolTip(3, kMissing);
        }
    }
    // The page column is as wide as "（この頁はありません）" needs.
    m_list->resizeColumnToContents(3);
    if (selected >= 0 && selected < m_list->topLevelItemCount())
        m_list->setCurrentItem(m_list->topLevelItem(selected));
    else if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    UpdateButtons();
}

int CBookmarkListWnd::SelectedRow() const
{
    const QTreeWidgetItem* item = m_list ? m_list->currentItem() : nullptr;
    return item ? item->data(0, kRowRole).toInt() : -1;
}

void CBookmarkListWnd::UpdateButtons()
{
    const int row = SelectedRow();
    const bool exists = row >= 0 && static_cast<std::size_t>(row) < m_store.m_vecBookmarks.size();
    m_open->setEnabled(exists && m_resolve && m_resolve(m_store.m_vecBookmarks[static_cast<std::size_t>(row)]));
    m_rename->setEnabled(exists);
    m_delete->setEnabled(exists);
}

bool CBookmarkListWnd::OpenBookmark(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_store.m_vecBookmarks.size() || !m_resolve)
        return false;
    const std::optional<BookmarkTarget> target = m_resolve(m_store.m_vecBookmarks[static_cast<std::size_t>(row)]);
    if (!target)
        return false;
    emit openRequested(*target);
    return true;
}

bool CBookmarkListWnd::SaveOrUndo(const std::vector<BookmarkTag>& before)
{
    QString problem;
    if (m_store.Save(&problem)) {
        Refresh();
        return true;
    }
    m_store.m_vecBookmarks = before;
    ShowMessageBox(this, QStringLiteral("しおりを保存できませんでした。\n%1").arg(problem));
    return false;
}

bool CBookmarkListWnd::RenameBookmark(int row, const QString& name)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_store.m_vecBookmarks.size())
        return false;
    const std::vector<BookmarkTag> before = m_store.m_vecBookmarks;
    m_store.m_vecBookmarks[static_cast<std::size_t>(row)].strNote = name.toStdU16String();
    return SaveOrUndo(before);
}

bool CBookmarkListWnd::DeleteBookmark(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_store.m_vecBookmarks.size())
        return false;
    const std::vector<BookmarkTag> before = m_store.m_vecBookmarks;
    m_store.m_vecBookmarks.erase(m_store.m_vecBookmarks.begin() + row);
    return SaveOrUndo(before);
}

void CBookmarkListWnd::OnRename()
{
    const int row = SelectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_store.m_vecBookmarks.size())
        return;
    bool ok = false;
    const QString current = QString::fromStdU16String(m_store.m_vecBookmarks[static_cast<std::size_t>(row)].strNote);
    const QString name =
        QInputDialog::getText(this, QStringLiteral("名前の変更"), QStringLiteral("しおりの名前："), QLineEdit::Normal,
                              current, &ok);
    if (ok)
        RenameBookmark(row, name);
}

void CBookmarkListWnd::OnDelete()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    if (QMessageBox::question(this, windowTitle(), QStringLiteral("このしおりを削除しますか？")) == QMessageBox::Yes)
        DeleteBookmark(row);
}

} // namespace vesk
