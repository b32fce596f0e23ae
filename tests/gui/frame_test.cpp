// The main window: keys reach the right place, commands are enabled by the
// text view's location, F6 moves between the panes, and the menu shows only
// what it should.
#include "gui_test_main.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "pane/x_edit.h"
#include "ui/message_box.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "window/scroll_tool_bar.h"
#include "window/st_splitter_wnd.h"
#include "window/vesk_view.h"
#include "window/x_slider_ctrl.h"

#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFile>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>

namespace cmd = vesk::cmd;

// Stands in for the desktop's launcher.
class HelpOpener : public QObject {
    Q_OBJECT
public slots:
    void Open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

class FrameTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
        QSettings().remove(QStringLiteral("SplitterWnd"));  // every window starts at 260
        vesk::CMainFrame::Paths paths;
        paths.dataFolder = m_data.path().toStdString();
        paths.programFolder = m_data.path().toStdString();
        m_frame = std::make_unique<vesk::CMainFrame>(paths);
        m_frame->resize(1000, 700);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    void cleanup()
    {
        m_frame.reset();
        vesk::SetMessageBoxInterceptor({});
        m_messages.clear();
    }

    void startsWithCaptionToolbarAndTwoPanes()
    {
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Vantor--Lethra（Morvane）"));
        QCOMPARE(m_frame->LeftForm()->width(), 260);
        QCOMPARE(m_frame->ToolBar()->Slider()->minimum(), 0);
        QCOMPARE(m_frame->ToolBar()->Slider()->maximum(), 0);
        QVERIFY(m_frame->ToolBar()->PageEdit()->text().isEmpty());
        QVERIFY(m_frame->ToolBar()->PageEdit()->isReadOnly());
        QCOMPARE(m_frame->ToolBar()->NormalImages().size(), 10);
    }

