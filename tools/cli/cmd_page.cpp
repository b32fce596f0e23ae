// vesk-tool page: writes a stored page's bytes, found by identifier or, as
// the reader finds it, by contents record and page number.
#include "cli/commands.h"
#include "common/options.h"
#include "common/standard_output.h"
#include "engine/report.h"
#include "pane/model/contents_model.h"
#include "textstore/file_list.h"

#include <cstdio>

namespace vesk::tool {
namespace {

int PageUsage(const char* why)
{
    std::fprintf(stderr, "vesk-tool page: %s\n", why);
    return kExitUsage;
}

int NoSuchPage(const std::string& what)
{
    std::fprintf(stderr, "vesk-tool page: no such page: %s\n", what.c_str());
    return kExitNotFound;
}

} // namespace

int RunPage(const std::filesystem::path& data, const Arguments& args)
{
    std::string id, record, number;
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool ok = true;
        if (!TakeValue(args, i, "--id", id, ok) && !TakeValue(args, i, "--record", record, ok) &&
            !TakeValue(args, i, "--number", number, ok))
            return PageUsage(("unknown argument " + args[i]).c_str());
        if (!ok)
            return PageUsage("an option needs a value");
    }
    const bool byId = !id.empty();
    if (byId == (!record.empty() || !number.empty()) || (!byId && (record.empty() || number.empty())))
        return PageUsage("give --id PAGEID, or --record RECORD and --number PAGE");
    std::uint64_t idValue = 0, recordValue = 0, numberValue = 0;
    if ((byId && !ParseNumber(id, idValue)) ||
        (!byId && (!ParseNumber(record, recordValue) || !ParseNumber(number, numberValue))))
        return PageUsage("page identifiers, records and page numbers are decimal numbers");

    CFileList list;
    if (!list.Open(data, "Index")) {
        ReportMessage(kMessageCannotOpenData);
        return kExitNoData;
    }
    std::uint32_t pageId = 0;
    if (byId) {
        if (idValue >= list.GetRecordCount())
            return NoSuchPage("page " + id);
        pageId = static_cast<std::uint32_t>(idValue);
    } else {
        ContentsModel contents;
        if (!contents.LoadContents(data))
            return kExitNoData;
        if (recordValue == 0 || recordValue >= static_cast<std::uint64_t>(contents.m_nRecordCount))
            return NoSuchPage("record " + record);
        if (numberValue > INT32_MAX)
            return NoSuchPage("page number " + number);
        const ContentsRecordTag& r = contents.Record(static_cast<std::size_t>(recordValue));
        std::int32_t found = 0;
        if (r.docID < 1 ||
            !list.FindRecordByNumber(r.docID - 1, static_cast<std::int32_t>(numberValue), found))
            return NoSuchPage("page " + number + " of record " + record);
        pageId = static_cast<std::uint32_t>(found);
    }
    std::string page;
    if (!list.ReadRecord(pageId, page))
        return NoSuchPage("page " + std::to_string(pageId) + " cannot be read");
    Out().Write(page);
    return kExitOk;
}

} // namespace vesk::tool
