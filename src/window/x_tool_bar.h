#pragma once
// A toolbar drawn over a tiled background picture, with 24-bit button
// images for the normal, disabled and hot states that are blended with that
// background, so the buttons look transparent.
#include "window/toolbar_images.h"

#include <QBrush>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QToolBar>

#include <functional>
#include <vector>

namespace vesk {

class CXToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit CXToolBar(QWidget* parent = nullptr);

    // Fills the toolbar from its item list (0 is a separator); the action of
    // each other id comes from actionFor. Ids without an action (the places
    // of embedded controls) stay in the list for the image blending and are
    // given their widget later.
    void LoadToolBar(std::span<const int> itemIds, const std::function<QAction*(int)>& actionFor);

    void SetImageSize(int width, int height);
    bool SetBackgroundBitmap(int id);
    // Builds the image lists from strip resources (0 for none) and gives
    // each button its normal, disabled and hot picture.
    bool LoadImageLists(int count, Rgb transparent, int normalId, int disabledId, int hotId);

    const QList<QPixmap>& NormalImages() const { return m_imlNormal; }
    const QList<QPixmap>& DisabledImages() const { return m_imlDisabled; }
    const QList<QPixmap>& HotImages() const { return m_imlHot; }
    const std::vector<int>& ItemIds() const { return m_itemIds; }

    static Dib24 DibFromImage(const QImage& image);
    static QImage ImageFromDib(const Dib24& dib);

protected:
    void paintEvent(QPaintEvent* event) override;
    // The action for a toolbar item, or null for a separator or a place.
    QAction* ItemAction(std::size_t index) const { return m_itemActions[index]; }

private:
    Dib24 LoadDib(int id) const;
    bool BlendStrip(Dib24& strip, Rgb transparent) const;
    static QList<QPixmap> SplitStrip(const Dib24& strip, int count, int width, int height);
    void ApplyIcons();

    QList<QPixmap> m_imlNormal;
    QList<QPixmap> m_imlDisabled;
    QList<QPixmap> m_imlHot;
    int m_nImageCount = 0;
    int m_nImageWidth = 24;
    int m_nImageHeight = 24;
    int m_nColorFlags = 24;
    int m_nBackgroundBitmap = 0;
    QBrush m_brBackground;
    std::vector<int> m_itemIds;
    std::vector<QAction*> m_itemActions;
};

} // namespace vesk
