#include "app/StartArguments.h"
#include "files/FileCopy.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct Start {
    TSettings settings;
    StartState state;
    std::vector<std::pair<std::string, std::string>> copies;

    void Run(std::vector<std::string> args) {
        ProcessArguments(args, settings, state, [this](const auto& from, const auto& to) {
            copies.emplace_back(from.string(), to.string());
            return CopyFileSafely(from, to);
        });
    }
};

} // namespace

TEST(StartArguments, NoArgumentsSetsTheThreeFlagsToN) {
    Start s;
    s.Run({});
    EXPECT_EQ(std::string(s.state.startFlags, 3), "NNN");
    EXPECT_FALSE(s.state.exitAfterTransfer);
}

TEST(StartArguments, DirectoryArgumentsBecomeTheWorkingDirectory) {
    TempDir dir;
    std::filesystem::create_directory(dir / "NC DATA");
    Start s;
    s.Run({(dir / "NC|DATA/").string()});
    EXPECT_EQ(s.settings.DirPath, (dir / "NC DATA").string());
    EXPECT_EQ(s.state.startFlags[0], 'Y');

    // A folder that does not exist yet is taken too; the show step offers to create it.
    Start fresh;
    fresh.Run({(dir / "NEWDIR").string()});
    EXPECT_EQ(fresh.settings.DirPath, (dir / "NEWDIR").string());

    // The root keeps its separator; "S=" and "R=" texts are no folders.
    Start root;
    root.Run({"/"});
    EXPECT_EQ(root.settings.DirPath, "/");
    Start option;
    std::string before = option.settings.DirPath;
    option.Run({"/tmp/s=1", "relative/dir"});
    EXPECT_EQ(option.settings.DirPath, before);
}

TEST(StartArguments, EndSwitch) {
    for (auto [arg, expected] :
         {std::pair{"END", true}, {"end", true}, {"xEND", true}, {"ENDX1", false}, {"EN", false}}) {
        Start s;
        s.Run({arg});
        EXPECT_EQ(s.state.exitAfterTransfer, expected) << arg;
    }
}

TEST(StartArguments, FileImportCopiesAndChangesTheMask) {
    TempDir dir;
    std::filesystem::create_directory(dir / "work");
    std::filesystem::create_directory(dir / "src");
    auto file = dir.Write("src/O1000.TXT", "%\nO1000\nM30\n%\n");
    Start s;
    s.settings.DirPath = (dir / "work").string();
    s.Run({file.string(), "END"});
    EXPECT_EQ(s.settings.Mask, "*.TXT");
    EXPECT_EQ(TempDir::Read(dir / "work" / "O1000.TXT"), "%\nO1000\nM30\n%\n");
    EXPECT_TRUE(s.state.exitAfterTransfer);
}

TEST(StartArguments, ImportOfAFileAlreadyInTheWorkingDirectoryLeavesItIntact) {
    TempDir dir;
    auto file = dir.Write("O1000.NC", "O1000\nG0X1.\nM30\n");
    Start s;
    s.settings.DirPath = dir.path().string() + "/";
    s.Run({file.string()});
    EXPECT_EQ(TempDir::Read(file), "O1000\nG0X1.\nM30\n");
    EXPECT_EQ(s.settings.Mask, "*.NC");
}
