// Files handed from a second start of the program to the copy that runs: a Unix
// socket beside the single-instance lock, open to the user alone (mode 0600 and the
// peer's user id checked on both ends). The second start sends the paths as bytes
// and waits until the running copy has answered for every one of them, so a file
// that did not arrive is always known to the side that can say so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class HandOverStatus : std::uint8_t {
    Taken = 0,    // copied into the working folder (or already there)
    Declined = 1, // the operator kept the file of that name that was there
    Failed = 2,   // not copied; reason says why
};

struct HandOverAnswer {
    HandOverStatus status = HandOverStatus::Failed;
    std::string reason;
    bool operator==(const HandOverAnswer&) const = default;
};

// The socket that belongs to a lock file: its name with ".sock" for ".lock".
std::string HandOverSocketPath(const std::string& lockPath);

// The messages on the socket. A request is at most kMaxHandedFiles paths of at
// most kMaxHandedPath bytes each; anything else is refused as malformed.
inline constexpr std::size_t kMaxHandedFiles = 256;
inline constexpr std::size_t kMaxHandedPath = 4096;
enum class HandOverDecode { NeedMore, Done, Malformed };
std::string EncodeHandOverRequest(const std::vector<std::string>& paths);
// Decodes a request from what has arrived so far; paths is filled on Done.
HandOverDecode DecodeHandOverRequest(std::string_view bytes, std::vector<std::string>& paths);
std::string EncodeHandOverReply(const std::vector<HandOverAnswer>& answers);
HandOverDecode DecodeHandOverReply(std::string_view bytes, std::vector<HandOverAnswer>& answers);

// The running copy's end: listens from construction to destruction, then removes
// the socket. A socket left by a copy that died is replaced (the lock says no
// other copy runs).
class HandOverListener {
public:
    explicit HandOverListener(std::string socketPath);
    ~HandOverListener();
    HandOverListener(const HandOverListener&) = delete;
    HandOverListener& operator=(const HandOverListener&) = delete;

    bool Listening() const { return fd_ >= 0; }
    // Why it does not listen, when it does not.
    const std::string& Error() const { return error_; }
    // The listening descriptor, to wait on for connections.
    int Fd() const { return fd_; }
    // A waiting connection of this user, non-blocking; -1 when there is none. A
    // connection of another user is closed at once.
    int Accept();

private:
    std::string path_;
    std::string error_;
    int fd_ = -1;
};

// One accepted connection: collects the request and sends the answers. Owns the
// descriptor; a client that has gone never stops the running copy (no SIGPIPE).
class HandOverConnection {
public:
    explicit HandOverConnection(int fd) : fd_(fd) {}
    ~HandOverConnection();
    HandOverConnection(const HandOverConnection&) = delete;
    HandOverConnection& operator=(const HandOverConnection&) = delete;

    int Fd() const { return fd_; }
    // Reads what has arrived: Done with the paths, NeedMore, or Malformed also
    // when the client closed before its request was whole.
    HandOverDecode Read(std::vector<std::string>& paths);
    bool Reply(const std::vector<HandOverAnswer>& answers);

private:
    int fd_;
    std::string received_;
};

// The second start's end: hands the paths over and waits for the answers, one per
// path in order. False with the reason when no answer came.
bool HandFilesOver(const std::string& socketPath, const std::vector<std::string>& paths,
                   std::vector<HandOverAnswer>& answers, std::string* error);
