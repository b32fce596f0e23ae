#include "engine/variant_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>

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

// Sorts entries by code point, keeping the order of entries with the same
// code point (a stable LSD radix sort on 11-bit digits; a digit that is the
// same in every entry costs no pass). The entries come in group order, so
// each code point's run starts with its first group.
void SortByCodePoint(std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries)
{
    constexpr int kDigitBits = 11;
    constexpr std::uint32_t kDigits = 1u << kDigitBits;
    constexpr int kPasses = (32 + kDigitBits - 1) / kDigitBits;
    std::vector<std::uint32_t> counts(std::size_t{kPasses} * kDigits, 0); // entries < 2^32
    for (const auto& entry : entries)
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[std::size_t{kDigits} * pass + ((entry.first >> (pass * kDigitBits)) & (kDigits - 1))];
    std::vector<std::pair<std::uint32_t, std::uint32_t>> scratch(entries.size());
    for (int pass = 0; pass < kPasses; ++pass) {
        std::uint32_t* const count = counts.data() + std::size_t{kDigits} * pass;
        if (std::find(count, count + kDigits, entries.size()) != count + kDigits)
            continue; // every entry has this digit
        std::uint32_t next = 0;
        for (std::uint32_t d = 0; d < kDigits; ++d)
            next += std::exchange(count[d], next);
        for (const auto& entry : entries)
            scratch[count[(entry.first >> (pass * kDigitBits)) & (kDigits - 1)]++] = entry;
        entries.swap(scratch);
    }
}

} // namespace

std::string_view UsableVariantBytes(std::string_view bytes)
{
    if (bytes.size() <= kMaxVariantTableBytes)
        return bytes;
    const std::size_t lastEnd = bytes.substr(0, kMaxVariantTableBytes).rfind('\n');
    return bytes.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
}

void VariantTable::Clear()
{
    m_pending.Close();
    m_members.clear();
    m_groupStarts.assign(1, 0);
    m_firstGroup.clear();
    m_lookupSorted = false;
    m_lookups = 0;
    m_groups.clear();
    m_groupsBuilt = true;
}

bool VariantTable::Load(const std::filesystem::path& folder)
{
    LoadOnFirstUse(folder);
    return ParsePending();
}

void VariantTable::LoadOnFirstUse(const std::filesystem::path& folder)
{
    Clear();
    m_pending.Open(folder / "yitizi.txt");
}

bool VariantTable::ParsePending() const
{
    if (!m_pending.IsOpen())
        return false;
    const bool read = ReadAndParse(m_pending);
    m_pending.Close();
    if (!read) { // no groups
        StartParse(0);
        m_groupsBuilt = false;
    }
    return read;
}

// The file is read a few kilobytes at a time and parsed a whole line at a
// time, so that its text needs no memory of its own (in a short process,
// every fresh 4 KiB costs a page fault). The groups are those of
// UsableVariantBytes of the file's first kMaxVariantTableBytes + 1 bytes.
bool VariantTable::ReadAndParse(const ReadOnlyFile& file) const
{
    constexpr std::size_t kChunk = 8192;
    const std::int64_t size = file.Size();
    StartParse(size > 0 ? std::min<std::size_t>(static_cast<std::size_t>(size), kMaxVariantTableBytes) : 0);
    std::string buffer(kChunk, '\0'); // grows only for a line longer than itself
    std::size_t held = 0;              // the start of a line, not yet parsed
    std::uint64_t offset = 0;          // of the file, read so far
    const std::uint64_t limit = kMaxVariantTableBytes + 1;
    while (offset < limit) {
        if (held == buffer.size())
            buffer.resize(std::min<std::uint64_t>(2 * buffer.size(), limit));
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - held, limit - offset));
        const ssize_t n = ::pread(file.Descriptor(), buffer.data() + held, want, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        offset += static_cast<std::uint64_t>(n);
        held += static_cast<std::size_t>(n);
        // Past the limit, the byte at kMaxVariantTableBytes is not the
        // table's: only lines that end before it count.
        const std::string_view seen(buffer.data(), offset == limit ? held - 1 : held);
        const std::size_t lastEnd = seen.rfind('\n');
        if (lastEnd == std::string_view::npos)
            continue;
        ParseLines(seen.substr(0, lastEnd + 1));
        held -= lastEnd + 1;
        std::memmove(buffer.data(), buffer.data() + lastEnd + 1, held);
    }
    // A last line without its newline counts when the file is within the limit.
    if (offset < limit)
        ParseLines(std::string_view(buffer.data(), held));
    return true;
}

void VariantTable::Parse(std::string_view bytes)
{
    Clear();
    ParseInto(bytes);
}

