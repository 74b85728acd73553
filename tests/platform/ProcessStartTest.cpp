#include "platform/ProcessStart.h"

#include "support/RecordingScript.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(SplitCommandLine, BlanksSeparateQuotesGroup) {
    struct Case {
        const char* text;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"", {}},
        {"   ", {}},
        {"/nc/O1234.NC", {"/nc/O1234.NC"}},
        {" a  b\tc ", {"a", "b", "c"}},
        // An unquoted path with blanks falls apart, as on the original system.
        {"/nc/my file.NC", {"/nc/my", "file.NC"}},
        {"\"/nc/my file.NC\" -x", {"/nc/my file.NC", "-x"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"\"a \"\"q\"\" b\"", {"a \"q\" b"}},
        {"\\\"x\\\"", {"\"x\""}},
        {"C:\\NC\\O1.NC", {"C:\\NC\\O1.NC"}},
        {"\"C:\\NC dir\\\\\" y", {"C:\\NC dir\\", "y"}},
        {"\"unclosed quote", {"unclosed quote"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitCommandLine(c.text), c.args) << c.text;
}

TEST(ResolveProgram, PathLookupOnlyForBareNames) {
    TempDir dir;
    RecordingScript tool(dir / "bin", "tool");
    dir.Write("bin/plain", "not a program\n");
    ScopedPath path((dir / "none").string() + ":" + (dir / "bin").string());
    EXPECT_EQ(ResolveProgram("tool"), tool.str());
    EXPECT_EQ(ResolveProgram("plain"), ""); // no execute bit: not a program
    EXPECT_EQ(ResolveProgram("missing"), "");
    EXPECT_EQ(ResolveProgram("./tool"), "./tool"); // a path is taken as it is
    EXPECT_EQ(ResolveProgram("/x/tool"), "/x/tool");
    EXPECT_EQ(ResolveProgram(""), "");
}

TEST(ProcessStarter, StartsDetachedWithArgumentsAndOurWorkingFolder) {
    TempDir dir;
    RecordingScript program(dir.path(), "rec");
    // A descriptor of ours without close-on-exec: the program must not get it.
    int fd = ::open(program.path().c_str(), O_RDONLY);
    ASSERT_GE(fd, 3);
    ::setenv("CHECK_FD", std::to_string(fd).c_str(), 1);
    EXPECT_EQ(SystemProcessStarter().Start(program.str(), {"a b", "", "$A"}), 0);
    std::vector<std::string> call = program.WaitForCall();
    ::unsetenv("CHECK_FD");
    ::close(fd);
    ASSERT_EQ(call.size(), 5u);
    EXPECT_EQ(call[0], std::filesystem::current_path().string());
    EXPECT_EQ(call[1], "a b");
    EXPECT_EQ(call[2], "");
    EXPECT_EQ(call[3], "$A"); // no shell: nothing is expanded
    EXPECT_EQ(call[4], "fd-closed");
}

TEST(ProcessStarter, ReportsWhyAProgramDidNotStart) {
    TempDir dir;
    dir.Write("text.NC", "%\nO1234\n%\n");
    ::chmod((dir / "text.NC").c_str(), 0755);
    dir.Write("noexec", "#!/bin/sh\n");
    ::chmod((dir / "noexec").c_str(), 0644);
    std::filesystem::create_directory(dir / "folder");
    struct Case {
        std::string program;
        int error;
    };
    const Case cases[] = {
        {(dir / "missing").string(), ENOENT},
        {(dir / "noexec").string(), EACCES},
        // A text with the execute bit never runs as a shell script.
        {(dir / "text.NC").string(), ENOEXEC},
        {(dir / "folder").string(), EACCES},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemProcessStarter().Start(c.program, {}), c.error) << c.program;
}

} // namespace