    void viewCommandsFollowTheLocation()
    {
        const int viewCommands[] = {cmd::Copy, cmd::SelectAll, cmd::Print, cmd::PrintSetup};
        m_frame->RefreshCommandStates();
        for (int id : viewCommands)
            QVERIFY2(!m_frame->CommandAction(id)->isEnabled(), qPrintable(QString::number(id)));
        // Commands whose handlers are not installed yet stay disabled.
        QVERIFY(!m_frame->CommandAction(cmd::NextPage)->isEnabled());
        QVERIFY(m_frame->CommandAction(cmd::Help)->isEnabled());
        QVERIFY(m_frame->CommandAction(cmd::ViewStatusBar)->isEnabled());
        QVERIFY(!m_frame->CommandAction(cmd::ViewStatusBar)->isChecked());

        QTemporaryDir dir;
        QFile page(dir.filePath(QStringLiteral("windows.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body>學而時習之</body></html>");
        page.close();
        m_frame->TextView()->Navigate(page.fileName());
        m_frame->RefreshCommandStates();
        for (int id : viewCommands)
            QVERIFY2(m_frame->CommandAction(id)->isEnabled(), qPrintable(QString::number(id)));
    }

    void toolbarCommandHidesAndShowsTheToolbar()
    {
        m_frame->RefreshCommandStates();
        QVERIFY(m_frame->CommandAction(cmd::ViewToolbar)->isChecked());
        m_frame->RunCommand(cmd::ViewToolbar);
        QVERIFY(m_frame->ToolBar()->isHidden());
        m_frame->RefreshCommandStates();
        QVERIFY(!m_frame->CommandAction(cmd::ViewToolbar)->isChecked());
    }

    void ctrlVReachesTheKeywordBox()
    {
        m_frame->LeftForm()->SetCurrentTab(1);
        vesk::CKeywordBox* box = m_frame->LeftForm()->KeywordBox();
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QGuiApplication::clipboard()->setText(QString::fromUcs4(U"學\U00020000"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QString::fromUcs4(U"學\U00020000"));
        // Ctrl+C in the box copies the box's own text.
        box->selectAll();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUcs4(U"學\U00020000"));
        // Clicking into the box does not make the search pane the active one.
        m_frame->Splitter()->SetActivePane(1);
        box->setFocus();
        QCOMPARE(m_frame->Splitter()->GetActivePane(), 1);
    }

    void f6MovesBetweenThePanes()
    {
        m_frame->Splitter()->SetActivePane(0);
        QTRY_VERIFY(m_frame->LeftForm()->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QCOMPARE(m_frame->Splitter()->GetActivePane(), 1);
        QCOMPARE(QApplication::focusWidget(), m_frame->TextView());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QCOMPARE(m_frame->Splitter()->GetActivePane(), 0);
        QVERIFY(m_frame->LeftForm()->isAncestorOf(QApplication::focusWidget()));
    }

    void fullDisplayHidesTheSearchPaneAndF6StaysInTheView()
    {
        m_frame->RunCommand(cmd::FullDisplay);
        QVERIFY(m_frame->LeftForm()->isHidden());
        m_frame->TextView()->setFocus();
        QTest::keyClick(m_frame->TextView(), Qt::Key_F6);
        QCOMPARE(m_frame->Splitter()->GetActivePane(), 1);
        m_frame->RunCommand(cmd::FullDisplay);
        QVERIFY(!m_frame->LeftForm()->isHidden());
        QCOMPARE(m_frame->LeftForm()->width(), 260);
    }

    void searchThatCannotFindAnythingSaysWhyInTheStatusBar()
    {
        vesk::CLeftForm* form = m_frame->LeftForm();
        form->SetCurrentTab(1);
        form->KeywordBox()->setText(QStringLiteral("moon"));
        form->OnSearch();
        QVERIFY2(m_frame->statusBar()->currentMessage().contains(QStringLiteral("「m」（U+006D）")),
                 qPrintable(m_frame->statusBar()->currentMessage()));
        form->KeywordBox()->setText(QStringLiteral("明月"));
        form->OnSearch();
        QVERIFY(m_frame->statusBar()->currentMessage().isEmpty());
    }

    void menuItemsShowNoKeysAndHelpIsSilentWhenMissing()
    {
        // The five menus of the window and, before help, the bookmarks'
        // menu, whose "add" shows its key.
        const QList<QAction*> menus = m_frame->menuBar()->actions();
        QStringList titles;
        for (QAction* menu : menus)
            titles << menu->text();
        QCOMPARE(titles, QStringList({QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"),
                                      QStringLiteral("表示(&V)"), QStringLiteral("一覧"),
                                      QStringLiteral("しおり(&B)"), QStringLiteral("ヘルプ(&H)")}));
        for (QAction* menu : menus)
            for (QAction* item : menu->menu()->actions())
                if (menu->text() != QStringLiteral("しおり(&B)"))
                    QVERIFY(item->shortcut().isEmpty());
        m_frame->RunCommand(cmd::Help);  // no help.html in the program folder
        QVERIFY(m_messages.size() <= 1);  // only the data folder's message, if any
    }

    // A manual that nothing can open (no browser, no launcher on the PATH)
    // is named in a message; one that opens says nothing.
    void helpThatCannotBeOpenedNamesTheFile()
    {
        QFile help(m_data.filePath(QStringLiteral("help.html")));
        QVERIFY(help.open(QIODevice::WriteOnly) && help.write("<html></html>") > 0);
        help.close();
        const QString helpPath = QFileInfo(help).absoluteFilePath();

        HelpOpener opener;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "Open");
        m_frame->RunCommand(cmd::Help);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opener.opened, QList<QUrl>{QUrl::fromLocalFile(helpPath)});
        QVERIFY(m_messages.isEmpty());

        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        qputenv("PATH", emptyPath.path().toLocal8Bit());
        qunsetenv("BROWSER");
        m_frame->RunCommand(cmd::Help);
        qputenv("PATH", path);
        if (!browser.isEmpty())
            qputenv("BROWSER", browser);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(helpPath), qPrintable(m_messages.first()));
    }

private:
    QTemporaryDir m_data;
    std::unique_ptr<vesk::CMainFrame> m_frame;
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(FrameTest)
#include "frame_test.moc"
