#pragma once
// The about box: a borderless window that is nothing but the program's
// 500 x 350 about picture. A click (left button released) anywhere in it,
// Enter or Esc closes it.
#include <QDialog>

class QLabel;

namespace vesk {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 350;

    explicit CAboutDlg(QWidget* parent = nullptr);

    // Whether the picture could be loaded (without it the box is empty).
    bool HasPicture() const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_picture = nullptr;
};

} // namespace vesk
