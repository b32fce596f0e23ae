#pragma once
// A push button with its own tooltip text that can be switched on and off.
#include <QPushButton>
#include <QString>

namespace vesk {

class CToolTipButton : public QPushButton {
    Q_OBJECT
public:
    explicit CToolTipButton(QWidget* parent = nullptr);

    // Sets (or replaces) the tooltip text and activates or deactivates it.
    void SetTipText(const QString& text, bool activate = true);
    QString TipText() const { return m_strTipText; }
    bool IsTipActive() const { return m_bTipActive; }

private:
    QString m_strTipText;
    bool m_bTipActive = false;
};

} // namespace vesk
