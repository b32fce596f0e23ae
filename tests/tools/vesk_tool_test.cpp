// vesk-tool run as a program on generated data folders: output and exit codes.
#include "engine/index.h"
#include "pane/model/contents_model.h"
#include "support/data_folder.h"
#include "support/run_command.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/wait.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;

using test::ShellQuote;
using RunResult = test::CommandResult;

RunResult RunTool(const fs::path& data, const std::vector<std::string>& args)
{
    std::string command = ShellQuote((fs::path(VESK_BIN_DIR) / "vesk-tool").string());
    for (const std::string& arg : args) {
        command.push_back(' ');
        command.append(ShellQuote(arg));
    }
    command.append(" --data ");
    command.append(ShellQuote(data.string()));
    command.append(" 2>/dev/null");
    return test::RunCommand(command);
}

class VeskTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("論語")
                                .Volume("卷一", {"學而時習之", "不亦說乎學"})
                                .Volume("卷二", {"有朋自遠方來", "學學"})
                                .Category("詩")
                                .Work("詩經")
                                .Volume("國風", {"關關雎鳩" + test::Note("學也"), "在河之洲"}, 5)
                                .Variants("5B78,5B66\n")
                                .Take();
        ASSERT_TRUE(test::MakeDataFolder(corpus, s_dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static const fs::path& Data() { return s_dir->path(); }
    static test::TempDir* s_dir;
};

test::TempDir* VeskTool::s_dir = nullptr;

TEST_F(VeskTool, SearchPrintsRecordsThenTheSummary)
{
    const RunResult all = RunTool(Data(), {"search", "學"});
    EXPECT_EQ(all.code, 0);
    EXPECT_EQ(all.out, "經\t論語\t卷一\t1\t1\t0\n"
                       "經\t論語\t卷一\t2\t1\t1\n"
                       "經\t論語\t卷二\t2\t2\t3\n"
                       "詩\t詩經\t國風\t5\t1\t4\n"
                       "全部で 4 頁で、5 箇所でした。\n");
    // Scope 2 is the work 論語: sorted by page number, then page id.
    const RunResult work = RunTool(Data(), {"search", "--scope", "2", "學"});
    EXPECT_EQ(work.code, 0);
    EXPECT_EQ(work.out, "經\t論語\t卷一\t1\t1\t0\n"
                        "經\t論語\t卷一\t2\t1\t1\n"
                        "經\t論語\t卷二\t2\t2\t3\n"
                        "全部で 3 頁で、4 箇所でした。\n");
    EXPECT_EQ(RunTool(Data(), {"search", "--target", "annot", "--json", "學"}).out,
              "{\"category\": \"詩\", \"title\": \"詩經\", \"volume\": \"國風\", \"page_no\": 5, \"count\": 1, "
              "\"page_id\": 4}\n{\"pages\": 1, \"places\": 1}\n");
    EXPECT_EQ(RunTool(Data(), {"search", "--target", "main", "學"}).out.find("國風"), std::string::npos);
    EXPECT_EQ(RunTool(Data(), {"search", "龘"}).out, "全部で 0 頁で、0 箇所でした。\n");
}

TEST_F(VeskTool, RawOutputIsTheEngineArrays)
{
    const std::vector<std::pair<std::vector<std::string>, std::u16string>> cases = {
        {{"search", "--raw", "--or", "之", "學"}, u"之 學"},
        {{"search", "--raw", "學\u3000之"}, u"學 之"},
        {{"search", "--raw", "學", "之"}, u"學 之"},
        {{"search", "--raw", "--variants", "學"}, u"學"},
    };
    CIndex index;
    ASSERT_EQ(index.Open(Data(), "Index", kIndexWhole), 1);
    for (const auto& [args, keyword] : cases) {
        const bool useOr = args[2] == "--or";
        const bool useVariants = args[2] == "--variants";
        std::string expected;
        for (const auto& [page, count] : test::Search(index, keyword, useOr, useVariants))
            expected += std::to_string(page) + "\t" + std::to_string(count) + "\n";
        const RunResult raw = RunTool(Data(), args);
        EXPECT_EQ(raw.code, 0);
        EXPECT_EQ(raw.out, expected) << args.back();
        EXPECT_FALSE(expected.empty());
    }
}

TEST_F(VeskTool, PagesComeOutByIdAndByRecordAndNumber)
{
    CIndex index;
    ASSERT_EQ(index.Open(Data(), "Index", kIndexWhole), 1);
    std::string page;
    ASSERT_TRUE(index.ReadRecord(5, page));
    EXPECT_EQ(RunTool(Data(), {"page", "--id", "5"}).out, page);
    // Record 6 is the volume 國風, whose pages are numbered from 5.
    const RunResult byNumber = RunTool(Data(), {"page", "--record", "6", "--number", "6"});
    EXPECT_EQ(byNumber.code, 0);
    EXPECT_EQ(byNumber.out, page);

    ContentsModel model;
    ASSERT_TRUE(model.LoadContents(Data()));
    EXPECT_EQ(RunTool(Data(), {"contents"}).out, model.Listing());
}

TEST_F(VeskTool, SearchTakesCodePointFormsAndExcludedTerms)
{
    // 學 is on pages 0, 1, 3 and 4 (in a note); 習 only on page 0.
    const RunResult plain = RunTool(Data(), {"search", "--raw", "學"});
    EXPECT_EQ(plain.out, "0\t1\n1\t1\n3\t2\n4\t1\n");
    EXPECT_EQ(RunTool(Data(), {"search", "--raw", "U+5B78"}).out, plain.out);
    const RunResult excluding = RunTool(Data(), {"search", "--raw", "&#23416;", "-&#x7FD2;"});
    EXPECT_EQ(excluding.code, 0);
    EXPECT_EQ(excluding.out, "1\t1\n3\t2\n4\t1\n");
    EXPECT_EQ(RunTool(Data(), {"search", "--raw", "學 -習"}).out, excluding.out);
}

TEST_F(VeskTool, ExitCodesFollowTheContract)
{
    test::TempDir empty;
    struct Case {
        std::vector<std::string> args;
        bool emptyData;
        int code;
    };
    const Case cases[] = {
        {{}, false, 2},
        {{"frobnicate"}, false, 2},
        {{"search"}, false, 2},
        {{"search", "--target", "all", "學"}, false, 2},
        {{"search", "--raw", "--json", "學"}, false, 2},
        {{"search", "abc"}, false, 3},
        {{"search", "學1"}, false, 3},
        {{"search", "\u3000"}, false, 3},
        {{"search", "U+110000"}, false, 3},
        {{"search", "學&#x5B78"}, false, 3},
        {{"search", "--", "-學"}, false, 3},
        {{"search", "學", "-"}, false, 3},
        {{"search", "U+110000"}, true, 3},
        {{"search", "學"}, true, 4},
        {{"contents"}, true, 4},
        {{"page", "--id", "0"}, true, 4},
        {{"search", "--scope", "0", "學"}, false, 5},
        {{"search", "--scope", "99", "學"}, false, 5},
        {{"page", "--id", "6"}, false, 5},
        {{"page", "--record", "6", "--number", "9"}, false, 5},
        {{"page", "--record", "60", "--number", "1"}, false, 5},
        {{"page", "--id", "x"}, false, 2},
        {{"check"}, false, 0},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::string& arg : c.args)
            what += arg + " ";
        EXPECT_EQ(RunTool(c.emptyData ? empty.path() : Data(), c.args).code, c.code) << what;
    }
}

