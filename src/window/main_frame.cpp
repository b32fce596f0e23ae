#include "window/main_frame.h"

#include "pane/left_form.h"
#include "pane/x_edit.h"
#include "reading/reading_aids.h"
#include "ui/app_strings.h"
#include "ui/message_box.h"
#include "window/about_dlg.h"
#include "window/command_ids.h"
#include "window/concordance_commands.h"
#include "window/data_folders.h"
#include "window/program_files.h"
#include "window/reading_navigation.h"
#include "window/scroll_tool_bar.h"
#include "window/splash_wnd.h"
#include "window/st_splitter_wnd.h"
#include "window/vesk_view.h"
#include "window/x_slider_ctrl.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QUrl>
#include <QtDebug>

namespace vesk {
namespace {

constexpr int kSeparator = 0;

} // namespace

CMainFrame::CMainFrame(const Paths& paths, QWidget* parent) : QMainWindow(parent), m_paths(paths)
{
    setObjectName(QStringLiteral("mainFrame"));
    // The start-up picture covers the screen while the window is built.
    const std::filesystem::path splash =
        FindProgramFile(m_paths.programFolder, kSplashFileName.toStdString());
    CSplashWnd::ShowSplash(this, QString::fromStdString(splash.string()));
    m_dataFolders = new CDataFolders(QString::fromStdString(m_paths.dataFolder.string()), this);
    CreateActions();
    CreateMenus();
    CreateAccelerators();
    OnCreateClient();
    if (!CreateToolBar())
        qDebug().noquote() << "Failed to create toolbar\n";
    InstallHandlers();
    setWindowTitle(kMainCaption);
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/bitmaps/app_icon_%1.png").arg(size));
    setWindowIcon(icon);

    // The pane shows its pages in the text view and tells the reading
    // position through the toolbar's slider and page indicator.
    connect(m_pLeftForm, &CLeftForm::pageRequested, m_pTextView, &CVeskView::Navigate);
    // Why a search found nothing is told in the status bar.
    connect(m_pLeftForm, &CLeftForm::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    m_pLeftForm->AttachReader(m_toolBar ? m_toolBar->Slider() : nullptr,
                              m_toolBar ? m_toolBar->PageEdit() : nullptr);
    m_pLeftForm->OnInitialUpdate();
    m_readingAids = new CReadingAids(*this, *m_pLeftForm, *m_pTextView, m_paths.dataFolder);
    connect(m_dataFolders, &CDataFolders::DataFolderChanged, m_readingAids,
            [this](const QString& folder) { m_readingAids->SetDataFolder(folder.toStdString()); });
    // The pane width the user left at the last exit comes back; without a
    // saved layout the search pane starts 260 pixels wide.
    m_splitter->LoadLayout();
    ShowFolderInStatusBar();

    RefreshCommandStates();
    m_idleRefresh.setInterval(kIdleRefreshMs);
    connect(&m_idleRefresh, &QTimer::timeout, this, &CMainFrame::RefreshCommandStates);
    m_idleRefresh.start();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& tip)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    // Pictures belong to the toolbar buttons; the menus show text only.
    action->setIconVisibleInMenu(false);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    m_commands[id].action = action;
    return action;
}

void CMainFrame::CreateActions()
{
    AddCommand(cmd::PrintSetup, QStringLiteral("印刷設定(&S)"));
    AddCommand(cmd::Print, QStringLiteral("印刷(&P)"), QStringLiteral("印刷"));
    AddCommand(cmd::Exit, QStringLiteral("終了(&X)"));
    AddCommand(cmd::Copy, QStringLiteral("コピー(&C)"), QStringLiteral("コピー"));
    AddCommand(cmd::SelectAll, QStringLiteral("すべて選択(&Q)"), QStringLiteral("すべて選択"));
    AddCommand(cmd::ViewToolbar, QStringLiteral("ツールバー(&T)"))->setCheckable(true);
    AddCommand(cmd::ViewStatusBar, QStringLiteral("状態バー(&S)"));
    AddCommand(cmd::FullDisplay, QStringLiteral("全表示(&p)"));
    AddCommand(cmd::PrevPage, QStringLiteral("上の頁へ(&P)"), QStringLiteral("上の頁"));
    AddCommand(cmd::NextPage, QStringLiteral("次の頁へ(&N)"), QStringLiteral("次の頁"));
    AddCommand(cmd::PrevVolume, QStringLiteral("上の巻へ"), QStringLiteral("上の巻へ"));
    AddCommand(cmd::NextVolume, QStringLiteral("次の巻へ"), QStringLiteral("次の巻へ"));
    AddCommand(cmd::PrevResult, QStringLiteral("上の検索結果"), QStringLiteral("上の検索結果"));
    AddCommand(cmd::NextResult, QStringLiteral("次の検索結果"), QStringLiteral("次の検索結果"));
    AddCommand(cmd::Concordance, QStringLiteral("用例一覧…"));
    AddCommand(cmd::ExportResults, QStringLiteral("検索結果の書き出し…"));
    AddCommand(cmd::About, QStringLiteral("バージョン(&A)..."), QStringLiteral("情報"));
    AddCommand(cmd::Help, QStringLiteral("ヘルプ"));
    AddCommand(cmd::OpenDataFolder, QStringLiteral("データフォルダを開く…"));
    AddCommand(cmd::ImportTexts, QStringLiteral("テキストを取り込む…"));
    // Commands reached only by keys.
    AddCommand(cmd::FilePrintStandard, QString());
    AddCommand(cmd::NextPane, QString());
    AddCommand(cmd::PrevPane, QString());
}

QMenu* CMainFrame::AddMenu(const QString& title, std::initializer_list<int> ids)
{
    QMenu* menu = menuBar()->addMenu(title);
    for (int id : ids) {
        if (id == kSeparator)
            menu->addSeparator();
        else
            menu->addAction(CommandAction(id));
    }
    // Enabling and check marks are brought up to date as the menu opens.
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshCommandStates);
    return menu;
}

