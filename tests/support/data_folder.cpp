#include "support/data_folder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

namespace vesk::test {

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "vesk-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string Note(std::string_view text)
{
    return "<font size=-1 color=\"#993366\">" + std::string(text) + "</font>";
}

std::string MakePage(std::uint32_t pageNumber, std::string_view cellText, std::string_view title)
{
    const std::string heading =
        title.empty() ? "page " + std::to_string(pageNumber) : std::string(title);
    const bool first = pageNumber % 2 == 0;
    return "<html><head><meta charset=\"utf-8\"><title>" + heading +
           "</title></head>\n<body><table><tr><TD class=\"a\">" +
           (first ? std::string(cellText) : std::string()) + "</TD><TD class=\"b\">" +
           (first ? std::string() : std::string(cellText)) + "</TD></tr></table></body></html>\n";
}

CorpusBuilder& CorpusBuilder::Category(std::string name)
{
    m_corpus.nodes.push_back({1, std::move(name), {}, 1, {}, 0});
    return *this;
}

CorpusBuilder& CorpusBuilder::Work(std::string name)
{
    m_corpus.nodes.push_back({2, std::move(name), {}, 1, {}, 0});
    return *this;
}

CorpusBuilder& CorpusBuilder::Volume(std::string name, const std::vector<std::string>& cellTexts,
                                     std::uint16_t firstPage, std::string folder)
{
    std::vector<std::string> pages;
    for (std::size_t i = 0; i < cellTexts.size(); ++i)
        pages.push_back(MakePage(static_cast<std::uint32_t>(firstPage + i), cellTexts[i]));
    return VolumeOfPages(std::move(name), std::move(pages), firstPage, std::move(folder));
}

CorpusBuilder& CorpusBuilder::VolumeOfPages(std::string name, std::vector<std::string> pages,
                                            std::uint16_t firstPage, std::string folder)
{
    ++m_volumes;
    if (folder.empty())
        folder = std::to_string(m_volumes).insert(0, 1, 'v');
    m_corpus.nodes.push_back({3, std::move(name), std::move(folder), firstPage, std::move(pages), 0});
    return *this;
}

CorpusBuilder& CorpusBuilder::Variants(std::string table)
{
    m_corpus.variantTable = std::move(table);
    return *this;
}

bool MakeDataFolder(const build::SourceCorpus& corpus, const fs::path& dir,
                    const build::WriteOptions& options)
{
    fs::create_directories(dir);
    build::BuildReport report;
    std::string error;
    if (!build::WriteDataFolder(corpus, dir, report, error, {}, options)) {
        ADD_FAILURE() << "building the data folder failed: " << error;
        return false;
    }
    // Tests damage and replace the files one by one, which the generation
    // marker would make the readers refuse as a whole; without the marker
    // the folder is read as it is (as folders of older builds are).
    fs::remove(dir / "vesk-generation");
    return true;
}

bool MakeMarkedDataFolder(const build::SourceCorpus& corpus, const fs::path& dir)
{
    fs::create_directories(dir);
    build::BuildReport report;
    std::string error;
    if (!build::WriteDataFolder(corpus, dir, report, error, {}, {})) {
        ADD_FAILURE() << "building the data folder failed: " << error;
        return false;
    }
    return true;
}

namespace {

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

void WriteSourceFolder(const build::SourceCorpus& corpus, const fs::path& dir)
{
    fs::create_directories(dir);
    std::string contents;
    for (const build::SourceNode& node : corpus.nodes) {
        contents += std::to_string(node.level) + "\t" + node.name;
        if (node.level == 3) {
            contents += "\t" + node.folder;
            fs::create_directories(dir / node.folder);
            for (std::size_t i = 0; i < node.pages.size(); ++i) {
                char name[16];
                std::snprintf(name, sizeof name, "%04u.htm",
                              static_cast<unsigned>(node.firstPage + i));
                WriteBytes(dir / node.folder / name, node.pages[i]);
            }
        }
        contents += "\n";
    }
    WriteBytes(dir / "contents.txt", contents);
    if (!corpus.variantTable.empty())
        WriteBytes(dir / "yitizi.txt", corpus.variantTable);
}

} // namespace vesk::test
