#include "files/TextDocument.h"

#include <algorithm>
#include <cstring>

namespace {

// Position of the next byte equal to c in [from, to), or to. The caller keeps the
// last answer and asks again only once it has passed it, so a text without any CR
// is searched for CR once, not once per line.
size_t FindByte(const char* data, size_t from, size_t to, char c) {
    const void* hit = std::memchr(data + from, c, to - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : to;
}

} // namespace

void TextDocument::SplitRegion(size_t from, size_t to, std::vector<LineSpan>& out) const {
    const char* data = bytes_.data();
    size_t nextCr = from;
    size_t nextLf = from;
    bool crKnown = false;
    bool lfKnown = false;
    size_t pos = from;
    while (pos < to) {
        if (!crKnown || nextCr < pos) {
            nextCr = FindByte(data, pos, to, '\r');
            crKnown = true;
        }
        if (!lfKnown || nextLf < pos) {
            nextLf = FindByte(data, pos, to, '\n');
            lfKnown = true;
        }
        size_t end = std::min(nextCr, nextLf);
        out.push_back({pos, end - pos});
        size_t next = end;
        while (next < to && data[next] == '\r')
            ++next;
        if (next < to && data[next] == '\n')
            ++next;
        while (next < to && data[next] == '\r')
            ++next;
        pos = next;
    }
}

void TextDocument::NoteLengths(const std::vector<LineSpan>& spans) {
    for (const LineSpan& span : spans)
        maxLength_ = std::max(maxLength_, static_cast<size_t>(span.length));
}

void TextDocument::RecomputeMaxLength() {
    maxLength_ = 0;
    NoteLengths(lines_);
}

void TextDocument::Clear() {
    // Give the memory back: the view may just have held a 150 MB file.
    std::string().swap(bytes_);
    std::vector<LineSpan>().swap(lines_);
    maxLength_ = 0;
    ++revision_;
}

void TextDocument::SetText(std::string bytes) {
    Clear();
    bytes_ = std::move(bytes);
    // NC programs average some 20 to 30 bytes a line; reserving for that spares the
    // copies of a growing index on a large file.
    lines_.reserve(bytes_.size() / 24 + 1);
    SplitRegion(0, bytes_.size(), lines_);
    if (lines_.capacity() > lines_.size() + lines_.size() / 4 + 1024)
        lines_.shrink_to_fit();
    RecomputeMaxLength();
}

std::vector<TextDocument::LineSpan> TextDocument::StoreAsLines(std::string_view text) {
    size_t from = bytes_.size();
    bytes_.append(text);
    std::vector<LineSpan> spans;
    SplitRegion(from, bytes_.size(), spans);
    if (spans.empty())
        spans.push_back({from, 0});
    NoteLengths(spans);
    return spans;
}

void TextDocument::AppendLine(std::string_view text) {
    std::vector<LineSpan> spans = StoreAsLines(text);
    lines_.insert(lines_.end(), spans.begin(), spans.end());
    ++revision_;
}

void TextDocument::InsertLine(size_t index, std::string_view text) {
    index = std::min(index, lines_.size());
    std::vector<LineSpan> spans = StoreAsLines(text);
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(index), spans.begin(), spans.end());
    ++revision_;
}

void TextDocument::ReplaceLine(size_t index, std::string_view text) {
    if (index >= lines_.size())
        return;
    bool wasLongest = lines_[index].length == maxLength_;
    std::vector<LineSpan> spans = StoreAsLines(text);
    lines_[index] = spans.front();
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(index) + 1, spans.begin() + 1,
                  spans.end());
    if (wasLongest)
        RecomputeMaxLength();
    ++revision_;
}

void TextDocument::RemoveLine(size_t index) {
    if (index >= lines_.size())
        return;
    bool wasLongest = lines_[index].length == maxLength_;
    lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(index));
    if (wasLongest)
        RecomputeMaxLength();
    ++revision_;
}

void TextDocument::ReplaceLastChar(size_t index, char c) {
    if (index >= lines_.size() || lines_[index].length == 0)
        return;
    std::string text(Line(index));
    text.back() = c;
    // Through ReplaceLine, so that a CR or LF put there still ends the line.
    ReplaceLine(index, text);
}

std::string TextDocument::JoinedText(std::string_view lineEnd) const {
    std::string out;
    size_t total = 0;
    for (const LineSpan& span : lines_)
        total += span.length + lineEnd.size();
    out.reserve(total);
    for (size_t i = 0; i < lines_.size(); ++i) {
        out.append(Line(i));
        out.append(lineEnd);
    }
    return out;
}
