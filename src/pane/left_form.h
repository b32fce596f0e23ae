#pragma once
// The search pane, left of the text view: the tabs "目録" (contents tree)
// and "検索" (keyword box, options, scope, summary, result list with its
// paging row). It owns the open index and the three page files, which lie in
// a folder of this run's own under the temporary folder.
#include "engine/index.h"
#include "pane/pane_layout.h"
#include "pane/private_temp_folder.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <map>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace vesk {

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

    // Sets up the controls; the tab "目録" shows afterwards.
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

    // Options (bound to the radios and the check box).
    int m_nAndOr = 0;
    int m_nTarget = 0;
    bool m_bVariant = true;
    // Result paging, laid out at the bottom of the search tab.
    int m_nResultPages = 0;
    int m_nCurResultPage = 0;
    QString m_strScopePath;
    // The three page files.
    QString m_strPageFile;
    QString m_strHitFile1;
    QString m_strHitFile2;
    CIndex m_index;
    int m_nIndexType = 0;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreateOptionControls();
    void CreatePagingControls();
    void BuildTreeImages();
    void InsertResultColumns();
    void UpdateFocusProxy();

    PrivateTempFolder m_pageFolder;
    std::map<int, QWidget*> m_controls;

    QTabWidget* m_tabPane = nullptr;
    QLabel* m_scopeLabel = nullptr;
    QGroupBox* m_andOrFrame = nullptr;
    QPushButton* m_searchButton = nullptr;
    QTreeWidget* m_treeContents = nullptr;
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
};

} // namespace vesk
