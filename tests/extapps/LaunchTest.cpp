#include "extapps/Launch.h"

#include "support/RecordingScript.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// PATH holds only the test's folder: the stand-in programs found there record their
// calls, and no real editor or opener can start.
struct LaunchFixture : ::testing::Test {
    TempDir dir;
    ScopedPath path{(dir / "bin").string()};
    std::filesystem::path nc = dir / "my nc";

    void SetUp() override {
        std::filesystem::create_directories(dir / "bin");
        std::filesystem::create_directories(dir / "tools");
        std::filesystem::create_directories(nc);
        dir.Write("my nc/O1234.NC", "%\nO1234\nG0X1.\n%\n");
    }
    std::string File() const { return (nc / "O1234.NC").string(); }
};

TEST_F(LaunchFixture, ArgumentTextIsSplitAndNeverQuotedForUs) {
    RecordingScript view(dir / "tools", "view");
    struct Case {
        std::string arguments;
        std::vector<std::string> received;
    };
    const Case cases[] = {
        {File(), {(dir / "my").string(), "nc/O1234.NC"}}, // blanks separate
        {"\"" + File() + "\"", {File()}},                 // unless quoted in the template
        {"-a  -b", {"-a", "-b"}},
    };
    for (const Case& c : cases) {
        LaunchOutcome outcome = LaunchProgram(SystemProcessStarter(), view.str(), c.arguments);
        EXPECT_TRUE(outcome.Started()) << c.arguments;
        std::vector<std::string> call = view.WaitForCall();
        ASSERT_FALSE(call.empty()) << c.arguments;
        call.erase(call.begin()); // the working folder
        EXPECT_EQ(call, c.received) << c.arguments;
    }
}

TEST_F(LaunchFixture, WithoutArgumentsAProgramStartsBareAndAFileGoesToTheOpener) {
    RecordingScript view(dir / "tools", "view");
    RecordingScript opener(dir / "bin", kDesktopOpener);
    EXPECT_TRUE(LaunchProgram(SystemProcessStarter(), view.str(), "").Started());
    std::vector<std::string> call = view.WaitForCall();
    EXPECT_EQ(call.size(), 1u); // the working folder only: no argument
    EXPECT_FALSE(opener.Called());

    EXPECT_TRUE(LaunchProgram(SystemProcessStarter(), File(), "").Started());
    call = opener.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], File()); // one argument, blanks and all

    // A program text with the execute bit, as on a FAT stick, is opened, not run.
    ::chmod(File().c_str(), 0755);
    EXPECT_TRUE(LaunchProgram(SystemProcessStarter(), File(), "").Started());
    call = opener.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], File());
}

TEST_F(LaunchFixture, FailuresNameTheProgramAndTheReason) {
    dir.Write("tools/noexec", "#!/bin/sh\n");
    std::filesystem::create_symlink(dir / "LOOP.NC", dir / "LOOP.NC");
    struct Case {
        std::string program;
        std::string arguments;
        std::string named;
        int error;
    };
    const Case cases[] = {
        {(dir / "typo").string(), "x", (dir / "typo").string(), ENOENT},
        {"typo", "x", "typo", ENOENT},
        {(dir / "tools/noexec").string(), "x", (dir / "tools/noexec").string(), EACCES},
        {(dir / "tools").string(), "x", (dir / "tools").string(), EISDIR},
        {(dir / "gone.NC").string(), "", (dir / "gone.NC").string(), ENOENT},
        // A link loop is refused, not thrown out of the command.
        {(dir / "LOOP.NC").string(), "", (dir / "LOOP.NC").string(), ELOOP},
        // A file to open with no opener installed.
        {File(), "", kDesktopOpener, ENOENT},
    };
    for (const Case& c : cases) {
        LaunchOutcome outcome = LaunchProgram(SystemProcessStarter(), c.program, c.arguments);
        EXPECT_EQ(outcome.error, c.error) << c.program;
        EXPECT_EQ(outcome.program, c.named) << c.program;
    }
    std::string text = LaunchFailureText({"/tools/typo", ENOENT});
    EXPECT_EQ(text, "ﾌﾟﾛｸﾞﾗﾑを起動できません。\n/tools/typo\nﾌｧｲﾙが見つかりません。");
    EXPECT_NE(LaunchFailureText({"p", EACCES}).find("権限"), std::string::npos);
}

TEST_F(LaunchFixture, EditorFallsBackToTheFirstEditorOnPathThenTheOpener) {
    RecordingScript mine(dir / "tools", "myeditor");
    EXPECT_EQ(EditorProgram(mine.str()), mine.str());
    EXPECT_EQ(EditorProgram(""), kDesktopOpener);
    EXPECT_EQ(EditorProgram((dir / "nothere").string()), kDesktopOpener);

    RecordingScript kate(dir / "bin", "kate");
    RecordingScript gedit(dir / "bin", "gedit");
    EXPECT_EQ(EditorProgram(""), gedit.str()); // gedit comes before kate in the list
    EXPECT_EQ(EditorProgram((dir / "tools").string()), gedit.str()); // a folder is no editor

    // The file goes as one argument even with blanks in its path.
    EXPECT_TRUE(LaunchEditorOn(SystemProcessStarter(), "", File()).Started());
    std::vector<std::string> call = gedit.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], File());
    EXPECT_TRUE(LaunchEditorOn(SystemProcessStarter(), mine.str(), File()).Started());
    call = mine.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], File());
    EXPECT_FALSE(kate.Called());
}

} // namespace
