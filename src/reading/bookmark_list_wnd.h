#pragma once
// The list of bookmarks: one row per bookmark (category, work, volume, page,
// name), in the order they were added. A bookmark whose page is no longer in
// the data is listed greyed with "この頁はありません" and cannot be opened.
// Open (double click, Enter), rename and delete act on the selected row;
// every change is saved at once.
#include "reading/bookmark_store.h"

#include <QDialog>

#include <functional>
#include <optional>

class QPushButton;
class QTreeWidget;

namespace vesk {

class CBookmarkListWnd : public QDialog {
    Q_OBJECT
public:
    using Resolver = std::function<std::optional<BookmarkTarget>(const BookmarkTag&)>;

    // store stays the caller's; resolve finds a bookmark's page in the data.
    CBookmarkListWnd(CBookmarkStore& store, Resolver resolve, QWidget* parent = nullptr);

    // Fills the list from the store anew.
    void Refresh();
    QTreeWidget* List() const { return m_list; }

    // The actions of the buttons, without their dialogs. False when the row
    // does not exist or the change could not be saved (it is then undone).
    bool OpenBookmark(int row);
    bool RenameBookmark(int row, const QString& name);
    bool DeleteBookmark(int row);

signals:
    void openRequested(const BookmarkTarget& target);

private:
    int SelectedRow() const;
    bool SaveOrUndo(const std::vector<BookmarkTag>& before);
    void UpdateButtons();
    void OnRename();
    void OnDelete();

    CBookmarkStore& m_store;
    Resolver m_resolve;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_rename = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace vesk
