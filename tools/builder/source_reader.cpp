// ReadSourceCorpus: contents.txt, the volume folders and yitizi.txt
// (docs/source-corpus.md).
#include "builder/builder.h"
#include "builder/contents_writer.h"
#include "builder/source_file.h"
#include "engine/variant_table.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <sys/stat.h>

namespace vesk::build {
namespace {

namespace fs = std::filesystem;

// The page store's content must stay below 2 GiB.
constexpr std::uint64_t kMaxPageBytes = 0x7FFFFFFF;

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

// One contents line into a node; false with the problem.
bool ParseContentsLine(std::string_view line, SourceNode& node, std::string& problem)
{
    const auto fields = SplitTabs(line);
    if (fields[0] != "1" && fields[0] != "2" && fields[0] != "3") {
        problem = "the level " + QuotedText(fields[0]) + " is not 1, 2 or 3";
        return false;
    }
    node.level = fields[0][0] - '0';
    const std::size_t wanted = node.level == 3 ? 3 : 2;
    if (fields.size() != wanted) {
        problem = node.level == 3 ? "a volume line needs LEVEL, NAME and FOLDER"
                                  : "a category or work line has LEVEL and NAME only";
        return false;
    }
    node.name = fields[1];
    if (node.level == 3) {
        node.folder = fields[2];
        if (!IsValidVolumeFolder(node.folder)) {
            problem = QuotedText(node.folder) + " is not a valid volume folder";
            return false;
        }
    }
    return true;
}

// A page file name: 1 to 5 digits and ".htm"; its number or -1.
long PageNumberOf(const std::string& name)
{
    const std::size_t dot = name.size() >= 4 ? name.size() - 4 : 0;
    if (dot < 1 || dot > 5 || name.compare(dot, 4, ".htm") != 0)
        return -1;
    long number = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

struct VolumeReading {
    fs::path sourceRoot;          // SOURCE_DIR with its symlinks resolved
    bool allowOutsideLinks = false;
    bool listOnly = false;        // pages listed in pageSources, not read
    std::uint64_t pageBytes = 0;  // of the pages read (or listed) so far
};

bool ReadVolume(const fs::path& dir, SourceNode& node, VolumeReading& reading, std::vector<std::string>& sources,
                std::string& error)
{
    const fs::path folder = dir / node.folder;
    const std::string shownFolder = ShownText(folder.string());
    std::map<long, fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const long number = PageNumberOf(it->path().filename().string());
        if (number < 0)
            continue; // not a page name; what it is does not matter
        if (!files.emplace(number, it->path()).second) {
            error = shownFolder + ": two files for page " + std::to_string(number);
            return false;
        }
    }
    if (ec) {
        error = shownFolder + ": cannot read the volume folder: " + ec.message();
        return false;
    }
    if (files.empty()) {
        error = shownFolder + ": the volume has no pages (NNNN.htm)";
        return false;
    }
    const long first = files.begin()->first, last = files.rbegin()->first;
    if (first < 1 || last > 65535) {
        error = shownFolder + ": page numbers must lie in 1 .. 65535";
        return false;
    }
    if (last - first + 1 != static_cast<long>(files.size())) {
        error = shownFolder + ": page numbers are not consecutive (" + std::to_string(first) + " .. " +
                std::to_string(last) + " but " + std::to_string(files.size()) + " pages)";
        return false;
    }
    node.firstPage = static_cast<std::uint16_t>(first);
    node.pagesListed = reading.listOnly;
    node.pages.reserve(files.size());
    for (const auto& [number, path] : files) {
        std::string problem;
        node.pages.emplace_back();
        std::uint64_t size = 0;
        const std::uint64_t room = kMaxPageBytes - reading.pageBytes;
        if ((!reading.allowOutsideLinks && !LiesInside(path, reading.sourceRoot, problem)) ||
            (reading.listOnly ? !ProbeSourceFile(path, room, size, problem)
                              : !ReadSourceFile(path, room, node.pages.back(), problem))) {
            if (problem.starts_with("is ") && problem.ends_with(" fit"))
                problem += " in the page store (below 2 GiB in all)";
            error = ShownText(path.string()) + ": " + problem;
            return false;
        }
        reading.pageBytes += reading.listOnly ? size : node.pages.back().size();
        sources.push_back(path.string());
    }
    return true;
}

} // namespace

bool IsValidVolumeFolder(std::string_view folder)
{
    std::size_t start = 0;
    while (start <= folder.size()) {
        std::size_t end = folder.find('/', start);
        if (end == std::string_view::npos)
            end = folder.size();
        const std::string_view part = folder.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        for (const char c : part) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
            if (!ok)
                return false;
        }
        start = end + 1;
    }
    return true;
}

