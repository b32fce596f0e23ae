#pragma once
// Pictures of the program by their resource numbers, and where each lies in
// the embedded resources (rendered from resources/art by render-art.sh).
#include <QString>

namespace vesk {

namespace res {
inline constexpr int ToolbarBackground = 171;
inline constexpr int ToolbarNormal = 172;
inline constexpr int ToolbarDisabled = 173;
inline constexpr int ToolbarHot = 174;
inline constexpr int PagePrevStrip = 184;
inline constexpr int PageNextStrip = 185;
inline constexpr int TreeClosed = 160;
inline constexpr int TreeOpen = 159;
inline constexpr int SliderCursor = 149;
inline constexpr int AboutPicture = 168;
} // namespace res

// The embedded file of a picture resource, or an empty string for an
// unknown number.
QString ResourcePath(int id);

// Makes the embedded resources available; called once before any window.
void InitResources();

} // namespace vesk
