#include "window/x_tool_bar.h"

#include "ui/resource_ids.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QtDebug>

#include <cstring>

namespace vesk {

CXToolBar::CXToolBar(QWidget* parent) : QToolBar(parent) {}

void CXToolBar::LoadToolBar(std::span<const int> itemIds,
                            const std::function<QAction*(int)>& actionFor)
{
    m_itemIds.assign(itemIds.begin(), itemIds.end());
    m_itemActions.clear();
    for (int id : m_itemIds) {
        QAction* action = nullptr;
        if (id == 0) {
            addSeparator();
        } else if ((action = actionFor(id)) != nullptr) {
            addAction(action);
        }
        m_itemActions.push_back(action);
    }
}

void CXToolBar::SetImageSize(int width, int height)
{
    m_nImageWidth = width;
    m_nImageHeight = height;
    setIconSize(QSize(width, height));
}

bool CXToolBar::SetBackgroundBitmap(int id)
{
    const QPixmap picture(ResourcePath(id));
    if (picture.isNull()) {
        qDebug() << "CXToolBar: no background picture" << id;
        return false;
    }
    m_nBackgroundBitmap = id;
    m_brBackground = QBrush(picture);
    update();
    return true;
}

Dib24 CXToolBar::DibFromImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Dib24 dib(rgb.width(), rgb.height());
    if (!dib.IsValid())
        return dib;
    for (int row = 0; row < dib.height; ++row) {
        // Stored rows run bottom first.
        const uchar* line = rgb.constScanLine(dib.height - 1 - row);
        for (int x = 0; x < dib.width; ++x)
            dib.SetPixel(x, row, {line[x * 3], line[x * 3 + 1], line[x * 3 + 2]});
    }
    return dib;
}

QImage CXToolBar::ImageFromDib(const Dib24& dib)
{
    if (!dib.IsValid())
        return {};
    QImage image(dib.width, dib.height, QImage::Format_RGB888);
    for (int row = 0; row < dib.height; ++row) {
        uchar* line = image.scanLine(dib.height - 1 - row);
        for (int x = 0; x < dib.width; ++x) {
            const Rgb p = dib.Pixel(x, row);
            line[x * 3] = p.red;
            line[x * 3 + 1] = p.green;
            line[x * 3 + 2] = p.blue;
        }
    }
    return image;
}

Dib24 CXToolBar::LoadDib(int id) const
{
    const QImage image(ResourcePath(id));
    if (image.isNull())
        qDebug() << "CXToolBar: no picture resource" << id;
    return DibFromImage(image);
}

bool CXToolBar::BlendStrip(Dib24& strip, Rgb transparent) const
{
    if (m_nBackgroundBitmap == 0)
        return true;
    const QColor face = QApplication::palette().color(QPalette::Button);
    const Rgb fallback{static_cast<std::uint8_t>(face.red()), static_cast<std::uint8_t>(face.green()),
                       static_cast<std::uint8_t>(face.blue())};
    const ToolbarStripLayout layout{m_itemIds, m_nImageWidth, m_nImageHeight};
    return BlendBackground(strip, LoadDib(m_nBackgroundBitmap), transparent, layout, fallback);
}

QList<QPixmap> CXToolBar::SplitStrip(const Dib24& strip, int count, int width, int height)
{
    QList<QPixmap> images;
    const QImage whole = ImageFromDib(strip);
    for (int n = 0; n < count && (n + 1) * width <= whole.width(); ++n)
        images.append(QPixmap::fromImage(whole.copy(n * width, 0, width, height)));
    return images;
}

bool CXToolBar::LoadImageLists(int count, Rgb transparent, int normalId, int disabledId, int hotId)
{
    if (count <= 0)
        return false;
    m_nImageCount = count;
    m_imlNormal.clear();
    m_imlDisabled.clear();
    m_imlHot.clear();

    Dib24 normal = LoadDib(normalId);
    if (!normal.IsValid())
        return false;
    Dib24 disabled;
    if (disabledId != 0) {
        disabled = LoadDib(disabledId);
    } else {
        disabled = normal;
        MakeGray(disabled);
    }
    BlendStrip(normal, transparent);
    BlendStrip(disabled, transparent);
    m_imlNormal = SplitStrip(normal, count, m_nImageWidth, m_nImageHeight);
    m_imlDisabled = SplitStrip(disabled, count, m_nImageWidth, m_nImageHeight);
    if (hotId != 0) {
        Dib24 hot = LoadDib(hotId);
        BlendStrip(hot, transparent);
        m_imlHot = SplitStrip(hot, count, m_nImageWidth, m_nImageHeight);
    }
    ApplyIcons();
    return true;
}

void CXToolBar::ApplyIcons()
{
    qsizetype n = 0;
    for (QAction* action : m_itemActions) {
        if (!action)
            continue;
        if (n >= m_imlNormal.size())
            break;
        QIcon icon;
        icon.addPixmap(m_imlNormal[n], QIcon::Normal);
        if (n < m_imlDisabled.size())
            icon.addPixmap(m_imlDisabled[n], QIcon::Disabled);
        if (n < m_imlHot.size())
            icon.addPixmap(m_imlHot[n], QIcon::Active);
        action->setIcon(icon);
        ++n;
    }
}

void CXToolBar::paintEvent(QPaintEvent* event)
{
    if (m_nBackgroundBitmap == 0) {
        QToolBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    // The picture spans the toolbar's height and repeats along its length.
    const QPixmap picture = m_brBackground.texture();
    if (picture.height() == height())
        painter.fillRect(rect(), m_brBackground);
    else
        painter.drawTiledPixmap(rect(), picture.scaled(picture.width(), height()));
    QStyleOptionToolBar option;
    initStyleOption(&option);
    if (isMovable()) {
        option.rect = style()->subElementRect(QStyle::SE_ToolBarHandle, &option, this);
        if (option.rect.isValid())
            style()->drawPrimitive(QStyle::PE_IndicatorToolBarHandle, &option, &painter, this);
    }
}

} // namespace vesk
