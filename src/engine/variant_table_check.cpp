#include "engine/variant_table_check.h"

#include "engine/index.h"
#include "engine/variant_table.h"
#include "textstore/read_only_file.h"
#include "textstore/split_pieces.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vesk {
namespace {

constexpr std::size_t kGroupKeys = kVariantGroupKeys;
static_assert(kGroupKeys == kIndexKeys - kFirstVariantKey);
constexpr std::size_t kShownFieldBytes = 24;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// True when the loader reads the field as the number it spells: blanks, an
// optional "+", an optional "0x" before the digits, hexadecimal digits, then
// only blanks (a CR before the line's LF among them).
bool IsPlainHexNumber(std::string_view field)
{
    std::size_t i = 0;
    while (i < field.size() && IsBlank(field[i]))
        ++i;
    if (i < field.size() && field[i] == '+')
        ++i;
    if (i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') &&
        IsHexDigit(field[i + 2]))
        i += 2;
    const std::size_t digits = i;
    while (i < field.size() && IsHexDigit(field[i]))
        ++i;
    if (i == digits)
        return false;
    while (i < field.size() && IsBlank(field[i]))
        ++i;
    return i == field.size();
}

// The field in quotes, control and non-ASCII bytes escaped, long fields cut.
std::string Quoted(std::string_view field)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < field.size() && i < kShownFieldBytes; ++i) {
        const auto c = static_cast<unsigned char>(field[i]);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (field.size() > kShownFieldBytes)
        out += "...";
    return out + "\"";
}

std::string Hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

// "1 group", "2 groups".
std::string Count(std::size_t n, std::string_view noun)
{
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

// Why the loader's member is not a character, or empty when it is one.
std::string_view NotAScalarValue(std::uint32_t member)
{
    if (member > 0x10FFFF)
        return "beyond 10FFFF";
    if (member >= 0xD800 && member <= 0xDFFF)
        return "a surrogate";
    return {};
}

// Names misread members, counting those past the listing limit.
class MemberProblems {
public:
    explicit MemberProblems(std::vector<std::string>& problems) : m_problems(problems) {}

    void Add(std::size_t line, std::size_t group, std::size_t member, std::string_view field,
             std::uint32_t read)
    {
        std::string what;
        if (!IsPlainHexNumber(field))
            what = " is not a hexadecimal number (read as " + Hex(read) + ")";
        else if (const std::string_view why = NotAScalarValue(read); !why.empty())
            what = " is not a Unicode scalar value (" + std::string(why) + ")";
        else
            return;
        if (++m_count > kMaxListedMemberProblems)
            return;
        m_problems.push_back("yitizi.txt line " + std::to_string(line) + " (group " + std::to_string(group) +
                             "): member " + std::to_string(member) + " " + Quoted(field) + what);
    }

    void Finish()
    {
        if (m_count > kMaxListedMemberProblems)
            m_problems.push_back("yitizi.txt: " + std::to_string(m_count - kMaxListedMemberProblems) +
                                 " more members misread as above (not listed)");
    }

private:
    std::vector<std::string>& m_problems;
    std::size_t m_count = 0;
};

// Names postings under group keys from groupCount on in folder/base-idx.h.
void CheckGroupKeys(const std::filesystem::path& folder, std::string_view base, std::size_t groupCount,
                    std::vector<std::string>& problems)
{
    if (groupCount >= kGroupKeys)
        return;
    const std::string dirName = std::string(base) + "-idx.h";
    ReadOnlyFile dir;
    std::array<std::int32_t, kGroupKeys> firstBlocks; // filled by the read
    const std::size_t count = kGroupKeys - groupCount;
    if (!dir.Open(folder / dirName) || dir.Size() < static_cast<std::int64_t>(kIndexTablesSize) ||
        !dir.ReadAt((std::uint64_t{kFirstVariantKey} + groupCount) * 4,
                    {reinterpret_cast<std::uint8_t*>(firstBlocks.data()), count * 4}))
        return; // named by CheckIndexFiles
    // Runs of keys without postings are passed with one comparison each.
    constexpr std::size_t kRun = 64;
    static constexpr auto kNoPostings = [] {
        std::array<std::int32_t, kRun> none{};
        none.fill(-1);
        return none;
    }();
    std::size_t unreachable = 0;
    std::size_t firstGroup = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % kRun == 0 && count - i >= kRun &&
            std::memcmp(firstBlocks.data() + i, kNoPostings.data(), sizeof kNoPostings) == 0) {
            i += kRun - 1;
            continue;
        }
        if (firstBlocks[i] == -1)
            continue;
        if (unreachable++ == 0)
            firstGroup = groupCount + i;
    }
    if (unreachable > 0)
        problems.push_back(dirName + ": key " + std::to_string(kFirstVariantKey + firstGroup) + ": postings of group " +
                           std::to_string(firstGroup) + ", but yitizi.txt has " + Count(groupCount, "group") +
                           " (" + Count(unreachable, "group key") + " out of reach)");
}

