#pragma once
// The reading aids of the main window: the keyword history (drop-down and
// Up/Down in the keyword box, "検索履歴を消去"), bookmarks (menu "しおり",
// the list window, F2 to add), the code-point input dialog and the status
// bar's character information. The frame makes one and leaves the rest to
// it; it reaches the search pane and the text view through their public
// operations only.
#include "reading/bookmark_store.h"
#include "reading/keyword_history.h"

#include <QKeySequence>
#include <QObject>

#include <filesystem>
#include <optional>

class QAction;
class QMainWindow;
class QMenu;

namespace vesk {

class CBookmarkListWnd;
class CCharInfoLabel;
class CKeywordHistoryPopup;
class CLeftForm;
class CVeskView;

class CReadingAids : public QObject {
    Q_OBJECT
public:
    // Neither Ctrl (in the text view Ctrl shows the copy message) nor taken
    // by any other command.
    static inline const QKeySequence kAddBookmarkKey{Qt::Key_F2};

    CReadingAids(QMainWindow& frame, CLeftForm& form, CVeskView& view, const std::filesystem::path& dataFolder);
    ~CReadingAids() override;

    CKeywordHistory& History() { return m_history; }
    CKeywordHistoryPopup* HistoryPopup() const { return m_historyPopup; }
    CBookmarkStore& Bookmarks() { return m_bookmarks; }
    CCharInfoLabel* CharInfo() const { return m_charInfo; }
    QAction* AddBookmarkAction() const { return m_addBookmark; }
    QAction* BookmarkListAction() const { return m_bookmarkList; }
    QAction* ClearHistoryAction() const { return m_clearHistory; }
    QAction* CodePointAction() const { return m_codePoint; }
    // The list window, made when first shown.
    CBookmarkListWnd* BookmarkList();

    // Another data folder is open: its own search history and bookmarks
    // take the place of the old folder's (the list window, if open, follows).
    void SetDataFolder(const std::filesystem::path& dataFolder);

    // The page the text view shows (a plain page or a hit page); none
    // before any page is shown.
    std::optional<BookmarkTag> PageBeingRead() const;
    // Bookmarks the page being read under note and saves; false when there
    // is no page or the bookmarks could not be saved (nothing is added then).
    bool AddBookmark(const QString& note);
    // Finds a bookmark's page now; none when it is gone.
    std::optional<BookmarkTarget> Resolve(const BookmarkTag& bookmark) const;
    // Shows the page as the volume steps do: tree, slider and indicator follow.
    void OpenBookmarkedPage(const BookmarkTarget& target);
    // Sets the keyword and the options of entry and searches.
    void RestoreSearch(const KeywordHistoryEntry& entry);
    void ShowHistoryPopup();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void ConnectPane();
    void OnAddBookmark();
    void OnShowBookmarkList();
    void OnCodePoint();
    void OnClearHistory();
    void OnTextSelectionChanged();
    void ShowStatus(const QString& text);

    QMainWindow& m_frame;
    CLeftForm& m_form;
    CVeskView& m_view;
    CKeywordHistory m_history;
    CBookmarkStore m_bookmarks;
    CKeywordHistoryPopup* m_historyPopup = nullptr;
    CBookmarkListWnd* m_bookmarkListWnd = nullptr;
    CCharInfoLabel* m_charInfo = nullptr;
    QAction* m_addBookmark = nullptr;
    QAction* m_bookmarkList = nullptr;
    QAction* m_clearHistory = nullptr;
    QAction* m_codePoint = nullptr;
};

} // namespace vesk
