// vesk-import run as a program on the fixtures in tests/fixtures/import and on
// small inputs written here: the contents tree, pages, annotations and
// phrases found in the built data folder, encodings, and every bad input
// answered with its message and exit status, leaving nothing behind.
#include "support/data_folder.h"
#include "support/run_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <iconv.h>
#include <thread>
#include <unistd.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

const fs::path kFixtures = fs::path(VESK_FIXTURES_DIR) / "import";

std::string Bin(const char* name)
{
    return ShellQuote((fs::path(VESK_BIN_DIR) / name).string());
}

// Runs vesk-import with args; out holds standard error (and output).
test::CommandResult Import(const std::vector<std::string>& args)
{
    std::string command = Bin("vesk-import");
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    return test::RunCommand(command + " 2>&1");
}

test::CommandResult Tool(const fs::path& data, const std::vector<std::string>& args)
{
    std::string command = Bin("vesk-tool");
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    return test::RunCommand(command + " --data " + ShellQuote(data.string()) + " 2>&1");
}

// The number of places a search finds (the summary line's second figure).
int Places(const fs::path& data, const std::string& target, const std::string& keyword)
{
    const std::string out = Tool(data, {"search", "--target", target, keyword}).out;
    const std::size_t at = out.find("頁で、");
    return at == std::string::npos ? -1 : std::stoi(out.substr(at + std::string("頁で、").size()));
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Encode(std::string_view utf8, const char* encoding)
{
    iconv_t cd = iconv_open(encoding, "UTF-8");
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    char* o = out.data();
    const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    EXPECT_NE(r, static_cast<std::size_t>(-1));
    out.resize(out.size() - outLeft);
    return out;
}

// Everything in dir, names only, sorted: what an import left behind.
std::vector<std::string> Entries(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct FormatCase {
    std::string format;
    std::vector<std::string> options;
    std::string contents;                 // vesk-tool contents, names only
    std::vector<std::string> pageTitles;  // of the first volume
    std::string phraseOverLineEnd, annotation, gaijiKeyword;
    bool placeholder = false;  // 鮮矣〓不 on the second page: a character without a mapping
};

// Names the case in gtest's messages instead of dumping its bytes.
void PrintTo(const FormatCase& c, std::ostream* out)
{
    *out << c.format;
}

class FormatImport : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatImport, BuildsTheTreePagesNotesAndPhrases)
{
    const FormatCase& c = GetParam();
    test::TempDir dir;
    std::vector<std::string> args = {"--from", c.format, "--build", (dir / "data").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back((kFixtures / c.format).string());
    args.push_back((dir / "source").string());
    const auto run = Import(args);
    ASSERT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"data", "source"}));

    std::string contents;
    std::istringstream lines(Tool(dir / "data", {"contents"}).out);
    for (std::string line; std::getline(lines, line);)
        contents += line.substr(0, line.find("\tdocID")) + "\n";
    EXPECT_EQ(contents, c.contents);

    std::vector<std::string> titles;
    const fs::path volume = dir / "source/c0001/w0001/v0001";
    for (int page = 1; fs::exists(volume / ("000" + std::to_string(page) + ".htm")); ++page) {
        const std::string html = ReadFile(volume / ("000" + std::to_string(page) + ".htm"));
        const std::size_t open = html.find("<title>") + 7;
        titles.push_back(html.substr(open, html.find("</title>") - open));
    }
    EXPECT_EQ(titles, c.pageTitles);

    EXPECT_EQ(Places(dir / "data", "main", c.phraseOverLineEnd), 1) << c.phraseOverLineEnd;
    EXPECT_EQ(Places(dir / "data", "annot", c.annotation), 1) << c.annotation;
    EXPECT_EQ(Places(dir / "data", "main", c.annotation), 0) << c.annotation;
    EXPECT_EQ(Places(dir / "data", "whole", c.gaijiKeyword), 1) << c.gaijiKeyword;
    if (c.placeholder) {
        EXPECT_NE(ReadFile(volume / "0002.htm").find("鮮矣〓不"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatImport,
    ::testing::Values(
        FormatCase{"text",
                   {"--page-break", "^〈.*〉$"},
                   "name=史部\n\tname=史記\n\t\tname=五帝本紀\nname=經部\n\tname=孟子\n\t\tname=梁惠王上\n"
                   "\tname=論語\n\t\tname=學而\n\t\tname=為政\n",
                   {"史記 五帝本紀 1"},
                   "自遠方來", "說音悅", "聰明"},
        FormatCase{"tei",
                   {"--category", "經部"},
                   "name=經部\n\tname=論語\n\t\tname=學而第一\n\t\tname=為政第二\n",
                   {"論語 學而第一 1a", "論語 學而第一 1b"},
                   "自遠方來", "同門曰朋", "不亦悅乎", true},
        FormatCase{"kanripo",
                   {"--category", "經部"},
                   "name=經部\n\tname=論語\n\t\tname=學而第一\n\t\tname=卷二\n",
                   {"論語 學而第一 001-1a", "論語 學而第一 001-1b"},
                   "自遠方來", "男子之通稱", "鮮矣?不", true}),
    [](const auto& info) { return info.param.format; });

TEST(VeskImport, PagesBreakAtMarkersFormFeedsAndLength)
{
    test::TempDir dir;
    ASSERT_EQ(Import({"--from", "text", "--page-break", "^〈.*〉$", (kFixtures / "text").string(),
                      (dir / "out").string()}).code, 0);
    // 梁惠王上: two marker lines, each naming its page; 為政: a form feed.
    const fs::path mencius = dir / "out/c0002/w0001/v0001";
    EXPECT_NE(ReadFile(mencius / "0001.htm").find("<title>孟子 梁惠王上 〈一〉</title>"), std::string::npos);
    EXPECT_NE(ReadFile(mencius / "0002.htm").find("<title>孟子 梁惠王上 〈二〉</title>"), std::string::npos);
    EXPECT_EQ(ReadFile(mencius / "0002.htm").find("〈二〉</p>"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "out/c0002/w0002/v0002/0002.htm"));
    EXPECT_FALSE(fs::exists(dir / "out/c0002/w0002/v0002/0003.htm"));

    // Without markers: a page every N characters, at the next line end.
    std::string long_text;
    for (int line = 0; line < 40; ++line)
        long_text += "天地玄黃宇宙洪荒日月盈昃辰宿列張\n";  // 16 characters a line
    WriteFile(dir / "in/千字文.txt", long_text);
    ASSERT_EQ(Import({"--from", "text", "--page-chars", "100", (dir / "in").string(), (dir / "paged").string()}).code, 0);
    // 100 characters end within the 7th line: 7 lines (112 characters) a page, 40 lines in 6 pages.
    const fs::path volume = dir / "paged/c0001/w0001/v0001";
    EXPECT_TRUE(fs::exists(volume / "0006.htm"));
    EXPECT_FALSE(fs::exists(volume / "0007.htm"));
    const std::string first = ReadFile(volume / "0001.htm");
    std::string sevenLines;
    for (int line = 0; line < 7; ++line)
        sevenLines += "天地玄黃宇宙洪荒日月盈昃辰宿列張";
    EXPECT_NE(first.find("<p>" + sevenLines + "</p>"), std::string::npos);
}

TEST(VeskImport, KeepLinesKeepsTheLayoutAndGivesUpPhrasesOverLineEnds)
{
    test::TempDir dir;
    ASSERT_EQ(Import({"--from", "kanripo", "--keep-lines", "--build", (dir / "data").string(),
                      (kFixtures / "kanripo").string(), (dir / "source").string()}).code, 0);
    EXPECT_NE(ReadFile(dir / "source/c0001/w0001/v0001/0001.htm").find("有朋自遠<br>方來"), std::string::npos);
    EXPECT_EQ(Places(dir / "data", "main", "自遠方來"), 0);
    EXPECT_EQ(Places(dir / "data", "main", "方來"), 1);
}

TEST(VeskImport, EncodingsAreConvertedOrRefusedWithTheOffset)
{
    const std::string text = "　　子曰學而時習之不亦說乎\n有朋自遠方來不亦樂乎\n";
    struct Case {
        std::string file, encoding;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"big5.txt", "big5", Encode(text, "BIG5")},
        {"gbk.txt", "gbk", Encode("　　子曰学而时习之不亦说乎\n有朋自远方来不亦乐乎\n", "GBK")},
        {"utf16.txt", "", "\xFF\xFE" + Encode(text, "UTF-16LE")},
        {"bom.txt", "", "\xEF\xBB\xBF" + text},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        WriteFile(dir / "in" / c.file, c.bytes);
        std::vector<std::string> args = {"--from", "text", "--build", (dir / "data").string()};
        if (!c.encoding.empty())
            args.insert(args.end(), {"--encoding", c.encoding});
        args.insert(args.end(), {(dir / "in").string(), (dir / "source").string()});
        const auto run = Import(args);
        ASSERT_EQ(run.code, 0) << c.file << run.out;
        EXPECT_EQ(Places(dir / "data", "main", c.encoding == "gbk" ? "自远方来" : "自遠方來"), 1) << c.file;
    }

    // Big5 read as UTF-8, and GBK with a byte no character has: the file and the offset.
    test::TempDir dir;
    WriteFile(dir / "big5/a.txt", Encode(text, "BIG5"));
    auto run = Import({"--from", "text", (dir / "big5").string(), (dir / "out1").string()});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("a.txt: byte offset 0: not valid UTF-8"), std::string::npos) << run.out;
    WriteFile(dir / "gbk/b.txt", Encode("子曰", "GBK") + "\xFF\xFF" + Encode("學而", "GBK"));
    run = Import({"--from", "text", "--encoding", "gbk", (dir / "gbk").string(), (dir / "out2").string()});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("b.txt: byte offset 4: not a valid character of gbk"), std::string::npos) << run.out;
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"big5", "gbk"}));

    run = Import({"--from", "text", "--encoding", "no-such-code", (dir / "gbk").string(), (dir / "out3").string()});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.out.find("unknown encoding \"no-such-code\""), std::string::npos);
}

