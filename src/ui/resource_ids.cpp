#include "ui/resource_ids.h"

#include <QtGlobal>

// The resources live in a static library; naming their initialiser here
// keeps the linker from dropping them.
static void InitVeskResources()
{
    Q_INIT_RESOURCE(vesk);
}

namespace vesk {

QString ResourcePath(int id)
{
    switch (id) {
    case res::ToolbarBackground: return QStringLiteral(":/bitmaps/toolbar_background.bmp");
    case res::ToolbarNormal: return QStringLiteral(":/bitmaps/toolbar_normal.bmp");
    case res::ToolbarDisabled: return QStringLiteral(":/bitmaps/toolbar_disabled.bmp");
    case res::ToolbarHot: return QStringLiteral(":/bitmaps/toolbar_hot.bmp");
    case res::PagePrevStrip: return QStringLiteral(":/bitmaps/page_prev.bmp");
    case res::PageNextStrip: return QStringLiteral(":/bitmaps/page_next.bmp");
    case res::TreeClosed: return QStringLiteral(":/bitmaps/tree_closed.bmp");
    case res::TreeOpen: return QStringLiteral(":/bitmaps/tree_open.bmp");
    case res::SliderCursor: return QStringLiteral(":/bitmaps/slider_cursor.png");
    case res::AboutPicture: return QStringLiteral(":/bitmaps/about.bmp");
    default: return {};
    }
}

void InitResources()
{
    InitVeskResources();
}

} // namespace vesk
