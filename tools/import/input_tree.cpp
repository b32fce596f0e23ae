#include "import/input_tree.h"

#include <algorithm>
#include <tuple>

namespace vesk::import {
namespace {

namespace fs = std::filesystem;

struct Entry {
    fs::path path;
    bool isDir;
    bool numbered;
    unsigned long long number;
    std::string name;
};

bool EndsWithNoCase(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
}

Entry MakeEntry(const fs::path& path, bool isDir)
{
    Entry entry{path, isDir, false, 0, path.filename().string()};
    const std::string stem = isDir ? entry.name : path.stem().string();
    std::size_t digits = 0;
    while (digits < stem.size() && digits < 18 && stem[digits] >= '0' && stem[digits] <= '9')
        ++digits;
    if (digits > 0) {
        entry.numbered = true;
        entry.number = std::stoull(stem.substr(0, digits));
    }
    return entry;
}

bool Walk(const fs::path& folder, const std::string& extension, int maxDepth,
          std::vector<std::string>& trail, std::vector<InputFile>& files, std::vector<int>& depths,
          std::string& error)
{
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("."))
            continue;
        std::error_code kind;
        if (it->is_directory(kind))
            entries.push_back(MakeEntry(it->path(), true));
        else if (it->is_regular_file(kind) && EndsWithNoCase(name, extension))
            entries.push_back(MakeEntry(it->path(), false));
    }
    if (ec) {
        error = folder.string() + ": cannot read the folder: " + ec.message();
        return false;
    }
    std::ranges::sort(entries, [](const Entry& a, const Entry& b) {
        return std::tuple(!a.numbered, a.number, a.name) < std::tuple(!b.numbered, b.number, b.name);
    });
    for (const Entry& entry : entries) {
        if (!entry.isDir) {
            files.push_back({entry.path, trail, DisplayName(entry.path, true)});
            depths.push_back(static_cast<int>(trail.size()));
            continue;
        }
        if (static_cast<int>(trail.size()) >= maxDepth) {
            // Deeper folders matter only when they hold texts.
            std::vector<InputFile> below;
            std::vector<int> ignored;
            std::vector<std::string> deeper = trail;
            deeper.push_back(DisplayName(entry.path, false));
            if (!Walk(entry.path, extension, 1000, deeper, below, ignored, error))
                return false;
            if (!below.empty()) {
                error = below.front().path.string() + ": the folders are deeper than category / work / volume allow";
                return false;
            }
            continue;
        }
        trail.push_back(DisplayName(entry.path, false));
        const bool ok = Walk(entry.path, extension, maxDepth, trail, files, depths, error);
        trail.pop_back();
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

std::string DisplayName(const fs::path& entry, bool isFile)
{
    const std::string stem = isFile ? entry.stem().string() : entry.filename().string();
    std::size_t i = 0;
    while (i < stem.size() && stem[i] >= '0' && stem[i] <= '9')
        ++i;
    if (i == 0)
        return stem;
    // Separators after the number: blanks, "_", "-", ".", "、", "．" and the ideographic space.
    std::string_view rest = std::string_view(stem).substr(i);
    for (bool more = true; more && !rest.empty();) {
        more = false;
        for (std::string_view sep : {" ", "_", "-", ".", "\xE3\x80\x81", "\xEF\xBC\x8E", "\xE3\x80\x80"}) {
            if (rest.starts_with(sep)) {
                rest.remove_prefix(sep.size());
                more = true;
            }
        }
    }
    return rest.empty() ? stem : std::string(rest);
}

bool ScanInput(const fs::path& input, const std::string& extension, int maxDepth, std::vector<InputFile>& files,
               int& depth, std::string& error)
{
    files.clear();
    depth = 0;
    std::error_code ec;
    if (fs::is_regular_file(input, ec)) {
        files.push_back({input, {}, DisplayName(input, true)});
        return true;
    }
    if (!fs::is_directory(input, ec)) {
        error = input.string() + ": no such file or folder";
        return false;
    }
    std::vector<std::string> trail;
    std::vector<int> depths;
    if (!Walk(input, extension, maxDepth, trail, files, depths, error))
        return false;
    if (files.empty()) {
        error = input.string() + ": no files ending in " + extension;
        return false;
    }
    depth = *std::ranges::max_element(depths);
    for (std::size_t k = 0; k < files.size(); ++k) {
        if (depths[k] != depth) {
            error = files[k].path.string() + ": lies " + std::to_string(depths[k]) +
                    " folder(s) deep where the other texts lie " + std::to_string(depth) +
                    " deep; put every text at the same depth";
            return false;
        }
    }
    return true;
}

} // namespace vesk::import
