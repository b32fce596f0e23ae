// vesk-tool render: the hit page of one page, as the search pane shows it
// after a search: the keyword's terms separated by U+3000, marked in the
// page's text cell for the chosen layer, optionally with variant spellings.
// The page goes to FILE (-o, saved whole or not at all) or standard output;
// the anchor count to standard output as a bare number with -o, else to
// standard error as "anchors: N".
#include "cli/commands.h"
#include "common/options.h"
#include "common/saved_file.h"
#include "common/standard_output.h"
#include "engine/index.h"
#include "textstore/hit_page.h"
#include "textstore/utf8_decode.h"

#include <algorithm>
#include <cstdio>

namespace vesk::tool {
namespace {

struct RenderOptions {
    std::string id;
    std::int32_t target = kTargetWhole;
    int indexType = kIndexWhole;
    bool useVariants = false;
    std::string outputPath;
    std::vector<std::string> words;
};

int RenderUsage(const std::string& why)
{
    std::fprintf(stderr, "vesk-tool render: %s\n", why.c_str());
    return kExitUsage;
}

// Parses the options; returns 0 when fine, else the exit code.
int ParseRenderOptions(const Arguments& args, RenderOptions& options)
{
    bool onlyWords = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        bool ok = true;
        if (onlyWords || arg.size() < 2 || arg[0] != '-') {
            options.words.push_back(arg);
        } else if (arg == "--") {
            onlyWords = true;
        } else if (TakeValue(args, i, "--id", options.id, ok)) {
            if (!ok)
                return RenderUsage("--id needs a page identifier");
        } else if (TakeValue(args, i, "--target", value, ok)) {
            if (value == "whole") {
                options.target = kTargetWhole;
                options.indexType = kIndexWhole;
            } else if (value == "main") {
                options.target = kTargetMain;
                options.indexType = kIndexMain;
            } else if (value == "annot") {
                options.target = kTargetAnnotations;
                options.indexType = kIndexAnnotations;
            } else {
                return RenderUsage("--target needs whole, main or annot");
            }
        } else if (TakeValue(args, i, "-o", options.outputPath, ok)) {
            if (!ok || options.outputPath.empty())
                return RenderUsage("-o needs a file name");
        } else if (arg == "--variants") {
            options.useVariants = true;
        } else {
            return RenderUsage("unknown option " + arg);
        }
    }
    if (options.id.empty())
        return RenderUsage("--id PAGEID is required");
    if (options.words.empty())
        return RenderUsage("no keyword given");
    return 0;
}

// The keyword as a search leaves it: terms separated by U+3000.
std::u16string KeptKeyword(const std::vector<std::string>& words)
{
    std::u16string keyword;
    for (const std::string& word : words) {
        if (!keyword.empty())
            keyword += u'\u3000';
        keyword += Utf8ToUtf16(word);
    }
    std::replace(keyword.begin(), keyword.end(), u' ', u'\u3000');
    return keyword;
}

} // namespace

int RunRender(const std::filesystem::path& data, const Arguments& args)
{
    RenderOptions options;
    if (const int code = ParseRenderOptions(args, options))
        return code;
    std::uint64_t pageId = 0;
    if (!ParseNumber(options.id, pageId))
        return RenderUsage("page identifiers are decimal numbers");
    for (const std::string& word : options.words) {
        if (const auto at = FirstInvalidUtf8(word)) {
            std::fprintf(stderr, "vesk-tool render: %s\n", InvalidUtf8Reason(word, *at).c_str());
            return kExitRejected;
        }
    }

    CIndex index;
    if (!index.Open(data, "Index", options.indexType))
        return kExitNoData;
    if (pageId >= index.FileList().GetRecordCount()) {
        std::fprintf(stderr, "vesk-tool render: no such page: %s\n", options.id.c_str());
        return kExitNotFound;
    }
    const auto id = static_cast<std::uint32_t>(pageId);
    std::uint32_t length = 0;
    if (!index.GetRecordLength(id, length)) {
        std::fprintf(stderr, "vesk-tool render: page %s cannot be read: its entry lies outside the page store\n",
                     options.id.c_str());
        return kExitNotFound;
    }
    std::string page;
    const std::int32_t anchors =
        index.RenderHitPage(id, page, KeptKeyword(options.words), options.target, options.useVariants);

    if (options.outputPath.empty()) {
        Out().Write(page);
        std::fprintf(stderr, "anchors: %d\n", anchors);
    } else {
        std::string error;
        if (!SaveFile(options.outputPath, page, error)) {
            std::fprintf(stderr, "vesk-tool render: %s\n", error.c_str());
            return kExitOutput;
        }
        Out().Print("%d\n", anchors);
    }
    return kExitOk;
}

} // namespace vesk::tool
