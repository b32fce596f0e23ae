// vesk-tool without --data, copied to a folder of its own as an installed
// program would be: it finds the data in the XDG data folders.
#include "support/data_folder.h"
#include "support/run_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;

using ToolRun = test::CommandResult;

// Runs the copied tool with a clean environment holding only the given
// assignments (no quoting needed: the test's own temporary paths).
ToolRun RunInstalledTool(const fs::path& tool, const std::string& environment, const std::string& args)
{
    const std::string command = "env -i " + environment + " " + tool.string() + " " + args + " 2>&1";
    return test::RunCommand(command);
}

TEST(InstalledTool, LooksInTheUserThenTheSystemDataFolders)
{
    test::TempDir dir;
    const fs::path bin = dir / "usr" / "bin";
    fs::create_directories(bin);
    fs::copy_file(fs::path(VESK_BIN_DIR) / "vesk-tool", bin / "vesk-tool");

    const auto corpusNamed = [](const std::string& volume) {
        return test::CorpusBuilder().Category("經").Work("論語").Volume(volume, {"學而時習之"}).Take();
    };
    ASSERT_TRUE(test::MakeDataFolder(corpusNamed("系統"), dir / "usr" / "share" / "vesk"));
    const std::string system = "XDG_DATA_DIRS=" + (dir / "usr" / "local" / "share").string() + ":" +
                               (dir / "usr" / "share").string();
    const std::string home = "HOME=" + (dir / "home").string();

    ToolRun run = RunInstalledTool(bin / "vesk-tool", home + " " + system, "contents");
    EXPECT_EQ(run.code, 0) << run.out;
    EXPECT_NE(run.out.find("name=系統"), std::string::npos) << run.out;

    // The user's own copy comes first (XDG_DATA_HOME defaults to ~/.local/share).
    ASSERT_TRUE(test::MakeDataFolder(corpusNamed("用戶"), dir / "home" / ".local" / "share" / "vesk"));
    run = RunInstalledTool(bin / "vesk-tool", home + " " + system, "contents");
    EXPECT_NE(run.out.find("name=用戶"), std::string::npos) << run.out;

    // --data still names the folder outright.
    run = RunInstalledTool(bin / "vesk-tool", home + " " + system,
                           "contents --data " + (dir / "usr" / "share" / "vesk").string());
    EXPECT_NE(run.out.find("name=系統"), std::string::npos) << run.out;

    // Nowhere to be found: the data cannot be opened.
    run = RunInstalledTool(bin / "vesk-tool", "HOME=/nonexistent XDG_DATA_DIRS=/nonexistent", "contents");
    EXPECT_EQ(run.code, 4) << run.out;
}

} // namespace
} // namespace vesk
