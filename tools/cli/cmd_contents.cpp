// vesk-tool contents: the listing of the contents records.
#include "cli/commands.h"
#include "common/options.h"
#include "common/standard_output.h"
#include "pane/model/contents_model.h"

#include <cstdio>

namespace vesk::tool {

int RunContents(const std::filesystem::path& data, const Arguments& args)
{
    if (!args.empty()) {
        std::fprintf(stderr, "vesk-tool contents: takes no arguments\n");
        return kExitUsage;
    }
    ContentsModel contents;
    if (!contents.LoadContents(data))
        return kExitNoData;
    const std::string listing = contents.Listing();
    Out().Write(listing);
    return kExitOk;
}

} // namespace vesk::tool
