// vesk-tool on data folders with files that are not regular files or are
// far too large: nothing blocks, nothing aborts, and check names the file.
#include "support/data_folder.h"
#include "support/run_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

// vesk-tool with standard error joined to the output; one that blocks is
// stopped after 60 s (exit 124).
test::CommandResult Tool(const fs::path& data, const std::string& args)
{
    return test::RunCommand("timeout 60 " + ShellQuote((fs::path(VESK_BIN_DIR) / "vesk-tool").string()) + " " +
                            args + " --data " + ShellQuote(data.string()) + " 2>&1 </dev/null");
}

class HostileDataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::MakeDataFolder(test::CorpusBuilder()
                                             .Category("經").Work("論語")
                                             .Volume("學而", {"學而時習之", "有朋自遠方來"})
                                             .Variants("5B78,5B66\n")
                                             .Take(),
                                         data.path()));
    }
    test::TempDir data;
};

TEST_F(HostileDataFolder, AFifoOrFolderInPlaceOfADataFileNeverBlocks)
{
    for (const std::string& name : build::DataFileNames()) {
        for (const bool fifo : {true, false}) {
            SCOPED_TRACE(name + (fifo ? " as a FIFO" : " as a folder"));
            const fs::path path = data / name;
            const fs::path kept = data / (name + ".kept");
            fs::rename(path, kept);
            if (fifo)
                ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
            else
                fs::create_directory(path);
            const auto check = Tool(data.path(), "check");
            EXPECT_EQ(check.code, 1) << check.out;
            EXPECT_NE(check.out.find(name), std::string::npos) << check.out;
            for (const char* command : {"search 學", "search --variants 學", "page --id 0", "contents"})
                EXPECT_NE(Tool(data.path(), command).code, 124) << command;
            fs::remove(path);
            fs::rename(kept, path);
        }
    }
}

// A table far larger than any real one is read only as far as it is used:
// the groups within its first 8 MiB.
TEST_F(HostileDataFolder, AHugeVariantTableIsReadOnlyAsFarAsItIsUsed)
{
    const std::string expected = Tool(data.path(), "search --raw --variants 学").out;
    ASSERT_EQ(expected, "0\t1\n");
    {
        std::ofstream table(data / "yitizi.txt", std::ios::binary | std::ios::app);
        const std::string line = "4E00,5F0C\n";
        for (std::size_t written = 0; written < (20u << 20); written += line.size())
            table << line;
    }
    EXPECT_EQ(Tool(data.path(), "search --raw --variants 学").out, expected);
    const auto check = Tool(data.path(), "check");
    EXPECT_EQ(check.code, 1);
    EXPECT_NE(check.out.find("yitizi.txt: larger than 8388608 bytes"), std::string::npos) << check.out.substr(0, 2000);
}

} // namespace
} // namespace vesk