// Bytes that are not UTF-8 are rejected before anything is searched or
// marked, by every command that takes a keyword; render otherwise marks
// whatever it is given (an ASCII or empty keyword included).
TEST_F(VeskTool, KeywordsThatAreNotUtf8AreRejected)
{
    const char* const bad[] = {
        "\xB0\xA1",         // GB18030
        "\x8A\xBF",         // Shift-JIS
        "\xE5\xAD",         // a cut sequence
        "學\xE5\xAD",       // cut after a valid character
        "\xC0\xAF",         // overlong
        "\xED\xA0\x80",     // a surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
    };
    const fs::path err = fs::path(Data()).parent_path() / "keyword-stderr";
    for (const char* keyword : bad) {
        SCOPED_TRACE(test::ShellQuote(keyword));
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"search", "學", keyword}, {"search", "--or", "--raw", keyword},
              {"render", "--id", "0", keyword}}) {
            const std::string command = ShellQuote((fs::path(VESK_BIN_DIR) / "vesk-tool").string()) + " " + args[0] +
                                        " --data " + ShellQuote(Data().string()) + " " + [&] {
                                            std::string rest;
                                            for (std::size_t i = 1; i < args.size(); ++i)
                                                rest += ShellQuote(args[i]) + " ";
                                            return rest;
                                        }() + "2>" + ShellQuote(err.string());
            const RunResult result = test::RunCommand(command);
            EXPECT_EQ(result.code, 3) << args[0];
            EXPECT_EQ(result.out, "");
            std::ifstream in(err);
            std::string line;
            std::getline(in, line);
            EXPECT_NE(line.find("not valid UTF-8"), std::string::npos) << line;
        }
    }
    fs::remove(err);
    EXPECT_FALSE(RunTool(Data(), {"render", "--id", "0", "abc"}).out.empty());
    EXPECT_EQ(RunTool(Data(), {"render", "--id", "0", ""}).code, 0); // no keyword: no page, as before
}

