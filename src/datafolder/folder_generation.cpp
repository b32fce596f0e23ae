#include "datafolder/folder_generation.h"

#include "textstore/read_only_file.h"
#include "textstore/split_pieces.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <sys/stat.h>

namespace vesk {
namespace {

constexpr std::string_view kFirstLine = "vesk data folder generation 1";
// A marker is a few hundred bytes; anything much larger is not one.
constexpr std::int64_t kMaxMarkerSize = 65536;

bool ParseSize(std::string_view text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

// A file name as a marker may list it: a plain name in the folder.
bool IsPlainName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (c == '/' || static_cast<unsigned char>(c) <= ' ')
            return false;
    return true;
}

} // namespace

std::string FormatGeneration(const FolderGeneration& generation)
{
    std::string out(kFirstLine);
    out += "\nstate ";
    out += generation.switching ? "switching" : "complete";
    out += "\nid " + generation.id + "\n";
    for (const auto& [name, size] : generation.files)
        out += "file " + name + " " + std::to_string(size) + "\n";
    return out;
}

bool ParseGeneration(std::string_view bytes, FolderGeneration& generation, std::string& problem)
{
    generation = {};
    int line = 0;
    bool ok = true, sawState = false;
    ForEachPiece(bytes, '\n', [&](std::string_view text) {
        ++line;
        if (!ok || (text.empty() && line > 1))
            return;
        const auto bad = [&](const std::string& what) {
            problem = "line " + std::to_string(line) + ": " + what;
            ok = false;
        };
        if (line == 1) {
            if (text != kFirstLine)
                bad("not a generation marker");
        } else if (text == "state complete" || text == "state switching") {
            generation.switching = text == "state switching";
            sawState = true;
        } else if (text.starts_with("id ")) {
            generation.id = text.substr(3);
        } else if (text.starts_with("file ")) {
            const std::string_view rest = text.substr(5);
            const std::size_t space = rest.rfind(' ');
            std::uint64_t size = 0;
            if (space == std::string_view::npos || !IsPlainName(rest.substr(0, space)) ||
                !ParseSize(rest.substr(space + 1), size))
                bad("a file line needs a name and a size");
            else
                generation.files.emplace_back(std::string(rest.substr(0, space)), size);
        } else {
            bad("unknown line");
        }
    });
    if (ok && (!sawState || generation.id.empty())) {
        problem = "no state or id";
        ok = false;
    }
    return ok;
}

std::string NewGenerationId()
{
    std::random_device device;
    const unsigned long long bits = (static_cast<unsigned long long>(device()) << 32) ^ device();
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", bits);
    return text;
}

bool IsRequiredDataFile(std::string_view name)
{
    static constexpr std::string_view kRequired[] = {
        "Index-fl.h", "Index-fl.cnt", "kav.dir", "yitizi.txt",
        "Index-idx.h", "Index-idx.m", "Index_content-idx.h", "Index_content-idx.m",
        "Index_desc-idx.h", "Index_desc-idx.m"};
    return std::find(std::begin(kRequired), std::end(kRequired), name) != std::end(kRequired);
}

// True when the file at path is a regular file of size bytes; otherwise
// false with problem naming it against the marker.
static bool HasListedSize(const std::filesystem::path& path, const std::string& file, std::uint64_t size,
                          std::string& problem)
{
    struct stat fileStat {};
    if (::stat(path.c_str(), &fileStat) != 0) {
        problem = file + ": missing, but " + std::string(kGenerationFileName) + " lists it";
        return false;
    }
    if (!S_ISREG(fileStat.st_mode) || static_cast<std::uint64_t>(fileStat.st_size) != size) {
        problem = file + ": " + std::to_string(fileStat.st_size) + " bytes, but " + std::string(kGenerationFileName) +
                  " lists " + std::to_string(size) + " (a file not of this build)";
        return false;
    }
    return true;
}

bool ReadGenerationMarker(const std::filesystem::path& folder, std::string& markerBytes, std::string& problem)
{
    markerBytes.clear();
    const std::filesystem::path path = folder / kGenerationFileName;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT)
        return true; // no marker: read the folder as it is
    ReadOnlyFile file;
    if (!file.Open(path) || file.Size() > kMaxMarkerSize || !file.ReadToEnd(markerBytes) ||
        static_cast<std::int64_t>(markerBytes.size()) > kMaxMarkerSize) {
        problem = std::string(kGenerationFileName) + ": the generation marker cannot be read";
        return false;
    }
    return true;
}

bool CheckFolderGeneration(const std::filesystem::path& folder, std::string& markerBytes, std::string& problem,
                           ListedFiles which)
{
    if (!ReadGenerationMarker(folder, markerBytes, problem))
        return false;
    if (markerBytes.empty())
        return true;
    const std::string name(kGenerationFileName);
    FolderGeneration generation;
    std::string why;
    if (!ParseGeneration(markerBytes, generation, why)) {
        problem = name + ": " + why;
        return false;
    }
    if (generation.switching) {
        problem = name + ": a build stopped while switching its files into place, so the folder mixes two "
                         "builds (build it again)";
        return false;
    }
    for (const auto& [file, size] : generation.files)
        if ((which == ListedFiles::all || IsRequiredDataFile(file)) && !HasListedSize(folder / file, file, size, problem))
            return false;
    return true;
}

bool OptionalFileIsCurrent(const std::filesystem::path& folder, std::string_view name, std::string_view recordedId)
{
    std::string bytes, problem;
    return CheckFolderGeneration(folder, bytes, problem) && OptionalFileIsCurrent(folder, bytes, name, recordedId);
}

bool OptionalFileIsCurrent(const std::filesystem::path& folder, std::string_view markerBytes, std::string_view name,
                           std::string_view recordedId)
{
    std::string problem;
    FolderGeneration generation;
    if (markerBytes.empty() || !ParseGeneration(markerBytes, generation, problem) || generation.id != recordedId)
        return false;
    for (const auto& [file, size] : generation.files)
        if (file == name)
            return HasListedSize(folder / file, file, size, problem);
    return false;
}

} // namespace vesk
