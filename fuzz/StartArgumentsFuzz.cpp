// The start arguments come from whoever starts the program: a desktop entry, a
// script, a file manager handing over any file name. The input is split on NUL
// into the arguments; a leading "@" stands for a folder of this run that holds a
// folder "NC DATA" and the files "P1.NC" and "P2", so that existing folders and
// files are reached. Checked for every input, argument after argument:
// - no arguments set the three flags to "N"; any argument sets "Y" and unsets the others;
// - the working directory stays absolute (it starts as one): an argument that
//   changes it is absolute, holds no "S=" or "R=", names a folder or nothing, and
//   becomes the working directory with "|" read as a blank and without its final
//   separator;
// - a file is imported only when the argument is absolute and names a regular
//   file: it is copied from that path into the working directory under its own
//   name, and the mask follows its extension; nothing else changes the mask;
// - the close-after-transfer switch is set only by "END" in a text of 4 characters or fewer.
#include "app/StartArguments.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Check(bool property) {
    if (!property)
        std::abort();
}

const std::string& Sandbox() {
    static const std::string dir = [] {
        std::string path = (fs::temp_directory_path() / "startargs-XXXXXX").string();
        Check(mkdtemp(path.data()) != nullptr);
        fs::create_directory(fs::path(path) / "NC DATA");
        std::ofstream(fs::path(path) / "P1.NC") << "%\nO1\nM30\n%\n";
        std::ofstream(fs::path(path) / "P2") << "O2\n";
        return path;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= input.size() && !input.empty();) {
        size_t end = input.find('\0', start);
        std::string arg = input.substr(start, end - start);
        if (!arg.empty() && arg.front() == '@')
            arg = Sandbox() + arg.substr(1);
        args.push_back(arg);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }

    TSettings settings;
    settings.DirPath = Sandbox();
    StartState state;
    std::vector<std::pair<fs::path, fs::path>> copies;
    const CopyFileFn record = [&copies](const fs::path& from, const fs::path& to) {
        copies.emplace_back(from, to);
        return true;
    };
    ProcessArguments(args, settings, state, record);
    Check(args.empty() ? state.startFlags[0] == 'N' && state.startFlags[1] == 'N' &&
                             state.startFlags[2] == 'N'
                       : state.startFlags[0] == 'Y' && state.startFlags[1] == '\0' &&
                             state.startFlags[2] == '\0');

    // Again one by one, to see what each argument did.
    TSettings s;
    s.DirPath = Sandbox();
    StartState one;
    bool exit = false;
    for (const std::string& arg : args) {
        const TSettings was = s;
        copies.clear();
        ProcessArgument(arg, s, one, record);
        Check(!s.DirPath.empty() && s.DirPath.front() == '/');
        const std::string upper = AsciiUpper(arg);
        std::error_code ec;
        const bool absolute = !arg.empty() && arg.front() == '/';
        if (s.DirPath != was.DirPath) {
            Check(absolute && upper.find("S=") == std::string::npos &&
                  upper.find("R=") == std::string::npos);
            Check(fs::is_directory(arg, ec) || !fs::exists(arg, ec));
            std::string expected = arg;
            std::replace(expected.begin(), expected.end(), '|', ' ');
            if (expected.size() > 1 && expected.back() == '/')
                expected.pop_back();
            Check(s.DirPath == expected);
        }
        Check(copies.size() <= 1);
        if (!copies.empty()) {
            Check(absolute && fs::is_regular_file(arg, ec));
            Check(copies[0].first == fs::path(arg));
            Check(copies[0].second == fs::path(was.DirPath) / fs::path(arg).filename());
            Check(copies[0].second.is_absolute());
            Check(s.Mask == "*" + fs::path(arg).extension().string());
        } else {
            Check(s.Mask == was.Mask);
        }
        if (one.exitAfterTransfer && !exit)
            Check(upper.find("END") != std::string::npos && arg.size() <= 4);
        exit = one.exitAfterTransfer;
    }
    Check(exit == state.exitAfterTransfer && s.DirPath == settings.DirPath &&
          s.Mask == settings.Mask);
    return 0;
}
