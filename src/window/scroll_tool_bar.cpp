#include "window/scroll_tool_bar.h"

#include "pane/x_edit.h"
#include "window/command_ids.h"
#include "window/resource_ids.h"
#include "window/x_slider_ctrl.h"

#include <QAction>

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

    m_wndPageEdit = new CXEdit(this);
    m_wndPageEdit->setObjectName(QStringLiteral("pageIndicator"));
    m_wndPageEdit->setReadOnly(true);
    m_wndPageEdit->setFixedWidth(kPageEditWidth);
    m_wndPageEdit->setFocusPolicy(Qt::NoFocus);
    m_wndPageEdit->SetBackgroundBitmap(res::ToolbarBackground);
    addWidget(m_wndPageEdit);
    return true;
}

} // namespace vesk
