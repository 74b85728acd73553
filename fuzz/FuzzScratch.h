// A scratch folder for the targets that write files: one per process, in a
// tmpfs when there is one (every input writes and removes files), emptied before
// each input.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include <stdlib.h>

class FuzzScratch {
public:
    FuzzScratch() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string pattern = (base / "dravik-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root_ = pattern;
    }
    ~FuzzScratch() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    const std::filesystem::path& Root() const { return root_; }

    // Empties the folder and makes the named subfolders in it anew.
    void Reset(const std::vector<std::string>& folders) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(root_, ec))
            std::filesystem::remove_all(entry.path(), ec);
        for (const auto& folder : folders)
            if (!std::filesystem::create_directory(root_ / folder, ec))
                std::abort();
    }

    // The names directly in folder; aborts on anything that is not a regular file.
    static std::vector<std::string> RegularFiles(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.is_symlink())
                std::abort();
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    static std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            std::abort();
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path root_;
};
