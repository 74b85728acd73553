#include "files/FileLoading.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Opens a regular file for reading without blocking on a FIFO; -1 otherwise.
int OpenRegular(const std::filesystem::path& path, struct stat& st) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

ssize_t ReadSome(int fd, char* buffer, size_t size) {
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

// A large buffer faults in 2 MB pages instead of 4 KB ones where the system allows
// it: opening a 100 MB program then takes a fraction of the page faults.
void AskForHugePages(char* data, size_t size) {
    constexpr uintptr_t kHuge = 2u << 20;
    if (size < 4 * kHuge)
        return;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Buffered bytes of a file, one at a time.
class ByteReader {
public:
    explicit ByteReader(int fd) : fd_(fd), buffer_(1 << 16) {}
    // The next byte, or -1 at the end (or on a read error).
    int Next() {
        if (pos_ == end_) {
            ssize_t n = ReadSome(fd_, buffer_.data(), buffer_.size());
            if (n <= 0)
                return -1;
            pos_ = 0;
            end_ = static_cast<size_t>(n);
        }
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    int Peek() {
        int c = Next();
        if (c >= 0)
            --pos_;
        return c;
    }

private:
    int fd_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
};

} // namespace

namespace {

// The whole file copied into memory, for a file the system will not map.
std::string ReadWhole(int fd, size_t size) {
    std::string bytes;
    bytes.reserve(size + 1);
    AskForHugePages(bytes.data(), bytes.capacity());
    bytes.resize(size);
    size_t got = 0;
    // The size may change while reading: take what is there.
    while (got < bytes.size()) {
        ssize_t n = ReadSome(fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

} // namespace

ViewFileText ReadFileForView(const std::filesystem::path& path) {
    ViewFileText out;
    struct stat st {};
    int fd = OpenRegular(path, st);
    if (fd < 0)
        return out;
    out.size = static_cast<uint64_t>(st.st_size);
    const auto size = static_cast<size_t>(st.st_size);
    MappedFile mapped;
    if (mapped.Map(fd, size)) {
        ::close(fd);
        const std::string_view bytes = mapped.View();
        // find, not memchr: an empty mapping has no data pointer.
        size_t length = bytes.find('\0');
        if (length != std::string_view::npos)
            out.textAfterNul = bytes.find_first_not_of('\0', length) != std::string_view::npos;
        else
            length = bytes.size();
        out.text = DocumentBytes(std::move(mapped), length);
        return out;
    }
    std::string bytes = ReadWhole(fd, size);
    ::close(fd);
    size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        out.textAfterNul = bytes.find_first_not_of('\0', nul) != std::string::npos;
        bytes.resize(nul);
    }
    out.text = std::move(bytes);
    return out;
}

bool ReadFileInPieces(const std::filesystem::path& path,
                      const std::function<void(std::string_view piece)>& take, size_t pieceLimit) {
    struct stat st {};
    int fd = OpenRegular(path, st);
    if (fd < 0)
        return false;
    ByteReader reader(fd);
    std::string piece;
    bool endOfFile = false;
    // The end is known from the read itself, so the last piece is taken once, also
    // when the file ends with a line feed.
    while (!endOfFile) {
        piece.clear();
        size_t characters = 0;
        while (characters < pieceLimit) {
            int c = reader.Next();
            if (c < 0) {
                endOfFile = true;
                break;
            }
            if (c == '\r' && reader.Peek() == '\n')
                c = reader.Next(); // text mode: CR LF is one line feed
            ++characters;
            if (c == '\n')
                break;
            if (c != '\0')
                piece += static_cast<char>(c);
        }
        if (!piece.empty())
            take(piece);
    }
    ::close(fd);
    return true;
}

bool NeedsPieceReading(const ViewFileText& file) {
    // A file that cannot be opened cannot be read in pieces either.
    return file.size != kUnknownFileSize && (file.text.empty() || file.textAfterNul);
}

LoadedText LoadTextForView(const std::filesystem::path& path,
                           const std::function<bool()>& readInPieces) {
    ViewFileText file = ReadFileForView(path);
    LoadedText loaded;
    loaded.size = file.size;
    if (NeedsPieceReading(file) && readInPieces()) {
        // Every piece a line: gathered first, so the view takes them in one go.
        std::string lines;
        ReadFileInPieces(path, [&lines](std::string_view piece) {
            lines.append(piece);
            lines.push_back('\n');
        });
        loaded.text = std::move(lines);
        loaded.inPieces = true;
    } else {
        loaded.text = std::move(file.text);
    }
    if (file.size == 0)
        loaded.text = DocumentBytes();
    return loaded;
}
