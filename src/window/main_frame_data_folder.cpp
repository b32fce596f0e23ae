// The main window's data-folder commands: "データフォルダを開く…", the recent
// folders, "テキストを取り込む…", and the open folder named in the status bar.
#include "pane/left_form.h"
#include "textstore/data_folder_lookup.h"
#include "window/command_ids.h"
#include "window/data_folders.h"
#include "window/import_dlg.h"
#include "window/main_frame.h"
#include "ui/message_box.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace vesk {
namespace {

const QString kNotADataFolder = QStringLiteral("このフォルダはデータフォルダではありません。");
const QString kRecentTitle = QStringLiteral("最近使ったデータフォルダ");
const QString kNoRecent = QStringLiteral("（なし）");
const QString kFolderPrefix = QStringLiteral("データフォルダ：");

} // namespace

void CMainFrame::CreateDataFolderMenu(QMenu* fileMenu)
{
    // Before the printing items, with a separator between.
    QAction* first = fileMenu->actions().value(0);
    fileMenu->insertAction(first, CommandAction(cmd::OpenDataFolder));
    m_recentMenu = new QMenu(kRecentTitle, fileMenu);
    m_recentMenu->setObjectName(QStringLiteral("recentFolders"));
    fileMenu->insertMenu(first, m_recentMenu);
    fileMenu->insertAction(first, CommandAction(cmd::ImportTexts));
    fileMenu->insertSeparator(first);
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateRecentMenu);
    UpdateRecentMenu();
}

void CMainFrame::UpdateRecentMenu()
{
    m_recentMenu->clear();
    const QStringList recent = m_dataFolders->Recent();
    for (const QString& folder : recent)
        m_recentMenu->addAction(folder, this, [this, folder] { OpenDataFolder(folder); });
    if (recent.isEmpty())
        m_recentMenu->addAction(kNoRecent)->setEnabled(false);
}

bool CMainFrame::OpenDataFolder(const QString& folder)
{
    const std::filesystem::path path = folder.toStdString();
    if (folder.isEmpty() || !IsDataFolder(path)) {
        ShowMessageBox(this, kNotADataFolder);
        return false;
    }
    if (!m_pLeftForm->OpenDataFolder(path))
        return false;
    m_paths.dataFolder = path;
    m_dataFolders->SetCurrent(folder);
    ShowFolderInStatusBar();
    RefreshCommandStates();
    return true;
}

void CMainFrame::OnOpenDataFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("データフォルダを開く"),
                                                             m_dataFolders->Current());
    if (!folder.isEmpty())
        OpenDataFolder(folder);
}

void CMainFrame::OnImportTexts()
{
    CImportDlg dialog(m_dataFolders->Current(), this);
    connect(&dialog, &CImportDlg::OpenRequested, this, [this, &dialog](const QString& folder) {
        if (OpenDataFolder(folder))
            dialog.accept();
    });
    dialog.exec();
}

void CMainFrame::ShowFolderInStatusBar()
{
    if (!m_folderLabel) {
        m_folderLabel = new QLabel(this);
        m_folderLabel->setObjectName(QStringLiteral("dataFolderLabel"));
        // Permanent, so the search pane's messages do not hide it.
        statusBar()->addPermanentWidget(m_folderLabel);
    }
    m_folderLabel->setText(kFolderPrefix + QDir::toNativeSeparators(m_dataFolders->Current()));
}

} // namespace vesk
