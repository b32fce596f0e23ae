#include "builder/pair_runs.h"

#include "textstore/code_converter.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace vesk::build {
namespace {

void AppendLeb128(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
}

} // namespace

bool ReadLeb128(const std::uint8_t*& at, const std::uint8_t* end, std::uint64_t& value)
{
    std::uint64_t v = 0;
    for (unsigned shift = 0; shift < 64 && at < end; shift += 7) {
        const std::uint8_t b = *at++;
        v |= std::uint64_t{b & 0x7Fu} << shift;
        if ((b & 0x80) == 0) {
            value = v;
            return true;
        }
    }
    return false;
}

bool PairRunWriter::Create(SpillFolder& folder, std::string& error)
{
    return folder.NewRunPath(m_run.data, error) && m_data.Create(m_run.data, error) &&
           folder.NewRunPath(m_run.directory, error) && m_directory.Create(m_run.directory, error);
}

void PairRunWriter::BeginPair(std::uint64_t pair)
{
    m_pair = pair;
    m_lastPage = 0;
    m_section.clear();
}

void PairRunWriter::AddRecord(std::uint32_t page, std::span<const std::uint8_t> list)
{
    AppendLeb128(m_section, page - m_lastPage);
    AppendLeb128(m_section, list.size());
    m_section.insert(m_section.end(), list.begin(), list.end());
    m_lastPage = page;
}

bool PairRunWriter::EndPair(std::string& error)
{
    m_entry.clear();
    AppendLeb128(m_entry, m_pair - m_lastPair);
    AppendLeb128(m_entry, m_section.size());
    m_lastPair = m_pair;
    ++m_run.pairs;
    return m_directory.Write(m_entry, error) && m_data.Write(m_section, error);
}

bool PairRunWriter::Finish(PairRun& run, std::string& error)
{
    if (!m_data.Finish(error) || !m_directory.Finish(error))
        return false;
    run = m_run;
    return true;
}

bool RunBytes::Open(const std::filesystem::path& path, std::size_t bufferBytes, std::string& error)
{
    return m_input.Open(path, std::max<std::size_t>(bufferBytes, 16), error);
}

bool RunBytes::ReadLeb128(std::uint64_t& value, std::string& error)
{
    // A number takes at most 10 bytes; the buffer holds at least 16.
    const auto complete = [&] {
        for (const std::uint8_t byte : m_input.Unread())
            if ((byte & 0x80) == 0)
                return true;
        return false;
    };
    while (m_input.Unread().size() < 10 && !complete())
        if (!m_input.Fill(error))
            return false;
    const std::span<const std::uint8_t> unread = m_input.Unread();
    const std::uint8_t* at = unread.data();
    if (!vesk::build::ReadLeb128(at, unread.data() + unread.size(), value))
        return m_input.Fail("a sorted run is damaged", error);
    m_input.Take(static_cast<std::size_t>(at - unread.data()));
    return true;
}

bool RunBytes::Read(std::uint64_t n, std::vector<std::uint8_t>& out, std::string& error)
{
    out.resize(n);
    std::size_t done = 0;
    while (done < n) {
        if (m_input.Unread().empty()) {
            // Large pieces go straight into out.
            if (n - done >= m_input.BufferSize()) {
                std::size_t got = 0;
                if (!m_input.ReadDirect(out.data() + done, n - done, got, error))
                    return false;
                done += got;
                continue;
            }
            if (!m_input.Fill(error))
                return false;
        }
        const std::span<const std::uint8_t> unread = m_input.Unread();
        const std::size_t take = std::min<std::uint64_t>(n - done, unread.size());
        std::memcpy(out.data() + done, unread.data(), take);
        m_input.Take(take);
        done += take;
    }
    return true;
}

bool PairRunMerge::Open(std::span<const PairRun> runs, std::size_t bufferBytes, bool withData,
                        std::string& error)
{
    m_sources.clear();
    m_sources.resize(runs.size());
    m_paths.clear();
    m_entries.clear();
    m_head.assign(static_cast<std::size_t>(kCharacterSlots), -1);
    m_seen.assign((static_cast<std::size_t>(kCharacterSlots) + 63) / 64, 0);
    m_word = m_words = 0;
    m_current = -1;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        Source& source = m_sources[r];
        m_paths.push_back(runs[r].directory);
        if (!source.directory.Open(runs[r].directory, bufferBytes, error) ||
            (withData && !source.data.Open(runs[r].data, bufferBytes, error)))
            return false;
        source.left = runs[r].pairs;
        if (!ReadEntry(r, error))
            return false;
    }
    return true;
}

