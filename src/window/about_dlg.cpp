#include "window/about_dlg.h"

#include "ui/resource_ids.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace vesk {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("aboutBox"));
    setFixedSize(kWidth, kHeight);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("aboutPicture"));
    m_picture->setGeometry(0, 0, kWidth, kHeight);
    // Clicks on the picture belong to the box, which closes on them.
    m_picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    // A missing picture leaves the box empty; nothing is reported.
    const QPixmap picture(ResourcePath(res::AboutPicture));
    if (!picture.isNull())
        m_picture->setPixmap(picture);
}

bool CAboutDlg::HasPicture() const
{
    return !m_picture->pixmap().isNull();
}

void CAboutDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void CAboutDlg::keyPressEvent(QKeyEvent* event)
{
    // The box has no buttons, so Enter closes it here; Esc is the dialog's own.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vesk