// A page whose entry lies outside the page store cannot be read: render
// answers as page does.
TEST_F(VeskTool, AnUnreadablePageIsNotFoundByPageAndRender)
{
    test::TempDir copy;
    fs::copy(Data(), copy.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    {
        std::fstream f(copy.path() / "Index-fl.h", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(268 + 2 * 108 + 100); // the end field of entry 2 (names of 100 bytes)
        f.write("\xFF\xFF\xFF\x7F", 4);
    }
    EXPECT_EQ(RunTool(copy.path(), {"page", "--id", "2"}).code, 5);
    EXPECT_EQ(RunTool(copy.path(), {"render", "--id", "2", "學"}).code, 5);
    EXPECT_EQ(RunTool(copy.path(), {"render", "--id", "1", "學"}).code, 0);
}

TEST_F(VeskTool, CheckNamesDamage)
{
    struct Case {
        const char* what;
        const char* file;
        std::uint64_t offset; // of a 4-byte value to overwrite, or the new size when truncating
        bool truncate;
        const char* named;
    };
    const Case cases[] = {
        {"first block past the data", "Index-idx.h", 4u * 0x5B78u - 4u * 0x3400u, false, "Index-idx.m: key"},
        {"directory cut short", "Index_desc-idx.h", 1000, true, "Index_desc-idx.h"},
        {"page outside the content", "Index-fl.h", 268 + 100, false, "Index-fl.h: entry 0"},
        {"partial contents record", "kav.dir", 216 * 3 + 5, true, "kav.dir record 4"},
        {"posting data cut short", "Index_content-idx.m", 4096, true, "Index_content-idx.m"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir copy;
        fs::copy(Data(), copy.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        const fs::path file = copy.path() / c.file;
        if (c.truncate) {
            fs::resize_file(file, c.offset);
        } else {
            std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(static_cast<std::streamoff>(c.offset));
            f.write("\x10\x00\x00\x7F", 4);
        }
        const RunResult result = RunTool(copy.path(), {"check"});
        EXPECT_EQ(result.code, 1);
        EXPECT_NE(result.out.find(c.named), std::string::npos) << result.out;
    }
}

std::uint32_t ReadU32(const fs::path& file, std::uint64_t offset)
{
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    unsigned char b[4] = {};
    in.read(reinterpret_cast<char*>(b), 4);
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

void WriteAt(const fs::path& file, std::uint64_t offset, std::string_view bytes)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteU32(const fs::path& file, std::uint64_t offset, std::uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    WriteAt(file, offset, {bytes, 4});
}

// Damage that every reader takes at face value, so that it changes answers
// instead of failing: only the tables checked against each other and
// against the streams reveal it.
TEST_F(VeskTool, CheckCrossChecksTheTables)
{
    constexpr std::uint64_t kEntry = 108;          // name width 100 + end + length
    constexpr std::uint64_t kFirstEntry = 268;
    constexpr std::uint64_t kLastPages = 1000000;  // the last-page table of a posting directory
    const auto slot = [](char32_t c) { return static_cast<std::uint64_t>(c - 0x3400); };
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> damage;
        const char* named;
    };
    const Case cases[] = {
        {"kav.dir empty", [](const fs::path& d) { fs::resize_file(d / "kav.dir", 0); }, "kav.dir: no records"},
        {"kav.dir cut at a record boundary", [](const fs::path& d) { fs::resize_file(d / "kav.dir", 216 * 6); },
         "kav.dir: the volumes cover pages 1 .. 4, but the page store has 6 pages"},
        {"kav.dir a folder",
         [](const fs::path& d) {
             fs::remove(d / "kav.dir");
             fs::create_directory(d / "kav.dir");
         },
         "kav.dir: not a regular file"},
        {"a page starting inside the page before it",
         [&](const fs::path& d) {
             const fs::path dir = d / "Index-fl.h";
             WriteU32(dir, kFirstEntry + kEntry + 100, ReadU32(dir, kFirstEntry + kEntry + 100) - 3);
         },
         "Index-fl.h: entry 1: offset 376: end "},
        {"a stored name whose number is not its place",
         [&](const fs::path& d) { WriteAt(d / "Index-fl.h", kFirstEntry + kEntry + 6, "3"); },
         "Index-fl.h: entry 1: name \"v1\\0003.htm\" carries page 3, but kav.dir record 3: offset 432 makes it page 2"},
        {"a header page count that is not the entries'", [](const fs::path& d) { WriteU32(d / "Index-fl.h", 0, 7); },
         "Index-fl.h: header: page count 7, but the directory has 6 entries"},
        {"a last-page entry before the stream's last page",
         [&](const fs::path& d) { WriteU32(d / "Index-idx.h", kLastPages + 4 * slot(U'學'), 1); },
         "the stream goes on past its last-page entry 1: a record of page 3 follows"},
        {"a first block in another key's stream",
         [&](const fs::path& d) {
             // 也 occurs on page 4 only, the last page of 學 too.
             const fs::path dir = d / "Index-idx.h";
             WriteU32(dir, 4 * slot(U'學'), ReadU32(dir, 4 * slot(U'也')));
         },
         "is also in the stream of key"},
        {"a contents level that jumps",
         [](const fs::path& d) { WriteU32(d / "kav.dir", 5 * 216 + 200, 3); }, // the work 詩經 made a volume
         "kav.dir record 6: offset 1080: level 3 follows level 1"},
        {"a work whose range is not its volumes'",
         [](const fs::path& d) { WriteU32(d / "kav.dir", 1 * 216 + 208, 3); },
         "kav.dir record 2: offset 216: docID 1, docNo 3, first page 1, but its volumes span docID 1, docNo 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir copy;
        fs::copy(Data(), copy.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        c.damage(copy.path());
        const RunResult result = RunTool(copy.path(), {"check"});
        EXPECT_EQ(result.code, 1);
        EXPECT_NE(result.out.find(c.named), std::string::npos) << result.out;
    }
    EXPECT_EQ(RunTool(Data(), {"check"}).code, 0);
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

// The pair files: a damaged one is damage (here the key checksum table at
// its end); one of another build (here: a folder without its generation
// marker) is ignored and no damage, and so is one of version 1, which has
// no key checksums to check.
TEST_F(VeskTool, CheckValidatesPairFiles)
{
    test::TempDir marked;
    ASSERT_TRUE(test::MakeMarkedDataFolder(test::CorpusBuilder()
                                               .Category("經")
                                               .Work("論語")
                                               .Volume("卷一", {"學而時習之" + test::Note("學而"), "不亦說乎學"})
                                               .Take(),
                                           marked.path()));
    const auto copyFolder = [&marked](const fs::path& to) {
        for (const auto& entry : fs::directory_iterator(marked.path()))
            fs::copy_file(entry.path(), to / entry.path().filename());
    };
    test::TempDir unmarked;
    copyFolder(unmarked.path());
    fs::remove(unmarked.path() / "vesk-generation");
    EXPECT_EQ(RunTool(unmarked.path(), {"check"}).code, 0);

    for (const char* file : {"Index-idx.pairs", "Index_content-idx.pairs"}) {
        SCOPED_TRACE(file);
        test::TempDir damaged;
        copyFolder(damaged.path());
        EXPECT_EQ(RunTool(damaged.path(), {"check"}).code, 0);
        const fs::path pairs = damaged.path() / file;
        {
            std::fstream f(pairs, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(static_cast<std::streamoff>(fs::file_size(pairs) - 2));
            f.write("\xFF\xFF", 2);
        }
        const RunResult result = RunTool(damaged.path(), {"check"});
        EXPECT_EQ(result.code, 1);
        EXPECT_NE(result.out.find(std::string(file) + ": key checksum of first key"), std::string::npos)
            << result.out;
        // The same file as version 1 (its key checksums no longer read).
        {
            std::fstream f(pairs, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(8);
            f.write("\x01\0\0\0", 4);
        }
        EXPECT_EQ(RunTool(damaged.path(), {"check"}).code, 0);
    }
}

} // namespace
} // namespace vesk

namespace vesk {
namespace {

// The page-count files: each key's list is held to what its posting stream
// gives, so a file of the right build and size whose lists are another
// layer's is named, and so is a damaged one; a folder without a marker has
// none in use and is sound.
TEST_F(VeskTool, CheckHoldsPageCountFilesToThePostingStreams)
{
    test::TempDir marked;
    ASSERT_TRUE(test::MakeMarkedDataFolder(test::CorpusBuilder()
                                               .Category("經")
                                               .Work("論語")
                                               .Volume("卷一", {"學而時習之" + test::Note("學而"), "不亦說乎學"})
                                               .Take(),
                                           marked.path()));
    EXPECT_EQ(RunTool(marked.path(), {"check"}).code, 0);
    const auto copyFolder = [&marked](const fs::path& to) {
        for (const auto& entry : fs::directory_iterator(marked.path()))
            fs::copy_file(entry.path(), to / entry.path().filename());
    };
    const auto readBytes = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> change;
        const char* named;
    };
    const Case cases[] = {
        {"a checksum overwritten",
         [](const fs::path& d) {
             std::fstream f(d / "Index-idx.counts", std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(static_cast<std::streamoff>(fs::file_size(d / "Index-idx.counts") - 2));
             f.write("\xFF\xFF", 2);
         },
         "Index-idx.counts: key "},
        {"the main text's lists under the whole text's name, listed with their size",
         [&readBytes](const fs::path& d) {
             fs::copy_file(d / "Index_content-idx.counts", d / "Index-idx.counts",
                           fs::copy_options::overwrite_existing);
             std::string marker = readBytes(d / "vesk-generation");
             const std::size_t line = marker.find("file Index-idx.counts ");
             const std::size_t end = marker.find('\n', line);
             marker.replace(line, end - line,
                            "file Index-idx.counts " + std::to_string(fs::file_size(d / "Index-idx.counts")));
             std::ofstream(d / "vesk-generation", std::ios::binary | std::ios::trunc) << marker;
         },
         "Index-idx.counts: key "},
        {"another magic",
         [](const fs::path& d) {
             std::fstream f(d / "Index_desc-idx.counts", std::ios::in | std::ios::out | std::ios::binary);
             f.write("VSKPCNT9", 8);
         },
         "Index_desc-idx.counts: not a page-count file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir damaged;
        copyFolder(damaged.path());
        c.change(damaged.path());
        const RunResult result = RunTool(damaged.path(), {"check"});
        EXPECT_EQ(result.code, 1);
        EXPECT_NE(result.out.find(c.named), std::string::npos) << result.out;
    }

    test::TempDir unmarked;
    copyFolder(unmarked.path());
    fs::remove(unmarked.path() / "vesk-generation");
    {
        std::fstream f(unmarked / "Index-idx.counts", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(70);
        f.write("\xFF", 1);
    }
    EXPECT_EQ(RunTool(unmarked.path(), {"check"}).code, 0) << "a file searches ignore is no damage";
}

} // namespace
} // namespace vesk
