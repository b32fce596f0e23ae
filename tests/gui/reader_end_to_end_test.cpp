// The whole program as a user meets it: started through its own start-up on
// a generated data folder, driven by clicks and keys on its widgets: open a
// volume in the tree, page to both ends with the toolbar, go from volume to
// volume across works and categories through the "一覧" menu, search, choose
// a hit, walk every anchor with F3 (the first keyword's, then the second's),
// full display twice, quit, and find the pane layout in the settings.
#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "pane/sort_list_ctrl.h"
#include "pane/x_edit.h"
#include "support/data_folder.h"
#include "ui/app_strings.h"
#include "ui/message_box.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "window/scroll_tool_bar.h"
#include "window/st_splitter_wnd.h"
#include "window/vesk_app.h"
#include "window/vesk_view.h"
#include "window/x_slider_ctrl.h"

#include <QAction>
#include <QFile>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace cmd = vesk::cmd;
namespace fs = std::filesystem;

namespace {

// 經 (1) / 詩 (2) / 卷一 (3) pages 1-3, 卷二 (4) pages 5-6; 書 (5) / 卷一 (6) page 1;
// 史 (7) / 記 (8) / 卷三 (9) pages 1-2. Page identifiers 0 .. 7 in this order.
vesk::build::SourceCorpus ReaderCorpus()
{
    return vesk::test::CorpusBuilder()
        .Category("經")
        .Work("詩")
        .Volume("卷一", {"清風明月清風明月", "白雲", "青山"})
        .Volume("卷二", {"流水", "落花"}, 5)
        .Work("書")
        .Volume("卷一", {"明月清風"})
        .Category("史")
        .Work("記")
        .Volume("卷三", {"春秋", "冬夏"})
        .Take();
}

// Where the page text of an anchor starts and which highlighted text follows it.
struct Anchor {
    qsizetype offset = -1;
    QString marked;
};

Anchor FindAnchor(const QString& page, int number)
{
    const QString mark = QStringLiteral("<a name=\"%1\"></a>").arg(number, 4, 10, QLatin1Char('0'));
    Anchor anchor;
    anchor.offset = page.indexOf(mark);
    if (anchor.offset < 0)
        return anchor;
    static const QRegularExpression highlight(QStringLiteral("^<b style='[^']*'>([^<]*)</b>"));
    const QRegularExpressionMatch match = highlight.match(page.mid(anchor.offset + mark.size()));
    anchor.marked = match.captured(1);
    // Offsets count in the text without the marks, so earlier marks do not move them.
    static const QRegularExpression marks(QStringLiteral("<a name=\"\\d+\"></a>|<b style='[^']*'>|</b>"));
    anchor.offset = page.left(anchor.offset).remove(marks).size();
    return anchor;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class ReaderEndToEndTest : public QObject {
    Q_OBJECT
public:
    explicit ReaderEndToEndTest(vesk::CVeskApp& app, QStringList& messages) : m_app(app), m_messages(messages) {}

private slots:
    void startsIntoTheMainWindow()
    {
        QVERIFY(Frame());
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        QCOMPARE(Frame()->windowTitle(), vesk::kMainCaption);
        QCOMPARE(Form()->width(), 260);
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(!Enabled(cmd::NextPage));
    }

    void opensAVolumeAndPagesToBothEnds()
    {
        DoubleClickItem(1);  // 經 opens
        DoubleClickItem(2);  // 詩 opens
        ClickItem(3);        // 卷一
        QCOMPARE(Form()->m_nCurRecord, 3);
        QCOMPARE(View()->GetLocationURL(), Form()->m_strPageFile);
        QCOMPARE(Indicator(), QStringLiteral("8/1"));
        QVERIFY(View()->toPlainText().contains(QStringLiteral("清風明月")));
        QTRY_VERIFY(!Button(cmd::PrevPage)->isEnabled());

        for (const char* text : {"白雲", "青山"}) {
            QTRY_VERIFY(Button(cmd::NextPage)->isEnabled());
            QTest::mouseClick(Button(cmd::NextPage), Qt::LeftButton);
            QVERIFY(View()->toPlainText().contains(QString::fromUtf8(text)));
        }
        QCOMPARE(Indicator(), QStringLiteral("8/3"));
        QCOMPARE(Slider()->value(), 3);
        QTRY_VERIFY(!Button(cmd::NextPage)->isEnabled());
        while (Form()->m_nCurPage > 1) {
            QTRY_VERIFY(Button(cmd::PrevPage)->isEnabled());
            QTest::mouseClick(Button(cmd::PrevPage), Qt::LeftButton);
        }
        QVERIFY(View()->toPlainText().contains(QStringLiteral("清風明月")));
        QCOMPARE(Indicator(), QStringLiteral("8/1"));
        QTRY_VERIFY(!Button(cmd::PrevPage)->isEnabled());
    }

    void goesFromVolumeToVolumeThroughTheMenu()
    {
        // 卷二 of the same work, 卷一 of the next work, 卷三 of the next category.
        const std::pair<int, const char*> forward[] = {{4, "流水"}, {6, "明月清風"}, {9, "春秋"}};
        for (const auto& [record, text] : forward) {
            ChooseFromMenu(QStringLiteral("一覧"), cmd::NextVolume);
            QCOMPARE(Form()->m_nCurRecord, record);
            QCOMPARE(vesk::CContentsTree::RecordOfItem(Tree()->SelectedItem()), record);
            QVERIFY(View()->toPlainText().contains(QString::fromUtf8(text)));
        }
        QCOMPARE(Indicator(), QStringLiteral("8/1"));
        QVERIFY(!MenuItemEnabled(QStringLiteral("一覧"), cmd::NextVolume));
        // 卷二 starts at page 5 and has 2 pages.
        ChooseFromMenu(QStringLiteral("一覧"), cmd::PrevVolume);
        ChooseFromMenu(QStringLiteral("一覧"), cmd::PrevVolume);
        QCOMPARE(Form()->m_nCurRecord, 4);
        QCOMPARE(Indicator(), QStringLiteral("8/5"));
        QCOMPARE(Slider()->minimum(), 5);
        QCOMPARE(Slider()->maximum(), 6);
        ChooseFromMenu(QStringLiteral("一覧"), cmd::NextPage);
        QVERIFY(View()->toPlainText().contains(QStringLiteral("落花")));
        QVERIFY(!MenuItemEnabled(QStringLiteral("一覧"), cmd::NextPage));
        QVERIFY(m_messages.isEmpty());
    }

    void searchesChoosesAHitAndWalksEveryAnchor()
    {
        ClickItem(1);  // the scope: all of 經
        ClickTab(1);
        vesk::CKeywordBox* box = Form()->KeywordBox();
        QTest::mouseClick(box, Qt::LeftButton);
        // CJK text comes through the input method, the space from the keyboard.
        Commit(box, QStringLiteral("明月"));
        QTest::keyClick(box, Qt::Key_Space);
        Commit(box, QStringLiteral("清風"));
        QCOMPARE(box->text(), QStringLiteral("明月 清風"));
        QTest::keyClick(box, Qt::Key_Return);
        vesk::CSortListCtrl* list = Form()->ResultList();
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("詩"));

        const QRect row = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        const QString hitFile = Form()->m_strHitFile;
        QVERIFY(!hitFile.isEmpty());
        QCOMPARE(View()->GetLocationURL(), hitFile + QStringLiteral("#0000"));
        QCOMPARE(Form()->m_nHitCount, 4);

        // The page is 清風明月清風明月: 明月 twice in text order, then 清風 twice.
        const QString page = ReadText(hitFile);
        std::vector<Anchor> anchors;
        for (int n = 0; n < 4; ++n)
            anchors.push_back(FindAnchor(page, n));
        for (int n = 0; n < 4; ++n)
            QCOMPARE(anchors[static_cast<std::size_t>(n)].marked,
                     n < 2 ? QStringLiteral("明月") : QStringLiteral("清風"));
        QVERIFY(anchors[0].offset < anchors[1].offset);
        QVERIFY(anchors[2].offset < anchors[0].offset);  // the second keyword starts the text
        QVERIFY(anchors[2].offset < anchors[3].offset);

        View()->setFocus();
        for (int n = 1; n < 4; ++n) {
            QTRY_VERIFY(Button(cmd::NextResult)->isEnabled());
            QTest::keyClick(View(), Qt::Key_F3);
            QCOMPARE(View()->GetLocationURL(), hitFile + QStringLiteral("#%1").arg(n, 4, 10, QLatin1Char('0')));
        }
        QTRY_VERIFY(!Button(cmd::NextResult)->isEnabled());
        QTest::keyClick(View(), Qt::Key_F3);  // nothing further
        QCOMPARE(View()->GetLocationURL(), hitFile + QStringLiteral("#0003"));
        for (int n = 2; n >= 0; --n) {
            QTest::keyClick(View(), Qt::Key_F3, Qt::AltModifier);
            QCOMPARE(View()->GetLocationURL(), hitFile + QStringLiteral("#%1").arg(n, 4, 10, QLatin1Char('0')));
        }
        QTRY_VERIFY(!Button(cmd::PrevResult)->isEnabled());
        QVERIFY(m_messages.isEmpty());
    }

    void fullDisplayTwiceComesBackAtTheSameWidth()
    {
        const int width = Form()->width();
        ChooseFromMenu(QStringLiteral("表示(&V)"), cmd::FullDisplay);
        QVERIFY(Form()->isHidden());
        QTRY_COMPARE(View()->width(), Frame()->Splitter()->width());
        ChooseFromMenu(QStringLiteral("表示(&V)"), cmd::FullDisplay);
        QVERIFY(Form()->isVisible());
        QTRY_COMPARE(Form()->width(), width);
    }

    void quitsAndKeepsThePaneLayout()
    {
        const int viewWidth = View()->width();
        ChooseFromMenu(QStringLiteral("ファイル(&F)"), cmd::Exit);
        QTRY_VERIFY(!Frame()->isVisible());
        QCOMPARE(m_app.ExitInstance(0), 0);
        QVERIFY(!m_app.MainFrame());
        QSettings settings;
        // Nothing hidden, the search pane 260 wide, no rows, the text view's width.
        const QString entry = settings.value(QStringLiteral("SplitterWnd/Panes_0")).toString();
        const QRegularExpressionMatch layout =
            QRegularExpression(QStringLiteral("^-1 260 -1 (\\d+)$")).match(entry);
        QVERIFY2(layout.hasMatch(), qPrintable(entry));
        QVERIFY(std::abs(layout.captured(1).toInt() - viewWidth) <= 8);
        QVERIFY(settings.fileName().endsWith(vesk::kAppTitle + QStringLiteral(".conf")));
        QVERIFY(m_messages.isEmpty());
    }

private:
    vesk::CMainFrame* Frame() const { return m_app.MainFrame(); }
    vesk::CLeftForm* Form() const { return Frame()->LeftForm(); }
    vesk::CVeskView* View() const { return Frame()->TextView(); }
    vesk::CContentsTree* Tree() const { return Form()->ContentsTree(); }
    QSlider* Slider() const { return Frame()->ToolBar()->Slider(); }
    QString Indicator() const { return Frame()->ToolBar()->PageEdit()->text(); }

    bool Enabled(int id) const
    {
        Frame()->RefreshCommandStates();
        return Frame()->CommandAction(id)->isEnabled();
    }

    QWidget* Button(int id) const
    {
        return Frame()->ToolBar()->widgetForAction(Frame()->CommandAction(id));
    }

    QPoint ItemCentre(int record) const
    {
        QTreeWidgetItem* item = Tree()->ItemOfRecord(record);
        Tree()->scrollToItem(item);
        return Tree()->visualItemRect(item).center();
    }

    void ClickItem(int record)
    {
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, ItemCentre(record));
        QCOMPARE(vesk::CContentsTree::RecordOfItem(Tree()->SelectedItem()), record);
    }

