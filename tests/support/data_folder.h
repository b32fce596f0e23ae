#pragma once
// Test helpers: temporary folders, pages and source corpora written from
// inline text, and data folders built from them with the real builder.
//
//   vesk::test::TempDir dir;
//   auto corpus = vesk::test::CorpusBuilder()
//                     .Category("經").Work("論語")
//                     .Volume("學而", {"學而時習之" + vesk::test::Note("注"), "有朋"})
//                     .Variants("5B78,5B66\n")
//                     .Take();
//   ASSERT_TRUE(vesk::test::MakeDataFolder(corpus, dir.path()));
//   // dir.path() now holds Index-fl.h, kav.dir, Index-idx.h, ... (page ids 0, 1)
#include "builder/builder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vesk::test {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The annotation markup around text: <font size=-1 color="#993366">text</font>.
std::string Note(std::string_view text);

// A complete page (UTF-8 HTML) whose text cell holds cellText as given: the
// first cell for an even page number, the second for an odd one; the other
// cell stays empty. The title defaults to "page N".
std::string MakePage(std::uint32_t pageNumber, std::string_view cellText,
                     std::string_view title = {});

// Builds a source corpus node by node, in depth-first order.
class CorpusBuilder {
public:
    CorpusBuilder& Category(std::string name);
    CorpusBuilder& Work(std::string name);
    // A volume whose consecutive pages, numbered from firstPage, hold the
    // given text cells (wrapped by MakePage). The folder defaults to "vN" for
    // the N-th volume (1-based).
    CorpusBuilder& Volume(std::string name, const std::vector<std::string>& cellTexts,
                          std::uint16_t firstPage = 1, std::string folder = {});
    // A volume of complete pages given as they are.
    CorpusBuilder& VolumeOfPages(std::string name, std::vector<std::string> pages,
                                 std::uint16_t firstPage = 1, std::string folder = {});
    // The variant table, e.g. "5B78,5B66\n" (one group a line, hexadecimal).
    CorpusBuilder& Variants(std::string table);

    const build::SourceCorpus& corpus() const { return m_corpus; }
    build::SourceCorpus Take() { return std::move(m_corpus); }

private:
    build::SourceCorpus m_corpus;
    int m_volumes = 0;
};

// Writes the data folder of corpus into dir (created if missing), without
// its generation marker, so that tests may change its files one by one. On
// failure adds a test failure with the builder's message and returns false.
bool MakeDataFolder(const build::SourceCorpus& corpus, const std::filesystem::path& dir,
                    const build::WriteOptions& options = {});

// Writes the data folder of corpus into dir as the builder leaves it, its
// generation marker included: files that are used only under the marker
// (the pair files) are then in use. Changes to a file that keep its size
// leave the marker valid.
bool MakeMarkedDataFolder(const build::SourceCorpus& corpus, const std::filesystem::path& dir);

// Writes corpus as a source folder for vesk-build: contents.txt, the volume
// folders with NNNN.htm pages, and yitizi.txt when the table is not empty.
void WriteSourceFolder(const build::SourceCorpus& corpus, const std::filesystem::path& dir);

} // namespace vesk::test
