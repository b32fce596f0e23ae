#include "window/splash_wnd.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>

namespace vesk {

bool CSplashWnd::s_bSplashAllowed = false;
CSplashWnd* CSplashWnd::s_pSplash = nullptr;

namespace {

bool IsHidingButton(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
}

} // namespace

CSplashWnd::CSplashWnd(QWidget* parent, QPixmap picture)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(std::move(picture))
{
    setObjectName(QStringLiteral("splash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window beneath keeps the keyboard; the splash only covers it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::ArrowCursor);
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    m_rect = screen ? screen->geometry() : QRect(0, 0, m_picture.width(), m_picture.height());
    setGeometry(m_rect);
    if (parent)
        parent->installEventFilter(this);
    m_timer.start(kTimeoutMs, this);
}

CSplashWnd::~CSplashWnd()
{
    if (s_pSplash == this)
        s_pSplash = nullptr;
}

void CSplashWnd::AllowSplash(bool allowed)
{
    s_bSplashAllowed = allowed;
}

void CSplashWnd::ShowSplash(QWidget* parent, const QString& picturePath)
{
    if (!s_bSplashAllowed || s_pSplash)
        return;
    QPixmap picture(picturePath);
    // Without its picture there is no splash, and start-up goes on quietly.
    if (picture.isNull())
        return;
    s_pSplash = new CSplashWnd(parent, std::move(picture));  // deletes itself on close
    s_pSplash->show();
    s_pSplash->raise();
    s_pSplash->repaint();
}

bool CSplashWnd::FilterAppMessage(QEvent* event)
{
    if (!s_pSplash)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // A key is first offered to the shortcuts; claiming it here keeps
        // the key that hides the splash from running a command.
        event->accept();
        return true;
    case QEvent::KeyPress:
        HideSplash();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        if (!IsHidingButton(static_cast<QMouseEvent*>(event)->button()))
            return false;
        HideSplash();
        return true;
    default:
        return false;
    }
}

void CSplashWnd::HideSplash()
{
    CSplashWnd* splash = std::exchange(s_pSplash, nullptr);
    if (!splash)
        return;
    splash->m_timer.stop();
    QWidget* beneath = splash->parentWidget();
    if (beneath)
        beneath->removeEventFilter(splash);
    // Where the splash had the keyboard (some displays give it to every new
    // window), it goes back to the window beneath.
    const bool hadKeyboard = splash->isActiveWindow();
    splash->close();  // deleted once control returns to the event loop
    if (beneath && beneath->isVisible()) {
        if (hadKeyboard)
            beneath->activateWindow();
        beneath->repaint();
    }
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    // The picture, as large as the screen allows without distortion, on its
    // own edge colour.
    QPainter painter(this);
    const QImage corner = m_picture.copy(0, 0, 1, 1).toImage();
    painter.fillRect(rect(), corner.isNull() ? QColor(Qt::black) : corner.pixelColor(0, 0));
    const QSize fitted = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, m_picture);
}

void CSplashWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        HideSplash();
    else
        QWidget::timerEvent(event);
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event)
{
    // When the main window appears it is put on top of the screen; the
    // splash goes back above it (a window manager keeps it there by itself,
    // a bare display does not).
    if (watched == parentWidget() && event->type() == QEvent::Show)
        QTimer::singleShot(0, this, [this] { raise(); });
    return QWidget::eventFilter(watched, event);
}

bool SplashMessageFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (CSplashWnd::FilterAppMessage(event))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace vesk