    void DoubleClickItem(int record)
    {
        ClickItem(record);
        QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, {}, ItemCentre(record));
        QVERIFY(Tree()->ItemOfRecord(record)->isExpanded());
    }

    static void Commit(QWidget* target, const QString& text)
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(target, &event);
    }

    void ClickTab(int tab)
    {
        auto* tabs = static_cast<QTabWidget*>(Form()->Control(vesk::ctl::Tabs));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(tab).center());
        QCOMPARE(Form()->CurrentTab(), tab);
    }

    QMenu* Menu(const QString& title) const
    {
        for (QAction* action : Frame()->menuBar()->actions())
            if (action->text() == title)
                return action->menu();
        return nullptr;
    }

    // Opens the menu as a click on the menu bar does and reports whether the
    // item is enabled there.
    bool MenuItemEnabled(const QString& title, int id)
    {
        QMenu* menu = Menu(title);
        if (!menu)
            return false;
        menu->popup(Frame()->mapToGlobal(QPoint(0, 0)));
        const bool enabled = Frame()->CommandAction(id)->isEnabled();
        menu->hide();
        return enabled;
    }

    void ChooseFromMenu(const QString& title, int id)
    {
        QMenu* menu = Menu(title);
        QVERIFY(menu);
        menu->popup(Frame()->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QAction* item = Frame()->CommandAction(id);
        QVERIFY2(item->isEnabled(), qPrintable(item->text()));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QTRY_VERIFY(!menu->isVisible());
    }

    vesk::CVeskApp& m_app;
    QStringList& m_messages;
};