void CMainFrame::CreateMenus()
{
    CreateDataFolderMenu(AddMenu(QStringLiteral("ファイル(&F)"), {cmd::PrintSetup, cmd::Print, cmd::Exit}));
    AddMenu(QStringLiteral("編集(&E)"), {cmd::Copy, cmd::SelectAll});
    AddMenu(QStringLiteral("表示(&V)"), {cmd::ViewToolbar, cmd::ViewStatusBar, cmd::FullDisplay});
    AddMenu(QStringLiteral("一覧"), {cmd::PrevPage, cmd::NextPage, kSeparator, cmd::PrevVolume,
                                   cmd::NextVolume, kSeparator, cmd::PrevResult, cmd::NextResult, kSeparator,
                                   cmd::Concordance, cmd::ExportResults});
    AddMenu(QStringLiteral("ヘルプ(&H)"), {cmd::About, cmd::Help});
}

void CMainFrame::CreateAccelerators()
{
    // Only keys whose command has a handler are bound, so every other key
    // (Ctrl+V, Ctrl+X, Ctrl+Z, ...) still reaches the focused text field.
    // The keys live on actions of their own so the menu texts stay as they are.
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_C), cmd::Copy},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), cmd::Copy},
        {QKeySequence(Qt::CTRL | Qt::Key_P), cmd::FilePrintStandard},
        {QKeySequence(Qt::Key_F6), cmd::NextPane},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), cmd::PrevPane},
        {QKeySequence(Qt::ALT | Qt::Key_F3), cmd::PrevResult},
        {QKeySequence(Qt::Key_F3), cmd::NextResult},
    };
    for (const auto& [key, id] : keys) {
        auto* accelerator = new QAction(this);
        accelerator->setShortcut(key);
        accelerator->setShortcutContext(Qt::WindowShortcut);
        const int command = id;
        connect(accelerator, &QAction::triggered, this, [this, command] { RunCommand(command); });
        addAction(accelerator);
    }
}

