// A data folder is the complete old build or the complete new one: a build
// that stops while switching its files leaves a folder that every reader
// refuses and check names; a second writer is turned away; temporary files
// are never written through a planted symlink; leftovers are named by check
// and cleared by the next build.
#include "datafolder/data_folder_switch.h"
#include "datafolder/folder_generation.h"
#include "datafolder/optional_files.h"
#include "engine/index.h"
#include "fileio/folder_lock.h"
#include "support/data_folder.h"
#include "support/run_command.h"
#include "support/search_helpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

std::string Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs a program of the build with its standard error joined to its output.
test::CommandResult RunProgram(const std::string& program, const std::vector<std::string>& args)
{
    std::string command = ShellQuote((fs::path(VESK_BIN_DIR) / program).string());
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    return test::RunCommand(command + " 2>&1 </dev/null");
}

test::CommandResult Tool(const fs::path& data, std::vector<std::string> args)
{
    args.push_back("--data");
    args.push_back(data.string());
    return RunProgram("vesk-tool", args);
}

build::SourceCorpus Corpus(const std::string& text)
{
    return test::CorpusBuilder().Category("經").Work("論語").Volume("學而", {text, "有朋" + text}).Take();
}

class DataFolderGeneration : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::WriteSourceFolder(Corpus("學而時習之"), oldSource.path());
        test::WriteSourceFolder(Corpus("不亦說乎不亦樂乎"), newSource.path());
        ASSERT_EQ(RunProgram("vesk-build", {"--quiet", oldSource.path().string(), data.path().string()}).code, 0);
    }
    test::CommandResult Rebuild(const fs::path& source)
    {
        return RunProgram("vesk-build", {"--quiet", "--force", source.string(), data.path().string()});
    }
    test::TempDir oldSource, newSource, data;
};

TEST_F(DataFolderGeneration, AFreshBuildIsSoundAndReadable)
{
    EXPECT_EQ(Tool(data.path(), {"check"}).code, 0);
    EXPECT_NE(Read(data / "vesk-generation").find("state complete"), std::string::npos);
    EXPECT_EQ(Tool(data.path(), {"search", "--raw", "時習"}).out, "0\t1\n1\t1\n");
}

// A rename that fails half-way through the switch (here a folder stands
// where the annotations' index directory goes, so its rename fails after the
// files before it were switched) leaves a folder of two builds.
TEST_F(DataFolderGeneration, AHalfSwitchedFolderIsRefusedEverywhereUntilBuiltAgain)
{
    fs::remove(data / "Index_desc-idx.h");
    fs::create_directories(data / "Index_desc-idx.h" / "blocker");
    const auto failed = Rebuild(newSource.path());
    EXPECT_EQ(failed.code, 1) << failed.out;
    EXPECT_NE(failed.out.find("Index_desc-idx.h: cannot rename into place"), std::string::npos) << failed.out;

    const struct {
        std::vector<std::string> args;
        int code;
    } refused[] = {
        {{"page", "--id", "0"}, 4},
        {{"search", "不亦"}, 4},
        {{"contents"}, 4},
        {{"render", "--id", "0", "不亦"}, 4},
        {{"check"}, 1},
    };
    for (const auto& [args, code] : refused) {
        const auto run = Tool(data.path(), args);
        EXPECT_EQ(run.code, code) << args[0] << ": " << run.out;
        EXPECT_NE(run.out.find("vesk-generation: a build stopped while switching"), std::string::npos)
            << args[0] << ": " << run.out;
    }
    test::ReportCapture capture;
    CIndex index;
    EXPECT_EQ(index.Open(data.path(), "Index", kIndexWhole), 0);
    EXPECT_EQ(capture.messages, std::vector<std::string>{"データを開けませんでした。"});

    fs::remove_all(data / "Index_desc-idx.h");
    const auto rebuilt = Rebuild(newSource.path());
    EXPECT_EQ(rebuilt.code, 0) << rebuilt.out;
    EXPECT_EQ(Tool(data.path(), {"check"}).code, 0);
    EXPECT_EQ(Tool(data.path(), {"search", "--raw", "樂"}).out, "0\t1\n1\t1\n");
}

