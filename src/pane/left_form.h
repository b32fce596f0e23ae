#pragma once
// The search pane, left of the text view: the tabs "目録" (contents tree)
// and "検索" (keyword box, options, scope, summary, result list with its
// paging row). It owns the open index, the contents, the results of the last
// search, the reading position and the three page files, which lie in a
// folder of this run's own under the temporary folder.
//
// Its work is spread over files by subject: left_form.cpp (controls and
// layout), left_form_contents.cpp (contents tree, scope, plain pages),
// left_form_search.cpp (the search command and the target radios),
// left_form_results.cpp (result list, paging, hit pages, the Enter key).
#include "engine/index.h"
#include "engine/search_result.h"
#include "pane/model/contents_model.h"
#include "pane/pane_layout.h"
#include "pane/private_temp_folder.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace vesk {

class CContentsTree;
class CKeywordBox;
class CSortListCtrl;
class CToolTipResourceButton;

class CLeftForm : public QWidget {
    Q_OBJECT
public:
    // Opens the whole-text index in dataFolder and makes the page folder
    // under tempBase (the system's temporary folder when empty).
    explicit CLeftForm(const std::filesystem::path& dataFolder, QWidget* parent = nullptr,
                       const std::filesystem::path& tempBase = {});
    ~CLeftForm() override;

    // Where the reading position is told: the frame's page slider and page
    // indicator. Either may be null. Pages to show leave through
    // pageRequested.
    void AttachReader(QSlider* pageSlider, QLineEdit* pageIndicator);

    // Sets up the controls and loads the contents; the tab "目録" shows
    // afterwards.
    void OnInitialUpdate();
    // Places every control for the current size and tab.
    void RunLayout();
    // Writes the option members into the controls (false) or reads them back (true).
    void UpdateData(bool saveAndValidate);

    int CurrentTab() const;
    void SetCurrentTab(int tab);
    QWidget* Control(int id) const;
    CKeywordBox* KeywordBox() const { return m_htmlKeyword; }
    const QList<QIcon>& TreeImages() const { return m_imageTree; }
    const PrivateTempFolder& PageFolder() const { return m_pageFolder; }
    CContentsTree* ContentsTree() const { return m_treeContents; }
    CSortListCtrl* ResultList() const { return m_listResults; }

    // Contents and reading position (left_form_contents.cpp).
    // Loads "kav.dir" into the records, the nodes and the tree, and writes
    // the listing "kav.txt" into the working directory.
    void LoadContents();
    // The scope label before any choice: the path of the first record, which
    // a search then uses (the placeholder when there are no contents).
    void ShowInitialScope();
    // The tree's selection changed: scope, path, and for a volume its first page.
    void OnSelChangedContents();
    // Shows page `page` of the volume at record (its first page when
    // useFirstPage is 1) through "windows.html". False when nothing was shown.
    bool ShowDocumentPage(int record, int useFirstPage, int page);
    // The page indicator: the page store's page count and m_nCurPage.
    void UpdatePageIndicator();
    QSlider* PageSlider() const { return m_pageSlider; }

    // Another data folder in place of the open one (left_form_data_folder.cpp):
    // the index of the chosen target, the contents tree, and a fresh scope,
    // result list and reading position; the text view goes blank. The folder
    // is tried first, so one whose index does not open (the index reports
    // "データを開けませんでした。") leaves everything as it was: false then.
    bool OpenDataFolder(const std::filesystem::path& folder);
    const std::filesystem::path& DataFolder() const { return m_dataFolder; }

    // The search command and the target radios (left_form_search.cpp).
    void OnSearch();
    // A target radio: 0 whole text, 1 main text, 2 annotations.
    void OnTarget(int target);
    // Fills m_vecResults from m_arrHitPages / m_arrHitCounts inside scope
    // (nothing for a null scope) and returns the number of places.
    std::int32_t BuildResults(const ContentsNodeTag* scope);

