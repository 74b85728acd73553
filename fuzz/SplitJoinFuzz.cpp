// The split by O-number of a data view's text, then the join of the files it
// wrote, each read back the way the window reads a file. The first byte chooses
// the split options ("%" before and after each program, a serial in the names)
// and the extension; the rest, up to the first NUL (where the data view's text
// ends), is the source.
//
// The split's rules, checked exactly: a program line is a line whose first
// character (untrimmed) is "O", ":" or "L"; every line that begins with "%" is
// dropped; the lines before the first program head the first program's file,
// ahead of its "%" line; every other line, blank ones included, stays in its
// program's file in order. So:
//  - with no program line there is no file; an extension with a wildcard names
//    no file and leaves none;
//  - the files are the ones the result lists, one per program, in the
//    destination folder only, named by the split's naming rule (or a numbered
//    variant of that name when two programs share it), every name a safe one;
//  - joining the files in program order gives exactly the source's lines less
//    the "%" lines, with the "%" lines the options add around each program.
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
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool property) {
    if (!property)
        std::abort();
}

bool SafeName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 255)
        return false;
    for (unsigned char c : name)
        if (c < ' ' || c == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    return name.back() != '.' && name.back() != ' ';
}

bool Dropped(std::string_view line) {
    return !line.empty() && line[0] == '%';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzScratch scratch;
    if (size < 1)
        return 0;
    const std::uint8_t flags = data[0];
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    text = text.substr(0, text.find('\0'));

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
    const SplitResult result = SplitByProgram(source, splitDir, options, extension);

    std::vector<size_t> programLines;
    for (size_t i = 0; i < source.LineCount(); ++i)
        if (IsProgramLine(source.Line(i)))
            programLines.push_back(i);

    std::vector<std::string> onDisk = FuzzScratch::RegularFiles(splitDir);
    if (programLines.empty()) {
        Require(result.status == SplitStatus::NoPrograms && onDisk.empty());
        return 0;
    }
    if (ExtensionNamesNoFile(extension)) {
        Require(result.status == SplitStatus::WriteFailed && onDisk.empty());
        return 0;
    }
    Require(result.status == SplitStatus::Done);
    Require(result.programs == int(programLines.size()));
    Require(result.files.size() == programLines.size());
    std::sort(onDisk.begin(), onDisk.end());
    std::vector<std::string> listed = result.files;
    std::sort(listed.begin(), listed.end());
    Require(onDisk == listed);
    Require(std::adjacent_find(listed.begin(), listed.end()) == listed.end());
    for (size_t k = 0; k < result.files.size(); ++k) {
        const std::string& name = result.files[k];
        Require(SafeName(name));
        const std::string base =
            SplitFileName(source.Line(programLines[k]), int(k), options.N_Set, extension);
        bool ruleName = name == base;
        for (size_t v = 2; !ruleName && v <= result.files.size() + 1; ++v)
            ruleName = name == NumberedVariant(base, int(v));
        Require(ruleName);
    }

    // The join reads every file as the data view does.
    std::vector<TextDocument> loaded(result.files.size());
    const auto joined = scratch.Root() / "join" / "ALL.NC";
    const JoinResult join =
        JoinIntoFile(joined, result.files.size(), [&](size_t i) -> const TextDocument& {
            ViewFileText view = ReadFileForView(splitDir / result.files[i]);
            Require(!view.textAfterNul);
            loaded[i].SetText(std::move(view.text));
            return loaded[i];
        });
    Require(join.ok && join.filesJoined == result.files.size());

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
    Require(FuzzScratch::Read(joined) == expected);
    return 0;
}
