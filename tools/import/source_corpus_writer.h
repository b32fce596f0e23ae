#pragma once
// Writes a source corpus (docs/source-corpus.md) node by node: categories,
// works and volumes in depth-first order, each volume's pages as they are
// cut, contents.txt and the variant table at the end. Names are made safe
// for contents.txt: control characters become spaces, and a name longer
// than 99 UTF-16 units is shortened to 98 and "…", with a warning.
#include "import/paginate.h"
#include "import/volume_text.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vesk::import {

using WarnFn = std::function<void(const std::string&)>;

inline constexpr std::size_t kMaxContentsNodes = 9999;
inline constexpr std::size_t kMaxNameUnits = 99;
inline constexpr std::uint32_t kMaxVolumePages = 65535;

// The name as contents.txt can hold it (see above); where names the source
// of the name for the warning.
std::string ContentsName(std::string_view name, const std::string& where, const WarnFn& warn);

class SourceCorpusWriter {
public:
    SourceCorpusWriter(std::filesystem::path dir, WarnFn warn);

    // A category or work with the same name as the one just before it
    // continues that one.
    bool Category(std::string_view name, const std::string& where, std::string& error);
    bool Work(std::string_view name, const std::string& where, std::string& error);
    // Cuts the volume into pages and writes them; where names the source
    // file in messages.
    bool Volume(std::string_view name, const std::string& where, const VolumeText& text,
                PaginateOptions options, std::string& error);
    // Writes yitizi.txt (when variantTable is not empty) and contents.txt.
    bool Finish(const std::string& variantTable, std::string& error);

    std::size_t volumes() const { return m_volumes; }
    std::uint64_t pages() const { return m_pages; }
    const std::string& currentWork() const { return m_workName; }

private:
    bool AddNode(int level, const std::string& name, const std::string& folder, const std::string& where,
                 std::string& error);

    std::filesystem::path m_dir;
    WarnFn m_warn;
    std::string m_contents;
    std::size_t m_nodes = 0, m_volumes = 0;
    std::uint64_t m_pages = 0;
    int m_categoryNumber = 0, m_workNumber = 0, m_volumeNumber = 0;
    std::string m_categoryName, m_workName;
    bool m_haveCategory = false, m_haveWork = false;
};

// Writes bytes to a new file at path (never an existing one, never through
// a symbolic link), checking every write and the close.
bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);

} // namespace vesk::import