TEST(VeskImport, BadInputIsAnsweredAndLeavesNothing)
{
    struct Case {
        std::string format, file, bytes;
        int code;
        std::string message;
    };
    const std::string longName(120, 'x');
    const std::vector<Case> cases = {
        {"tei", "a.xml", "<TEI><text><body><p>子曰</body></text></TEI>", 1,
         "a.xml: line 1: Opening and ending tag mismatch: p line 1 and body"},
        {"tei", "a.xml", "<TEI><text><body><p>&undefined;</p></body></text></TEI>", 1,
         "a.xml: line 1: Entity 'undefined' not defined"},
        {"tei", "a.xml", "", 1, "a.xml: no text to import (the file is empty)"},
        {"tei", "a.xml", "<TEI><teiHeader/><text><body/></text></TEI>", 1, "a.xml: no text to import"},
        {"text", "a.txt", "子曰（學而\n\n時習之）\n", 1, "a.txt: line 1: \"（\" is not closed before the paragraph ends"},
        {"text", "a.txt", "子曰學而）\n", 1, "a.txt: line 1: \"）\" without an opening bracket"},
        {"text", "a.txt", "子曰（學而〕\n", 1, "a.txt: line 1: \"〕\" closes \"（\" of line 1"},
        {"text", "a.txt", "", 1, "a.txt: no text to import (the file is empty)"},
        {"text", "a.txt", "\n\n　\n", 1, "a.txt: no text to import (the file is empty)"},
        {"text", "a/b/c/d.txt", "子曰", 1, "d.txt: the folders are deeper than category / work / volume allow"},
        {"text", "x.txt\n" "sub/y.txt", "子曰", 1, "lies 0 folder(s) deep where the other texts lie 1 deep"},
        {"kanripo", "KR1_001.txt", "#+TITLE: 論語\n<pb:KR1_001-1a>¶\n子曰(學而¶\n", 1,
         "KR1_001.txt: line 3: \"(\" is not closed before the paragraph ends"},
        {"kanripo", "KR1_001.txt", "#+TITLE: 論語\n#+PROPERTY: JUAN 1\n", 1, "KR1_001.txt: no text to import"},
        {"text", "in.doc", "子曰", 1, "no files ending in .txt"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::istringstream files(c.file);
        for (std::string file; std::getline(files, file);)
            WriteFile(dir / "in" / file, c.bytes);
        const auto run = Import({"--from", c.format, "--build", (dir / "data").string(), (dir / "in").string(),
                                 (dir / "source").string()});
        EXPECT_EQ(run.code, c.code) << c.file << ": " << run.out;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.message << "\n got: " << run.out;
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"in"}) << c.file;
    }
}

