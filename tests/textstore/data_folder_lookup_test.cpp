// Where the programs look for their data folder: the order of the places,
// the XDG defaults and what counts as a data folder.
#include "support/data_folder.h"
#include "textstore/data_folder_lookup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

namespace vesk {
namespace {

namespace fs = std::filesystem;

EnvironmentReader FakeEnvironment(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    };
}

void Touch(const fs::path& file)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "x";
}

void MakeFakeDataFolder(const fs::path& folder)
{
    Touch(folder / "kav.dir");
    Touch(folder / "Index-fl.h");
}

TEST(DataFolderCandidates, OrderAndXdgRules)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        std::vector<fs::path> expected;
    };
    const Case cases[] = {
        {"both set",
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/data/home"}, {"XDG_DATA_DIRS", "/opt/share:/usr/share"}},
         {"/exe", "/data/home/vesk", "/opt/share/vesk", "/usr/share/vesk"}},
        {"defaults from HOME",
         {{"HOME", "/home/u"}},
         {"/exe", "/home/u/.local/share/vesk", "/usr/local/share/vesk", "/usr/share/vesk"}},
        {"empty values count as unset",
         {{"HOME", "/home/u"}, {"XDG_DATA_HOME", ""}, {"XDG_DATA_DIRS", ""}},
         {"/exe", "/home/u/.local/share/vesk", "/usr/local/share/vesk", "/usr/share/vesk"}},
        {"relative and empty entries are ignored",
         {{"XDG_DATA_HOME", "rel/home"}, {"XDG_DATA_DIRS", "::share:/srv/share:"}},
         {"/exe", "/srv/share/vesk"}},
        {"no HOME: no user folder", {}, {"/exe", "/usr/local/share/vesk", "/usr/share/vesk"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DataFolderCandidates("/exe", FakeEnvironment(c.environment)), c.expected);
    }
}

TEST(FindDataFolder, FirstPlaceHoldingDataWins)
{
    test::TempDir dir;
    const fs::path exe = dir / "bin";
    const fs::path user = dir / "user";
    const fs::path system1 = dir / "sys1";
    const fs::path system2 = dir / "sys2";
    fs::create_directories(exe);
    const auto environment = FakeEnvironment(
        {{"XDG_DATA_HOME", user.string()}, {"XDG_DATA_DIRS", system1.string() + ":" + system2.string()}});

    // Nothing anywhere: the executable's folder, where opening reports it.
    EXPECT_EQ(FindDataFolder(std::nullopt, exe, environment), exe);

    // Half a data folder does not count.
    Touch(system1 / "vesk" / "kav.dir");
    Touch(system2 / "vesk" / "Index-fl.h");
    EXPECT_FALSE(IsDataFolder(system1 / "vesk"));
    EXPECT_EQ(FindDataFolder(std::nullopt, exe, environment), exe);

    MakeFakeDataFolder(system2 / "vesk");
    EXPECT_EQ(FindDataFolder(std::nullopt, exe, environment), system2 / "vesk");
    MakeFakeDataFolder(system1 / "vesk");
    EXPECT_EQ(FindDataFolder(std::nullopt, exe, environment), system1 / "vesk");
    MakeFakeDataFolder(user / "vesk");
    EXPECT_EQ(FindDataFolder(std::nullopt, exe, environment), user / "vesk");
    MakeFakeDataFolder(exe);
    EXPECT_EQ(FindDataFolder(std::nullopt, exe, environment), exe);

    // A named folder is used as it is, data or not.
    EXPECT_EQ(FindDataFolder(dir / "elsewhere", exe, environment), dir / "elsewhere");
}

TEST(FindDataFolder, NamesThatAreNotFoldersOfFiles)
{
    test::TempDir dir;
    // "kav.dir" as a folder is not a contents file.
    fs::create_directories(dir / "odd" / "kav.dir");
    Touch(dir / "odd" / "Index-fl.h");
    EXPECT_FALSE(IsDataFolder(dir / "odd"));
    EXPECT_FALSE(IsDataFolder(dir / "missing"));

    // The empty path is no folder, also where the working directory is a
    // data folder (as build/bin is once the demo data is made).
    MakeFakeDataFolder(dir / "data");
    const fs::path before = fs::current_path();
    fs::current_path(dir / "data");
    const bool emptyIsDataFolder = IsDataFolder("");
    fs::current_path(before);
    EXPECT_FALSE(emptyIsDataFolder);
}

} // namespace
} // namespace vesk
