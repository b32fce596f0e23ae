#include "pane/model/contents_model.h"

#include "engine/report.h"
#include "fileio/exclusive_file.h"
#include "textstore/code_converter.h"
#include "textstore/read_only_file.h"

#include <algorithm>
#include <cstdio>

namespace vesk {
namespace {

std::int32_t ReadI32(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 |
                                     static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t ReadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

} // namespace

std::u16string ContentsRecordTag::Name() const
{
    std::size_t length = 0;
    while (length < name.size() && name[length] != 0)
        ++length;
    return {name.data(), length};
}

ContentsRecordTag ContentsRecordTag::FromBytes(const std::uint8_t* bytes)
{
    ContentsRecordTag record;
    for (std::size_t i = 0; i < record.name.size(); ++i)
        record.name[i] = static_cast<char16_t>(ReadU16(bytes + 2 * i));
    record.level = ReadI32(bytes + 200);
    record.docID = ReadI32(bytes + 204);
    record.docNo = ReadI32(bytes + 208);
    record.curFileName = ReadU16(bytes + 212);
    return record;
}

ContentsNodeTag* FindParentNode(ContentsNodeTag* node, const ContentsNodeTag& newNode)
{
    if (!node)
        return nullptr;
    if (newNode.level == node->level + 1)
        return node;
    ContentsNodeTag* found = nullptr;
    for (const auto& child : node->children)
        if (ContentsNodeTag* answer = FindParentNode(child.get(), newNode))
            found = answer;
    return found;
}

ContentsNodeTag* FindRecordNode(ContentsNodeTag* node, const ContentsRecordTag& record)
{
    if (!node)
        return nullptr;
    if (node->level == record.level && node->docID == record.docID && node->docNo == record.docNo &&
        node->curFileName == record.curFileName)
        return node;
    for (const auto& child : node->children)
        if (ContentsNodeTag* found = FindRecordNode(child.get(), record))
            return found;
    return nullptr;
}

ContentsModel::ContentsModel()
    : m_records(kContentsSlots), m_pRootNode(std::make_unique<ContentsNodeTag>()), m_nodeOfSlot(kContentsSlots)
{
    m_pRootNode->name = u"root";
}

ContentsNodeTag* ContentsModel::NodeOfRecord(std::size_t slot) const
{
    if (slot == 0 || slot >= static_cast<std::size_t>(m_nRecordCount))
        return nullptr;
    return m_nodeOfSlot[slot];
}

void ContentsModel::Clear()
{
    for (std::size_t slot = 1; slot < static_cast<std::size_t>(m_nRecordCount); ++slot) {
        m_records[slot] = {};
        m_nodeOfSlot[slot] = nullptr;
    }
    m_nRecordCount = 1;
    m_pRootNode->children.clear();
    m_strProblem.clear();
}

bool ContentsModel::LoadContents(const std::filesystem::path& folder, const std::filesystem::path* listing)
{
    Clear();
    // The listing is written all at once when loading ends (an empty one when
    // the contents file is missing), so that two readers started in the same
    // working directory each leave a complete listing, never a mix. Failure
    // to write it is not a loading failure.
    const auto writeListing = [&] {
        std::string ignored;
        if (listing)
            fileio::WriteFileAtomically(*listing, Listing(), ignored);
    };
    ReadOnlyFile in;
    // Only as much as the records can fill is read: a huge file costs no more.
    std::string contents;
    const std::int64_t size = in.Open(folder / "kav.dir") ? in.Size() : -1;
    if (size >= 0) {
        contents.resize(static_cast<std::size_t>(std::min<std::int64_t>(size, static_cast<std::int64_t>(kContentsSlots * kContentsRecordSize))));
        if (!in.ReadAt(0, {reinterpret_cast<std::uint8_t*>(contents.data()), contents.size()}))
            contents.clear();
    }
    if (size < 0) {
        ReportMessage(kMessageContentsMissing);
        writeListing();
        return false;
    }
    // The most recent node of each level: the parent of the next record one
    // level down (the same node FindParentNode finds, found in constant time).
    std::array<ContentsNodeTag*, kContentsMaxLevel + 1> lastOfLevel{};
    lastOfLevel[0] = m_pRootNode.get();
    ContentsNodeTag* lastVolume = nullptr;
    for (std::size_t offset = 0; offset < contents.size(); offset += kContentsRecordSize) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(contents.data()) + offset;
        const std::size_t got = std::min(contents.size() - offset, kContentsRecordSize);
        const std::string where = "kav.dir record " + std::to_string(m_nRecordCount);
        if (got < kContentsRecordSize) {
            m_strProblem = where + ": partial record of " + std::to_string(got) + " bytes";
            break;
        }
        if (static_cast<std::size_t>(m_nRecordCount) >= kContentsSlots) {
            m_strProblem = where + ": more than 9999 records";
            break;
        }
        const ContentsRecordTag record = ContentsRecordTag::FromBytes(bytes);
        if (record.level < 1 || record.level > kContentsMaxLevel) {
            m_strProblem = where + ": level " + std::to_string(record.level) + " outside 1..19";
            break;
        }
        ContentsNodeTag* parent = lastOfLevel[static_cast<std::size_t>(record.level - 1)];
        if (!parent) {
            m_strProblem = where + ": level " + std::to_string(record.level) + " without a node one level up";
            break;
        }
        auto node = std::make_unique<ContentsNodeTag>();
        node->name = record.Name();
        node->level = record.level;
        node->docID = record.docID;
        node->docNo = record.docNo;
        node->curFileName = record.curFileName;
        node->parent = parent;
        if (record.level == 3) {
            if (lastVolume && lastVolume->parent == parent) {
                lastVolume->next = node.get();
                node->prev = lastVolume;
            }
            lastVolume = node.get();
        }
        const auto level = static_cast<std::size_t>(record.level);
        lastOfLevel[level] = node.get();
        m_nodeOfSlot[static_cast<std::size_t>(m_nRecordCount)] = node.get();
        parent->children.push_back(std::move(node));
        m_records[static_cast<std::size_t>(m_nRecordCount)] = record;
        ++m_nRecordCount;
    }
    if (!m_strProblem.empty())
        ReportDiagnostic(m_strProblem);
    writeListing();
    return true;
}

std::string ContentsModel::Listing() const
{
    std::string out;
    for (std::int32_t slot = 1; slot < m_nRecordCount; ++slot) {
        const ContentsRecordTag& record = m_records[static_cast<std::size_t>(slot)];
        if (record.level == 2)
            out += '\t';
        else if (record.level == 3)
            out += "\t\t";
        std::string name;
        Utf16ToUtf8(record.Name(), name, true);
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, "\tdocID=%d\tdocNo=%d\tcurFileName=%d\n", record.docID, record.docNo,
                      static_cast<int>(record.curFileName));
        out += "name=" + name + numbers;
    }
    return out;
}

} // namespace vesk
