#include "window/scroll_tool_bar.h"

#include "pane/left_form.h"
#include "pane/x_edit.h"
#include "ui/resource_ids.h"
#include "window/command_ids.h"
#include "window/x_slider_ctrl.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

namespace vesk {

const std::array<int, 17> CSCrollToolBar::kItems = {
    cmd::SelectAll, cmd::Copy,       0,        cmd::Print,      0,
    cmd::PrevVolume, cmd::PrevPage,  cmd::NextPage, cmd::NextVolume, 0,
    cmd::PrevResult, cmd::NextResult, 0,       cmd::About,      0,
    cmd::SliderPlace, cmd::PageIndicatorPlace};

CSCrollToolBar::CSCrollToolBar(QWidget* parent) : CXToolBar(parent)
{
    setObjectName(QStringLiteral("toolbar"));
    // Flat 47-pixel buttons, so each image lies over the part of the
    // background it was blended with; the hot image shows under the mouse.
    setStyleSheet(QStringLiteral(
        "QToolBar { border: none; padding: 0px; spacing: 0px; }"
        "QToolButton { border: none; padding: 0px; margin: 0px; width: 47px; height: 47px; }"
        "QToolButton:pressed { padding-left: 2px; padding-top: 2px; }"));
    setWindowTitle(QStringLiteral("ツールバー"));
}

bool CSCrollToolBar::Create(const std::function<QAction*(int)>& actionFor)
{
    LoadToolBar(kItems, actionFor);
    SetImageSize(40, 40);
    SetBackgroundBitmap(res::ToolbarBackground);
    if (!LoadImageLists(10, Rgb{255, 0, 255}, res::ToolbarNormal, res::ToolbarDisabled,
                        res::ToolbarHot))
        return false;

    m_wndSlider = new CXSliderCtrl(this);
    m_wndSlider->setObjectName(QStringLiteral("pageSlider"));
    m_wndSlider->setFixedWidth(kSliderWidth);
    m_wndSlider->SetBackgroundBitmap(res::ToolbarBackground);
    m_wndSlider->setRange(0, 0);
    addWidget(m_wndSlider);
    ConnectSlider();

    m_wndPageEdit = new CXEdit(this);
    m_wndPageEdit->setObjectName(QStringLiteral("pageIndicator"));
    m_wndPageEdit->setReadOnly(true);
    m_wndPageEdit->setFixedWidth(kPageEditWidth);
    m_wndPageEdit->setFocusPolicy(Qt::NoFocus);
    m_wndPageEdit->SetBackgroundBitmap(res::ToolbarBackground);
    addWidget(m_wndPageEdit);
    return true;
}

void CSCrollToolBar::ConnectSlider()
{
    // A step by key, click or wheel changes the value with the thumb free;
    // a drag changes it with the thumb held and ends when it is released.
    connect(m_wndSlider, &QSlider::sliderPressed, this, [this] { OnSliderScroll(false); });
    connect(m_wndSlider, &QSlider::sliderMoved, this, [this] { OnSliderScroll(false); });
    connect(m_wndSlider, &QSlider::sliderReleased, this, [this] { OnSliderScroll(true); });
    connect(m_wndSlider, &QSlider::valueChanged, this, [this] {
        OnSliderScroll(!m_wndSlider->isSliderDown());
    });
}

void CSCrollToolBar::OnSliderScroll(bool scrollEnded)
{
    SetSliderCursor(m_wndSlider->isSliderDown());
    if (!scrollEnded || !m_pLeftForm || m_pLeftForm->m_nCurRecord == 0)
        return;
    // The range is set only when a volume opens, so the position lies in it.
    const int page = m_wndSlider->value();
    m_pLeftForm->ShowDocumentPage(m_pLeftForm->m_nCurRecord, 0, page);
    m_pLeftForm->m_nCurPage = page;
    m_pLeftForm->UpdatePageIndicator();
}

void CSCrollToolBar::SetSliderCursor(bool on)
{
    if (on == m_bSliderCursor)
        return;
    m_bSliderCursor = on;
    if (!on) {
        QGuiApplication::restoreOverrideCursor();
        return;
    }
    const QPixmap picture(ResourcePath(res::SliderCursor));
    QGuiApplication::setOverrideCursor(picture.isNull() ? QCursor(Qt::SizeHorCursor) : QCursor(picture));
}

} // namespace vesk
