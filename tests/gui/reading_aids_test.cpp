// The reading aids on a small generated data folder: the keyword history
// (drop-down, options restored, the last 50, cleared), bookmarks (the page
// being read, plain or hit page; missing pages listed as such), both across
// a restart of the program in a fresh process; a save killed half-way keeps
// the earlier bookmarks; the status bar's character information; the
// code-point dialog.
//
// The settings and the bookmarks live under a temporary XDG_CONFIG_HOME.
// The restart and the killed save run this executable again with one test
// function and VESK_READING_AIDS_CHILD set.
#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "reading/bookmark_list_wnd.h"
#include "reading/char_info_label.h"
#include "reading/code_point_dlg.h"
#include "reading/keyword_history_popup.h"
#include "reading/reading_aids.h"
#include "support/data_folder.h"
#include "ui/app_strings.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "ui/message_box.h"
#include "ui/resource_ids.h"
#include "window/vesk_view.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTextCursor>
#include <QTreeWidget>
#include <QtTest>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

using namespace vesk;

const char* const kChildVariable = "VESK_READING_AIDS_CHILD";
const char* const kDataVariable = "VESK_READING_AIDS_DATA";
const char* const kConfigVariable = "VESK_READING_AIDS_CONFIG";

QString ChildRole()
{
    return qEnvironmentVariable(kChildVariable);
}

//   經 (1) 論語 (2) 卷一 (3): pages 1..3, identifiers 0..2
//   詩 (4) 詩經 (5) 國風 (6): pages 5..6, identifiers 3..4
// 學 and 学 form a variant group.
build::SourceCorpus ReadingCorpus()
{
    return test::CorpusBuilder()
        .Category("經")
        .Work("論語")
        .Volume("卷一", {"學而時習之", "不亦說乎", "有朋自遠方來"})
        .Category("詩")
        .Work("詩經")
        .Volume("國風", {"关关雎鸠学", "在河之洲"}, 5)
        .Variants("5B78,5B66\n")
        .Take();
}

std::vector<std::u16string> Path(std::initializer_list<const char16_t*> names)
{
    return {names.begin(), names.end()};
}

class ReadingAidsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (ChildRole().isEmpty()) {
            m_ownData = std::make_unique<test::TempDir>();
            m_dataFolder = m_ownData->path();
            QVERIFY(test::MakeDataFolder(ReadingCorpus(), m_dataFolder));
        } else {
            m_dataFolder = qEnvironmentVariable(kDataVariable).toStdString();
        }
        SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
    }

    void init()
    {
        if (!ChildRole().isEmpty())
            return;
        // Every test starts with no history and no bookmarks.
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).removeRecursively();
        StartFrame();
    }

    void cleanup()
    {
        m_frame.reset();
        m_messages.clear();
    }

    void historyKeepsTheLastFiftySearchesNewestFirst()
    {
        Search(u"學", 0, true, 0);
        Search(u"時習", 1, false, 1);
        Search(u"學", 2, true, 0);  // again: moves to the front with its new options
        const QList<KeywordHistoryEntry> entries = Aids().History().Entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0], (KeywordHistoryEntry{QStringLiteral("學"), 2, true, 0}));
        QCOMPARE(entries[1], (KeywordHistoryEntry{QStringLiteral("時習"), 1, false, 1}));

        for (int i = 0; i < 60; ++i)
            QVERIFY(Aids().History().Add({QStringLiteral("學%1").arg(i), 0, true, 0}));
        QCOMPARE(Aids().History().Entries().size(), CKeywordHistory::kMaxEntries);
        QCOMPARE(Aids().History().Entries().front().keyword, QStringLiteral("學59"));
        QCOMPARE(Aids().History().Entries().back().keyword, QStringLiteral("學10"));

        // Another data folder has a history of its own.
        test::TempDir other;
        QVERIFY(CKeywordHistory(other.path()).Entries().isEmpty());
        QCOMPARE(CKeywordHistory(m_dataFolder).Entries().size(), CKeywordHistory::kMaxEntries);

        Aids().ClearHistoryAction()->trigger();
        QVERIFY(Aids().History().Entries().isEmpty());
        QVERIFY(CKeywordHistory(m_dataFolder).Entries().isEmpty());
    }

    void dropDownRestoresOptionsAndSearches()
    {
        CLeftForm& form = *m_frame->LeftForm();
        Search(u"学", 2, false, 1);  // annotations, no variants, or: finds nothing
        Search(u"學", 0, true, 0);   // whole text, variants, and: page 0
        QCOMPARE(form.m_vecResults.size(), std::size_t{1});

        CKeywordBox* box = form.KeywordBox();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        CKeywordHistoryPopup* popup = Aids().HistoryPopup();
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->topLevelItemCount(), 2);
        QCOMPARE(popup->topLevelItem(0)->text(0), QStringLiteral("學"));
        QCOMPARE(popup->topLevelItem(1)->text(1), QStringLiteral("注釈・or"));
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QVERIFY(!popup->isVisible());

        QCOMPARE(box->text(), QStringLiteral("学"));
        QCOMPARE(form.m_nTarget, 2);
        QCOMPARE(form.m_nIndexType, 2);  // the annotations index is open
        QCOMPARE(form.m_bVariant, false);
        QCOMPARE(form.m_nAndOr, 1);
        QVERIFY(form.m_vecResults.empty());
        QCOMPARE(Summary(), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
        QCOMPARE(Aids().History().Entries().front().keyword, QStringLiteral("学"));

        // Esc closes the list and changes nothing.
        QTest::keyClick(box, Qt::Key_Up);
        QVERIFY(popup->isVisible());
        QTest::keyClick(popup, Qt::Key_Escape);
        QVERIFY(!popup->isVisible());
        QCOMPARE(box->text(), QStringLiteral("学"));
    }

    void refusedKeywordSaysWhyAndIsNotKept()
    {
        Search(u"學", 0, true, 0);
        for (const char16_t* keyword : {u"學 U+110000", u"-學", u"學 -"}) {
            Search(keyword, 0, true, 0);
            QVERIFY(m_frame->LeftForm()->m_vecResults.empty());
            QCOMPARE(Summary(), QStringLiteral("全部で 0 頁で、0 箇所でした。"));
            QVERIFY(m_frame->statusBar()->currentMessage().startsWith(QStringLiteral("検索しませんでした")));
        }
        QVERIFY(m_frame->statusBar()->currentMessage().contains(QStringLiteral("「-」")));
        QCOMPARE(Aids().History().Entries().size(), 1);
        // A code-point form, and an excluded term that drops the page.
        Search(u"U+5B78", 0, true, 0);
        QCOMPARE(m_frame->LeftForm()->m_vecResults.size(), std::size_t{1});
        QCOMPARE(m_frame->LeftForm()->m_vecResults[0].nPageID, 0u);
        Search(u"U+5B78 -&#x7FD2;", 0, true, 0);
        QVERIFY(m_frame->LeftForm()->m_vecResults.empty());
        QCOMPARE(Aids().History().Entries().size(), 3);
    }

    void bookmarksListMissingPagesAndOpenTheOthers()
    {
        CLeftForm& form = *m_frame->LeftForm();
        QVERIFY(!Aids().AddBookmark(QString()));  // nothing is shown yet
        OpenVolume(3);
        m_frame->RunCommand(cmd::NextPage);
        QVERIFY(Aids().AddBookmark(QStringLiteral("第二頁")));
        // A hit page: the page of the selected result.
        Search(u"學", 0, true, 0, 4);
        form.SetCurrentTab(1);
        SelectResultOfPage(3);
        QVERIFY(Aids().AddBookmark(QString()));

        CBookmarkStore& store = Aids().Bookmarks();
        QCOMPARE(store.m_vecBookmarks.size(), std::size_t{2});
        QCOMPARE(store.m_vecBookmarks[0].vecPath, Path({u"經", u"論語", u"卷一"}));
        QCOMPARE(store.m_vecBookmarks[0].nPageNo, 2);
        QCOMPARE(store.m_vecBookmarks[1].vecPath, Path({u"詩", u"詩經", u"國風"}));
        QCOMPARE(store.m_vecBookmarks[1].nPageNo, 5);

        BookmarkTag gone;
        gone.vecPath = Path({u"經", u"論語", u"卷九"});
        gone.nPageNo = 1;
        store.m_vecBookmarks.push_back(gone);
        gone.vecPath = Path({u"經", u"論語", u"卷一"});
        gone.nPageNo = 9;
        store.m_vecBookmarks.push_back(gone);

        CBookmarkListWnd* list = Aids().BookmarkList();
        list->Refresh();
        QCOMPARE(list->List()->topLevelItemCount(), 4);
        QCOMPARE(list->List()->topLevelItem(0)->text(4), QStringLiteral("第二頁"));
        QVERIFY(!list->List()->topLevelItem(1)->text(3).contains(QStringLiteral("この頁はありません")));
        QVERIFY(list->List()->topLevelItem(2)->text(3).contains(QStringLiteral("この頁はありません")));
        QVERIFY(list->List()->topLevelItem(3)->text(3).contains(QStringLiteral("この頁はありません")));
        QVERIFY(!list->OpenBookmark(2));

        QVERIFY(list->OpenBookmark(1));
        QCOMPARE(form.m_nCurRecord, 6);
        QCOMPARE(form.m_nCurPage, 5);
        QVERIFY(m_frame->TextView()->toPlainText().contains(QStringLiteral("关关雎鸠")));
        QVERIFY(list->OpenBookmark(0));
        QCOMPARE(form.m_nCurRecord, 3);
        QCOMPARE(form.m_nCurPage, 2);
        QVERIFY(m_frame->TextView()->toPlainText().contains(QStringLiteral("不亦說乎")));
        QCOMPARE(form.ContentsTree()->SelectedItem(), form.ContentsTree()->ItemOfRecord(3));

        QVERIFY(list->RenameBookmark(1, QStringLiteral("雎鳩")));
        QVERIFY(list->DeleteBookmark(2));
        CBookmarkStore reread(m_dataFolder);
        QVERIFY(reread.Load());
        QCOMPARE(reread.m_vecBookmarks.size(), std::size_t{3});
        QCOMPARE(reread.m_vecBookmarks[1].strNote, std::u16string(u"雎鳩"));
        QCOMPARE(reread.m_vecBookmarks[2].nPageNo, 9);  // the missing page is kept
    }

    void historyAndBookmarksSurviveARestart()
    {
        Search(u"時習", 1, false, 1);
        Search(u"學 -習", 0, true, 0);
        OpenVolume(6);
        QVERIFY(Aids().AddBookmark(QStringLiteral("國風")));
        m_frame.reset();  // the program ends

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("restart"));
        environment.insert(QString::fromLatin1(kDataVariable), QString::fromStdString(m_dataFolder.string()));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("restartedProgramSeesThem")});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAllStandardOutput().constData());
    }

    void restartedProgramSeesThem()
    {
        if (ChildRole() != QStringLiteral("restart"))
            QSKIP("run by historyAndBookmarksSurviveARestart in a process of its own");
        StartFrame();
        const QList<KeywordHistoryEntry> entries = Aids().History().Entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0], (KeywordHistoryEntry{QStringLiteral("學 -習"), 0, true, 0}));
        QCOMPARE(entries[1], (KeywordHistoryEntry{QStringLiteral("時習"), 1, false, 1}));
        const CBookmarkStore& store = Aids().Bookmarks();
        QCOMPARE(store.m_vecBookmarks.size(), std::size_t{1});
        QCOMPARE(store.m_vecBookmarks[0].vecPath, Path({u"詩", u"詩經", u"國風"}));
        QCOMPARE(store.m_vecBookmarks[0].nPageNo, 5);
        QCOMPARE(store.m_vecBookmarks[0].strNote, std::u16string(u"國風"));
        QVERIFY(Aids().Resolve(store.m_vecBookmarks[0]).has_value());
    }

    void interruptedSaveKeepsTheEarlierBookmarks()
    {
        OpenVolume(3);
        QVERIFY(Aids().AddBookmark(QStringLiteral("前")));
        m_frame.reset();
        QFile file(CBookmarkStore(m_dataFolder).FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        // The child saves far more than the file size limit lets it write:
        // the kernel kills it in the middle of writing.
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("save"));
        environment.insert(QString::fromLatin1(kDataVariable), QString::fromStdString(m_dataFolder.string()));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("saveBeyondTheFileSizeLimit")});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        CBookmarkStore store(m_dataFolder);
        QVERIFY(store.Load());
        QCOMPARE(store.m_vecBookmarks.size(), std::size_t{1});
        QCOMPARE(store.m_vecBookmarks[0].strNote, std::u16string(u"前"));
    }

    void saveBeyondTheFileSizeLimit()
    {
        if (ChildRole() != QStringLiteral("save"))
            QSKIP("run by interruptedSaveKeepsTheEarlierBookmarks in a process of its own");
        CBookmarkStore store(m_dataFolder);
        QVERIFY(store.Load());
        BookmarkTag bookmark = store.m_vecBookmarks.at(0);
        bookmark.strNote = std::u16string(200, u'長');
        store.m_vecBookmarks.assign(500, bookmark);
        const rlimit limit{16384, 16384};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        store.Save();
        QFAIL("the save went through");
    }

    void damagedBookmarkFileIsKeptAside()
    {
        CBookmarkStore store(m_dataFolder);
        QVERIFY(QDir().mkpath(QFileInfo(store.FilePath()).absolutePath()));
        for (const QByteArray& damaged :
             {QByteArray("{\"format\": \"vesk bookmarks\", \"version\": 1, \"bookm"),
              QByteArray(R"({"format": "vesk bookmarks", "version": 1, "bookmarks": [{"path": [], "page": 1, "note": ""}]})"),
              QByteArray(R"({"format": "other", "version": 1, "bookmarks": []})")}) {
            QDir folder(QFileInfo(store.FilePath()).absolutePath());
            for (const QString& name : folder.entryList(QDir::Files))
                folder.remove(name);
            QFile file(store.FilePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(damaged);
            file.close();
            QString problem;
            QVERIFY(!store.Load(&problem));
            QVERIFY(problem.contains(store.FilePath()));
            QVERIFY(store.m_vecBookmarks.empty());
            QVERIFY(!QFile::exists(store.FilePath()));
            const QStringList aside = folder.entryList({QStringLiteral("*.damaged-*")}, QDir::Files);
            QCOMPARE(aside.size(), 1);
            QFile kept(folder.filePath(aside.front()));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), damaged);
        }
    }

    // When the unreadable file cannot be moved aside (its aside names are
    // taken here), it stays, and no save may overwrite it.
    void unreadableFileThatCannotMoveIsNeverOverwritten()
    {
        CBookmarkStore store(m_dataFolder);
        QDir folder(QFileInfo(store.FilePath()).absolutePath());
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        for (const QString& name : folder.entryList(QDir::Files))
            folder.remove(name);
        const QByteArray damaged("{\"format\": \"vesk bookmarks\", \"vers");
        QFile file(store.FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged);
        file.close();
        const QDateTime now = QDateTime::currentDateTime();
        for (int second = 0; second < 30; ++second) {
            QFile taken(store.FilePath() + QStringLiteral(".damaged-") +
                        now.addSecs(second).toString(QStringLiteral("yyyyMMddHHmmss")));
            QVERIFY(taken.open(QIODevice::WriteOnly));
        }
        QString problem;
        QVERIFY(!store.Load(&problem));
        QVERIFY(store.m_vecBookmarks.empty());
        BookmarkTag bookmark;
        bookmark.vecPath = Path({u"經", u"論語", u"卷一"});
        bookmark.nPageNo = 1;
        store.m_vecBookmarks.push_back(bookmark);
        QVERIFY(!store.Save(&problem));
        QVERIFY(problem.contains(store.FilePath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), damaged);
        file.close();
        for (const QString& name : folder.entryList(QDir::Files))
            folder.remove(name);
    }

    void addKeyIsFreeAndNotCtrl()
    {
        const QKeySequence key = CReadingAids::kAddBookmarkKey;
        QVERIFY(!(key[0].keyboardModifiers() & Qt::ControlModifier));
        int holders = 0;
        for (const QAction* action : m_frame->findChildren<QAction*>())
            for (const QKeySequence& shortcut : action->shortcuts())
                holders += shortcut == key ? 1 : 0;
        QCOMPARE(holders, 1);
        QCOMPARE(Aids().AddBookmarkAction()->shortcut(), key);
    }

    void statusBarShowsTheSelectedCharacter()
    {
        OpenVolume(3);
        CVeskView* view = m_frame->TextView();
        QTextCursor cursor = view->document()->find(QStringLiteral("學"));
        QVERIFY(!cursor.isNull());
        view->setTextCursor(cursor);
        const QString info = Aids().CharInfo()->text();
        QVERIFY(info.contains(QStringLiteral("U+5B78")));
        QVERIFY(info.contains(QStringLiteral("学")));
        QVERIFY(info.contains(QStringLiteral("U+5B66")));
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        QVERIFY(Aids().CharInfo()->text().isEmpty());  // two characters
        cursor = view->document()->find(QStringLiteral("時"));
        view->setTextCursor(cursor);
        QVERIFY(Aids().CharInfo()->text().contains(QStringLiteral("U+6642")));
        QVERIFY(Aids().CharInfo()->text().contains(QStringLiteral("異体字なし")));

        QCOMPARE(CCharInfoLabel::SingleCharacter(QString::fromUcs4(U"\U0002A6A5", 1)), std::optional<char32_t>(0x2A6A5));
        QCOMPARE(CCharInfoLabel::SingleCharacter(QStringLiteral(" ")), std::nullopt);
    }

    void codePointDialogShowsAndInserts()
    {
        CCodePointDlg dialog;
        dialog.Input()->setText(QStringLiteral("U+2A6A5"));
        QCOMPARE(dialog.Character(), QString::fromUcs4(U"\U0002A6A5", 1));
        const QString family = CCodePointDlg::FontFamilyThatDraws(0x2A6A5);
        if (!family.isEmpty())
            QVERIFY(QFontMetrics(QFont(family)).inFontUcs4(0x2A6A5));
        dialog.Input()->setText(QStringLiteral("U+110000"));
        QVERIFY(dialog.Character().isEmpty());
        dialog.Input()->setText(QStringLiteral("&#23416;"));
        QCOMPARE(dialog.Character(), QStringLiteral("學"));
    }

