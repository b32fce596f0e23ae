#include "builder/contents_writer.h"

#include "builder/source_file.h"
#include "builder/utf8_text.h"

#include <vector>

namespace vesk::build {
namespace {

std::string NodeLabel(const SourceNode& node, std::size_t index)
{
    std::string where = node.sourceLine > 0
                            ? "contents.txt line " + std::to_string(node.sourceLine)
                            : "contents node " + std::to_string(index + 1);
    return where + " (" + QuotedText(node.name) + ")";
}

// The structural rules of one node, given the level of the node before it.
bool CheckNode(const SourceNode& node, int previousLevel, std::u16string& name,
               std::string& problem)
{
    if (node.level < 1 || node.level > 3)
        problem = "level " + std::to_string(node.level) + " is not 1, 2 or 3";
    else if (node.level > previousLevel + 1)
        problem = "level " + std::to_string(node.level) + " has no node of level " +
                  std::to_string(node.level - 1) + " before it";
    else if (!Utf8ToUtf16(node.name, name))
        problem = "the name is not valid UTF-8";
    else if (name.size() > kMaxNameUnits)
        problem = "the name has " + std::to_string(name.size()) + " UTF-16 units (at most 99)";
    else if (name.find(u'\0') != std::u16string::npos)
        problem = "the name holds a NUL character";
    else if (node.level != 3 && !node.pages.empty())
        problem = "only volumes (level 3) have pages";
    else if (node.level == 3 && node.pages.empty())
        problem = "the volume has no pages";
    else if (node.level == 3 && node.firstPage < 1)
        problem = "the first page number is 0 (page numbers are 1 .. 65535)";
    else if (node.level == 3 && node.pages.size() > 65536u - node.firstPage)
        problem = "the pages run past page number 65535";
    return problem.empty();
}

void PutU32(std::uint8_t* at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        at[k] = static_cast<std::uint8_t>(v >> (8 * k));
}

} // namespace

bool MakeContentsRecords(const SourceCorpus& corpus, std::vector<ContentsRecord>& records,
                         std::string& error)
{
    records.clear();
    if (corpus.nodes.size() > kMaxContentsRecords) {
        error = "contents: " + std::to_string(corpus.nodes.size()) +
                " nodes; kav.dir holds at most 9999";
        return false;
    }
    std::vector<std::size_t> open;    // records of the current node's ancestors and itself
    std::vector<bool> hasVolume;
    std::int32_t pagesBefore = 0;
    int previousLevel = 0;
    for (std::size_t i = 0; i < corpus.nodes.size(); ++i) {
        const SourceNode& node = corpus.nodes[i];
        ContentsRecord record;
        std::string problem;
        if (!CheckNode(node, previousLevel, record.name, problem)) {
            error = NodeLabel(node, i) + ": " + problem;
            return false;
        }
        previousLevel = node.level;
        record.level = node.level;
        record.docID = pagesBefore + 1;
        while (!open.empty() && records[open.back()].level >= node.level)
            open.pop_back();
        if (node.level == 3) {
            record.docNo = static_cast<std::int32_t>(node.pages.size());
            record.curFileName = node.firstPage;
            for (const std::size_t ancestor : open) {
                ContentsRecord& up = records[ancestor];
                if (!hasVolume[ancestor]) {
                    up.docID = record.docID;
                    up.curFileName = record.curFileName;
                    hasVolume[ancestor] = true;
                }
                up.docNo += record.docNo;
            }
            pagesBefore += record.docNo;
        }
        open.push_back(records.size());
        records.push_back(std::move(record));
        hasVolume.push_back(node.level == 3);
    }
    return true;
}

bool WriteContents(const std::vector<ContentsRecord>& records, OutputFile& file,
                   std::string& error)
{
    std::vector<std::uint8_t> bytes(records.size() * kContentsRecordSize, 0);
    for (std::size_t r = 0; r < records.size(); ++r) {
        std::uint8_t* at = bytes.data() + r * kContentsRecordSize;
        const ContentsRecord& record = records[r];
        for (std::size_t u = 0; u < record.name.size(); ++u) {
            at[2 * u] = static_cast<std::uint8_t>(record.name[u]);
            at[2 * u + 1] = static_cast<std::uint8_t>(record.name[u] >> 8);
        }
        PutU32(at + 200, static_cast<std::uint32_t>(record.level));
        PutU32(at + 204, static_cast<std::uint32_t>(record.docID));
        PutU32(at + 208, static_cast<std::uint32_t>(record.docNo));
        at[212] = static_cast<std::uint8_t>(record.curFileName);
        at[213] = static_cast<std::uint8_t>(record.curFileName >> 8);
    }
    return file.Append(bytes, error);
}

} // namespace vesk::build
