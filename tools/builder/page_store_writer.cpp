#include "builder/page_store_writer.h"

#include "builder/source_file.h"

#include <algorithm>
#include <cstdio>

namespace vesk::build {
namespace {

constexpr std::uint64_t kMaxStoreBytes = 0x7FFFFFFF;
constexpr std::size_t kEntryBuffer = std::size_t{1} << 20; // directory bytes gathered per write

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

} // namespace

std::string StorePageName(std::string_view folder, std::uint32_t pageNumber)
{
    std::string name(folder);
    std::ranges::replace(name, '/', '\\');
    char number[16];
    std::snprintf(number, sizeof number, "\\%04u.htm", static_cast<unsigned>(pageNumber));
    return name + number;
}

PageStoreWriter::PageStoreWriter(OutputFile& directory, OutputFile& content)
    : m_directory(directory), m_content(content)
{
}

bool PageStoreWriter::AddPage(std::string_view name, std::string_view bytes, std::string& error)
{
    if (name.size() >= static_cast<std::size_t>(kNameWidth) ||
        name.find('\0') != std::string_view::npos) {
        error = "the stored name " + QuotedText(name) + " does not fit the " +
                std::to_string(kNameWidth) + "-byte name field";
        return false;
    }
    if (bytes.size() > kMaxStoreBytes - m_end ||
        kStoreHeaderSize + (m_pages + 1ull) * (kNameWidth + 8) > kMaxStoreBytes) {
        error = "the page store would reach 2 GiB";
        return false;
    }
    m_scrambled.resize(bytes.size());
    std::ranges::transform(bytes, m_scrambled.begin(), [](char c) {
        return static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ kContentKey);
    });
    if (!m_content.Append(m_scrambled, error)) {
        m_outputFailed = true;
        return false;
    }
    m_end += bytes.size();

    const std::size_t at = m_entries.size();
    m_entries.resize(at + kNameWidth, 0);
    std::copy(name.begin(), name.end(), m_entries.begin() + static_cast<std::ptrdiff_t>(at));
    AppendU32(m_entries, static_cast<std::uint32_t>(m_end));
    AppendU32(m_entries, static_cast<std::uint32_t>(bytes.size()));
    ++m_pages;
    return m_entries.size() < kEntryBuffer || WriteEntries(error);
}

// Writes the gathered entries after those written before (the header comes
// last, when the number of pages is known).
bool PageStoreWriter::WriteEntries(std::string& error)
{
    if (!m_directory.WriteAt(kStoreHeaderSize + m_entriesWritten, m_entries, error))
        return false;
    m_entriesWritten += m_entries.size();
    m_entries.clear();
    return true;
}

bool PageStoreWriter::Finish(std::string& error)
{
    std::vector<std::uint8_t> header;
    AppendU32(header, m_pages);
    AppendU32(header, static_cast<std::uint32_t>(kNameWidth));
    header.resize(kStoreHeaderSize, 0);
    std::copy(kStoreLabel.begin(), kStoreLabel.end(), header.begin() + 8);
    return WriteEntries(error) && m_directory.WriteAt(0, header, error);
}

} // namespace vesk::build