private:
    void StartFrame()
    {
        CMainFrame::Paths paths;
        paths.dataFolder = m_dataFolder;
        paths.programFolder = m_dataFolder;
        m_frame = std::make_unique<CMainFrame>(paths);
        m_frame->resize(1000, 700);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    CReadingAids& Aids() { return *m_frame->ReadingAids(); }

    // scope: the record slot of the contents node searched (1 經, 4 詩).
    void Search(const char16_t* keyword, int target, bool variants, int andOr, std::uint16_t scope = 1)
    {
        CLeftForm& form = *m_frame->LeftForm();
        form.KeywordBox()->setText(QString::fromUtf16(keyword));
        form.m_nTarget = target;
        form.m_bVariant = variants;
        form.m_nAndOr = andOr;
        form.UpdateData(false);
        if (form.m_nIndexType != target)
            form.OnTarget(target);
        form.m_nScopeRecord = scope;
        form.OnSearch();
    }

    QString Summary() const
    {
        return static_cast<QLabel*>(m_frame->LeftForm()->Control(ctl::Summary))->text();
    }

    void OpenVolume(int record)
    {
        CContentsTree* tree = m_frame->LeftForm()->ContentsTree();
        tree->setCurrentItem(tree->ItemOfRecord(record));
    }

    void SelectResultOfPage(std::uint32_t pageId)
    {
        QTreeWidget* list = reinterpret_cast<QTreeWidget*>(m_frame->LeftForm()->Control(ctl::ResultList));
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            if (list->topLevelItem(row)->data(0, Qt::UserRole).toUInt() == pageId)
                list->setCurrentItem(list->topLevelItem(row));
    }

    std::unique_ptr<test::TempDir> m_ownData;
    std::filesystem::path m_dataFolder;
    std::unique_ptr<CMainFrame> m_frame;
    QStringList m_messages;
};

} // namespace

int main(int argc, char** argv)
{
    // The configuration folder: a fresh one, or the parent's for a child.
    QByteArray config = qgetenv(kConfigVariable);
    std::string made;
    if (config.isEmpty()) {
        made = (std::filesystem::temp_directory_path() / "vesk-reading-aids-XXXXXX").string();
        if (!mkdtemp(made.data()))
            return 2;
        config = QByteArray::fromStdString(made);
        qputenv(kConfigVariable, config);
        setenv("TMPDIR", made.c_str(), 1);
    }
    qputenv("XDG_CONFIG_HOME", config + "/config");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppTitle);
    QApplication::setOrganizationName(kSettingsOrganisation);
    InitResources();
    ReadingAidsTest test;
    const int result = QTest::qExec(&test, argc, argv);
    if (!made.empty()) {
        std::error_code error;
        std::filesystem::remove_all(made, error);
    }
    return result;
}

#include "reading_aids_test.moc"