// The program's own start-up on a data folder made for the run, with its
// settings, temporary files and working directory in a folder of its own.
int main(int argc, char** argv)
{
    std::string pattern = (fs::temp_directory_path() / "vesk-reader-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 2;
    const fs::path folder = pattern;
    setenv("TMPDIR", pattern.c_str(), 1);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::error_code error;
    fs::create_directories(folder / "work", error);
    if (error || chdir((folder / "work").c_str()) != 0)
        return 2;
    vesk::build::BuildReport report;
    std::string problem;
    fs::create_directories(folder / "data", error);
    if (!vesk::build::WriteDataFolder(ReaderCorpus(), folder / "data", report, problem)) {
        std::fprintf(stderr, "cannot build the data folder: %s\n", problem.c_str());
        return 2;
    }

    QStandardPaths::setTestModeEnabled(true);
    std::string program = argv[0];
    std::string dataOption = "--data";
    std::string data = (folder / "data").string();
    std::string noSplash = "--no-splash";
    char* appArgv[] = {program.data(), dataOption.data(), data.data(), noSplash.data(), nullptr};
    int appArgc = 4;
    vesk::CVeskApp app(appArgc, appArgv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(pattern));
    QStringList messages;
    vesk::SetMessageBoxInterceptor([&messages](const QString& text) { messages << text; });

    int result = 1;
    if (app.InitInstance()) {
        vesk::SetMessageBoxInterceptor([&messages](const QString& text) { messages << text; });
        ReaderEndToEndTest test(app, messages);
        result = QTest::qExec(&test, argc, argv);
    }
    if (app.MainFrame())
        app.ExitInstance(result);
    fs::remove_all(folder, error);
    return result;
}

#include "reader_end_to_end_test.moc"
