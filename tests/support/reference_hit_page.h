#pragma once
// The hit page exactly as the passes define it, without any shortcut: every
// keyword after splitting runs a full pass unless its bytes were seen before.
// The tests compare the real generator and the variant walk against it.
#include <cstdint>
#include <string>
#include <string_view>

#include "textstore/hit_marker.h"

namespace vesk::testing {

// The marking walk step by step, every search a plain search from the
// current position.
std::int32_t ReferenceMarkPattern(std::string_view text, const Pattern& pattern, std::string& out,
                                  std::int32_t& anchorCounter);

std::int32_t ReferenceHitPage(std::string_view storedPage, std::int64_t pageNumber,
                              std::u16string_view keywords, std::int32_t target, std::string& out);

} // namespace vesk::testing
