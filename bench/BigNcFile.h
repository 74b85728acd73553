// The 100 MB NC file the large-file benchmarks share (the largest corpus program
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
#include <unistd.h>

namespace bench {

inline constexpr size_t kBigFileBytes = 100u * 1024 * 1024;

inline std::filesystem::path CorpusFile(const char* name) {
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
