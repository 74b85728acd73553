// The data view's line index over NC files from every CAM system and controller:
// any line ends (CR, LF, CR LF, LF CR CR), NUL bytes, no final line end. The input
// is the file; its last bytes choose whether it is shown from a file mapping and
// which edits follow. Checked for every input, against the line rule written the
// plain way one byte at a time:
// - the lines of the text (of the bytes before the first NUL for a mapped file,
//   which tells whether text hides behind that NUL) and their longest length;
// - after edits (append, insert, replace, remove, change of a last byte, with
//   texts that hold line ends), the lines, the bound on the longest line and the
//   joined text agree with the same edits done on a plain list of lines (the lines
//   around each edit at once, all of them after the last).
#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "support/PlainLines.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// What one stored text becomes: its lines, at least one.
std::vector<std::string> Pieces(std::string_view text) {
    std::vector<std::string> lines = PlainLines(text);
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

void Check(bool property) {
    if (!property)
        std::abort();
}

// After an edit: the count and the lines around the edited one (a full
// comparison after every edit of a large file would slow the search to a crawl).
void AgreeNear(const TextDocument& doc, const std::vector<std::string>& lines, size_t index) {
    Check(doc.LineCount() == lines.size());
    const size_t from = index > 2 ? index - 2 : 0;
    for (size_t i = from; i < lines.size() && i < index + 3; ++i)
        Check(doc.Line(i) == lines[i] && doc.MaxLineLength() >= lines[i].size());
    if (!lines.empty())
        Check(doc.Line(lines.size() - 1) == lines.back());
}

void Agree(const TextDocument& doc, const std::vector<std::string>& lines) {
    Check(doc.LineCount() == lines.size() && doc.Empty() == lines.empty());
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        Check(doc.Line(i) == lines[i]);
        Check(doc.MaxLineLength() >= lines[i].size());
        joined += lines[i] + "\r\n";
    }
    Check(doc.JoinedText() == joined);
}

const std::filesystem::path& FilePath() {
    static const std::filesystem::path path = [] {
        std::string dir = (std::filesystem::temp_directory_path() / "lineindex-XXXXXX").string();
        Check(mkdtemp(dir.data()) != nullptr);
        return std::filesystem::path(dir) / "F.NC";
    }();
    return path;
}

const char* const kTexts[] = {"",   "X",       "N1\r\nN2", "\r",         "\n",
                              "\0", "A\n\r\r", "\r\r\nB",  "G01X1.234Y5"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const uint8_t mode = provider.ConsumeIntegral<uint8_t>();
    const std::string edits = provider.ConsumeBytesAsString(std::min<size_t>(mode >> 1, 24) * 3);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    TextDocument doc;
    std::vector<std::string> lines;
    if (mode & 1) {
        {
            std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        ViewFileText file = ReadFileForView(FilePath());
        const size_t nul = text.find('\0');
        const std::string_view shown = std::string_view(text).substr(0, nul);
        Check(file.size == text.size() && file.text == shown);
        Check(file.textAfterNul ==
              (nul != std::string::npos && text.find_first_not_of('\0', nul) != std::string::npos));
        doc.SetText(std::move(file.text));
        lines = PlainLines(shown);
    } else {
        doc.SetText(text);
        lines = PlainLines(text);
    }
    size_t longest = 0;
    for (const std::string& line : lines)
        longest = std::max(longest, line.size());
    Check(doc.MaxLineLength() == longest);
    Agree(doc, lines);

    for (size_t e = 0; e + 3 <= edits.size(); e += 3) {
        const auto op = static_cast<uint8_t>(edits[e]);
        const size_t index = static_cast<uint8_t>(edits[e + 1]) % (lines.size() + 2);
        const auto arg = static_cast<uint8_t>(edits[e + 2]);
        std::string piece = kTexts[arg % std::size(kTexts)];
        if (arg % std::size(kTexts) == 5)
            piece.assign(1, '\0');
        if (!lines.empty() && arg >= 128)
            piece = lines[arg % lines.size()]; // a line moved within the document
        const std::vector<std::string> stored = Pieces(piece);
        switch (op % 6) {
        case 0:
            doc.AppendLine(piece);
            lines.insert(lines.end(), stored.begin(), stored.end());
            break;
        case 1:
            doc.InsertLine(index, piece);
            lines.insert(lines.begin() + static_cast<ptrdiff_t>(std::min(index, lines.size())),
                         stored.begin(), stored.end());
            break;
        case 2:
            doc.ReplaceLine(index, piece);
            if (index < lines.size()) {
                lines.erase(lines.begin() + static_cast<ptrdiff_t>(index));
                lines.insert(lines.begin() + static_cast<ptrdiff_t>(index), stored.begin(),
                             stored.end());
            }
            break;
        case 3:
            doc.RemoveLine(index);
            if (index < lines.size())
                lines.erase(lines.begin() + static_cast<ptrdiff_t>(index));
            break;
        case 4: {
            const char c = static_cast<char>(arg);
            doc.ReplaceLastChar(index, c);
            if (index < lines.size() && !lines[index].empty()) {
                std::string changed = lines[index];
                changed.back() = c;
                const std::vector<std::string> now = Pieces(changed);
                lines.erase(lines.begin() + static_cast<ptrdiff_t>(index));
                lines.insert(lines.begin() + static_cast<ptrdiff_t>(index), now.begin(), now.end());
            }
            break;
        }
        default:
            // A line of the document itself given back: the text the store reads
            // from may move while it is stored.
            if (index < lines.size()) {
                doc.ReplaceLine(index, doc.Line(index));
                doc.AppendLine(doc.Line(index));
                lines.push_back(lines[index]);
            }
            break;
        }
        AgreeNear(doc, lines, index);
    }
    Agree(doc, lines);
    return 0;
}
