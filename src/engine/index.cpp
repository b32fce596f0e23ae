#include "engine/index.h"

#include "datafolder/folder_generation.h"
#include "engine/report.h"
#include "textstore/read_only_file.h"

#include <bit>

namespace vesk {
namespace {

static_assert(std::endian::native == std::endian::little, "the index tables are read in place as little-endian");

constexpr std::uint64_t kFirstBlockOffset = 0;
constexpr std::uint64_t kLastPageOffset = 1000000;

// The key tables and at most 2^32 - 1 block links fit a directory of size.
bool TablesFit(std::uint64_t size)
{
    return size >= kIndexTablesSize && size - kIndexTablesSize <= std::uint64_t{0xFFFFFFFF} * 4;
}

} // namespace

bool CIndex::LoadDirectory(const std::filesystem::path& path)
{
    ReadOnlyFile file;
    if (!file.Open(path))
        return false;
    const std::int64_t size = file.Size();
    if (size <= 0 || !TablesFit(static_cast<std::uint64_t>(size))) {
        ReportDiagnostic(path.string() + ": shorter than its key tables");
        return false;
    }
    // Mapped, not read: a search touches a few pages of the tables, and a
    // copy of all 1.4 MB and more costs a short-lived process more than its
    // search.
    if (!m_directoryMap.Map(file)) {
        ReportDiagnostic(path.string() + ": read error");
        return false;
    }
    const std::span<const std::uint8_t> bytes = m_directoryMap.Bytes();
    if (!TablesFit(bytes.size())) { // changed since its size was taken
        ReportDiagnostic(path.string() + ": shorter than its key tables");
        m_directoryMap.Close();
        return false;
    }
    // The mapping starts on a page boundary and each table on a multiple of
    // 4 bytes, so the entries are aligned.
    const auto words = [&](std::uint64_t offset) { return reinterpret_cast<const std::uint32_t*>(bytes.data() + offset); };
    m_firstBlocks = {reinterpret_cast<const std::int32_t*>(words(kFirstBlockOffset)), kIndexKeys};
    m_lastPages = {words(kLastPageOffset), kIndexKeys};
    m_blockLinks = {words(kIndexTablesSize), (bytes.size() - kIndexTablesSize) / 4};
    return true;
}

int CIndex::Open(const std::filesystem::path& folder, std::string_view baseName, int type)
{
    Close();
    // The variant table is opened with the other files, and parsed by the
    // first search or page that asks for variants.
    std::string base(baseName);
    if (type == kIndexMain)
        base += "_content";
    else if (type == kIndexAnnotations)
        base += "_desc";
    m_nResults = 0;
    m_arrPages.clear();
    m_arrCounts.clear();

    // The files are opened under the folder's generation marker, so that a
    // folder half-switched by a build is refused, and files opened while a
    // build switched them are opened again.
    const auto openFiles = [&](std::string_view marker) {
        Close();
        m_variantGroups.LoadOnFirstUse(folder);
        if (!LoadDirectory(folder / (base + "-idx.h")))
            return false;
        if (!m_dataMap.Open(folder / (base + "-idx.m"))) {
            ReportDiagnostic((folder / (base + "-idx.m")).string() + ": cannot be mapped");
            return false;
        }
        if (!m_fileList.Open(folder, baseName)) {
            ReportDiagnostic((folder / (std::string(baseName) + "-fl.h")).string() + ": page store cannot be opened");
            return false;
        }
        // Optional: phrases are found from it when it belongs to this build.
        m_pairs.Open(folder, base + std::string(kPairFileSuffix), marker);
        // Optional: terms of one character are answered from it likewise.
        m_pageCounts.Open(folder, base + std::string(kPageCountFileSuffix), marker);
        return true;
    };
    std::string problem;
    const bool ok = OpenUnderGeneration(folder, openFiles, problem);
    if (!problem.empty())
        ReportDiagnostic((folder / problem).string());
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
    m_firstBlocks = {};
    m_lastPages = {};
    m_blockLinks = {};
    m_directoryMap.Close();
    m_skipTables.Clear();
    m_dataMap.Close();
    m_pairs.Close();
    m_pageCounts.Close();
    m_termPages = {};
    m_termCounts = {};
    m_sharedScanRoom = {};
    m_resultIndex = ResultIndex();
    m_fileList.Close();
    m_bOpen = false;
}

} // namespace vesk
