#pragma once
// Helpers shared by the fuzz targets: one input split into several parts,
// small readers of little-endian numbers, and a quiet reporting hook.
#include "engine/report.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::fuzz {

// Parts of one input are separated by this marker (also in vesk.dict).
inline constexpr std::string_view kPartMarker = "|VESK|";

// Splits input at the marker into at most maxParts parts; the last part keeps
// the rest of the input, markers included. Missing parts are empty.
inline std::vector<std::string_view> SplitParts(const std::uint8_t* data, std::size_t size, std::size_t maxParts)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const std::size_t at = rest.find(kPartMarker);
        if (at == std::string_view::npos)
            break;
        parts.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kPartMarker.size());
    }
    parts.push_back(rest);
    parts.resize(maxParts);
    return parts;
}

// Joins parts with the marker: the inverse of SplitParts, for writing seeds.
inline std::string JoinParts(const std::vector<std::string>& parts)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += kPartMarker;
        out += parts[i];
    }
    return out;
}

// The i-th byte of part, 0 past its end.
inline std::uint8_t ByteAt(std::string_view part, std::size_t i)
{
    return i < part.size() ? static_cast<std::uint8_t>(part[i]) : 0;
}

inline std::uint32_t U32At(std::string_view part, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t k = 4; k-- > 0;)
        v = v << 8 | ByteAt(part, at + k);
    return v;
}

// The lines of part (split at LF), at most maxLines of them, empty ones skipped.
inline std::vector<std::string_view> Lines(std::string_view part, std::size_t maxLines)
{
    std::vector<std::string_view> lines;
    while (!part.empty() && lines.size() < maxLines) {
        const std::size_t end = part.find('\n');
        const std::string_view line = part.substr(0, end);
        if (!line.empty())
            lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        part.remove_prefix(end + 1);
    }
    return lines;
}

// UTF-16 code units from pairs of bytes, low byte first (an odd last byte is dropped).
inline std::u16string Utf16FromBytes(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                            static_cast<std::uint8_t>(bytes[i + 1]) << 8));
    return out;
}

// Installs a reporting hook that drops everything (a fuzz run would otherwise
// print "データを開けませんでした。" for most inputs).
inline void SilenceReports()
{
    SetReportHandler([](ReportKind, std::string_view) {});
}

// Stops the run with a message when a property that must hold does not.
[[noreturn]] void Fail(const char* what);

inline void Require(bool condition, const char* what)
{
    if (!condition)
        Fail(what);
}

} // namespace vesk::fuzz
