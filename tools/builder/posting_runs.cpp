#include "builder/posting_runs.h"

namespace vesk::build {
namespace {

std::uint32_t SmallestId(const std::vector<RunReader>& readers)
{
    std::uint32_t id = kEndOfRun;
    for (const RunReader& reader : readers)
        id = std::min(id, reader.id());
    return id;
}

bool OpenRuns(std::span<const std::filesystem::path> runs, std::uint64_t budget,
              std::vector<RunReader>& readers, std::string& error)
{
    readers.clear();
    readers.reserve(runs.size());
    const std::size_t bufferBytes = RunReadBufferBytes(budget, runs.size());
    for (const std::filesystem::path& run : runs) {
        readers.emplace_back();
        if (!readers.back().Open(run, bufferBytes, error))
            return false;
    }
    return true;
}

} // namespace

PostingRuns::PostingRuns(std::uint32_t layers, std::uint32_t keysPerLayer, std::uint64_t budget,
                         SpillFolder& folder)
    : m_keysPerLayer(keysPerLayer), m_budget(budget), m_arena(layers * keysPerLayer, budget),
      m_folder(folder)
{
}

bool PostingRuns::Append(std::uint32_t layer, std::uint32_t key,
                         std::span<const std::uint8_t> bytes, std::string& error)
{
    const std::uint32_t id = layer * m_keysPerLayer + key;
    while (true) {
        bytes = bytes.subspan(m_arena.Append(id, bytes));
        if (bytes.empty())
            return true;
        if (!Spill(error))
            return false;
    }
}

bool PostingRuns::Spill(std::string& error)
{
    std::filesystem::path path;
    RunWriter run;
    if (!m_folder.NewRunPath(path, error) || !run.Create(path, error))
        return false;
    m_runs.push_back(path);
    const auto write = [&](std::span<const std::uint8_t> piece) { return run.Write(piece, error); };
    for (const std::uint32_t id : m_arena.SortedStreamsInUse())
        if (!run.BeginSegment(id, m_arena.Size(id), error) || !m_arena.ForEachPiece(id, write))
            return false;
    if (!run.Finish(error))
        return false;
    m_arena.Clear();
    ++m_spilled;
    return true;
}

// Merges the first count runs into one run that takes their place.
bool PostingRuns::MergeFirstRuns(std::size_t count, std::string& error)
{
    std::vector<RunReader> readers;
    std::filesystem::path path;
    RunWriter merged;
    if (!OpenRuns(std::span(m_runs).first(count), m_budget, readers, error) ||
        !m_folder.NewRunPath(path, error) || !merged.Create(path, error))
        return false;
    const auto write = [&](std::span<const std::uint8_t> piece) { return merged.Write(piece, error); };
    for (std::uint32_t id = SmallestId(readers); id != kEndOfRun; id = SmallestId(readers)) {
        std::uint64_t length = 0;
        for (const RunReader& reader : readers)
            length += reader.id() == id ? reader.length() : 0;
        if (!merged.BeginSegment(id, length, error))
            return false;
        for (RunReader& reader : readers)
            if (reader.id() == id && !reader.CopySegment(write, error))
                return false;
    }
    if (!merged.Finish(error))
        return false;
    readers.clear();
    for (std::size_t i = 0; i < count; ++i) {
        std::error_code ignored;
        std::filesystem::remove(m_runs[i], ignored);
    }
    m_runs.erase(m_runs.begin(), m_runs.begin() + static_cast<std::ptrdiff_t>(count));
    m_runs.insert(m_runs.begin(), path);
    return true;
}

bool PostingRuns::FinishAppending(std::string& error)
{
    // Just enough runs are merged to read the rest at once.
    const std::size_t maxOpen = MaxRunsReadAtOnce(m_budget, 1);
    while (m_runs.size() > maxOpen)
        if (!MergeFirstRuns(std::min(maxOpen, m_runs.size() - maxOpen + 1), error))
            return false;
    return OpenRuns(m_runs, m_budget, m_readers, error);
}

bool PostingRuns::ReadLayer(std::uint32_t layer, const PieceFn& piece, std::string& error)
{
    std::uint32_t key = 0;
    const auto pass = [&](std::span<const std::uint8_t> bytes) { return piece(key, bytes); };
    for (; key < m_keysPerLayer; ++key) {
        const std::uint32_t id = layer * m_keysPerLayer + key;
        for (RunReader& reader : m_readers)
            if (reader.id() == id && !reader.CopySegment(pass, error))
                return false;
        if (!m_arena.ForEachPiece(id, pass))
            return false;
    }
    return true;
}

} // namespace vesk::build
