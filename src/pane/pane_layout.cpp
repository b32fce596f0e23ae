#include "pane/pane_layout.h"

namespace vesk {
namespace {

ControlPlacement Place(int id, int x, int y, int w, int h)
{
    return {id, true, true, {x, y, w, h}};
}

ControlPlacement Hide(int id)
{
    return {id, false, false, {}};
}

void SearchTab(const PaneLayoutInput& in, std::vector<ControlPlacement>& out)
{
    const int w = in.width;
    const int h = in.height;
    out.push_back(Hide(ctl::ContentsTree));
    out.push_back(Hide(ctl::KeywordEdit));
    out.push_back(Place(ctl::Prompt, 5, 28, w - 10, 15));
    out.push_back(Place(ctl::KeywordBox, 5, 45, w - 60, 25));
    out.push_back(Place(ctl::SearchButton, w - 50, 45, 45, 25));
    out.push_back(Place(ctl::Separator, 4, 75, w - 8, 1));
    out.push_back(Place(ctl::Variant, 5, 80, w - 15, 15));
    out.push_back(Place(ctl::AndOrFrame, 5, 100, w - 10, 40));
    out.push_back(Place(ctl::And, 10, 115, 50, 20));
    out.push_back(Place(ctl::Or, w - 70, 115, 50, 20));
    out.push_back(Place(ctl::TargetFrame, 5, 145, w - 10, 40));
    out.push_back(Place(ctl::TargetWhole, 10, 160, 60, 20));
    out.push_back(Place(ctl::TargetMain, 97, 160, 60, 20));
    out.push_back(Place(ctl::TargetNotes, 189, 160, 60, 20));
    out.push_back(Place(ctl::ScopeFrame, 5, 190, w - 10, 40));
    out.push_back(Place(ctl::ScopeLabel, 10, 205, w - 30, 20));
    out.push_back(Place(ctl::Summary, 5, 235, w - 15, 15));

    // The paging row sits at the bottom while there are result pages;
    // otherwise it is left as it is (hidden by then) and takes no room.
    int rowHeight = 0;
    if (in.resultPages > 0) {
        const int b = in.prevButtonWidth;
        rowHeight = in.prevButtonHeight + 2;
        const int y = h - 3 - rowHeight;
        out.push_back(Place(ctl::PrevListPage, 5, y, b, 32));
        out.push_back(Place(ctl::NextListPage, w - b - 5, y, b, 32));
        const int x = (w - 139) / 2 + 37;
        out.push_back(Place(ctl::ListPageBox, x, y + 6, 35, 20));
        out.push_back(Place(ctl::ListPageTotal, x + 37, y + 8, 30, 24));
    }
    out.push_back(Place(ctl::ResultList, 5, 250, w - 10, h - 254 - rowHeight));
}

void ContentsTab(const PaneLayoutInput& in, std::vector<ControlPlacement>& out)
{
    for (int id : {ctl::AndOrFrame, ctl::ScopeFrame, ctl::TargetFrame, ctl::SearchButton,
                   ctl::KeywordEdit, ctl::And, ctl::Or, ctl::TargetWhole, ctl::TargetMain,
                   ctl::TargetNotes, ctl::Prompt, ctl::Summary, ctl::ScopeLabel,
                   ctl::ListPageTotal, ctl::Separator, ctl::KeywordBox, ctl::Variant,
                   ctl::PrevListPage, ctl::NextListPage, ctl::ListPageBox, ctl::ResultList})
        out.push_back(Hide(id));
    out.push_back(Place(ctl::ContentsTree, 5, 26, in.width - 10, in.height - 30));
}

} // namespace

std::vector<ControlPlacement> ComputePaneLayout(const PaneLayoutInput& in)
{
    std::vector<ControlPlacement> out;
    out.push_back(Place(ctl::Tabs, 0, 0, in.width - 1, in.height - 1));
    if (in.tab == 1)
        SearchTab(in, out);
    else
        ContentsTab(in, out);
    return out;
}

const ControlPlacement* FindPlacement(const std::vector<ControlPlacement>& layout, int id)
{
    for (const ControlPlacement& placement : layout)
        if (placement.id == id)
            return &placement;
    return nullptr;
}

} // namespace vesk
