#pragma once
// The indexed text of every page in each layer, as the peers search it: one
// line per page (line n + 1 holds page identifier n), one character per
// position, so that distances on a line are distances between positions.
// Characters with a key stand as themselves; every other position (tags,
// punctuation, the gap between two items) is an ideographic space, which no
// query names.
#include <filesystem>
#include <string>
#include <vector>

namespace vesk::bench {

struct LayerTexts {
    std::vector<std::string> pages[3]; // by index type: whole, annotations, main
};

// Reads every page of the page store in folder and rebuilds its layers.
bool ReadLayerTexts(const std::filesystem::path& folder, LayerTexts& texts);

// Writes one layer as a text file, one page a line.
bool WriteLayerFile(const std::vector<std::string>& pages, const std::filesystem::path& file);

} // namespace vesk::bench
