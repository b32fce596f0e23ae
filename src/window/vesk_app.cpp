#include "window/vesk_app.h"

#include "textstore/data_folder_lookup.h"
#include "ui/app_strings.h"
#include "ui/message_box.h"
#include "ui/resource_ids.h"
#include "window/data_folders.h"
#include "window/main_frame.h"
#include "window/quit_on_signal.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcess>
#include <QScreen>

#ifndef VESK_VERSION
#define VESK_VERSION "0"
#endif

namespace vesk {

CVeskApp::CVeskApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(kAppTitle);
    setOrganizationName(kSettingsOrganisation);
    setApplicationVersion(QStringLiteral(VESK_VERSION));
    m_programFolder = applicationDirPath().toStdString();
}

CVeskApp::~CVeskApp() = default;

void CVeskApp::ParseCommandLine()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("古典漢籍の閲覧と全文検索"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Read the index and pages from DIR (default: the data folder opened "
                                                 "last, then beside the program, then vesk/ in the XDG "
                                                 "data folders)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the start-up picture."));
    parser.addOption(data);
    parser.addOption(noSplash);
    parser.process(*this);  // --help and --version print and end here
    m_bShowSplash = !parser.isSet(noSplash);
    std::optional<std::filesystem::path> requested;
    if (parser.isSet(data))
        requested = parser.value(data).toStdString();
    else if (const QString last = CDataFolders::Remembered(); !last.isEmpty())
        requested = last.toStdString();
    m_dataFolder = FindDataFolder(requested, m_programFolder);
}

void CVeskApp::LoadTranslations()
{
    // Qt's own dialogs and buttons (print, page setup, OK) in Japanese.
    if (m_qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslator);
}

bool CVeskApp::InitInstance()
{
    ParseCommandLine();
    InitResources();
    LoadTranslations();
    QFont uiFont(QStringLiteral("Noto Sans CJK JP"));
    uiFont.setPixelSize(12);
    setFont(uiFont);
    InstallCoreReportHandler();
    QuitOnTerminationSignals(*this);

    // Every event is offered to the start-up picture first, so the press
    // that hides it does nothing else.
    CSplashWnd::AllowSplash(m_bShowSplash);
    installEventFilter(&m_splashFilter);

    m_doc.OnNewDocument();
    CMainFrame::Paths paths;
    paths.dataFolder = m_dataFolder;
    paths.programFolder = m_programFolder;
    m_pMainFrame = std::make_unique<CMainFrame>(paths);
    // Without a window manager maximising does nothing: fill the screen first.
    if (const QScreen* screen = m_pMainFrame->screen())
        m_pMainFrame->setGeometry(screen->availableGeometry());
    m_pMainFrame->showMaximized();
    m_pMainFrame->repaint();
    return true;
}

int CVeskApp::ExitInstance(int exitCode)
{
    m_pMainFrame.reset();  // the splitter writes its layout as it goes
    StartCompanionProgram();
    return exitCode;
}

void CVeskApp::StartCompanionProgram() const
{
    const QString path =
        QString::fromStdString((m_programFolder / kCompanionProgramName.toStdString()).string());
    const QFileInfo info(path);
    if (info.isFile() && info.isExecutable())
        QProcess::startDetached(path, {});
}

} // namespace vesk