// Reads the run's next directory entry ahead, if it has one.
bool PairRunMerge::ReadEntry(std::size_t run, std::string& error)
{
    Source& source = m_sources[run];
    source.pending = source.left > 0;
    if (!source.pending)
        return true;
    --source.left;
    std::uint64_t delta = 0;
    if (!source.directory.ReadLeb128(delta, error) || !source.directory.ReadLeb128(source.length, error))
        return false;
    source.pair += delta;
    return true;
}

// Takes the entries of the lowest first key left from every run.
bool PairRunMerge::LoadFirstKey(std::string& error)
{
    m_entries.clear();
    bool any = false;
    for (const Source& source : m_sources)
        if (source.pending && (!any || (source.pair >> 32) < m_first)) {
            m_first = source.pair >> 32;
            any = true;
        }
    if (!any)
        return true;
    std::uint64_t low = ~std::uint64_t{0}, high = 0;
    for (std::size_t r = 0; r < m_sources.size(); ++r) {
        Source& source = m_sources[r];
        std::uint64_t previous = 0;
        while (source.pending && (source.pair >> 32) == m_first) {
            const std::uint64_t second = source.pair & 0xFFFFFFFF;
            if (second >= m_head.size() || (previous != 0 && second < previous))
                return Corrupt(r, error);
            previous = second + 1;
            m_entries.push_back(
                {static_cast<std::uint32_t>(second), static_cast<std::uint32_t>(r), source.length, -1});
            m_seen[second / 64] |= std::uint64_t{1} << (second % 64);
            low = std::min(low, second);
            high = std::max(high, second);
            if (!ReadEntry(r, error))
                return false;
        }
    }
    // Linked from the last run back, so each list runs in run order.
    for (std::size_t e = m_entries.size(); e-- > 0;) {
        Entry& entry = m_entries[e];
        entry.next = m_head[entry.second];
        m_head[entry.second] = static_cast<std::int64_t>(e);
    }
    m_word = low / 64;
    m_words = high / 64 + 1;
    return true;
}

bool PairRunMerge::Corrupt(std::size_t run, std::string& error) const
{
    error = m_paths[run].string() + ": a sorted run is damaged";
    return false;
}

bool PairRunMerge::Next(std::uint64_t& pair, std::string& error)
{
    error.clear();
    while (true) {
        while (m_word < m_words && m_seen[m_word] == 0)
            ++m_word;
        if (m_word < m_words) {
            const auto bit = static_cast<unsigned>(std::countr_zero(m_seen[m_word]));
            m_seen[m_word] &= m_seen[m_word] - 1;
            const std::size_t second = m_word * 64 + bit;
            m_current = m_head[second];
            m_head[second] = -1;
            pair = m_first << 32 | second;
            return true;
        }
        if (!LoadFirstKey(error) || m_entries.empty())
            return false;
    }
}

bool CountPairs(std::span<const PairRun> runs, std::size_t bufferBytes, std::uint64_t& pairs,
                std::string& error)
{
    PairRunMerge merge;
    if (!merge.Open(runs, bufferBytes, false, error))
        return false;
    pairs = 0;
    std::uint64_t pair = 0;
    while (merge.Next(pair, error))
        ++pairs;
    return error.empty();
}

bool MergePairRuns(std::span<const PairRun> runs, std::size_t bufferBytes, SpillFolder& folder,
                   PairRun& merged, std::string& error)
{
    PairRunMerge merge;
    PairRunWriter writer;
    if (!merge.Open(runs, bufferBytes, true, error) || !writer.Create(folder, error))
        return false;
    std::uint64_t pair = 0;
    while (merge.Next(pair, error)) {
        writer.BeginPair(pair);
        const bool ok = merge.ForEachRecord(
            [&](std::uint32_t page, std::span<const std::uint8_t> list) {
                writer.AddRecord(page, list);
                return true;
            },
            error);
        if (!ok || !writer.EndPair(error))
            return false;
    }
    return error.empty() && writer.Finish(merged, error);
}

} // namespace vesk::build
