#include "engine/variant_table.h"

#include <algorithm>
#include <fstream>
#include <string>

namespace vesk {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// An unsigned 32-bit base-16 conversion in the manner of strtoul: overflow
// gives the largest value, a minus sign negates modulo 2^32.
std::uint32_t ParseHex(std::string_view field)
{
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    if (i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') &&
        HexDigit(field[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    bool overflow = false;
    for (int digit = 0; i < field.size() && (digit = HexDigit(field[i])) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value = 0xFFFFFFFFu;
        }
    }
    if (overflow)
        return 0xFFFFFFFFu;
    const auto result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

} // namespace

void VariantTable::Clear()
{
    m_groups.clear();
    m_firstGroup.clear();
}

bool VariantTable::Load(const std::filesystem::path& folder)
{
    Clear();
    std::ifstream in(folder / "yitizi.txt", std::ios::binary);
    if (!in)
        return false;
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return false;
    Parse(bytes);
    return true;
}

void VariantTable::Parse(std::string_view bytes)
{
    Clear();
    const auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    m_groups.reserve(lines);
    m_firstGroup.reserve(lines + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), ',')));
    std::vector<std::uint32_t> members;
    std::size_t lineStart = 0;
    while (lineStart <= bytes.size()) {
        std::size_t lineEnd = bytes.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = bytes.size();
        const std::string_view line = bytes.substr(lineStart, lineEnd - lineStart);
        if (!line.empty()) {
            std::vector<std::uint32_t>& group = members; // reused: one exact allocation per group below
            group.clear();
            std::size_t fieldStart = 0;
            while (fieldStart <= line.size()) {
                std::size_t fieldEnd = line.find(',', fieldStart);
                if (fieldEnd == std::string_view::npos)
                    fieldEnd = line.size();
                if (fieldEnd > fieldStart)
                    group.push_back(ParseHex(line.substr(fieldStart, fieldEnd - fieldStart)));
                fieldStart = fieldEnd + 1;
            }
            const auto number = static_cast<std::uint32_t>(m_groups.size());
            for (std::uint32_t member : group)
                m_firstGroup.emplace_back(member, number);
            m_groups.emplace_back(group.begin(), group.end());
        }
        lineStart = lineEnd + 1;
    }
    // Sorted by code point, then group: the first of each code point's run is
    // the first group holding it.
    std::ranges::sort(m_firstGroup);
    const auto last = std::unique(m_firstGroup.begin(), m_firstGroup.end(),
                                  [](const auto& a, const auto& b) { return a.first == b.first; });
    m_firstGroup.erase(last, m_firstGroup.end());
}

bool VariantTable::FindKey(std::uint32_t codePoint, std::uint32_t& key) const
{
    const auto it = std::lower_bound(m_firstGroup.begin(), m_firstGroup.end(), codePoint,
                                     [](const auto& entry, std::uint32_t c) { return entry.first < c; });
    if (it == m_firstGroup.end() || it->first != codePoint)
        return false;
    key = kFirstVariantKey + it->second;
    return true;
}

} // namespace vesk