TEST_F(DataFolderGeneration, AFileReplacedAfterTheBuildIsRefused)
{
    test::TempDir other;
    ASSERT_EQ(RunProgram("vesk-build", {"--quiet", newSource.path().string(), other.path().string()}).code, 0);
    fs::copy_file(other / "Index-fl.cnt", data / "Index-fl.cnt", fs::copy_options::overwrite_existing);
    const auto page = Tool(data.path(), {"page", "--id", "0"});
    EXPECT_EQ(page.code, 4);
    EXPECT_NE(page.out.find("Index-fl.cnt: "), std::string::npos) << page.out;
    EXPECT_EQ(Tool(data.path(), {"check"}).code, 1);

    // Without the marker the folder is read as it is, as folders of older builds are.
    fs::remove(data / "vesk-generation");
    EXPECT_EQ(Tool(data.path(), {"page", "--id", "0"}).code, 0);
}

TEST_F(DataFolderGeneration, ASecondWriterIsTurnedAway)
{
    fileio::FolderLock other;
    std::string error;
    ASSERT_TRUE(other.Acquire(data.path(), error)) << error;
    const auto run = Rebuild(newSource.path());
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("is being written by another program"), std::string::npos) << run.out;
    EXPECT_EQ(Tool(data.path(), {"search", "--raw", "時習"}).out, "0\t1\n1\t1\n");

    build::BuildReport report;
    EXPECT_FALSE(build::WriteDataFolder(Corpus("樂"), data.path(), report, error));
    EXPECT_NE(error.find("is being written by another program"), std::string::npos) << error;
}