TEST(VeskImport, LongNamesAndLongPagesAreFixedUpWithAWarning)
{
    test::TempDir dir;
    const std::string name = "卷" + std::string(120 * 3 / 3, 'a');
    std::string longLine;
    for (int i = 0; i < 70000; ++i)
        longLine += "道";
    WriteFile(dir / "in" / (name + ".txt"), "子曰\n");
    WriteFile(dir / "in/long.txt", longLine + "\n");
    const auto run = Import({"--from", "text", "--build", (dir / "data").string(), (dir / "in").string(),
                             (dir / "source").string()});
    ASSERT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find("is longer than 99 UTF-16 units; shortened"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("long.txt: 1 page(s) longer than 50000 characters split"), std::string::npos) << run.out;
    const std::string contents = ReadFile(dir / "source/contents.txt");
    EXPECT_NE(contents.find("3\t卷" + std::string(97, 'a') + "…\t"), std::string::npos) << contents;
    EXPECT_EQ(Places(dir / "data", "main", "道道道"), 69996);  // 70000 - 2 per page, on two pages
}

TEST(VeskImport, OutputFoldersAreReplacedOnlyWithForce)
{
    test::TempDir dir;
    const std::string in = (kFixtures / "kanripo").string();
    const std::string source = (dir / "source").string(), data = (dir / "data").string();
    ASSERT_EQ(Import({"--from", "kanripo", "--build", data, in, source}).code, 0);
    const auto again = Import({"--from", "kanripo", "--build", data, in, source});
    EXPECT_EQ(again.code, 2);
    EXPECT_NE(again.out.find("is not empty (--force replaces an earlier import)"), std::string::npos);

    ASSERT_EQ(Import({"--from", "kanripo", "--force", "--category", "新", "--build", data, in, source}).code, 0);
    EXPECT_NE(ReadFile(dir / "source/contents.txt").find("1\t新\n"), std::string::npos);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"data", "source"}));

    // A folder that holds something else is never replaced.
    WriteFile(dir / "other/notes.txt", "mine");
    const auto refused = Import({"--from", "kanripo", "--force", in, (dir / "other").string()});
    EXPECT_EQ(refused.code, 2);
    EXPECT_EQ(ReadFile(dir / "other/notes.txt"), "mine");
}

