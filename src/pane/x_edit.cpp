#include "pane/x_edit.h"

#include "ui/resource_ids.h"

#include <QPalette>
#include <QPixmap>
#include <QtDebug>

namespace vesk {

CXEdit::CXEdit(QWidget* parent) : QLineEdit(parent) {}

bool CXEdit::SetBackgroundBitmap(int id)
{
    const QPixmap picture(ResourcePath(id));
    if (picture.isNull()) {
        qDebug() << "CXEdit: no picture resource" << id;
        return false;
    }
    m_nBackgroundBitmap = id;
    m_brBackground = QBrush(picture);
    QPalette pal = palette();
    pal.setBrush(QPalette::Base, m_brBackground);
    pal.setBrush(QPalette::Window, m_brBackground);
    setPalette(pal);
    return true;
}

} // namespace vesk