const VariantGroups& VariantTable::Groups() const
{
    if (m_pending.IsOpen())
        ParsePending();
    if (!m_groupsBuilt) {
        m_groups.clear();
        m_groups.reserve(m_groupStarts.size() - 1);
        for (std::size_t g = 0; g + 1 < m_groupStarts.size(); ++g)
            m_groups.emplace_back(m_members.begin() + m_groupStarts[g], m_members.begin() + m_groupStarts[g + 1]);
        m_groupsBuilt = true;
    }
    return m_groups;
}

// Empties the table and makes room for the groups of a table of size bytes
// at once: grown by doubling, the arrays would copy themselves into fresh
// memory, and in a short process each fresh page costs a fault, which is
// most of what loading the table costs. A field takes two bytes at least
// (with its separator), a line one; the room beyond what is used is never
// touched.
void VariantTable::StartParse(std::size_t size) const
{
    m_members.clear();
    m_groupStarts.assign(1, 0);
    m_firstGroup.clear();
    m_lookupSorted = false;
    m_lookups = 0;
    m_groups.clear();
    m_members.reserve(size / 2 + 1);
    m_groupStarts.reserve(size + 2);
}

void VariantTable::ParseInto(std::string_view bytes) const
{
    StartParse(bytes.size());
    ParseLines(bytes);
}

void VariantTable::ParseLines(std::string_view bytes) const
{
    // One pass over the fields; a line holding any byte, even a lone
    // separator or CR, is a group.
    bool lineHasBytes = false;
    const std::size_t size = bytes.size();
    for (std::size_t i = 0;;) {
        const std::size_t fieldStart = i;
        // The usual field, up to 8 hexadecimal digits, is read as it is
        // scanned; anything else goes through ParseHex.
        std::uint32_t value = 0;
        for (int digit = 0; i < size && i - fieldStart < 8 && (digit = HexDigit(bytes[i])) >= 0; ++i)
            value = value * 16 + static_cast<std::uint32_t>(digit);
        if (i == size || bytes[i] == ',' || bytes[i] == '\n') {
            if (i > fieldStart) {
                m_members.push_back(value);
                lineHasBytes = true;
            }
        } else {
            while (i < size && bytes[i] != ',' && bytes[i] != '\n')
                ++i;
            m_members.push_back(ParseHex(bytes.substr(fieldStart, i - fieldStart)));
            lineHasBytes = true;
        }
        if (i < size && bytes[i] == ',') {
            lineHasBytes = true;
            ++i;
            continue;
        }
        if (lineHasBytes)
            m_groupStarts.push_back(static_cast<std::uint32_t>(m_members.size())); // < 8 MiB
        lineHasBytes = false;
        if (i >= size)
            break;
        ++i; // past the line's '\n'
    }
    m_groupsBuilt = false;
}

void VariantTable::SortLookup() const
{
    m_firstGroup.clear();
    m_firstGroup.reserve(m_members.size());
    for (std::size_t g = 0; g + 1 < m_groupStarts.size(); ++g)
        for (std::size_t m = m_groupStarts[g]; m < m_groupStarts[g + 1]; ++m)
            m_firstGroup.emplace_back(m_members[m], static_cast<std::uint32_t>(g));
    // Sorted by code point, each code point's entries in group order: the
    // first of each run is the first group holding it.
    SortByCodePoint(m_firstGroup);
    const auto last = std::unique(m_firstGroup.begin(), m_firstGroup.end(),
                                  [](const auto& a, const auto& b) { return a.first == b.first; });
    m_firstGroup.erase(last, m_firstGroup.end());
    m_lookupSorted = true;
}

bool VariantTable::FindKey(std::uint32_t codePoint, std::uint32_t& key) const
{
    if (m_pending.IsOpen())
        ParsePending();
    // Walking the members costs about what sorting them costs after this
    // many lookups.
    constexpr std::uint32_t kWalkedLookups = 32;
    if (!m_lookupSorted && m_lookups < kWalkedLookups) {
        ++m_lookups;
        // The members in group order: the first match is in the first group.
        const auto member = std::find(m_members.begin(), m_members.end(), codePoint);
        if (member == m_members.end())
            return false;
        const auto at = static_cast<std::uint32_t>(member - m_members.begin());
        const auto group = std::upper_bound(m_groupStarts.begin(), m_groupStarts.end(), at) - m_groupStarts.begin() - 1;
        key = kFirstVariantKey + static_cast<std::uint32_t>(group);
        return true;
    }
    if (!m_lookupSorted)
        SortLookup();
    const auto it = std::lower_bound(m_firstGroup.begin(), m_firstGroup.end(), codePoint,
                                     [](const auto& entry, std::uint32_t c) { return entry.first < c; });
    if (it == m_firstGroup.end() || it->first != codePoint)
        return false;
    key = kFirstVariantKey + it->second;
    return true;
}

} // namespace vesk
