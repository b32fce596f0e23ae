#include "pane/tool_tip_resource_button.h"

#include "ui/resource_ids.h"

#include <QPainter>
#include <QtDebug>

namespace vesk {

CToolTipResourceButton::CToolTipResourceButton(QWidget* parent) : CToolTipButton(parent)
{
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverDelayMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] {
        m_bHover = true;
        update();
    });
    setAttribute(Qt::WA_Hover);
}

bool CToolTipResourceButton::LoadStrip(int id)
{
    const QPixmap strip(ResourcePath(id));
    if (strip.isNull()) {
        qDebug() << "CToolTipResourceButton: no strip resource" << id;
        return false;
    }
    return LoadStrip(strip);
}

bool CToolTipResourceButton::LoadStrip(const QPixmap& strip)
{
    if (strip.width() < 4 || strip.height() < 1)
        return false;
    m_bitmap = strip;
    m_nFrameWidth = strip.width() / 4;
    m_nFrameHeight = strip.height();
    resize(m_nFrameWidth, m_nFrameHeight);
    update();
    return true;
}

CToolTipResourceButton::Frame CToolTipResourceButton::CurrentFrame() const
{
    if (!isEnabled())
        return FrameDisabled;
    if (isDown())
        return FramePressed;
    if (m_bHover)
        return FrameHot;
    return FrameNormal;
}

void CToolTipResourceButton::paintEvent(QPaintEvent*)
{
    if (m_bitmap.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_bitmap,
                       QRect(CurrentFrame() * m_nFrameWidth, 0, m_nFrameWidth, m_nFrameHeight));
}

void CToolTipResourceButton::enterEvent(QEnterEvent* event)
{
    // Hovering counts once the mouse has rested for a moment.
    if (!m_bTracking) {
        m_bTracking = true;
        m_hoverTimer.start();
    }
    CToolTipButton::enterEvent(event);
}

void CToolTipResourceButton::leaveEvent(QEvent* event)
{
    m_hoverTimer.stop();
    m_bTracking = false;
    m_bHover = false;
    update();
    CToolTipButton::leaveEvent(event);
}

} // namespace vesk
