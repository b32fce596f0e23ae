// Opening another data folder in the running reader, the recent folders and
// the remembered one, and the import dialog running vesk-import: what the
// user sees after each (tree, results, page, status bar) and what windows
// of a folder are told.
#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "pane/sort_list_ctrl.h"
#include "reading/bookmark_list_wnd.h"
#include "reading/reading_aids.h"
#include "support/data_folder.h"
#include "ui/app_strings.h"
#include "window/data_folders.h"
#include "window/import_dlg.h"
#include "window/main_frame.h"
#include "ui/message_box.h"
#include "window/vesk_view.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>

#include "gui_test_main.h"

namespace fs = std::filesystem;

class DataFolderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<vesk::test::TempDir>();
        QVERIFY(vesk::test::MakeDataFolder(vesk::test::CorpusBuilder()
                                               .Category("經")
                                               .Work("詩")
                                               .Volume("卷一", {"明月清風", "白雲"})
                                               .Take(),
                                           Folder("first")));
        QVERIFY(vesk::test::MakeDataFolder(vesk::test::CorpusBuilder()
                                               .Category("史")
                                               .Work("記")
                                               .Volume("本紀", {"黃帝者少典之子", "明月"})
                                               .Volume("世家", {"吳太伯"})
                                               .Take(),
                                           Folder("second")));
        fs::create_directories(Folder("empty"));
    }

    void init()
    {
        m_messages.clear();
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
        QSettings().clear();
        vesk::CMainFrame::Paths paths;
        paths.dataFolder = Folder("first");
        paths.tempBase = m_dir->path();
        m_frame = std::make_unique<vesk::CMainFrame>(paths);
        m_frame->show();
    }

    void cleanup()
    {
        m_frame.reset();
        vesk::SetMessageBoxInterceptor({});
    }

    void opensASecondFolderAndSearchesIt()
    {
        vesk::CLeftForm* pane = m_frame->LeftForm();
        Select(0);  // the volume 卷一 of the first folder shows its first page
        QVERIFY(m_frame->TextView()->IsShowingPage());
        QCOMPARE(Search(QStringLiteral("明月")), 1);

        QSignalSpy changed(m_frame->DataFolders(), &vesk::CDataFolders::DataFolderChanged);
        QVERIFY(m_frame->OpenDataFolder(QString::fromStdString(Folder("second").string())));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().toString(), QString::fromStdString(Folder("second").string()));
        // Nothing of the first folder is left: tree, results, page, scope.
        QCOMPARE(TopLevelNames(), QStringList{QStringLiteral("史")});
        QCOMPARE(pane->ResultList()->topLevelItemCount(), 0);
        QCOMPARE(m_frame->TextView()->GetLocationURL(), vesk::kBlankLocation);
        QVERIFY(pane->m_vecResults.empty());
        // The scope is the new folder's first record, as at start.
        QCOMPARE(pane->findChild<QLabel*>(QStringLiteral("scopeLabel"))->text(), QStringLiteral("史"));
        QVERIFY(m_frame->FolderLabel()->text().contains(QString::fromStdString(Folder("second").string())));
        QVERIFY(m_messages.isEmpty());

        // The second folder answers: 明月 on its page 2 only, 清風 nowhere.
        QCOMPARE(Search(QStringLiteral("明月")), 1);
        QCOMPARE(pane->ResultList()->topLevelItem(0)->text(2), QStringLiteral("本紀"));
        QCOMPARE(pane->ResultList()->topLevelItem(0)->text(3), QStringLiteral("2"));
        QCOMPARE(Search(QStringLiteral("清風")), 0);
        Select(1);
        QVERIFY(m_frame->TextView()->toPlainText().contains(QStringLiteral("吳太伯")));
    }

    void refusesAFolderWithoutData()
    {
        QSignalSpy changed(m_frame->DataFolders(), &vesk::CDataFolders::DataFolderChanged);
        const QString label = m_frame->FolderLabel()->text();
        QVERIFY(!m_frame->OpenDataFolder(QString::fromStdString(Folder("empty").string())));
        QCOMPARE(m_messages, QStringList{QStringLiteral("このフォルダはデータフォルダではありません。")});
        QCOMPARE(changed.count(), 0);
        QCOMPARE(TopLevelNames(), QStringList{QStringLiteral("經")});
        QCOMPARE(m_frame->FolderLabel()->text(), label);
        QCOMPARE(Search(QStringLiteral("明月")), 1);
    }

    void remembersRecentFoldersAndTheLastOne()
    {
        const QString first = QString::fromStdString(Folder("first").string());
        const QString second = QString::fromStdString(Folder("second").string());
        QVERIFY(vesk::CDataFolders::Remembered().isEmpty());
        QVERIFY(m_frame->OpenDataFolder(second));
        // The folder the reader started with is on the list, to go back to.
        QCOMPARE(m_frame->DataFolders()->Recent(), (QStringList{second, first}));
        QVERIFY(m_frame->OpenDataFolder(first));
        QCOMPARE(m_frame->DataFolders()->Recent(), (QStringList{first, second}));
        QCOMPARE(vesk::CDataFolders::Remembered(), first);
        auto* recent = m_frame->findChild<QMenu*>(QStringLiteral("recentFolders"));
        QVERIFY(recent);
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 2);
        recent->actions().at(1)->trigger();  // the second folder again, from the menu
        QCOMPARE(TopLevelNames(), QStringList{QStringLiteral("史")});
    }

    void historyAndBookmarksFollowTheFolder()
    {
        vesk::CReadingAids* aids = m_frame->ReadingAids();
        Select(0);
        QVERIFY(aids->AddBookmark(QStringLiteral("first folder")));
        QCOMPARE(Search(QStringLiteral("明月")), 1);
        QCOMPARE(aids->History().Entries().size(), 1);

        // The second folder has neither: a bookmark of the first would
        // name a page of another corpus there.
        QVERIFY(m_frame->OpenDataFolder(QString::fromStdString(Folder("second").string())));
        QVERIFY(aids->Bookmarks().m_vecBookmarks.empty());
        QVERIFY(aids->History().Entries().isEmpty());
        QVERIFY(aids->BookmarkList()->findChild<QTreeWidget*>()->topLevelItemCount() == 0);

        QVERIFY(m_frame->OpenDataFolder(QString::fromStdString(Folder("first").string())));
        QCOMPARE(aids->Bookmarks().m_vecBookmarks.size(), std::size_t{1});
        QCOMPARE(aids->History().Entries().size(), 1);
    }

    void importDialogRunsTheImporterAndOpensTheResult()
    {
        const QString destination = QString::fromStdString((m_dir->path() / "imported").string());
        vesk::CImportDlg dialog(m_frame->DataFolders()->Current(), m_frame.get());
        const QString fixture = QStringLiteral(VESK_FIXTURES_DIR "/import/kanripo");
        dialog.SetRequest(QStringLiteral("kanripo"), fixture, destination, {}, QStringLiteral("經部"));
        QVERIFY(dialog.ImportArguments().contains(QStringLiteral("--progress")));
        QSignalSpy finished(&dialog, &vesk::CImportDlg::Finished);
        QVERIFY(dialog.Start());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(dialog.Progress(), 100);
        connect(&dialog, &vesk::CImportDlg::OpenRequested, m_frame.get(), &vesk::CMainFrame::OpenDataFolder);
        emit dialog.OpenRequested(destination);
        QCOMPARE(TopLevelNames(), QStringList{QStringLiteral("經部")});
        QCOMPARE(Search(QStringLiteral("自遠方來")), 1);
        QVERIFY(fs::exists(vesk::CImportDlg::SourceFolderFor(destination).toStdString() + "/contents.txt"));
    }

    void cancellingAnImportLeavesNothing()
    {
        const fs::path input = m_dir->path() / "big";
        fs::create_directories(input);
        for (int file = 0; file < 3; ++file) {
            std::ofstream out(input / (std::to_string(file) + ".txt"));
            for (int line = 0; line < 60000; ++line)
                out << "天地玄黃宇宙洪荒日月盈昃辰宿列張寒來暑往秋收冬藏\n";
        }
        const QString destination = QString::fromStdString((m_dir->path() / "cancelled").string());
        vesk::CImportDlg dialog({}, m_frame.get());
        dialog.SetRequest(QStringLiteral("text"), QString::fromStdString(input.string()), destination);
        QSignalSpy finished(&dialog, &vesk::CImportDlg::Finished);
        QVERIFY(dialog.Start());
        QTRY_VERIFY_WITH_TIMEOUT(dialog.Progress() > 0, 30000);
        dialog.Cancel();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().toBool(), false);
        QVERIFY(dialog.StatusText().contains(QStringLiteral("中止しました")));
        for (const auto& entry : fs::directory_iterator(m_dir->path()))
            QVERIFY2(!entry.path().filename().string().starts_with(".cancelled") &&
                         !entry.path().filename().string().starts_with("cancelled"),
                     entry.path().c_str());
    }

