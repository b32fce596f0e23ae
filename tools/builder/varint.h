#pragma once
// The variable-length number of the posting data: 1 byte below 0x80, 2 bytes
// (0x80 | v >> 8, v & 0xFF) below 0x4000, 3 bytes (0xC0 | v >> 16, v >> 8,
// v) up to kMaxVarint.
#include <cstdint>
#include <vector>

namespace vesk::build {

inline constexpr std::uint32_t kMaxVarint = 4194303; // 0x3FFFFF

// Appends v, which the caller has checked is at most kMaxVarint.
inline void AppendVarint(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    if (v < 0x80) {
        out.push_back(static_cast<std::uint8_t>(v));
    } else if (v < 0x4000) {
        out.push_back(static_cast<std::uint8_t>(0x80 | (v >> 8)));
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xC0 | (v >> 16)));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
}

} // namespace vesk::build
