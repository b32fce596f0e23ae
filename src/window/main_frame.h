#pragma once
// The main window: menu, accelerators, the reading toolbar and the splitter
// with the search pane on the left and the text view on the right. Commands
// are kept by number; each has a handler and an enabling rule, refreshed
// when a menu opens and, for the toolbar, while the program is idle.
#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <map>

class QAction;
class QLabel;
class QMenu;

namespace vesk {

class CDataFolders;
class CLeftForm;
class CReadingAids;
class CSCrollToolBar;
class CVeskView;
class ST_SplitterWnd;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    struct Paths {
        std::filesystem::path dataFolder;    // index, page store, contents
        std::filesystem::path programFolder; // help page beside the program
        std::filesystem::path tempBase;      // where the page folder is made; empty: the system's
    };

    explicit CMainFrame(const Paths& paths, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Gives a command its handler and enabling rule (an empty rule: always
    // enabled). A command without a handler is disabled.
    void SetCommandHandler(int id, std::function<void()> run, std::function<bool()> enabled = {});
    QAction* CommandAction(int id) const;
    void RunCommand(int id);
    void RefreshCommandStates();

    CLeftForm* LeftForm() const { return m_pLeftForm; }
    CVeskView* TextView() const { return m_pTextView; }
    ST_SplitterWnd* Splitter() const { return m_splitter; }
    CSCrollToolBar* ToolBar() const { return m_toolBar; }
    CReadingAids* ReadingAids() const { return m_readingAids; }
    const std::filesystem::path& DataFolder() const { return m_paths.dataFolder; }

    static constexpr int kIdleRefreshMs = 200;

    // The data folder (main_frame_data_folder.cpp): the open one, the recent
    // ones, and the switch, which windows of a folder follow through
    // DataFolders()->DataFolderChanged.
    CDataFolders* DataFolders() const { return m_dataFolders; }
    // Opens folder in place of the open one. A folder that is not a data
    // folder, or whose index does not open, gives a message and changes
    // nothing (false).
    bool OpenDataFolder(const QString& folder);
    QLabel* FolderLabel() const { return m_folderLabel; }

private:
    struct Command {
        QAction* action = nullptr;
        std::function<void()> run;
        std::function<bool()> enabled;
        std::function<bool()> checked;
    };

    void CreateActions();
    QAction* AddCommand(int id, const QString& text, const QString& tip = {});
    void CreateMenus();
    QMenu* AddMenu(const QString& title, std::initializer_list<int> ids);
    void CreateAccelerators();
    bool CreateToolBar();
    void OnCreateClient();
    void InstallHandlers();
    void InstallViewHandlers();
    bool ViewIsActive() const;
    void OnHelp();
    void OnAbout();
    void CreateDataFolderMenu(QMenu* fileMenu);
    void UpdateRecentMenu();
    void OnOpenDataFolder();
    void OnImportTexts();
    void ShowFolderInStatusBar();

    Paths m_paths;
    ST_SplitterWnd* m_splitter = nullptr;
    CVeskView* m_pTextView = nullptr;
    CLeftForm* m_pLeftForm = nullptr;
    CSCrollToolBar* m_toolBar = nullptr;
    CReadingAids* m_readingAids = nullptr; // history, bookmarks, code points, character information
    std::map<int, Command> m_commands;
    QTimer m_idleRefresh;
    CDataFolders* m_dataFolders = nullptr;
    QMenu* m_recentMenu = nullptr;
    QLabel* m_folderLabel = nullptr;
};

} // namespace vesk
