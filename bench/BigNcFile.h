// The 100 MB NC files the large-file benchmarks share (the largest corpus program
// repeated into a temporary file, removed at exit), with the resident-memory probe
// and the timing of an anchor command run beside the program.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace bench {

inline constexpr size_t kBigFileBytes = 100u * 1024 * 1024;

// Beside the repository, or where DRAVIK_CORPUS says (a worktree elsewhere), as the tests do.
inline std::filesystem::path CorpusFile(const char* name) {
    if (const char* folder = std::getenv("DRAVIK_CORPUS"))
        return std::filesystem::path(folder) / name;
    return std::filesystem::path(DRAVIK_SOURCE_DIR) / ".." / "shared" / "corpus" / name;
}

inline std::filesystem::path BigFileSource() {
    return CorpusFile("35_camotics_la_peinture_4M.gc");
}

// The temporary 100 MB file, made once.
inline const std::filesystem::path& BigFile() {
    static std::filesystem::path path;
    if (path.empty()) {
        std::ifstream in(BigFileSource(), std::ios::binary);
        std::string piece{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        path = std::filesystem::temp_directory_path() /
               ("dravik-bench-" + std::to_string(::getpid()) + ".nc");
        std::ofstream out(path, std::ios::binary);
        for (size_t written = 0; !piece.empty() && written < kBigFileBytes; written += piece.size())
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        std::atexit([] { std::filesystem::remove(path); });
    }
    return path;
}

inline constexpr int kSplitPrograms = 1139;

// The 100 MB file of the split benchmark, made once: kSplitPrograms programs, each
// opened by a program line of the Fanuc memory punch-out (numbered anew, so that
// every program has a name of its own) and filled with lines of the largest corpus
// program up to an even share of the 100 MB, between a leading and a closing "%".
inline const std::filesystem::path& BigSplitFile() {
    static std::filesystem::path path;
    if (!path.empty())
        return path;
    auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    const std::string body = read(BigFileSource());
    const std::string punchOut = read(CorpusFile("01_fanucbackup_ALL-PROG.TXT"));
    std::vector<std::string> comments; // the "(...)" of each program line, or nothing
    for (size_t at = 0; at < punchOut.size();) {
        size_t end = punchOut.find('\n', at);
        std::string_view line(punchOut.data() + at,
                              (end == std::string::npos ? punchOut.size() : end) - at);
        at = end == std::string::npos ? punchOut.size() : end + 1;
        while (!line.empty() && line.front() == '\r')
            line.remove_prefix(1);
        if (!line.empty() && line.front() == 'O') {
            size_t open = line.find('(');
            comments.emplace_back(open == std::string_view::npos ? "" : line.substr(open));
        }
    }
    path = std::filesystem::temp_directory_path() /
           ("dravik-bench-split-" + std::to_string(::getpid()) + ".nc");
    std::ofstream out(path, std::ios::binary);
    const size_t share = kBigFileBytes / kSplitPrograms;
    size_t from = 0;
    out << "%\n";
    for (int program = 0; !body.empty() && !comments.empty() && program < kSplitPrograms;
         ++program) {
        char number[16];
        std::snprintf(number, sizeof number, "O%04d", program + 1);
        out << number << comments[program % comments.size()] << '\n';
        for (size_t written = 0; written < share;) {
            size_t end = body.find('\n', from);
            end = end == std::string::npos ? body.size() : end + 1;
            out.write(body.data() + from, static_cast<std::streamsize>(end - from));
            written += end - from;
            from = end < body.size() ? end : 0;
        }
    }
    out << "%\n";
    std::atexit([] { std::filesystem::remove(path); });
    return path;
}

inline long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// Runs a shell command (the anchor) and returns its wall time in seconds; the first
// number it prints goes to *number when given.
inline double AnchorSeconds(const std::string& command, long long* number = nullptr) {
    auto start = std::chrono::steady_clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    long long value = -1;
    if (pipe && std::fscanf(pipe, "%lld", &value) != 1)
        value = -1;
    if (pipe)
        ::pclose(pipe);
    if (number)
        *number = value;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace bench
