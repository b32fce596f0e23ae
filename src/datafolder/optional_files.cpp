#include "datafolder/optional_files.h"

#include "datafolder/folder_generation.h"

#include <sys/stat.h>

namespace vesk {
namespace {

// An id as NewGenerationId makes them: 16 lowercase hexadecimal digits.
bool IsGenerationId(std::string_view id)
{
    if (id.size() != 16)
        return false;
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace

std::span<const OptionalFileKind> KnownOptionalFiles()
{
    return {};
}

void CheckOptionalFiles(const std::filesystem::path& folder, std::span<const OptionalFileKind> kinds,
                        std::vector<std::string>& problems, std::vector<std::string>& notes)
{
    for (const OptionalFileKind& kind : kinds) {
        const std::filesystem::path path = folder / kind.name;
        const std::string name(kind.name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue; // absent: the folder is read without it
        std::string id;
        if (!S_ISREG(st.st_mode) || !kind.recordedId(path, id) || !IsGenerationId(id)) {
            notes.push_back(name + ": records no generation id; readers ignore it");
            continue;
        }
        if (!OptionalFileIsCurrent(folder, kind.name, id)) {
            notes.push_back(name + ": made for generation " + id + ", not listed as part of the folder's " +
                            std::string(kGenerationFileName) + "; readers ignore it");
            continue;
        }
        kind.validate(folder, path, problems);
    }
}

} // namespace vesk
