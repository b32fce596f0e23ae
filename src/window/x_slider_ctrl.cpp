#include "window/x_slider_ctrl.h"

#include "ui/resource_ids.h"

#include <QPixmap>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <QtDebug>

namespace vesk {

CXSliderCtrl::CXSliderCtrl(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(1);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QSlider::sliderMoved, this, &CXSliderCtrl::ShowPositionTip);
    connect(this, &QSlider::sliderPressed, this, [this] { ShowPositionTip(sliderPosition()); });
}

bool CXSliderCtrl::SetBackgroundBitmap(int id)
{
    const QPixmap picture(ResourcePath(id));
    if (picture.isNull()) {
        qDebug() << "CXSliderCtrl: no background picture" << id;
        return false;
    }
    m_nBackgroundBitmap = id;
    m_brBackground = QBrush(picture);
    // The slider paints no background of its own, so the toolbar's picture,
    // which spans the whole toolbar, shows through around groove and handle.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    return true;
}

void CXSliderCtrl::ShowPositionTip(int position)
{
    // The tip sits above the handle, as the position tooltip of a slider does.
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    QToolTip::showText(mapToGlobal(QPoint(handle.center().x(), handle.top() - 28)),
                       QString::number(position), this);
}

} // namespace vesk
