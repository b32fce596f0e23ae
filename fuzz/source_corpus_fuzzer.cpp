// The source corpus reader of vesk-build: contents.txt, yitizi.txt and page
// files written from one input into a scratch folder, then ReadSourceCorpus.
//
//   input := contents.txt |VESK| yitizi.txt (|VESK| file)*
//   file  := relative path LF bytes
//
// A file's path must be a valid volume folder path (letters, digits, "_",
// "-", "." and "/"; no empty, "." or ".." component) so nothing is written
// outside the scratch folder; other files are dropped. At most 24 files.
#include "fuzz_input.h"
#include "scratch_folder.h"

#include "builder/builder.h"

#include <filesystem>
#include <system_error>

namespace {

using namespace vesk;
using namespace vesk::fuzz;

constexpr std::size_t kMaxFiles = 24;

const ScratchFolder& Folder()
{
    static const ScratchFolder folder;
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string_view> parts = SplitParts(data, size, 2 + kMaxFiles);
    const ScratchFolder& folder = Folder();
    folder.Clear();
    folder.Write("contents.txt", parts[0]);
    if (!parts[1].empty())
        folder.Write("yitizi.txt", parts[1]);
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const std::size_t lf = parts[i].find('\n');
        if (lf == std::string_view::npos)
            continue;
        const std::string_view path = parts[i].substr(0, lf);
        if (!build::IsValidVolumeFolder(path) || path == "contents.txt" || path == "yitizi.txt")
            continue;
        std::error_code ec;
        std::filesystem::create_directories((folder.path() / path).parent_path(), ec);
        if (!ec)
            folder.Write(path, parts[i].substr(lf + 1));
    }

    build::SourceCorpus corpus;
    std::string error;
    if (build::ReadSourceCorpus(folder.path(), corpus, error)) {
        for (const build::SourceNode& node : corpus.nodes) {
            Require(node.level >= 1 && node.level <= 3, "levels are 1, 2 or 3");
            Require(node.level != 3 || !node.pages.empty(), "a volume has pages");
        }
    } else {
        Require(!error.empty(), "a failed read names the problem");
    }
    return 0;
}