TEST(VeskImport, ASignalStopsTheImportAndLeavesNothing)
{
    test::TempDir dir;
    std::string text;
    for (int line = 0; line < 60000; ++line)
        text += "天地玄黃宇宙洪荒日月盈昃辰宿列張寒來暑往秋收冬藏（閏餘成歲）\n";
    for (int file = 0; file < 2; ++file)
        WriteFile(dir / "in" / (std::to_string(file) + ".txt"), text);
    const std::string command = Bin("vesk-import") + " --from text --progress --build " +
                                ShellQuote((dir / "data").string()) + " " + ShellQuote((dir / "in").string()) +
                                " " + ShellQuote((dir / "source").string()) + " 2>" +
                                ShellQuote((dir / "log").string()) + " & echo $!; wait $!; echo $?";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int pid = 0;
    ASSERT_EQ(std::fscanf(pipe, "%d", &pid), 1);
    // Signal once the first progress line shows the work has begun.
    for (int wait = 0; wait < 200 && ReadFile(dir / "log").find("progress read 1 2") == std::string::npos; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(pid, SIGTERM);
    int code = -1;
    ASSERT_EQ(std::fscanf(pipe, "%d", &code), 1);
    ::pclose(pipe);
    EXPECT_EQ(code, 1);
    EXPECT_NE(ReadFile(dir / "log").find("stopped by signal 15; nothing was written"), std::string::npos)
        << ReadFile(dir / "log");
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"in", "log"}));
}

} // namespace
} // namespace vesk