bool ReadVariantTable(const fs::path& path, SourceCorpus& corpus, std::string& error)
{
    std::string problem;
    corpus.variantSource = ShownText(path.string());
    if (!ReadSourceFile(path, kMaxVariantTableBytes, corpus.variantTable, problem)) {
        error = corpus.variantSource + ": the variant table " + problem;
        return false;
    }
    StripByteOrderMark(corpus.variantTable);
    return true;
}

namespace {

bool ReadCorpus(const fs::path& dir, SourceCorpus& corpus, bool listOnly, std::string& error,
                const SourceOptions& options)
{
    corpus = {};
    const fs::path contentsPath = dir / "contents.txt";
    std::string contents, problem;
    if (!ReadSourceFile(contentsPath, kMaxSourceTextBytes, contents, problem)) {
        error = ShownText(contentsPath.string()) + ": the contents file " + problem;
        return false;
    }
    StripByteOrderMark(contents);
    std::size_t start = 0;
    for (int lineNo = 1; start < contents.size(); ++lineNo) {
        std::size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        std::string_view line(contents.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        SourceNode node;
        node.sourceLine = lineNo;
        if (!ParseContentsLine(line, node, problem)) {
            error = ShownText(contentsPath.string()) + " line " + std::to_string(lineNo) + ": " + problem;
            return false;
        }
        corpus.nodes.push_back(std::move(node));
    }
    // The tree's rules before any page is read (volumes get a placeholder page).
    {
        SourceCorpus shape;
        for (const SourceNode& node : corpus.nodes) {
            shape.nodes.push_back({node.level, node.name, node.folder, 1, {}, node.sourceLine});
            if (node.level == 3)
                shape.nodes.back().pages.emplace_back();
        }
        std::vector<ContentsRecord> records;
        if (!MakeContentsRecords(shape, records, error)) {
            error = ShownText((dir / "").string()) + error; // "contents.txt line N ..." under SOURCE_DIR
            return false;
        }
    }
    VolumeReading reading;
    reading.allowOutsideLinks = options.allowOutsideLinks;
    reading.listOnly = listOnly;
    std::error_code ec;
    reading.sourceRoot = fs::canonical(dir, ec);
    if (ec) {
        error = ShownText(dir.string()) + ": cannot resolve the source folder: " + ec.message();
        return false;
    }
    for (SourceNode& node : corpus.nodes)
        if (node.level == 3 && !ReadVolume(dir, node, reading, corpus.pageSources, error))
            return false;
    const fs::path variants = dir / "yitizi.txt";
    struct stat st {};
    if (::lstat(variants.c_str(), &st) != 0 && errno == ENOENT)
        return true; // no variants
    return ReadVariantTable(variants, corpus, error);
}

} // namespace

bool ReadSourceCorpus(const fs::path& dir, SourceCorpus& corpus, std::string& error,
                      const SourceOptions& options)
{
    return ReadCorpus(dir, corpus, false, error, options);
}

bool ListSourceCorpus(const fs::path& dir, SourceCorpus& corpus, std::string& error,
                      const SourceOptions& options)
{
    return ReadCorpus(dir, corpus, true, error, options);
}

bool ReadPageFile(const fs::path& path, std::string& bytes, std::string& error)
{
    std::string problem;
    if (ReadSourceFile(path, kMaxPageBytes, bytes, problem))
        return true;
    error = ShownText(path.string()) + ": " + problem;
    return false;
}

} // namespace vesk::build
