#pragma once
// The page-count file of a layer (src/engine/page_count_index.h has the
// layout), derived from the layer's posting files once they are complete:
// each key's stream is walked with the engine's own reading, so the file
// lists exactly the pages and counts a search of that key finds. Keys are
// taken one after another and written as they come; only the key table is
// held, so memory stays small whatever the corpus, and the posting data is
// mapped and let go of as the walk moves on.
#include "builder/output_file.h"
#include "datafolder/data_folder_switch.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace vesk::build {

// The layers' base names, in the order of the files WritePageCountFiles writes.
inline constexpr std::string_view kPageCountLayers[] = {"Index", "Index_content", "Index_desc"};

// Writes into file the page-count file of the layer whose posting directory
// and data are directoryPath and dataPath, recording generationId (16 hex
// digits). A key whose posting stream cannot be read is left out (a search
// of it reads the stream and reports the damage); leftOut counts them.
bool WritePageCountFile(const std::filesystem::path& directoryPath, const std::filesystem::path& dataPath,
                        const std::string& generationId, OutputFile& file, std::size_t& leftOut,
                        std::string& error);

// The build's step: the page-count files of the three layers (outputs in
// the order of kPageCountLayers) from the posting files written under the
// temporary names of change, recording its id. Fails on a stream it cannot
// read (the build has just written it).
bool WritePageCountFiles(const DataFolderSwitch& change, std::span<OutputFile> outputs, std::string& error);

// Adds the page-count files to a data folder built without them (or
// replaces them): holds the folder's lock, writes them for the generation
// its marker names and switches them in (DataFolderSwitch::PrepareAddition).
// leftOut counts the keys left out for damaged streams.
bool AddPageCountFiles(const std::filesystem::path& folder, std::size_t& leftOut, std::string& error);

} // namespace vesk::build