// The table's bytes up to one past what readers use (a larger file shows as
// too large without being read whole).
bool ReadTable(const std::filesystem::path& path, std::string& bytes)
{
    ReadOnlyFile file;
    return file.Open(path) && file.ReadPrefix(kMaxVariantTableBytes + 1, bytes);
}

} // namespace

bool CheckVariantTableBytes(std::string_view bytes, std::vector<std::string>& problems, std::size_t& groupCount)
{
    const std::size_t before = problems.size();
    if (bytes.size() > kMaxVariantTableBytes) {
        bytes = UsableVariantBytes(bytes);
        problems.push_back("yitizi.txt: larger than " + std::to_string(kMaxVariantTableBytes) +
                           " bytes; readers use only its " + std::to_string(bytes.size()) +
                           " bytes of complete lines before that");
    }
    // The loader's own reading gives the members it keeps; the walk below
    // splits lines and fields exactly as it does, so group g and member m
    // here are its group g and member m.
    VariantTable table;
    table.Parse(bytes);
    const VariantGroups& groups = table.Groups();
    groupCount = groups.size();

    MemberProblems members(problems);
    std::size_t line = 0;
    std::size_t group = 0;
    std::size_t firstLineOutside = 0;
    ForEachPiece(bytes, '\n', [&](std::string_view text) {
        ++line;
        if (text.empty())
            return;
        if (group == kGroupKeys)
            firstLineOutside = line;
        std::size_t member = 0;
        ForEachPiece(text, ',', [&](std::string_view field) {
            if (field.empty())
                return;
            if (group < groups.size() && member < groups[group].size())
                members.Add(line, group, member + 1, field, groups[group][member]);
            ++member;
        });
        ++group;
    });
    members.Finish();
    if (groupCount > kGroupKeys)
        problems.push_back("yitizi.txt line " + std::to_string(firstLineOutside) + " (group " +
                           std::to_string(kGroupKeys) + "): " + std::to_string(groupCount) + " groups; group " +
                           std::to_string(kGroupKeys) + " and the " + std::to_string(groupCount - kGroupKeys - 1) +
                           " after it have keys past 99999, outside the key tables");
    return problems.size() == before;
}

bool CheckVariantTable(const std::filesystem::path& folder, std::vector<std::string>& problems)
{
    const std::size_t before = problems.size();
    std::size_t groupCount = 0;
    std::string bytes;
    if (ReadTable(folder / "yitizi.txt", bytes))
        CheckVariantTableBytes(bytes, problems, groupCount);
    else
        problems.push_back("yitizi.txt: cannot be read; searches with variants take every character by itself "
                           "(a data folder without variants has an empty yitizi.txt)");
    for (const char* base : {"Index", "Index_content", "Index_desc"})
        CheckGroupKeys(folder, base, groupCount, problems);
    return problems.size() == before;
}

} // namespace vesk
