// The data view's document: bytes held exactly as they came, indexed by line, so that
// a file of 150 MB opens at once and any line is reached without a scan. The send
// job, split and doubling read these lines.
//
// A line ends at LF, CR LF or a lone CR. Carriage returns on either side of the LF
// belong to the same line end: the Fanuc end of block LF CR CR is one line end, and
// so is the CR CR LF of a file converted to CR LF twice. The line end is not part
// of a line's text, so no line text ever holds CR or LF. A text that ends with a
// line end has no empty line after it ("A\nB\n" is two lines).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class TextDocument {
public:
    size_t LineCount() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    // The text of line index (< LineCount()), without its line end. Valid until the
    // next change of the document.
    std::string_view Line(size_t index) const;
    // The longest line in bytes since the text was set (lines replaced or removed
    // since may have been longer): a bound on the display columns that a change
    // keeps in O(1), for a view's horizontal scroll range.
    size_t MaxLineLength() const { return maxLength_; }
    // Bumped by every change, so that a view can tell when to repaint.
    uint64_t Revision() const { return revision_; }

    void Clear();
    // Takes the bytes as the whole text, split into lines. One byte of spare
    // capacity spares a copy of a large text (the loader reserves it).
    void SetText(std::string bytes);
    // Appends text as one line; line ends inside it make several lines.
    void AppendLine(std::string_view text);
    // Replaces line index by text (line ends inside it make several lines).
    void ReplaceLine(size_t index, std::string_view text);
    // Inserts text as a line before index (index == LineCount() appends).
    void InsertLine(size_t index, std::string_view text);
    void RemoveLine(size_t index);
    // Replaces the last byte of line index by c; an empty line is left alone.
    void ReplaceLastChar(size_t index, char c);

    // Every line followed by lineEnd (the way the program writes its files).
    std::string JoinedText(std::string_view lineEnd = "\r\n") const;

private:
    // Every line's text is followed by a CR or LF in bytes_ (a LF is added behind a
    // last line that has none), so a line is known by its start alone: 8 bytes of
    // index a line, and the text of a changed line is simply stored anew at the end.
    // Splits bytes_[from, to) into lines, appending their starts to out.
    void SplitRegion(size_t from, size_t to, std::vector<uint64_t>& out);
    // Appends text to the byte store and returns the starts of its lines (at least one).
    std::vector<uint64_t> StoreAsLines(std::string_view text);

    std::string bytes_;
    std::vector<uint64_t> lines_;
    size_t maxLength_ = 0;
    uint64_t revision_ = 0;
};