void CMainFrame::OnCreateClient()
{
    m_splitter = new ST_SplitterWnd(0, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_pLeftForm = new CLeftForm(m_paths.dataFolder, nullptr, m_paths.tempBase);
    m_pTextView = new CVeskView;
    m_pTextView->setObjectName(QStringLiteral("textView"));
    m_splitter->CreateSplit(m_pLeftForm, m_pTextView, true);
    setCentralWidget(m_splitter);
    // Made at once, so its first message does not move the panes.
    statusBar()->setObjectName(QStringLiteral("statusBar"));
}

bool CMainFrame::CreateToolBar()
{
    m_toolBar = new CSCrollToolBar(this);
    if (!m_toolBar->Create([this](int id) { return CommandAction(id); }))
        return false;
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(false);
    m_toolBar->SetLeftForm(m_pLeftForm);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    return true;
}

void CMainFrame::InstallHandlers()
{
    InstallViewHandlers();
    SetCommandHandler(cmd::Exit, [this] { close(); });
    SetCommandHandler(cmd::Help, [this] { OnHelp(); });
    SetCommandHandler(cmd::About, [this] { OnAbout(); });
    InstallReadingNavigation(*this);
    InstallConcordanceCommands(*this);
    SetCommandHandler(cmd::FullDisplay, [this] { m_splitter->ToggleSide(0); });
    SetCommandHandler(cmd::NextPane, [this] { m_splitter->ActivateNextPane(false); });
    SetCommandHandler(cmd::PrevPane, [this] { m_splitter->ActivateNextPane(true); });
    SetCommandHandler(cmd::ViewToolbar, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); });
    m_commands[cmd::ViewToolbar].checked = [this] { return m_toolBar->isVisible(); };
    // The item stays as it always was, enabled and inert; the status bar
    // below the panes tells why a search found nothing and, at its right
    // end, names the open data folder.
    SetCommandHandler(cmd::ViewStatusBar, [] {});
    SetCommandHandler(cmd::OpenDataFolder, [this] { OnOpenDataFolder(); });
    SetCommandHandler(cmd::ImportTexts, [this] { OnImportTexts(); });
}

void CMainFrame::InstallViewHandlers()
{
    const auto showingPage = [this] { return m_pTextView->IsShowingPage(); };
    SetCommandHandler(cmd::Copy, [this] { m_pTextView->CopyLimited(); }, showingPage);
    SetCommandHandler(cmd::SelectAll, [this] { m_pTextView->SelectAllText(); }, showingPage);
    SetCommandHandler(cmd::Print, [this] { m_pTextView->PrintDirect(); }, showingPage);
    // Page setup when the text view was the last pane worked in, the print
    // preview when it was the search pane.
    SetCommandHandler(cmd::PrintSetup, [this] {
        if (ViewIsActive())
            m_pTextView->PageSetup();
        else
            m_pTextView->PrintPreview();
    }, showingPage);
    SetCommandHandler(cmd::FilePrintStandard, [this] { m_pTextView->PrintWithDialog(); },
                      [this] { return ViewIsActive(); });
}

bool CMainFrame::ViewIsActive() const
{
    return m_splitter->GetActivePane() == 1;
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> run, std::function<bool()> enabled)
{
    Command& command = m_commands[id];
    command.run = std::move(run);
    command.enabled = std::move(enabled);
    RefreshCommandStates();
}

QAction* CMainFrame::CommandAction(int id) const
{
    const auto found = m_commands.find(id);
    return found == m_commands.end() ? nullptr : found->second.action;
}

void CMainFrame::RunCommand(int id)
{
    const auto found = m_commands.find(id);
    if (found == m_commands.end())
        return;
    const Command& command = found->second;
    // The rule is checked again at the moment the command runs.
    if (command.run && (!command.enabled || command.enabled()))
        command.run();
}

void CMainFrame::RefreshCommandStates()
{
    if (!m_splitter || !m_toolBar)
        return;
    for (auto& [id, command] : m_commands) {
        if (!command.action)
            continue;
        command.action->setEnabled(command.run && (!command.enabled || command.enabled()));
        if (command.checked)
            command.action->setChecked(command.checked());
    }
}

void CMainFrame::OnHelp()
{
    // A missing manual is passed over in silence. One that no browser or
    // launcher can open is named, so the user can open it by hand.
    const std::filesystem::path path =
        FindProgramFile(m_paths.programFolder, kHelpFileName.toStdString());
    if (path.empty())
        return;
    const QString file = QString::fromStdString(path.string());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        ShowMessageBox(this, kMessageHelpNotOpened.arg(file));
}

void CMainFrame::OnAbout()
{
    CAboutDlg box(this);
    box.exec();
}

} // namespace vesk
