#include "dnc/ControlSocket.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(ControlSocket, TheRuntimeFolderComesFromSystemdThenTheSessionThenTmp) {
    struct Case {
        const char* runtime;
        const char* xdg;
        const char* folder;
    };
    const Case cases[] = {
        {"/run/dravik", "/run/user/1000", "/run/dravik"},
        {"/run/dravik:/run/other", nullptr, "/run/dravik"},
        {nullptr, "/run/user/1000", "/run/user/1000"},
        {"", "relative/dir", "/tmp"},
        {nullptr, nullptr, "/tmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        c.runtime ? ::setenv("RUNTIME_DIRECTORY", c.runtime, 1) : ::unsetenv("RUNTIME_DIRECTORY");
        c.xdg ? ::setenv("XDG_RUNTIME_DIR", c.xdg, 1) : ::unsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(RuntimeFolder(), c.folder);
    }
    ::unsetenv("RUNTIME_DIRECTORY");
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(ControlSocket, OnlyTheUserAndGroupMayConnectAndOneServerHoldsIt) {
    TempDir dir;
    const std::string path = ControlSocketPath(dir.path().string());
    dir.Write("dravik-dnc.sock", "left by a server that died");
    std::string error;
    const int server = ListenControlSocket(path, &error);
    ASSERT_GE(server, 0) << error;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0660u);
    // A second server on the same socket is refused while the first lives.
    EXPECT_LT(ListenControlSocket(path, &error), 0);
    EXPECT_NE(error.find("すでに"), std::string::npos) << error;

    // The refused server's probe is the first connection: it asks nothing.
    std::thread answering([server] {
        for (;;) {
            const int client = ::accept(server, nullptr, nullptr);
            if (client < 0)
                continue;
            std::string line;
            const bool asked = ReadRequestLine(client, line);
            if (asked) {
                const std::vector<std::string> fields = SplitRequest(line);
                WriteAll(client,
                         std::to_string(fields.size()) + "|" + fields[1] + "|" + fields.back());
            }
            ::close(client);
            if (asked)
                return;
        }
    });
    std::string answer;
    ASSERT_TRUE(AskServer(path, QueueRequest("MC-01", {"O1.NC", "dir/O 2.NC"}), answer, &error))
        << error;
    answering.join();
    EXPECT_EQ(answer, "4|MC-01|dir/O 2.NC");
    ::close(server);
    EXPECT_FALSE(AskServer(dir.path().string() + "/none.sock", StatusRequest(), answer, &error));
}

} // namespace