    // Result list, paging and hit pages (left_form_results.cpp).
    void LayoutResultArea();
    void ShowResultListPage();
    void UpdatePagingControls();
    void GoToTypedResultPage();
    void OnPrevResultPage();
    void OnNextResultPage();
    void ShowSelectedHit();
    // Shows the hit page of pageId for the last search at anchor (anchors
    // are numbered from 0); F3 and Alt+F3 go on from there. False when the
    // page could not be shown (the view keeps what it showed).
    bool ShowHitPage(std::uint32_t pageId, int anchor);
    // Makes record the search scope, as choosing it in the tree does, and
    // runs the last search again there.
    void SearchInScope(int record);
    // The page the text view was last given (a volume page or a hit page).
    std::optional<std::uint32_t> ShownPageId() const { return m_shownPageId; }
    // The Enter rule: with two or more list pages Enter goes to the typed
    // list page, otherwise it searches. The key goes on to its control.
    void PreTranslateMessage(const QKeyEvent& key);

    // Options (bound to the radios and the check box).
    int m_nAndOr = 0;
    int m_nTarget = 0;
    bool m_bVariant = true;
    int m_nIndexType = 0;
    // The last search: the keyword as the engine left it (ideographic
    // spaces between terms), its pages inside the scope, their list pages.
    std::u16string m_strKeyword;
    // Its excluded terms ("-" dropped, U+0020 between them); empty when none.
    std::u16string m_strExcluded;
    std::vector<std::uint32_t> m_arrHitPages;
    std::vector<std::uint32_t> m_arrHitCounts;
    std::vector<SearchNodeTag> m_vecResults;
    int m_nResultPages = 0;
    int m_nCurResultPage = 0;
    // The hit page shown last.
    QString m_strHitFile;
    int m_nHitCount = 0;
    int m_nCurHit = 0;
    std::uint32_t m_nHitPageId = 0; // the page of the hit page shown last
    bool m_bHitFileToggle = true;
    std::optional<std::uint32_t> m_shownPageId;
    // Contents: m_records, m_nRecordCount and m_pRootNode live in the model.
    ContentsModel m_contents;
    std::uint16_t m_nScopeRecord = 1;
    QString m_strScopePath;
    int m_nCurRecord = 0;
    int m_nCurPage = 0;
    // The three page files.
    QString m_strPageFile;
    QString m_strHitFile1;
    QString m_strHitFile2;
    CIndex m_index;

signals:
    // A page file to show, optionally followed by "#" and an anchor: the
    // volume page just written or the hit page at one of its anchors.
    void pageRequested(const QString& location);
    // A line for the window's status bar after a search: why the keyword
    // can find nothing, or empty when it may find pages.
    void statusMessage(const QString& text);
    // A search ran on the keyword as typed in the box, with the options now
    // in m_nAndOr, m_nTarget and m_bVariant.
    void keywordSearched(const QString& typedKeyword);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateOptionControls();
    void CreatePagingControls();
    void BuildTreeImages();
    void InsertResultColumns();
    void UpdateFocusProxy();
    void ConnectCommands();
    void WatchKeys();
    void ClearFolderState();

    std::filesystem::path m_dataFolder;
    PrivateTempFolder m_pageFolder;
    std::map<int, QWidget*> m_controls;

    QTabWidget* m_tabPane = nullptr;
    QLabel* m_scopeLabel = nullptr;
    QGroupBox* m_andOrFrame = nullptr;
    QPushButton* m_searchButton = nullptr;
    CContentsTree* m_treeContents = nullptr;
    CSortListCtrl* m_listResults = nullptr;
    QLabel* m_prompt = nullptr;
    QLineEdit* m_hiddenKeyword = nullptr;
    CKeywordBox* m_htmlKeyword = nullptr;
    QButtonGroup* m_andOrGroup = nullptr;
    QButtonGroup* m_targetGroup = nullptr;
    QCheckBox* m_variantCheck = nullptr;
    QLabel* m_summary = nullptr;
    CToolTipResourceButton* m_prevPage = nullptr;
    CToolTipResourceButton* m_nextPage = nullptr;
    QLabel* m_pageTotal = nullptr;
    QLineEdit* m_pageBox = nullptr;
    QList<QIcon> m_imageTree;
    QSlider* m_pageSlider = nullptr;
    QLineEdit* m_pageIndicator = nullptr;
};

} // namespace vesk