TEST_F(DataFolderGeneration, LeftoversAreNamedNeverFollowedAndCleared)
{
    test::TempDir elsewhere;
    const fs::path victim = elsewhere / "victim";
    std::ofstream(victim) << "not to be overwritten";
    fs::create_symlink(victim, data / "kav.dir.partial");
    std::ofstream(data / "Index-idx.m.partial") << "half a file";

    const auto check = Tool(data.path(), {"check"});
    EXPECT_EQ(check.code, 0) << check.out;
    EXPECT_NE(check.out.find("Index-idx.m.partial: left over from an interrupted build"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("kav.dir.partial: left over"), std::string::npos) << check.out;

    const auto run = Rebuild(newSource.path());
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_EQ(Read(victim), "not to be overwritten");
    EXPECT_FALSE(fs::exists(fs::symlink_status(data / "kav.dir.partial")));
    EXPECT_FALSE(fs::exists(data / "Index-idx.m.partial"));
    EXPECT_EQ(Tool(data.path(), {"check"}).out.find("left over"), std::string::npos);
}

TEST(GenerationMarker, OptionalFilesCountOnlyForTheirOwnGeneration)
{
    test::TempDir data;
    FolderGeneration generation{false, "00000000000000aa", {{"extra.bin", 3}}};
    std::ofstream(data / "vesk-generation") << FormatGeneration(generation);
    std::ofstream(data / "extra.bin") << "abc";
    EXPECT_TRUE(OptionalFileIsCurrent(data.path(), "extra.bin", "00000000000000aa"));
    EXPECT_FALSE(OptionalFileIsCurrent(data.path(), "extra.bin", "00000000000000bb")); // another build's
    EXPECT_FALSE(OptionalFileIsCurrent(data.path(), "other.bin", "00000000000000aa"));  // not listed
    std::ofstream(data / "extra.bin") << "abcd";
    EXPECT_FALSE(OptionalFileIsCurrent(data.path(), "extra.bin", "00000000000000aa")); // changed size
    fs::remove(data / "vesk-generation");
    EXPECT_FALSE(OptionalFileIsCurrent(data.path(), "extra.bin", "00000000000000aa")); // no marker

    FolderGeneration parsed;
    std::string problem;
    EXPECT_TRUE(ParseGeneration(FormatGeneration(generation), parsed, problem)) << problem;
    EXPECT_EQ(parsed.files, generation.files);
    EXPECT_FALSE(ParseGeneration("vesk data folder generation 1\nstate complete\nid 1\nfile ../x 3\n", parsed,
                                 problem));
}

// An optional file as later tools will write them: the generation id, then
// contents that are sound when they read "ok".
bool ExtraRecordedId(const fs::path& path, std::string& id)
{
    id = Read(path).substr(0, 16);
    return id.size() == 16;
}

void ValidateExtra(const fs::path&, const fs::path& path, std::vector<std::string>& problems)
{
    if (Read(path).substr(16) != "ok")
        problems.push_back("extra.bin: contents not ok");
}

constexpr OptionalFileKind kExtra{"extra.bin", ExtraRecordedId, ValidateExtra};

bool AddExtra(const fs::path& data, const std::string& contents, std::string& error)
{
    fileio::FolderLock lock;
    DataFolderSwitch change;
    if (!lock.Acquire(data, error) || !change.PrepareAddition(data, error))
        return false;
    std::ofstream(change.TemporaryPath("extra.bin"), std::ios::binary) << change.Id() << contents;
    return change.Switch({"extra.bin"}, error);
}

struct OptionalFindings {
    std::vector<std::string> problems, notes;
};

OptionalFindings CheckExtra(const fs::path& data)
{
    OptionalFindings found;
    CheckOptionalFiles(data, std::span(&kExtra, 1), found.problems, found.notes);
    return found;
}

TEST_F(DataFolderGeneration, OptionalFilesJoinTheGenerationAndAreValidatedWhileItLasts)
{
    std::string error;
    ASSERT_TRUE(AddExtra(data.path(), "ok", error)) << error;
    std::string marker, problem;
    EXPECT_TRUE(CheckFolderGeneration(data.path(), marker, problem)) << problem;
    EXPECT_NE(marker.find("file Index-fl.h "), std::string::npos) << marker;  // the build's files are kept
    EXPECT_NE(marker.find("file extra.bin 18\n"), std::string::npos) << marker;
    EXPECT_TRUE(FindWriteLeftovers(data.path()).empty());
    EXPECT_TRUE(CheckExtra(data.path()).problems.empty());
    EXPECT_TRUE(CheckExtra(data.path()).notes.empty());
    EXPECT_EQ(Tool(data.path(), {"check"}).code, 0);

    // Replaced by a damaged one of the same generation: readers would use it.
    ASSERT_TRUE(AddExtra(data.path(), "damaged", error)) << error;
    EXPECT_EQ(CheckExtra(data.path()).problems, std::vector<std::string>{"extra.bin: contents not ok"});
    EXPECT_EQ(Tool(data.path(), {"search", "--raw", "時習"}).out, "0\t1\n1\t1\n");

    // A new build makes it another generation's: ignored and named, not damage.
    ASSERT_EQ(Rebuild(newSource.path()).code, 0);
    const OptionalFindings stale = CheckExtra(data.path());
    EXPECT_TRUE(stale.problems.empty());
    ASSERT_EQ(stale.notes.size(), 1u);
    EXPECT_NE(stale.notes[0].find("extra.bin: made for generation"), std::string::npos) << stale.notes[0];
    EXPECT_EQ(Tool(data.path(), {"check"}).code, 0);

    // Without a marker nothing could tell whose an added file is.
    fs::remove(data / "vesk-generation");
    EXPECT_FALSE(AddExtra(data.path(), "ok", error));
    EXPECT_NE(error.find("vesk-generation: missing"), std::string::npos) << error;
}

} // namespace
} // namespace vesk
