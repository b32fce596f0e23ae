#include "textstore/file_list.h"

#include <array>
#include <climits>
#include <vector>

namespace vesk {
namespace {

std::int32_t ReadI32(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 |
                                     static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(ReadI32(p));
}

// The way atoi reads a number: leading blanks, an optional sign, digits up to
// the first non-digit; no digits gives 0. Clamped to the 32-bit range.
std::int32_t ReadDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{INT32_MAX} + 1)
            value = std::int64_t{INT32_MAX} + 1;
    }
    if (negative)
        return static_cast<std::int32_t>(-value); // at most INT32_MAX + 1, so fits
    return static_cast<std::int32_t>(value > INT32_MAX ? INT32_MAX : value);
}

} // namespace

std::optional<std::int32_t> CFileList::PageNumberFromName(std::string_view name)
{
    const std::size_t slash = name.rfind('\\');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < slash)
        return std::nullopt;
    return ReadDecimal(name.substr(slash + 1, dot - slash - 1));
}

bool CFileList::Open(const std::filesystem::path& folder, std::string_view baseName)
{
    Close();
    const std::string base(baseName);
    if (!m_fileDir.Open(folder / (base + "-fl.h")) || !m_fileContent.Open(folder / (base + "-fl.cnt"))) {
        Close();
        return false;
    }
    const std::int64_t dirSize = m_fileDir.Size();
    const std::int64_t contentSize = m_fileContent.Size();
    std::array<std::uint8_t, kHeaderSize> header{};
    if (dirSize < kHeaderSize || dirSize > kMaxFileSize || contentSize < 0 || contentSize > kMaxFileSize ||
        !m_fileDir.ReadAt(0, header)) {
        Close();
        return false;
    }
    const std::int32_t width = ReadI32(header.data() + 4);
    if (width < 1 || width > kMaxNameWidth) {
        Close();
        return false;
    }
    m_nHeaderValue = ReadI32(header.data());
    m_nNameWidth = width;
    m_bOpen = true;
    return true;
}

void CFileList::Close()
{
    m_fileDir.Close();
    m_fileContent.Close();
    m_bOpen = false;
}

std::uint64_t CFileList::EntryOffset(std::uint32_t index) const
{
    return kHeaderSize + std::uint64_t{index} * static_cast<std::uint64_t>(m_nNameWidth + 8);
}

std::uint32_t CFileList::GetRecordCount() const
{
    if (!m_bOpen)
        return 0;
    const std::int64_t size = m_fileDir.Size();
    if (size < kHeaderSize)
        return 0;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(size) - kHeaderSize) /
                                      static_cast<std::uint64_t>(m_nNameWidth + 8));
}

bool CFileList::ReadEntryBounds(std::uint32_t index, std::uint32_t& end, std::uint32_t& length) const
{
    if (!m_bOpen || index >= GetRecordCount())
        return false;
    std::array<std::uint8_t, 8> fields{};
    if (!m_fileDir.ReadAt(EntryOffset(index) + static_cast<std::uint64_t>(m_nNameWidth), fields))
        return false;
    end = ReadU32(fields.data());
    length = ReadU32(fields.data() + 4);
    return true;
}

bool CFileList::ReadCheckedBounds(std::uint32_t index, std::uint32_t& end, std::uint32_t& length) const
{
    std::uint32_t e = 0, n = 0;
    if (!ReadEntryBounds(index, e, n))
        return false;
    const std::int64_t contentSize = m_fileContent.Size();
    if (contentSize < 0 || e > static_cast<std::uint64_t>(contentSize) || n > e)
        return false;
    end = e;
    length = n;
    return true;
}

bool CFileList::GetRecordLength(std::uint32_t index, std::uint32_t& length) const
{
    std::uint32_t end = 0;
    return ReadCheckedBounds(index, end, length);
}

bool CFileList::ReadRecord(std::uint32_t index, std::span<char> buffer) const
{
    std::uint32_t end = 0, length = 0;
    if (!ReadCheckedBounds(index, end, length) || buffer.size() < length)
        return false;
    const std::span<std::uint8_t> bytes(reinterpret_cast<std::uint8_t*>(buffer.data()), length);
    if (!m_fileContent.ReadAt(end - length, bytes))
        return false;
    for (std::uint8_t& b : bytes)
        b ^= kContentKey;
    return true;
}

bool CFileList::ReadCheckedEntry(std::uint32_t index, std::string* name, std::uint32_t& end,
                                 std::uint32_t& length) const
{
    if (!m_bOpen || index >= GetRecordCount())
        return false;
    std::array<std::uint8_t, kMaxNameWidth + 8> entry{};
    const auto width = static_cast<std::size_t>(m_nNameWidth);
    if (!m_fileDir.ReadAt(EntryOffset(index), std::span<std::uint8_t>(entry.data(), width + 8)))
        return false;
    const std::uint32_t e = ReadU32(entry.data() + width);
    const std::uint32_t n = ReadU32(entry.data() + width + 4);
    const std::int64_t contentSize = m_fileContent.Size();
    if (contentSize < 0 || e > static_cast<std::uint64_t>(contentSize) || n > e)
        return false;
    if (name) {
        std::size_t nameLength = 0;
        while (nameLength < width && entry[nameLength] != 0)
            ++nameLength;
        name->assign(reinterpret_cast<const char*>(entry.data()), nameLength);
    }
    end = e;
    length = n;
    return true;
}

bool CFileList::ReadContent(std::uint32_t end, std::uint32_t length, std::string& page) const
{
    std::string bytes(length, '\0');
    if (!m_fileContent.ReadAt(end - length, std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(bytes.data()),
                                                                    bytes.size())))
        return false;
    for (char& b : bytes)
        b = static_cast<char>(static_cast<std::uint8_t>(b) ^ kContentKey);
    page = std::move(bytes);
    return true;
}

bool CFileList::ReadRecord(std::uint32_t index, std::string& page) const
{
    std::uint32_t end = 0, length = 0;
    return ReadCheckedEntry(index, nullptr, end, length) && ReadContent(end, length, page);
}

bool CFileList::ReadRecordAndName(std::uint32_t index, std::string& page, std::string& name) const
{
    std::uint32_t end = 0, length = 0;
    return ReadCheckedEntry(index, &name, end, length) && ReadContent(end, length, page);
}

bool CFileList::ReadFileName(std::uint32_t index, std::string& name) const
{
    if (!m_bOpen || index >= GetRecordCount())
        return false;
    std::array<std::uint8_t, kMaxNameWidth> field{};
    const std::span<std::uint8_t> bytes(field.data(), static_cast<std::size_t>(m_nNameWidth));
    if (!m_fileDir.ReadAt(EntryOffset(index), bytes))
        return false;
    std::size_t length = 0;
    while (length < bytes.size() && bytes[length] != 0)
        ++length;
    name.assign(reinterpret_cast<const char*>(bytes.data()), length);
    return true;
}

bool CFileList::FindRecordByNumber(std::int32_t start, std::int32_t pageNumber, std::int32_t& found) const
{
    if (!m_bOpen)
        return false;
    if (start < 0) { // before the first entry: nothing to examine
        found = start == INT32_MIN ? start : start - 1;
        return false;
    }
    found = start - 1;
    const std::uint32_t count = GetRecordCount();
    std::string name;
    for (auto index = static_cast<std::uint32_t>(start); index < count; ++index) {
        found = static_cast<std::int32_t>(index);
        if (!ReadFileName(index, name))
            return false;
        const std::optional<std::int32_t> number = PageNumberFromName(name);
        if (number && *number == pageNumber)
            return true;
    }
    return false;
}

} // namespace vesk
