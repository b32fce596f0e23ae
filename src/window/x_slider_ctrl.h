#pragma once
// The page slider: horizontal, with tick marks, a tooltip that shows the
// position while it is dragged, and an optional tiled background picture.
#include <QBrush>
#include <QSlider>

namespace vesk {

class CXSliderCtrl : public QSlider {
    Q_OBJECT
public:
    explicit CXSliderCtrl(QWidget* parent = nullptr);

    bool SetBackgroundBitmap(int id);
    int BackgroundBitmap() const { return m_nBackgroundBitmap; }

private:
    void ShowPositionTip(int position);

    int m_nBackgroundBitmap = 0;
    QBrush m_brBackground;
};

} // namespace vesk
