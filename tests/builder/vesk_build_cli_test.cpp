// The vesk-build program itself: exit status, the refusal to overwrite a
// non-empty folder, --force, --variants and the messages on standard error.
#include "support/data_folder.h"
#include "file_bytes.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace vesk::test {
namespace {

namespace fs = std::filesystem;

struct BuildRun {
    int status = -1;
    std::string stderrText;
};

// The path in single quotes for the shell (test paths hold no quote).
std::string Quote(const fs::path& path)
{
    std::string quoted(1, '\'');
    quoted.append(path.string()).push_back('\'');
    return quoted;
}

// Runs vesk-build with the arguments (already shell-safe) and no terminal.
BuildRun RunBuild(const std::string& arguments, const TempDir& scratch)
{
    const fs::path program = fs::path(VESK_BIN_DIR) / "vesk-build";
    const fs::path errors = scratch / "stderr.txt";
    std::string command = Quote(program);
    command.append(" ").append(arguments).append(" 2>").append(Quote(errors)).append(" </dev/null");
    const int raw = std::system(command.c_str());
    BuildRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.stderrText = ReadBytes(errors);
    return run;
}


class VeskBuildCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteSourceFolder(CorpusBuilder()
                              .Category("經").Work("論語")
                              .Volume("學而", {"學而時習之", "不亦說乎" + Note("注")})
                              .Variants("5B78,5B66\n")
                              .Take(),
                          source.path());
    }
    TempDir scratch, source, out;
};

TEST_F(VeskBuildCli, BuildsIntoAMissingFolderAndSummarises)
{
    const fs::path target = out / "a" / "b";
    const BuildRun run = RunBuild(Quote(source.path()) + " " + Quote(target), scratch);
    EXPECT_EQ(run.status, 0) << run.stderrText;
    for (const char* name : {"Index-fl.h", "Index-fl.cnt", "kav.dir", "yitizi.txt", "Index-idx.h",
                             "Index-idx.m", "Index_content-idx.h", "Index_content-idx.m",
                             "Index_desc-idx.h", "Index_desc-idx.m"})
        EXPECT_TRUE(fs::exists(target / name)) << name;
    EXPECT_NE(run.stderrText.find("2 pages; characters: whole 10, main 9, annotations 1"),
              std::string::npos)
        << run.stderrText;
    EXPECT_EQ(ReadBytes(target / "yitizi.txt"), "5B78,5B66\n");
}

TEST_F(VeskBuildCli, QuietPrintsNothing)
{
    const BuildRun run = RunBuild("--quiet " + Quote(source.path()) + " " + Quote(out.path()), scratch);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.stderrText, "");
}

TEST_F(VeskBuildCli, RefusesANonEmptyFolderUnlessForcedAndKeepsOtherFiles)
{
    WriteSourceFolder({}, out / "keep"); // an unrelated file: keep/contents.txt
    const std::string args = Quote(source.path()) + " " + Quote(out.path());
    const BuildRun refused = RunBuild(args, scratch);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.stderrText.find("is not empty"), std::string::npos) << refused.stderrText;
    EXPECT_FALSE(fs::exists(out / "kav.dir"));

    EXPECT_EQ(RunBuild("--force " + args, scratch).status, 0);
    EXPECT_TRUE(fs::exists(out / "kav.dir"));
    std::ofstream(scratch / "table.txt", std::ios::binary) << "\xEF\xBB\xBF" "4E00,5F0C\r\n";
    const BuildRun again = RunBuild("--force --variants " + Quote(scratch / "table.txt") + " " + args,
                               scratch);
    EXPECT_EQ(again.status, 0) << again.stderrText;
    EXPECT_EQ(ReadBytes(out / "yitizi.txt"), "4E00,5F0C\r\n")
        << "--variants replaces the table, without its byte-order mark";
    EXPECT_TRUE(fs::exists(out / "keep" / "contents.txt"));
}

