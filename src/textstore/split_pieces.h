#pragma once
// Splitting text at a separator byte: visit(piece) for every piece, the empty
// ones included (text "a,,b," gives "a", "", "b", ""), so that callers that
// number lines count the empty ones too.
#include <string_view>

namespace vesk {

template <class Visit>
void ForEachPiece(std::string_view text, char separator, Visit&& visit)
{
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos)
            end = text.size();
        visit(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace vesk
