#pragma once
// The hit page exactly as the passes define it, without any shortcut: every
// keyword after splitting runs a full pass unless its bytes were seen before.
// The tests compare the real generator and the variant walk against it.
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk::testing {

std::int32_t ReferenceHitPage(std::string_view storedPage, std::int64_t pageNumber,
                              std::u16string_view keywords, std::int32_t target, std::string& out);

} // namespace vesk::testing
