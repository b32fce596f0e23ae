// The command-line programs when their output cannot be written: a full
// device, a file-size limit, a closed pipe. Each command exits with 6 (the
// builder with 1) and one line naming the output; a file written by name
// holds the old bytes or the complete new ones, never a cut file.
#include "support/data_folder.h"
#include "support/run_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

constexpr int kExitOutput = 6;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Program(const char* name)
{
    return ShellQuote((fs::path(VESK_BIN_DIR) / name).string());
}

struct ToolRun {
    int code = -1;
    std::string out, err;
};

class OutputFailure : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new test::TempDir;
        // Page 1 is larger than a pipe holds, so a closed pipe is met for sure.
        std::string large;
        while (large.size() < 300 * 1024)
            large += "學而時習之，不亦說乎。";
        const auto corpus = test::CorpusBuilder()
                                .Category("經")
                                .Work("論語")
                                .Volume("卷一", {"學而時習之", large, "有朋自遠方來"})
                                .Take();
        ASSERT_TRUE(test::MakeMarkedDataFolder(corpus, s_dir->path() / "data"));
        test::WriteSourceFolder(corpus, s_dir->path() / "source");
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // Runs a shell command line in which TOOL stands for vesk-tool with the
    // data folder; standard error is kept apart.
    static ToolRun Shell(const std::string& line)
    {
        const fs::path err = s_dir->path() / "stderr";
        std::string command = line;
        const std::string tool = Program("vesk-tool") + " --data " + ShellQuote((s_dir->path() / "data").string());
        for (std::size_t at; (at = command.find("TOOL")) != std::string::npos;)
            command.replace(at, 4, tool);
        const test::CommandResult result = test::RunCommand("(" + command + ") 2>" + ShellQuote(err.string()));
        return {result.code, result.out, ReadFile(err)};
    }
    static fs::path Scratch(const std::string& name) { return s_dir->path() / name; }

    static test::TempDir* s_dir;
};

test::TempDir* OutputFailure::s_dir = nullptr;

std::size_t Lines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(OutputFailure, EveryCommandOntoAFullDeviceFailsWithOneLine)
{
    const struct {
        const char* args;
    } cases[] = {
        {"search 學"},      {"search --raw 學"},  {"search --json 學"}, {"search --scope 1 學"},
        {"page --id 0"},    {"page --record 3 --number 2"},           {"contents"},
        {"check"},          {"render --id 1 學"}, {"render --id 0 -o /dev/full 學"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun run = Shell(std::string("TOOL ") + c.args + " >/dev/full");
        EXPECT_EQ(run.code, kExitOutput);
        EXPECT_NE(run.err.find("/dev/full"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(": No space left on device\n"), std::string::npos) << run.err;
        EXPECT_EQ(Lines(run.err), std::string(c.args).starts_with("render --id 1") ? 2u : 1u) << run.err;
        // The same command writing to /dev/null succeeds.
        std::string args = c.args;
        if (const std::size_t at = args.find("/dev/full"); at != std::string::npos)
            args.replace(at, 9, "/dev/null");
        EXPECT_EQ(Shell("TOOL " + args + " >/dev/null").code, 0);
    }
}

TEST_F(OutputFailure, AClosedPipeFailsWithoutAMessage)
{
    for (const char* args : {"page --id 1", "render --id 1 學"}) {
        SCOPED_TRACE(args);
        const ToolRun run = Shell(std::string("{ { TOOL ") + args + "; echo $? >&3; } | head -c1 >/dev/null; } 3>&1");
        EXPECT_EQ(run.out, "6\n");
        EXPECT_EQ(run.err.find("vesk-tool:"), std::string::npos) << run.err;
    }
}

TEST_F(OutputFailure, AFileWrittenByNameIsOldOrWhole)
{
    const fs::path file = Scratch("hit.html");
    {
        std::ofstream(file) << "old page";
    }
    ::chmod(file.c_str(), 0640);
    const std::string o = " -o " + ShellQuote(file.string());

    // A file-size limit of one 512-byte block: the new page does not fit.
    ToolRun run = Shell("ulimit -f 1; TOOL render --id 1" + o + " 學");
    EXPECT_EQ(run.code, kExitOutput);
    EXPECT_EQ(run.err, "vesk-tool render: cannot write " + file.string() + ": File too large\n");
    EXPECT_EQ(ReadFile(file), "old page");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(file.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 4u) << "data, source, stderr, hit.html and nothing left behind";

    run = Shell("TOOL render --id 1" + o + " 學");
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string page = ReadFile(file);
    EXPECT_GT(page.size(), 300u * 1024);
    EXPECT_EQ(Shell("TOOL render --id 1 學 2>/dev/null").out, page);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the new file keeps the old one's permissions";

    // A symbolic link stays a link; the file it names gets the page.
    const fs::path link = Scratch("link.html");
    fs::create_symlink(file.filename(), link);
    ASSERT_EQ(Shell("TOOL render --id 0 -o " + ShellQuote(link.string()) + " 學").code, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFile(file).find("學</b>"), std::string::npos);
    EXPECT_EQ(ReadFile(file).size(), Shell("TOOL render --id 0 學 2>/dev/null").out.size());
    fs::remove(link);

    // A FIFO is written into, not replaced; a folder is refused.
    const fs::path fifo = Scratch("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    run = Shell("cat " + ShellQuote(fifo.string()) + " > " + ShellQuote(Scratch("from-fifo").string()) +
                " & TOOL render --id 0 -o " + ShellQuote(fifo.string()) + " 學; wait");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(ReadFile(Scratch("from-fifo")), Shell("TOOL render --id 0 學 2>/dev/null").out);
    fs::remove(fifo);
    fs::remove(Scratch("from-fifo"));

    run = Shell("TOOL render --id 0 -o " + ShellQuote(Scratch("data").string()) + " 學");
    EXPECT_EQ(run.code, kExitOutput);
    EXPECT_NE(run.err.find("Is a directory"), std::string::npos) << run.err;
}

TEST_F(OutputFailure, TheBuilderNamesTheFileItCannotWrite)
{
    const fs::path out = Scratch("built");
    const ToolRun run = Shell("ulimit -f 64; " + Program("vesk-build") + " " +
                          ShellQuote(Scratch("source").string()) + " " + ShellQuote(out.string()));
    EXPECT_EQ(run.code, 1);
    // The line names the data file that could not be written, not the
    // source page that was being stored when the limit was met.
    EXPECT_TRUE(run.err.starts_with("vesk-build: " + (out / "").string())) << run.err;
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(Scratch("source").string()), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.err), 1u) << run.err;
    EXPECT_TRUE(fs::is_empty(out)) << "no data file and no partial file is left";
    fs::remove_all(out);
}

} // namespace
} // namespace vesk
