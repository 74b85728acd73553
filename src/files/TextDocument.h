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

#include "platform/MappedFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The bytes a document is built on: a text it owns, or the first length bytes of a
// read-only file mapping (a file is shown straight from the page cache).
class DocumentBytes {
public:
    DocumentBytes() = default;
    DocumentBytes(std::string text) : owned_(std::move(text)), view_(owned_) {} // NOLINT
    DocumentBytes(const char* text) : DocumentBytes(std::string(text)) {}       // NOLINT
    DocumentBytes(MappedFile file, size_t length);
    DocumentBytes(DocumentBytes&& other) noexcept { *this = std::move(other); }
    DocumentBytes& operator=(DocumentBytes&& other) noexcept;

    std::string_view View() const { return view_; }
    size_t size() const { return view_.size(); }
    bool empty() const { return view_.empty(); }
    friend bool operator==(const DocumentBytes& bytes, std::string_view text) {
        return bytes.view_ == text;
    }

private:
    std::string owned_;
    MappedFile mapped_;
    std::string_view view_;
};

class TextDocument {
public:
    size_t LineCount() const { return wide_ ? starts64_.size() : starts32_.size(); }
    bool Empty() const { return LineCount() == 0; }
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
    // Takes the bytes as the whole text, split into lines.
    void SetText(DocumentBytes bytes);
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
    // A line is known by its start alone. Starts below base_.size() lie in the base
    // bytes; the others lie in added_ (at start - base_.size()), where the text of
    // every added or changed line is stored anew, each followed by a LF. Starts are
    // 4 bytes each while every start fits, 8 bytes beyond 4 GB.
    uint64_t Start(size_t index) const { return wide_ ? starts64_[index] : starts32_[index]; }
    void SetStart(size_t index, uint64_t start);
    // Inserts starts before index (index == LineCount() appends).
    void InsertStarts(size_t index, const std::vector<uint64_t>& starts);
    void Widen();
    // Splits data[from, to) into lines; each start (plus offset) goes to take.
    template <typename Take>
    void SplitRegion(const char* data, size_t from, size_t to, uint64_t offset, Take&& take);
    // Appends text to added_ and returns the starts of its lines (at least one).
    std::vector<uint64_t> StoreAsLines(std::string_view text);

    DocumentBytes base_;
    std::string added_;
    std::vector<uint32_t> starts32_;
    std::vector<uint64_t> starts64_;
    bool wide_ = false;
    size_t maxLength_ = 0;
    uint64_t revision_ = 0;
};
