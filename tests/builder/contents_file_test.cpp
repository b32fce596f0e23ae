// kav.dir as the builder writes it: 216-byte records in depth-first order
// whose page ranges match the page store, categories and works spanning
// their volumes.
#include "builder/builder.h"
#include "support/data_folder.h"
#include "file_bytes.h"

#include <gtest/gtest.h>

namespace vesk::test {
namespace {

struct Record {
    std::u16string name;
    std::int32_t level, docID, docNo;
    std::uint16_t curFileName;
    bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Record& r)
{
    return out << "{level " << r.level << ", docID " << r.docID << ", docNo " << r.docNo
               << ", curFileName " << r.curFileName << ", " << r.name.size() << " units}";
}

std::vector<Record> ReadContents(const std::filesystem::path& folder)
{
    const std::string bytes = ReadBytes(folder / "kav.dir");
    EXPECT_EQ(bytes.size() % 216, 0u);
    std::vector<Record> records;
    for (std::size_t at = 0; at + 216 <= bytes.size(); at += 216) {
        Record r{};
        for (std::size_t u = 0; u < 100; ++u) {
            const char16_t unit = U16At(bytes, at + 2 * u);
            if (unit == 0)
                break;
            r.name.push_back(unit);
        }
        r.level = static_cast<std::int32_t>(U32At(bytes, at + 200));
        r.docID = static_cast<std::int32_t>(U32At(bytes, at + 204));
        r.docNo = static_cast<std::int32_t>(U32At(bytes, at + 208));
        r.curFileName = U16At(bytes, at + 212);
        EXPECT_EQ(U16At(bytes, at + 214), 0u);
        records.push_back(r);
    }
    return records;
}

TEST(ContentsFile, RecordsCarryRangesThatCoverTheirVolumes)
{
    const auto corpus = CorpusBuilder()
                            .Category("經")
                            .Work("論語")
                            .Volume("學而", {"一", "二", "三"}, 1)
                            .Volume("為政", {"四", "五"}, 4)
                            .Work("空")                         // a work without volumes
                            .Category("詩")
                            .Work("𠀀集")                       // a name outside the BMP
                            .Volume("卷一", {"六"}, 7)
                            .Take();
    TempDir dir;
    ASSERT_TRUE(MakeDataFolder(corpus, dir.path()));
    const std::vector<Record> expected = {
        {u"經", 1, 1, 5, 1},    {u"論語", 2, 1, 5, 1}, {u"學而", 3, 1, 3, 1},
        {u"為政", 3, 4, 2, 4},  {u"空", 2, 6, 0, 0},   {u"詩", 1, 6, 1, 7},
        {u"𠀀集", 2, 6, 1, 7}, {u"卷一", 3, 6, 1, 7},
    };
    EXPECT_EQ(ReadContents(dir.path()), expected);
}

TEST(ContentsFile, NameOfNinetyNineUnitsFillsTheFieldWithItsTerminator)
{
    std::string name;
    for (int i = 0; i < 99; ++i)
        name += "字";
    const auto corpus = CorpusBuilder().Category(name).Take();
    TempDir dir;
    ASSERT_TRUE(MakeDataFolder(corpus, dir.path()));
    const std::string bytes = ReadBytes(dir / "kav.dir");
    ASSERT_EQ(bytes.size(), 216u);
    EXPECT_EQ(U16At(bytes, 196), 0x5B57u);
    EXPECT_EQ(U16At(bytes, 198), 0u);
}

} // namespace
} // namespace vesk::test
