#include "data_folder_layout.h"

#include "engine/index.h"
#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace vesk::fuzz {
namespace {

constexpr std::size_t kBlock = 4096;
constexpr std::size_t kLastPageTable = 1000000;

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + static_cast<std::size_t>(k)] = static_cast<char>(value >> (8 * k));
}

} // namespace

std::string ExpandPostingDirectory(std::string_view keys, std::string_view links)
{
    std::string dir(kIndexTablesSize, '\0');
    std::memset(dir.data(), 0xFF, kIndexKeys * 4); // every first block -1
    for (std::size_t at = 0; at + 12 <= keys.size(); at += 12) {
        const std::uint32_t key = U32At(keys, at) % kIndexKeys;
        PutU32(dir, key * 4, U32At(keys, at + 4));
        PutU32(dir, kLastPageTable + key * 4, U32At(keys, at + 8));
    }
    dir.append(links);
    return dir;
}

PatchedDirectory::~PatchedDirectory()
{
    if (m_tables)
        ::munmap(m_tables, kIndexTablesSize);
    if (m_fd >= 0)
        ::close(m_fd);
}

void PatchedDirectory::Create()
{
    const std::string tables = ExpandPostingDirectory({}, {});
    m_fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (m_fd < 0 || ::pwrite(m_fd, tables.data(), tables.size(), 0) != static_cast<ssize_t>(tables.size())) {
        std::perror("vesk fuzz: cannot write the posting directory");
        std::abort();
    }
    void* mapped = ::mmap(nullptr, kIndexTablesSize, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (mapped == MAP_FAILED) {
        std::perror("vesk fuzz: cannot map the posting directory");
        std::abort();
    }
    m_tables = static_cast<std::uint8_t*>(mapped);
}

void PatchedDirectory::Put(std::uint64_t offset, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        m_tables[offset + static_cast<std::uint64_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

void PatchedDirectory::Write(std::string_view keys, std::string_view links)
{
    if (m_fd < 0)
        Create();
    for (std::uint32_t key : m_keys) {
        Put(std::uint64_t{key} * 4, 0xFFFFFFFFu);
        Put(kLastPageTable + std::uint64_t{key} * 4, 0);
    }
    m_keys.clear();
    for (std::size_t at = 0; at + 12 <= keys.size(); at += 12) {
        const std::uint32_t key = U32At(keys, at) % kIndexKeys;
        Put(std::uint64_t{key} * 4, U32At(keys, at + 4));
        Put(kLastPageTable + std::uint64_t{key} * 4, U32At(keys, at + 8));
        m_keys.push_back(key);
    }
    if (links == m_links)
        return;
    if (::ftruncate(m_fd, static_cast<off_t>(kIndexTablesSize + links.size())) != 0 ||
        (!links.empty() && ::pwrite(m_fd, links.data(), links.size(), static_cast<off_t>(kIndexTablesSize)) !=
                               static_cast<ssize_t>(links.size()))) {
        std::perror("vesk fuzz: cannot write the block links");
        std::abort();
    }
    m_links.assign(links);
}

void ExpandPostingData(std::string_view postings, std::string& data)
{
    data.clear();
    for (;;) {
        const std::size_t at = postings.find(kBlockMarker);
        if (at == std::string_view::npos) {
            data.append(postings);
            return;
        }
        const std::string_view piece = postings.substr(0, at);
        data.append(piece);
        if (piece.size() < kBlock)
            data.append(kBlock - piece.size(), '\0');
        postings.remove_prefix(at + kBlockMarker.size());
    }
}

std::string CompactKeys(std::string_view directory)
{
    std::string keys;
    if (directory.size() < kIndexTablesSize)
        return keys;
    for (std::uint32_t key = 0; key < kIndexKeys; ++key) {
        const std::uint32_t first = U32At(directory, std::size_t{key} * 4);
        if (first == 0xFFFFFFFFu)
            continue;
        std::string entry(12, '\0');
        PutU32(entry, 0, key);
        PutU32(entry, 4, first);
        PutU32(entry, 8, U32At(directory, kLastPageTable + std::size_t{key} * 4));
        keys += entry;
    }
    return keys;
}

std::string CompactPostingData(std::string_view data)
{
    std::string out;
    for (std::size_t start = 0; start < data.size(); start += kBlock) {
        std::string_view block = data.substr(start, kBlock);
        const bool last = start + kBlock >= data.size();
        while (!block.empty() && block.back() == '\0')
            block.remove_suffix(1); // padded again when read, or not read at all
        out.append(block);
        if (!last)
            out.append(kBlockMarker);
    }
    return out;
}

} // namespace vesk::fuzz
