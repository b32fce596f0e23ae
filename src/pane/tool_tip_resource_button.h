#pragma once
// A tooltip button drawn from a strip of four equal frames: normal, pressed,
// under the mouse, disabled (the result list's "<" and ">").
#include "pane/tool_tip_button.h"

#include <QPixmap>
#include <QTimer>

namespace vesk {

class CToolTipResourceButton : public CToolTipButton {
    Q_OBJECT
public:
    enum Frame { FrameNormal = 0, FramePressed = 1, FrameHot = 2, FrameDisabled = 3 };

    explicit CToolTipResourceButton(QWidget* parent = nullptr);

    // Loads the strip picture resource id; the button takes the size of one
    // frame without moving. False when there is no such picture.
    bool LoadStrip(int id);
    bool LoadStrip(const QPixmap& strip);

    // The frame the button shows in its current state.
    Frame CurrentFrame() const;
    int FrameWidth() const { return m_nFrameWidth; }
    int FrameHeight() const { return m_nFrameHeight; }
    bool IsHovering() const { return m_bHover; }

    static constexpr int kHoverDelayMs = 1;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap m_bitmap;
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    bool m_bHover = false;
    bool m_bTracking = false;
    QTimer m_hoverTimer;
};

} // namespace vesk
