#pragma once
// The start-up picture: a frameless window over the whole screen that shows
// the splash picture while the main window is being built. The first key
// press or mouse-button press anywhere in the program hides it (and does
// nothing else), and so does a timer after 50 seconds. There is at most one
// splash window at a time.
#include <QBasicTimer>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

namespace vesk {

class CSplashWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 50000;

    ~CSplashWnd() override;

    // Whether a splash may be shown at all; set once at start-up from the
    // command line.
    static void AllowSplash(bool allowed);
    // Shows the splash picture at picturePath over the screen, owned by
    // parent so it stays above it. Nothing happens when splashes are not
    // allowed, one is already shown, or the picture cannot be read.
    static void ShowSplash(QWidget* parent, const QString& picturePath);
    // Offered every event of the program before it is delivered: a key or
    // mouse-button press hides the splash and is consumed (true).
    static bool FilterAppMessage(QEvent* event);
    // Ends the splash and repaints the window beneath it.
    static void HideSplash();

    // The splash now shown, or null.
    static CSplashWnd* Current() { return s_pSplash; }
    // The timer that ends the splash (any timer event with this id does).
    int TimerId() const { return m_timer.timerId(); }
    const QPixmap& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CSplashWnd(QWidget* parent, QPixmap picture);

    QPixmap m_picture;
    QRect m_rect;        // the screen's rectangle at creation
    QBasicTimer m_timer;

    static bool s_bSplashAllowed;
    static CSplashWnd* s_pSplash;  // owned by Qt: deleted on close
};

// Installed on the application: offers every event to the splash first.
class SplashMessageFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vesk
