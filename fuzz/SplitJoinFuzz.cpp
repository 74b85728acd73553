// The split by O-number of a file read into the data view, then the join of the
// files it wrote, each read back the way the window reads a file. The first byte
// chooses the split options ("%" before and after each program, a serial in the
// names), the extension, and whether the source file lies in the destination
// folder under the name of its first program; the rest is the source file.
//
// The split's rules, checked exactly: a program line is a line whose first
// character (untrimmed) is "O", ":" or "L"; every line that begins with "%" is
// dropped; the lines before the first program head the first program's file,
// ahead of its "%" line; every other line, blank ones included, stays in its
// program's file in order. So:
//  - the data view holds the file's bytes before its first NUL;
//  - the source file is never replaced;
//  - with no program line there is no file; an extension with a wildcard names
//    no file and leaves none;
//  - the files are the ones the result lists, one per program, in the
//    destination folder only, named by the split's naming rule (or a numbered
//    variant of that name when two programs share it), every name a safe one;
//  - joining the files in program order gives exactly the source's lines less
//    the "%" lines, with the "%" lines the options add around each program.
#include "FuzzCheck.h"
#include "FuzzScratch.h"

#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "nctools/FileJoin.h"
#include "nctools/SplitByProgram.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/ReceiveText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool Dropped(std::string_view line) {
    return !line.empty() && line[0] == '%';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzScratch scratch;
    if (size < 1)
        return 0;
    const std::uint8_t flags = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view text = bytes.substr(0, bytes.find('\0'));

    SplitOptions options;
    options.F_Set = flags & 0x01;
    options.B_Set = flags & 0x02;
    options.N_Set = flags & 0x04;
    static constexpr std::string_view kExtensions[] = {".NC", "", ".TXT", ".*"};
    const std::string_view extension = kExtensions[(flags >> 3) & 0x03];

    scratch.Reset({"split", "join"});
    const auto splitDir = scratch.Root() / "split";
    TextDocument source;
    source.SetText(DocumentBytes(std::string(text)));
    std::vector<size_t> programLines;
    for (size_t i = 0; i < source.LineCount(); ++i)
        if (IsProgramLine(source.Line(i)))
            programLines.push_back(i);

    // The source file, read as the window reads it.
    std::string sourceName = "SOURCE.DAT";
    if ((flags & 0x20) && !programLines.empty() && !ExtensionNamesNoFile(extension))
        sourceName = SplitFileName(source.Line(programLines[0]), 0, options.N_Set, extension);
    const auto sourceFile = splitDir / sourceName;
    {
        std::ofstream out(sourceFile, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        FUZZ_REQUIRE(bool(out));
    }
    ViewFileText view = ReadFileForView(sourceFile);
    FUZZ_REQUIRE(view.text == text && view.size == bytes.size());
    FUZZ_REQUIRE(view.textAfterNul ==
                 (text.size() < bytes.size() &&
                  bytes.find_first_not_of('\0', text.size()) != std::string_view::npos));
    source.SetText(std::move(view.text));
    const SplitResult result = SplitByProgram(source, splitDir, options, extension, {}, sourceFile);
    FUZZ_REQUIRE(FuzzScratch::Read(sourceFile) == bytes);

    std::vector<std::string> onDisk = FuzzScratch::RegularFiles(splitDir);
    onDisk.erase(std::find(onDisk.begin(), onDisk.end(), sourceName));
    if (programLines.empty()) {
        FUZZ_REQUIRE(result.status == SplitStatus::NoPrograms && onDisk.empty());
        return 0;
    }
    if (ExtensionNamesNoFile(extension)) {
        FUZZ_REQUIRE(result.status == SplitStatus::WriteFailed && onDisk.empty());
        return 0;
    }
    FUZZ_REQUIRE(result.status == SplitStatus::Done);
    FUZZ_REQUIRE(result.programs == int(programLines.size()));
    FUZZ_REQUIRE(result.files.size() == programLines.size());
    std::sort(onDisk.begin(), onDisk.end());
    std::vector<std::string> listed = result.files;
    std::sort(listed.begin(), listed.end());
    FUZZ_REQUIRE(onDisk == listed);
    FUZZ_REQUIRE(std::adjacent_find(listed.begin(), listed.end()) == listed.end());
    for (size_t k = 0; k < result.files.size(); ++k) {
        const std::string& name = result.files[k];
        FUZZ_REQUIRE(IsSafeName(name));
        const std::string base =
            SplitFileName(source.Line(programLines[k]), int(k), options.N_Set, extension);
        bool ruleName = name == base;
        for (size_t v = 2; !ruleName && v <= result.files.size() + 2; ++v)
            ruleName = name == NumberedVariant(base, int(v));
        FUZZ_REQUIRE(ruleName);
    }

    // The join reads every file as the data view does.
    std::vector<TextDocument> loaded(result.files.size());
    const auto joined = scratch.Root() / "join" / "ALL.NC";
    const JoinResult join =
        JoinIntoFile(joined, result.files.size(), [&](size_t i) -> const TextDocument* {
            ViewFileText view = ReadFileForView(splitDir / result.files[i]);
            FUZZ_REQUIRE(!view.textAfterNul);
            loaded[i].SetText(std::move(view.text));
            return &loaded[i];
        });
    FUZZ_REQUIRE(join.ok && join.filesJoined == result.files.size());

    std::string expected;
    auto add = [&](std::string_view line) {
        if (!Dropped(line))
            expected.append(line).append("\r\n");
    };
    for (size_t k = 0; k < programLines.size(); ++k) {
        if (k == 0)
            for (size_t i = 0; i < programLines[0]; ++i)
                add(source.Line(i));
        if (options.F_Set)
            expected.append("%\r\n");
        const size_t end = k + 1 < programLines.size() ? programLines[k + 1] : source.LineCount();
        for (size_t i = programLines[k]; i < end; ++i)
            add(source.Line(i));
        if (options.B_Set)
            expected.append("%\r\n");
    }
    FUZZ_REQUIRE(FuzzScratch::Read(joined) == expected);
    return 0;
}
