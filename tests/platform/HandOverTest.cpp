#include "platform/HandOver.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::vector<std::string> kPaths = {
    "/home/op/O1234.NC",
    "/media/stick/caf\xe9 \xe3\x83\x97.nc", // Latin-1 byte and UTF-8 side by side
    "/tmp/two\nlines.nc",
};

std::string Number(std::uint32_t value) {
    std::string out;
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    return out;
}

// The running copy's end for one connection, on a thread: waits for a client,
// reads its request and answers with answer(paths), or closes without a word.
class Server {
public:
    using Answer = std::function<std::vector<HandOverAnswer>(const std::vector<std::string>&)>;
    Server(HandOverListener& listener, Answer answer, bool replies = true)
        : thread_([&listener, answer, replies, this] {
              pollfd wait{listener.Fd(), POLLIN, 0};
              if (::poll(&wait, 1, 10000) != 1)
                  return;
              HandOverConnection connection(listener.Accept());
              for (;;) {
                  pollfd data{connection.Fd(), POLLIN, 0};
                  ::poll(&data, 1, 10000);
                  decoded = connection.Read(received);
                  if (decoded != HandOverDecode::NeedMore)
                      break;
              }
              if (replies && decoded == HandOverDecode::Done)
                  connection.Reply(answer(received));
          }) {}
    ~Server() { Join(); }
    void Join() {
        if (thread_.joinable())
            thread_.join();
    }

    std::vector<std::string> received;
    HandOverDecode decoded = HandOverDecode::NeedMore;

private:
    std::thread thread_;
};

// Taken, Declined, Failed in turn, each with its own reason.
std::vector<HandOverAnswer> AnswerInTurn(const std::vector<std::string>& paths) {
    std::vector<HandOverAnswer> out;
    for (std::size_t i = 0; i < paths.size(); ++i)
        out.push_back({HandOverStatus(i % 3), "reason " + std::to_string(i)});
    return out;
}

} // namespace

TEST(HandOver, MessagesKeepEveryByteOfThePathsAndOfTheAnswers) {
    const std::vector<HandOverAnswer> answers = {
        {HandOverStatus::Taken, ""},
        {HandOverStatus::Declined, ""},
        {HandOverStatus::Failed, "/work/O1.NC: No space left on device"},
    };
    for (const std::vector<std::string>& paths : {std::vector<std::string>{}, kPaths}) {
        const std::string request = EncodeHandOverRequest(paths);
        // Every part of a request is a request still coming, never a request.
        for (std::size_t cut = 0; cut < request.size(); ++cut) {
            std::vector<std::string> got;
            ASSERT_EQ(DecodeHandOverRequest(std::string_view(request).substr(0, cut), got),
                      HandOverDecode::NeedMore)
                << cut;
        }
        std::vector<std::string> got;
        ASSERT_EQ(DecodeHandOverRequest(request, got), HandOverDecode::Done);
        EXPECT_EQ(got, paths);
    }
    const std::string reply = EncodeHandOverReply(answers);
    for (std::size_t cut = 0; cut < reply.size(); ++cut) {
        std::vector<HandOverAnswer> got;
        ASSERT_EQ(DecodeHandOverReply(std::string_view(reply).substr(0, cut), got),
                  HandOverDecode::NeedMore)
            << cut;
    }
    std::vector<HandOverAnswer> got;
    ASSERT_EQ(DecodeHandOverReply(reply, got), HandOverDecode::Done);
    EXPECT_EQ(got, answers);
}

TEST(HandOver, MalformedMessagesAreRefused) {
    const std::string one = EncodeHandOverRequest({"/a.nc"});
    struct Case {
        const char* what;
        std::string request;
    };
    const Case requests[] = {
        {"another program's bytes", "GET / HTTP/1.0\r\n\r\n"},
        {"too many files", "DRVK" + Number(kMaxHandedFiles + 1)},
        {"an empty path", "DRVK" + Number(1) + Number(0)},
        {"a path too long", "DRVK" + Number(1) + Number(kMaxHandedPath + 1)},
        {"a NUL in the path", "DRVK" + Number(1) + Number(3) + std::string("/a\0", 3)},
        {"bytes after the request", one + "x"},
    };
    for (const Case& c : requests) {
        std::vector<std::string> paths = {"kept"};
        EXPECT_EQ(DecodeHandOverRequest(c.request, paths), HandOverDecode::Malformed) << c.what;
        EXPECT_EQ(paths, std::vector<std::string>{"kept"}) << c.what;
    }
    const std::string replies[] = {
        one, // a request is no reply
        "DRVA" + Number(1) + "\x03" + Number(0),
        EncodeHandOverReply({{HandOverStatus::Taken, ""}}) + "x",
        "DRVA" + Number(1) + "\x02" + Number(70000),
    };
    for (const std::string& reply : replies) {
        std::vector<HandOverAnswer> answers;
        EXPECT_EQ(DecodeHandOverReply(reply, answers), HandOverDecode::Malformed);
    }
}

TEST(HandOver, TheSocketBelongsToTheLockAndToTheUserAlone) {
    EXPECT_EQ(HandOverSocketPath("/run/user/1000/Dravik-1000-42.lock"),
              "/run/user/1000/Dravik-1000-42.sock");
    TempDir dir;
    const std::string path = (dir / "Dravik-0-1.sock").string();
    // Left by a copy that died: the lock is free, so the next copy takes its place.
    dir.Write("Dravik-0-1.sock", "stale");
    {
        HandOverListener listener(path);
        ASSERT_TRUE(listener.Listening()) << listener.Error();
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        // Another user cannot reach it (the tests run as root, who could).
        if (::getuid() != 0)
            GTEST_SKIP() << "needs root to become another user";
        pid_t pid = fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                _exit(2);
            std::vector<HandOverAnswer> answers;
            _exit(HandFilesOver(path, {"/etc/passwd"}, answers, nullptr) ? 1 : 0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "another user handed a file over";
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the socket outlived its copy";
}

TEST(HandOver, TheSecondStartLearnsWhatBecameOfEachFile) {
    TempDir dir;
    const std::string path = (dir / "Dravik.sock").string();
    struct Case {
        const char* what;
        bool listening;
        bool replies;
        bool handed;
        const char* reasonHolds;
    };
    const Case cases[] = {
        {"answered", true, true, true, ""},
        {"closed without an answer", true, false, false, "接続を閉じました"},
        {"no copy listening", false, false, false, "Dravik.sock"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto listener = std::make_unique<HandOverListener>(path);
        ASSERT_TRUE(listener->Listening()) << listener->Error();
        if (!c.listening)
            listener.reset();
        std::vector<HandOverAnswer> answers;
        std::string error;
        std::unique_ptr<Server> server;
        if (listener)
            server = std::make_unique<Server>(*listener, AnswerInTurn, c.replies);
        const bool handed = HandFilesOver(path, kPaths, answers, &error);
        if (server) {
            server->Join();
            EXPECT_EQ(server->received, kPaths);
        }
        EXPECT_EQ(handed, c.handed) << error;
        EXPECT_NE(error.find(c.reasonHolds), std::string::npos) << error;
        if (c.handed) {
            ASSERT_EQ(answers.size(), kPaths.size());
            EXPECT_EQ(answers[1], (HandOverAnswer{HandOverStatus::Declined, "reason 1"}));
            EXPECT_EQ(answers[2], (HandOverAnswer{HandOverStatus::Failed, "reason 2"}));
        }
    }
}
