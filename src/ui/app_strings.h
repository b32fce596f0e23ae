#pragma once
// Fixed texts shared by the reader window and the search pane: titles, the
// settings location, the page file names and the messages the window shows.
#include <QString>

namespace vesk {

// The application title: caption of every message box and the name under
// which the settings are kept.
inline const QString kAppTitle = QStringLiteral("Vantor--Lethra④（Morvane）");
// The main window's caption.
inline const QString kMainCaption = QStringLiteral("Vantor--Lethra（Morvane）");
// Settings root, shared with the application title as the settings file name.
inline const QString kSettingsOrganisation = QStringLiteral("Local AppWizard-Generated Applications");

inline const QString kMessageUseRightButton = QStringLiteral("マウスの右ボタンでコピーして下さい。");
// The help command when no browser or launcher opens the manual; %1 is
// the manual's path.
inline const QString kMessageHelpNotOpened =
    QStringLiteral("ヘルプを開けませんでした（ブラウザが見つかりません）。ヘルプは次のファイルです。\n%1");
// Printing without a dialog when there is no printer to print on.
inline const QString kMessageNoPrinter =
    QStringLiteral("プリンタが見つからないため、印刷できません。プリンタを設定してから、もう一度印刷して下さい。");

// The text view's empty location before the first page is shown.
inline const QString kBlankLocation = QStringLiteral("about:blank");

// The three page files, kept inside the run's private temporary folder.
inline const QString kPageFileName = QStringLiteral("windows.html");
inline const QString kHitFileName1 = QStringLiteral("windows1.html");
inline const QString kHitFileName2 = QStringLiteral("windows2.html");

// The user manual and the companion program started at exit, both beside
// the executable.
inline const QString kHelpFileName = QStringLiteral("help.html");
inline const QString kCompanionProgramName = QStringLiteral("end");
// The start-up picture, found like the user manual.
inline const QString kSplashFileName = QStringLiteral("splash.png");

} // namespace vesk
