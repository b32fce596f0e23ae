#include "datafolder/data_folder_switch.h"

#include "datafolder/folder_generation.h"
#include "fileio/exclusive_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>

namespace vesk {

std::vector<std::string> FindWriteLeftovers(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.ends_with(kTemporarySuffix) || name.find(".partial-") != std::string_view::npos)
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::ranges::sort(names);
    return names;
}

bool DataFolderSwitch::Prepare(const std::filesystem::path& folder, std::string& error)
{
    m_folder = folder;
    m_id = NewGenerationId();
    m_kept.clear();
    m_adding = false;
    for (const std::string& name : FindWriteLeftovers(folder))
        if (!fileio::RemoveLeftover(folder / name, error))
            return false;
    return true;
}

bool DataFolderSwitch::PrepareAddition(const std::filesystem::path& folder, std::string& error)
{
    std::string bytes, problem;
    FolderGeneration generation;
    if (!CheckFolderGeneration(folder, bytes, problem)) {
        error = (folder / problem).string();
        return false;
    }
    if (bytes.empty()) {
        error = (folder / kGenerationFileName).string() + ": missing, so files cannot be added to the folder "
                "(build it again)";
        return false;
    }
    if (!Prepare(folder, error) || !ParseGeneration(bytes, generation, error))
        return false;
    m_id = generation.id;
    m_kept = std::move(generation.files);
    m_adding = true;
    return true;
}

std::filesystem::path DataFolderSwitch::TemporaryPath(std::string_view name) const
{
    return m_folder / (std::string(name) + std::string(kTemporarySuffix));
}

bool DataFolderSwitch::WriteMarker(bool switching, const std::vector<std::string>& names, bool listNames,
                                   std::string& error)
{
    FolderGeneration generation;
    generation.switching = switching;
    generation.id = m_id;
    for (const auto& kept : m_kept)
        if (std::ranges::find(names, kept.first) == names.end())
            generation.files.push_back(kept);
    if (listNames)
        for (std::size_t i = 0; i < names.size(); ++i)
            generation.files.emplace_back(names[i], m_sizes[i]);
    return fileio::WriteFileAtomically(m_folder / kGenerationFileName, FormatGeneration(generation), error);
}

bool DataFolderSwitch::RenameIntoPlace(const std::vector<std::string>& names, std::string& error)
{
    for (const std::string& name : names) {
        const std::filesystem::path temp = TemporaryPath(name), target = m_folder / name;
        if (std::rename(temp.c_str(), target.c_str()) != 0) {
            error = target.string() + ": cannot rename into place: " + std::strerror(errno);
            if (!m_adding)
                error += "; the folder now mixes two builds and is refused until it is built again";
            return false;
        }
    }
    return fileio::SyncFolder(m_folder, error);
}

bool DataFolderSwitch::Switch(const std::vector<std::string>& names, std::string& error)
{
    m_sizes.clear();
    for (const std::string& name : names) {
        struct stat st {};
        const std::filesystem::path temp = TemporaryPath(name);
        if (::lstat(temp.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = temp.string() + ": the written file is gone";
            return false;
        }
        m_sizes.push_back(static_cast<std::uint64_t>(st.st_size));
    }
    if (m_adding) {
        // Files added to a generation are optional: readers ignore them
        // while the marker does not list them. So the marker first forgets
        // the old versions, the new ones are renamed in, and the marker then
        // lists them; a stop at any point leaves a complete folder.
        const bool replacing = std::ranges::any_of(m_kept, [&](const auto& kept) {
            return std::ranges::find(names, kept.first) != names.end();
        });
        return (!replacing || WriteMarker(false, names, false, error)) && RenameIntoPlace(names, error) &&
               WriteMarker(false, names, true, error);
    }
    return WriteMarker(true, names, true, error) && RenameIntoPlace(names, error) &&
           WriteMarker(false, names, true, error);
}

} // namespace vesk