private:
    fs::path Folder(const char* name) const { return m_dir->path() / name; }

    QStringList TopLevelNames() const
    {
        QStringList names;
        vesk::CContentsTree* tree = m_frame->LeftForm()->ContentsTree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            names << tree->topLevelItem(i)->text(0);
        return names;
    }

    // Selects the n-th volume of the tree (depth-first), as a click does.
    void Select(int n)
    {
        vesk::CContentsTree* tree = m_frame->LeftForm()->ContentsTree();
        int seen = 0;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->childCount() == 0 && seen++ == n) {
                tree->setCurrentItem(*it);
                return;
            }
        }
        QFAIL("no such volume");
    }

    // Searches the whole first category for keyword; the number of rows.
    int Search(const QString& keyword)
    {
        vesk::CLeftForm* pane = m_frame->LeftForm();
        vesk::CContentsTree* tree = pane->ContentsTree();
        tree->setCurrentItem(tree->topLevelItem(0));
        pane->KeywordBox()->setText(keyword);
        pane->OnSearch();
        return pane->ResultList()->topLevelItemCount();
    }

    std::unique_ptr<vesk::test::TempDir> m_dir;
    std::unique_ptr<vesk::CMainFrame> m_frame;
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(DataFolderTest)
#include "data_folder_test.moc"
