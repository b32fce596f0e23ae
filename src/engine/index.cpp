#include "engine/index.h"

#include "engine/report.h"
#include "textstore/read_only_file.h"

#include <bit>
#include <cstring>

namespace vesk {
namespace {

static_assert(std::endian::native == std::endian::little, "the index tables are read in place as little-endian");

constexpr std::uint64_t kFirstBlockOffset = 0;
constexpr std::uint64_t kLastPageOffset = 1000000;

template <typename T>
bool ReadTable(const ReadOnlyFile& file, std::uint64_t offset, std::vector<T>& table, std::size_t count)
{
    table.assign(count, T{});
    const std::span<std::uint8_t> bytes(reinterpret_cast<std::uint8_t*>(table.data()), count * sizeof(T));
    return file.ReadAt(offset, bytes);
}

} // namespace

bool CIndex::LoadDirectory(const std::filesystem::path& path)
{
    ReadOnlyFile file;
    if (!file.Open(path))
        return false;
    const std::int64_t size = file.Size();
    if (size <= 0 || static_cast<std::uint64_t>(size) < kIndexTablesSize ||
        static_cast<std::uint64_t>(size) - kIndexTablesSize > std::uint64_t{0xFFFFFFFF} * 4) {
        ReportDiagnostic(path.string() + ": shorter than its key tables");
        return false;
    }
    m_nBlockLinks = static_cast<std::uint32_t>((static_cast<std::uint64_t>(size) - kIndexTablesSize) / 4);
    if (!ReadTable(file, kFirstBlockOffset, m_pFirstBlock, kIndexKeys) ||
        !ReadTable(file, kLastPageOffset, m_pLastPage, kIndexKeys) ||
        !ReadTable(file, kIndexTablesSize, m_pBlockLink, m_nBlockLinks)) {
        ReportDiagnostic(path.string() + ": read error");
        return false;
    }
    return true;
}

int CIndex::Open(const std::filesystem::path& folder, std::string_view baseName, int type)
{
    Close();
    // Opened now, parsed by the first search or page that asks for variants.
    m_variantGroups.LoadOnFirstUse(folder);
    std::string base(baseName);
    if (type == kIndexMain)
        base += "_content";
    else if (type == kIndexAnnotations)
        base += "_desc";
    m_nResults = 0;
    m_arrPages.clear();
    m_arrCounts.clear();

    bool ok = LoadDirectory(folder / (base + "-idx.h"));
    if (ok && !m_dataMap.Open(folder / (base + "-idx.m"))) {
        ReportDiagnostic((folder / (base + "-idx.m")).string() + ": cannot be mapped");
        ok = false;
    }
    if (ok && !m_fileList.Open(folder, baseName)) {
        ReportDiagnostic((folder / (std::string(baseName) + "-fl.h")).string() + ": page store cannot be opened");
        ok = false;
    }
    if (!ok) {
        ReportMessage(kMessageCannotOpenData);
        Close();
        return 0;
    }
    m_bOpen = true;
    return 1;
}

void CIndex::Close()
{
    m_pFirstBlock = {};
    m_pLastPage = {};
    m_pBlockLink = {};
    m_nBlockLinks = 0;
    m_skipTables.Clear();
    m_dataMap.Close();
    m_fileList.Close();
    m_bOpen = false;
}

} // namespace vesk
