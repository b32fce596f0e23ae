#include "pane/tool_tip_button.h"

namespace vesk {

CToolTipButton::CToolTipButton(QWidget* parent) : QPushButton(parent) {}

void CToolTipButton::SetTipText(const QString& text, bool activate)
{
    if (text.isNull())
        return;
    m_strTipText = text;
    m_bTipActive = activate;
    setToolTip(activate ? text : QString());
}

} // namespace vesk