TEST_F(VeskBuildCli, UsageErrorsExitWithTwo)
{
    const std::string dirs = Quote(source.path()) + " " + Quote(out.path());
    const std::vector<std::string> usages = {
        "", Quote(source.path()), "--bogus " + dirs, dirs + " extra", "--variants",
        Quote(out / "none") + " " + Quote(out.path()),
        "--memory 0 " + dirs, "--memory 4096 " + dirs, "--memory 1x " + dirs, dirs + " --memory"};
    for (const std::string& args : usages) {
        SCOPED_TRACE(args);
        const BuildRun run = RunBuild(args, scratch);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.stderrText.find("usage: vesk-build"), std::string::npos);
    }
}

// A folder built without page-count files (here: its files removed) gets
// them back, byte for byte, for the generation its marker names; the folder
// must have a marker, and the option takes the folder alone.
TEST_F(VeskBuildCli, AddsPageCountFilesToABuiltFolder)
{
    ASSERT_EQ(RunBuild("--quiet " + Quote(source.path()) + " " + Quote(out.path()), scratch).status, 0);
    const std::string names[] = {"Index-idx.counts", "Index_content-idx.counts", "Index_desc-idx.counts"};
    std::vector<std::string> built;
    for (const std::string& name : names) {
        built.push_back(ReadBytes(out / name));
        fs::remove(out / name);
    }
    const std::string marker = ReadBytes(out / "vesk-generation");
    const BuildRun run = RunBuild("--add-page-counts " + Quote(out.path()), scratch);
    EXPECT_EQ(run.status, 0) << run.stderrText;
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_TRUE(ReadBytes(out / names[i]) == built[i]) << names[i];
    const auto idLine = [](const std::string& text) { return text.substr(text.find("\nid "), 21); };
    EXPECT_EQ(idLine(ReadBytes(out / "vesk-generation")), idLine(marker)) << "the same generation";
    for (const auto& entry : fs::directory_iterator(out.path()))
        EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();

    fs::remove(out / "vesk-generation");
    const BuildRun unmarked = RunBuild("--add-page-counts " + Quote(out.path()), scratch);
    EXPECT_EQ(unmarked.status, 1);
    EXPECT_NE(unmarked.stderrText.find("vesk-generation: missing"), std::string::npos) << unmarked.stderrText;
    for (const std::string& args : {std::string("--add-page-counts"),
                                    "--add-page-counts " + Quote(out.path()) + " " + Quote(source.path()),
                                    "--force --add-page-counts " + Quote(out.path()),
                                    "--add-page-counts --memory 64 " + Quote(out.path())}) {
        const BuildRun usage = RunBuild(args, scratch);
        EXPECT_EQ(usage.status, 2) << args;
        EXPECT_NE(usage.stderrText.find("usage: vesk-build"), std::string::npos);
    }
}

TEST_F(VeskBuildCli, BadSourceExitsWithOneAndOneLine)
{
    fs::remove(source / "v1" / "0002.htm");
    WriteSourceFolder(CorpusBuilder().Category("c").Work("w").Volume("v", {"x"}, 3, "v1").Take(),
                      scratch / "other");
    fs::copy_file(scratch / "other" / "v1" / "0003.htm", source / "v1" / "0003.htm");
    const BuildRun run = RunBuild(Quote(source.path()) + " " + Quote(out.path()), scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.stderrText.find((source / "v1").string() + ": page numbers are not consecutive"),
              std::string::npos)
        << run.stderrText;
    EXPECT_EQ(std::count(run.stderrText.begin(), run.stderrText.end(), '\n'), 1);
    EXPECT_TRUE(fs::is_empty(out.path())) << "no data files from a failed build";
}

TEST_F(VeskBuildCli, MissingVariantFileExitsWithOne)
{
    const BuildRun run = RunBuild("--variants " + Quote(scratch / "none.txt") + " " +
                                 Quote(source.path()) + " " + Quote(out.path()),
                             scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.stderrText.find("none.txt: the variant table is missing"), std::string::npos)
        << run.stderrText;
}

} // namespace
} // namespace vesk::test
