// A small shell script that stands in for a launched program: each start writes its
// working folder and its arguments, one a line, to a record beside it. Tests wait
// for the record (the program is started detached, so nothing else tells when it
// ran) with a bound, never a fixed sleep.
#pragma once

#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <cstdlib>

#include <sys/stat.h>

class RecordingScript {
public:
    // A script named name in folder; written with the execute bit.
    RecordingScript(const std::filesystem::path& folder, const std::string& name)
        : path_(folder / name), record_(folder / (name + ".record")) {
        std::filesystem::create_directories(folder);
        // With CHECK_FD set, also whether that descriptor reached the program.
        std::string text = "#!/bin/sh\n"
                           "out='" +
                           record_.string() +
                           "'\n"
                           "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done;\n"
                           "  if [ -n \"$CHECK_FD\" ]; then\n"
                           "    if [ -e /proc/$$/fd/$CHECK_FD ]; then echo fd-open; "
                           "else echo fd-closed; fi; fi; } > \"$out.tmp\"\n"
                           "/bin/mv \"$out.tmp\" \"$out\"\n";
        std::ofstream(path_, std::ios::binary) << text;
        ::chmod(path_.c_str(), 0755);
    }

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // The lines of the record: the working folder, then one per argument. Empty when
    // the program did not run within the bound.
    std::vector<std::string> WaitForCall(std::chrono::seconds bound = std::chrono::seconds(10)) {
        auto deadline = std::chrono::steady_clock::now() + bound;
        while (!std::filesystem::exists(record_)) {
            if (std::chrono::steady_clock::now() > deadline)
                return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::vector<std::string> lines;
        std::string text = TempDir::Read(record_);
        for (size_t pos = 0; pos < text.size();) {
            size_t end = text.find('\n', pos);
            lines.push_back(text.substr(pos, end - pos));
            pos = end + 1;
        }
        std::filesystem::remove(record_);
        return lines;
    }
    bool Called() const { return std::filesystem::exists(record_); }

private:
    std::filesystem::path path_;
    std::filesystem::path record_;
};

// PATH for the length of a test: the program looks programs up there.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& value) {
        const char* old = std::getenv("PATH");
        had_ = old != nullptr;
        old_ = old ? old : "";
        ::setenv("PATH", value.c_str(), 1);
    }
    ~ScopedPath() {
        if (had_)
            ::setenv("PATH", old_.c_str(), 1);
        else
            ::unsetenv("PATH");
    }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;

private:
    bool had_ = false;
    std::string old_;
};
