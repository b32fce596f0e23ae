#pragma once
// Where the search pane puts its controls for a given client size, on the
// contents tab (0) and on the search tab (1). Pure arithmetic: the pane
// applies the result to its widgets.
#include <vector>

namespace vesk {

// Control ids of the search pane.
namespace ctl {
inline constexpr int KeywordEdit = 1001;   // hidden keyword edit, never shown
inline constexpr int Prompt = 1004;
inline constexpr int ResultList = 1007;
inline constexpr int ContentsTree = 1009;
inline constexpr int Tabs = 1010;
inline constexpr int SearchButton = 1011;
inline constexpr int AndOrFrame = 1022;
inline constexpr int And = 1019;
inline constexpr int Or = 1020;
inline constexpr int Summary = 1030;
inline constexpr int ScopeFrame = 1033;
inline constexpr int ScopeLabel = 1035;
inline constexpr int KeywordBox = 1041;
inline constexpr int TargetWhole = 1042;
inline constexpr int TargetMain = 1043;
inline constexpr int TargetNotes = 1044;
inline constexpr int TargetFrame = 1045;
inline constexpr int PrevListPage = 1055;
inline constexpr int NextListPage = 1057;
inline constexpr int ListPageBox = 1058;
inline constexpr int ListPageTotal = 1059;
inline constexpr int Variant = 1061;
inline constexpr int Separator = 1062;
} // namespace ctl

struct PaneRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PaneRect&, const PaneRect&) = default;
};

// What the layout does to one control: shows or hides it, and places it
// when it has a rectangle. A control that is neither listed nor placed is
// left as it is.
struct ControlPlacement {
    int id = 0;
    bool visible = false;
    bool placed = false;
    PaneRect rect;
};

struct PaneLayoutInput {
    int width = 0;             // client width W
    int height = 0;            // client height H
    int tab = 0;               // 0 contents, 1 search
    int resultPages = 0;       // m_nResultPages
    int prevButtonWidth = 32;  // current size of "<"
    int prevButtonHeight = 32;
};

std::vector<ControlPlacement> ComputePaneLayout(const PaneLayoutInput& in);

// The placement of one control in a layout, or null when the layout leaves
// it alone.
const ControlPlacement* FindPlacement(const std::vector<ControlPlacement>& layout, int id);

} // namespace vesk
