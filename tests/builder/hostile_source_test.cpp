// vesk-build on hostile sources: every bad file gets one line naming its
// source path and exit 1, without blocking (FIFOs), without reading without
// end (/dev/zero) and without an abort (folders, symlink loops, over-long
// targets); the builder refuses what `vesk-tool check` would name, accepts a
// byte-order mark where text files carry one, quotes names safely and never
// drops a page silently.
#include "support/data_folder.h"
#include "support/run_command.h"
#include "file_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sys/stat.h>

namespace vesk::test {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class HostileSource : public ::testing::Test {
public: // the damage functions of the table reach the folders
    void SetUp() override
    {
        WriteSourceFolder(CorpusBuilder()
                              .Category("經").Work("論語")
                              .Volume("學而", {"學而時習之", "不亦說乎", "有朋"})
                              .Variants("5B78,5B66\n")
                              .Take(),
                          source.path());
    }
    // vesk-build with standard error joined to the output; a build that
    // blocks is stopped after 60 s (exit 124).
    CommandResult Build(const std::string& options = {})
    {
        const std::string program = ShellQuote((fs::path(VESK_BIN_DIR) / "vesk-build").string());
        return RunCommand("timeout 60 " + program + " --quiet " + options + " " + ShellQuote(source.path().string()) +
                          " " + ShellQuote((out / "data").string()) + " 2>&1 </dev/null");
    }
    fs::path Page(int number) const
    {
        char name[16];
        std::snprintf(name, sizeof name, "%04d.htm", number);
        return source / "v1" / name;
    }
    TempDir source, out, outside;
};

TEST_F(HostileSource, EveryBadFileIsOneLineNamingItsPath)
{
    const fs::path last = Page(3);
    const struct {
        const char* what;
        std::function<void(HostileSource&)> damage;
        std::string options;
        std::string expected; // after the path of the file
    } cases[] = {
        {"contents.txt a folder", [](HostileSource& t) { fs::remove(t.source / "contents.txt"); fs::create_directory(t.source / "contents.txt"); },
         "", "contents.txt: the contents file is a folder, not a regular file"},
        {"yitizi.txt a folder", [](HostileSource& t) { fs::remove(t.source / "yitizi.txt"); fs::create_directory(t.source / "yitizi.txt"); },
         "", "yitizi.txt: the variant table is a folder, not a regular file"},
        {"--variants a folder", [](HostileSource&) {}, "--variants /", "/: the variant table is a folder"},
        {"--variants /dev/zero", [](HostileSource&) {}, "--variants /dev/zero", "/dev/zero: the variant table is a device"},
        {"last page a symlink loop", [&](HostileSource&) { fs::remove(last); fs::create_symlink(last, last); },
         "", last.string() + ": is a symlink loop"},
        {"last page with an over-long target", [&](HostileSource&) { fs::remove(last); fs::create_symlink(std::string(300, 'x'), last); },
         "", last.string() + ": has a name or symlink target that is too long"},
        {"last page dangling", [&](HostileSource&) { fs::remove(last); fs::create_symlink("gone.htm", last); },
         "", last.string() + ": is missing"},
        {"last page a folder", [&](HostileSource&) { fs::remove(last); fs::create_directory(last); },
         "", last.string() + ": is a folder, not a regular file"},
        {"last page a FIFO", [&](HostileSource&) { fs::remove(last); ::mkfifo(last.c_str(), 0644); },
         "", last.string() + ": is a FIFO, not a regular file"},
        {"first page a FIFO", [&](HostileSource& t) { fs::remove(t.Page(1)); ::mkfifo(t.Page(1).c_str(), 0644); },
         "", Page(1).string() + ": is a FIFO, not a regular file"},
        {"a page leading to /dev/zero", [&](HostileSource&) { fs::remove(last); fs::create_symlink("/dev/zero", last); },
         "", last.string() + ": leads out of the source folder"},
        {"... allowed to lead out", [&](HostileSource&) { fs::remove(last); fs::create_symlink("/dev/zero", last); },
         "--allow-outside-links", last.string() + ": is a device, not a regular file"},
        {"a page leading out of the source", [&](HostileSource& t) { fs::remove(last); Write(t.outside / "p.htm", MakePage(3, "x")); fs::create_symlink(t.outside / "p.htm", last); },
         "", last.string() + ": leads out of the source folder"},
        {"a page past the page store's 2 GiB", [&](HostileSource&) { fs::resize_file(last, 0x80000000ull); },
         "", last.string() + ": is 2147483648 bytes; at most"},
        {"a key's positions past 65535 bytes", [&](HostileSource&) { std::string text; for (int i = 0; i < 70000; ++i) text += "之"; Write(last, MakePage(3, text)); },
         "", last.string() + ": "},
        {"a variant member that is not hexadecimal", [](HostileSource& t) { Write(t.source / "yitizi.txt", "5B78,5B66\n4E00,xyz\n"); },
         "", "yitizi.txt line 2 (group 1): member 2 \"xyz\" is not a hexadecimal number"},
        {"a variant member past 10FFFF", [](HostileSource& t) { Write(t.source / "yitizi.txt", "110000,5B66\n"); },
         "", "yitizi.txt line 1 (group 0): member 1 \"110000\" is not a Unicode scalar value"},
        {"a surrogate variant member", [](HostileSource& t) { Write(t.source / "yitizi.txt", "D800,5B66\n"); },
         "", "yitizi.txt line 1 (group 0): member 1 \"D800\" is not a Unicode scalar value"},
        {"a variant table past 8 MiB", [](HostileSource& t) { fs::resize_file(t.source / "yitizi.txt", 9u << 20); },
         "", "yitizi.txt: the variant table is 9437184 bytes; at most 8388608 fit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSourceFolder(CorpusBuilder()
                              .Category("經").Work("論語")
                              .Volume("學而", {"學而時習之", "不亦說乎", "有朋"})
                              .Variants("5B78,5B66\n")
                              .Take(),
                          source.path());
        c.damage(*this);
        const CommandResult run = Build(c.options);
        EXPECT_EQ(run.code, 1) << run.out;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
        EXPECT_FALSE(fs::exists(out / "data" / "kav.dir"));
        fs::remove_all(source.path());
        fs::create_directory(source.path());
    }
}

TEST_F(HostileSource, PagesLeadingOutAreReadOnlyWhenAllowed)
{
    Write(outside / "p.htm", MakePage(3, "有朋自遠方來"));
    fs::remove(Page(3));
    fs::create_symlink(outside / "p.htm", Page(3));
    EXPECT_EQ(Build().code, 1);
    const CommandResult run = Build("--allow-outside-links");
    EXPECT_EQ(run.code, 0) << run.out;
}

TEST_F(HostileSource, ByteOrderMarksAreReadAndNotCopied)
{
    Write(source / "contents.txt", "\xEF\xBB\xBF" + ReadBytes(source / "contents.txt"));
    Write(source / "yitizi.txt", "\xEF\xBB\xBF" "5B78,5B66\r\n");
    const CommandResult run = Build();
    ASSERT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(ReadBytes(out / "data" / "yitizi.txt"), "5B78,5B66\r\n");
    const CommandResult check = RunCommand(ShellQuote((fs::path(VESK_BIN_DIR) / "vesk-tool").string()) +
                                           " check --data " + ShellQuote((out / "data").string()));
    EXPECT_EQ(check.code, 0) << check.out;
}

TEST_F(HostileSource, NamesAreQuotedAndShortened)
{
    const struct {
        std::string name;
        std::string expected;
    } cases[] = {
        {std::string("ab\0cd", 5), "contents.txt line 1 (\"ab\\x00cd\"): the name holds a NUL character"},
        {std::string(9u << 20, 'n'), "contents.txt line 1 (\"nnnn"},
    };
    for (const auto& c : cases) {
        Write(source / "contents.txt", "1\t" + c.name + "\n2\tw\n3\tv\tv1\n");
        const CommandResult run = Build();
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out.substr(0, 400);
        EXPECT_LT(run.out.size(), 1000u) << "the name is shortened";
    }
}

TEST_F(HostileSource, APageWithoutItsTextCellIsAWarningNamingIt)
{
    Write(Page(2), "<html><head><title>t</title></head><body>no cells</body></html>");
    const CommandResult run = Build();
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find("vesk-build: warning: " + Page(2).string() + ": no text cell"), std::string::npos)
        << run.out;
}

} // namespace
} // namespace vesk::test
