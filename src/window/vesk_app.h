#pragma once
// The application: reads the command line, sets where the settings live,
// loads Qt's Japanese translations, makes the document and the main window
// and shows it maximised. At the end it starts the companion program "end"
// beside the executable when there is one.
#include "window/splash_wnd.h"
#include "window/vesk_doc.h"

#include <QApplication>
#include <QTranslator>

#include <filesystem>
#include <memory>

namespace vesk {

class CMainFrame;

class CVeskApp : public QApplication {
    Q_OBJECT
public:
    CVeskApp(int& argc, char** argv);
    ~CVeskApp() override;

    // Start-up; false when the program should end at once.
    bool InitInstance();
    // Shut-down after the event loop: the window goes, then "end" is started.
    int ExitInstance(int exitCode);

    bool ShowSplash() const { return m_bShowSplash; }
    const std::filesystem::path& DataFolder() const { return m_dataFolder; }
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

private:
    void ParseCommandLine();
    void LoadTranslations();
    void StartCompanionProgram() const;

    bool m_bShowSplash = true;
    std::filesystem::path m_dataFolder;
    std::filesystem::path m_programFolder;
    QTranslator m_qtTranslator;
    SplashMessageFilter m_splashFilter;
    CVeskDoc m_doc;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};

} // namespace vesk
