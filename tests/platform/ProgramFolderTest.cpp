#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct FolderCase {
    const char* what;
    ProgramFolderFacts facts;
    const char* expected;
};

} // namespace

TEST(ProgramFolder, ChoiceByEnvironmentAndExecutableFolder) {
    const FolderCase cases[] = {
        {"DRAVIK_HOME wins over everything",
         {"/srv/cnc", "/x/config", "/home/op", "/opt/dravik", true},
         "/srv/cnc"},
        {"a writable portable folder keeps the files beside the program",
         {"", "/x/config", "/home/op", "/home/op/dravik", true},
         "/home/op/dravik"},
        {"an installed program in a folder the user cannot write",
         {"", "", "/home/op", "/usr/bin", false},
         "/home/op/.config/dravik"},
        {"root may write to /usr/bin, but settings never go there",
         {"", "", "/root", "/usr/bin", true},
         "/root/.config/dravik"},
        {"nor to /usr/local/bin",
         {"", "", "/root", "/usr/local/bin", true},
         "/root/.config/dravik"},
        {"nor to /bin", {"", "", "/root", "/bin", true}, "/root/.config/dravik"},
        {"a folder that only starts like usr is not a system folder",
         {"", "", "/home/op", "/usr2/dravik", true},
         "/usr2/dravik"},
        {"an absolute XDG_CONFIG_HOME",
         {"", "/x/config", "/home/op", "/usr/bin", false},
         "/x/config/dravik"},
        {"a relative XDG_CONFIG_HOME is ignored",
         {"", "config", "/home/op", "/usr/bin", false},
         "/home/op/.config/dravik"},
        {"no home at all", {"", "", "", "/usr/bin", false}, "/tmp/dravik"},
        {"the executable folder unknown",
         {"", "", "/home/op", "", true},
         "/home/op/.config/dravik"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseProgramFolder(c.facts), std::filesystem::path(c.expected)) << c.what;
}

// The real lookup, as a user who cannot write to the folder of this test program:
// the files go to the configuration folder, which is created for them.
TEST(ProgramFolder, AUserWithoutWriteAccessGetsTheConfigFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to change to an unprivileged user";
    TempDir config;
    ::chmod(config.path().c_str(), 0777);
    const auto expected = config / "dravik";
    pid_t pid = fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            _exit(3);
        ::unsetenv("DRAVIK_HOME");
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        // The test program's folder is root's and not writable by nobody.
        const bool right =
            ProgramFolder() == expected && ProgramFilePath(".INI") == expected / "Dravik.INI";
        _exit(right && std::filesystem::is_directory(expected) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
