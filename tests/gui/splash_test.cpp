// The start-up picture and the about box: when the splash appears, that the
// first key or mouse-button press anywhere hides it and goes no further,
// the timer, and how the about box closes.
#include "gui_test_main.h"
#include "ui/message_box.h"
#include "window/about_dlg.h"
#include "window/command_ids.h"
#include "window/main_frame.h"
#include "window/splash_wnd.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

using vesk::CSplashWnd;

class SplashTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QImage picture(64, 40, QImage::Format_RGB32);
        picture.fill(QColor(40, 70, 130));
        m_picture = m_folder.filePath(QStringLiteral("splash.png"));
        QVERIFY(picture.save(m_picture));
        QApplication::instance()->installEventFilter(&m_filter);
    }

    void init()
    {
        // Something to type into and click on, beneath the splash.
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_edit = new QLineEdit;
        m_button = new QPushButton(QStringLiteral("ok"));
        layout->addWidget(m_edit);
        layout->addWidget(m_button);
        m_shortcut = new QAction(m_window.get());
        m_shortcut->setShortcut(Qt::Key_F3);
        m_window->addAction(m_shortcut);
        m_window->resize(300, 200);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_edit->setFocus();
        CSplashWnd::AllowSplash(true);
    }

    void cleanup()
    {
        CSplashWnd::HideSplash();
        CSplashWnd::AllowSplash(false);
        m_window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void showsOverTheScreenOnce()
    {
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        CSplashWnd* splash = CSplashWnd::Current();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->geometry(), m_window->screen()->geometry());
        QCOMPARE(splash->Picture().size(), QSize(64, 40));
        QVERIFY(splash->TimerId() > 0);
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QCOMPARE(CSplashWnd::Current(), splash);
        // Hidden, it can come again.
        CSplashWnd::HideSplash();
        QVERIFY(!CSplashWnd::Current());
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QVERIFY(CSplashWnd::Current());
    }

    void notShownWhenNotAllowedOrWithoutPicture()
    {
        CSplashWnd::AllowSplash(false);
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QVERIFY(!CSplashWnd::Current());
        CSplashWnd::AllowSplash(true);
        CSplashWnd::ShowSplash(m_window.get(), m_folder.filePath(QStringLiteral("missing.png")));
        QVERIFY(!CSplashWnd::Current());
        CSplashWnd::ShowSplash(m_window.get(), QString());
        QVERIFY(!CSplashWnd::Current());
        // Without a splash every event goes on as usual.
        QTest::keyClick(m_edit, Qt::Key_A);
        QCOMPARE(m_edit->text(), QStringLiteral("a"));
    }

    void keyPressHidesTheSplashAndGoesNoFurther()
    {
        QSignalSpy triggered(m_shortcut, &QAction::triggered);
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QPointer<CSplashWnd> splash = CSplashWnd::Current();
        QTest::keyClick(m_edit, Qt::Key_F3);
        QVERIFY(!CSplashWnd::Current());
        QCOMPARE(triggered.count(), 0);
        QTRY_VERIFY(splash.isNull());  // the window is gone, not only hidden
        QVERIFY(m_window->isActiveWindow());
        // The next key is typed as usual.
        QTest::keyClick(m_edit, Qt::Key_B);
        QCOMPARE(m_edit->text(), QStringLiteral("b"));
        QTest::keyClick(m_edit, Qt::Key_F3);
        QCOMPARE(triggered.count(), 1);

        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QTest::keyClick(m_edit, Qt::Key_X);
        QVERIFY(!CSplashWnd::Current());
        QCOMPARE(m_edit->text(), QStringLiteral("b"));
        // An Alt combination (a system key) hides it too.
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QTest::keyClick(m_edit, Qt::Key_F3, Qt::AltModifier);
        QVERIFY(!CSplashWnd::Current());
    }

    void mouseButtonPressHidesTheSplashAndGoesNoFurther_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }

    void mouseButtonPressHidesTheSplashAndGoesNoFurther()
    {
        QFETCH(Qt::MouseButton, button);
        QSignalSpy pressed(m_button, &QPushButton::pressed);
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QTest::mousePress(m_button, button);
        QVERIFY(!CSplashWnd::Current());
        QTest::mouseRelease(m_button, button);
        QCOMPARE(pressed.count(), 0);
        // A click on the splash itself ends it just the same.
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QTest::mouseClick(CSplashWnd::Current(), button);
        QVERIFY(!CSplashWnd::Current());
    }

    void otherEventsLeaveTheSplash()
    {
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        QTest::mouseMove(m_edit);
        QTest::mouseMove(m_button);
        QTest::keyRelease(m_edit, Qt::Key_A);
        QCOMPARE(m_edit->text(), QString());
        QVERIFY(CSplashWnd::Current());
    }

    void timerEndsTheSplash()
    {
        CSplashWnd::ShowSplash(m_window.get(), m_picture);
        CSplashWnd* splash = CSplashWnd::Current();
        QTimerEvent other(splash->TimerId() + 1000);
        QCoreApplication::sendEvent(splash, &other);
        QCOMPARE(CSplashWnd::Current(), splash);
        QTimerEvent timeout(splash->TimerId());
        QCoreApplication::sendEvent(splash, &timeout);
        QVERIFY(!CSplashWnd::Current());
    }

    void mainWindowShowsItWhileBeingBuilt()
    {
        vesk::SetMessageBoxInterceptor([](const QString&) {});
        QVERIFY(QFile::copy(m_picture, m_program.filePath(QStringLiteral("splash.png"))));
        vesk::CMainFrame::Paths paths;
        paths.dataFolder = m_program.path().toStdString();
        paths.programFolder = m_program.path().toStdString();
        auto frame = std::make_unique<vesk::CMainFrame>(paths);
        QVERIFY(CSplashWnd::Current());
        QCOMPARE(CSplashWnd::Current()->parentWidget(), frame.get());
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        // The first key hides it without reaching the window's F3.
        QTest::keyClick(frame.get(), Qt::Key_F3);
        QVERIFY(!CSplashWnd::Current());
        // With splashes off (--no-splash) there is none.
        CSplashWnd::AllowSplash(false);
        frame.reset();
        frame = std::make_unique<vesk::CMainFrame>(paths);
        QVERIFY(!CSplashWnd::Current());
        frame.reset();
        vesk::SetMessageBoxInterceptor({});
    }

    void aboutBoxShowsItsPicture()
    {
        vesk::CAboutDlg box;
        QVERIFY(box.HasPicture());
        QCOMPARE(box.size(), QSize(500, 350));
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    }

    void aboutBoxCloses_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("click") << QStringLiteral("click") << int(QDialog::Accepted);
        QTest::newRow("enter") << QStringLiteral("enter") << int(QDialog::Accepted);
        QTest::newRow("return") << QStringLiteral("return") << int(QDialog::Accepted);
        QTest::newRow("escape") << QStringLiteral("escape") << int(QDialog::Rejected);
    }

    void aboutBoxCloses()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        vesk::CAboutDlg box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // A right click leaves it open.
        QTest::mouseClick(&box, Qt::RightButton, {}, QPoint(250, 175));
        QVERIFY(box.isVisible());
        if (how == QStringLiteral("click"))
            QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(10, 340));
        else if (how == QStringLiteral("enter"))
            QTest::keyClick(&box, Qt::Key_Enter);
        else if (how == QStringLiteral("return"))
            QTest::keyClick(&box, Qt::Key_Return);
        else
            QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), result);
    }

    void aboutCommandRunsTheBoxModally()
    {
        vesk::SetMessageBoxInterceptor([](const QString&) {});
        vesk::CMainFrame::Paths paths;
        paths.dataFolder = m_program.path().toStdString();
        paths.programFolder = m_program.path().toStdString();
        vesk::CMainFrame frame(paths);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.RefreshCommandStates();
        QVERIFY(frame.CommandAction(vesk::cmd::About)->isEnabled());
        bool sawBox = false;
        QTimer::singleShot(0, [&sawBox] {
            auto* box = qobject_cast<vesk::CAboutDlg*>(QApplication::activeModalWidget());
            sawBox = box != nullptr;
            if (box)
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(250, 175));
        });
        frame.RunCommand(vesk::cmd::About);  // returns once the box is closed
        QVERIFY(sawBox);
        QVERIFY(!QApplication::activeModalWidget());
        vesk::SetMessageBoxInterceptor({});
    }

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_program;
    QString m_picture;
    vesk::SplashMessageFilter m_filter;
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_button = nullptr;
    QAction* m_shortcut = nullptr;
};

VESK_GUI_TEST_MAIN(SplashTest)
#include "splash_test.moc"
