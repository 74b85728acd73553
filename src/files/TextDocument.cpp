#include "files/TextDocument.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Position of the next byte equal to c in [from, to), or to. The caller keeps the
// last answer and asks again only once it has passed it, so a text without any CR
// is searched for CR once, not once per line.
size_t FindByte(const char* data, size_t from, size_t to, char c) {
    const void* hit = std::memchr(data + from, c, to - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : to;
}

} // namespace

std::string_view TextDocument::Line(size_t index) const {
    const char* start = bytes_.data() + lines_[index];
    const char* end = start;
    while (!IsLineEnd(*end))
        ++end;
    return {start, static_cast<size_t>(end - start)};
}

void TextDocument::SplitRegion(size_t from, size_t to, std::vector<uint64_t>& out) {
    const char* data = bytes_.data();
    size_t nextCr = 0;
    size_t nextLf = 0;
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
        out.push_back(pos);
        maxLength_ = std::max(maxLength_, end - pos);
        size_t next = end;
        while (next < to && data[next] == '\r')
            ++next;
        if (next < to && data[next] == '\n')
            ++next;
        while (next < to && data[next] == '\r')
            ++next;
        pos = next;
    }
    // The last line needs a line end behind it.
    if (to > from && !IsLineEnd(bytes_[to - 1]))
        bytes_.push_back('\n');
}

void TextDocument::Clear() {
    // Give the memory back: the view may just have held a 150 MB file.
    std::string().swap(bytes_);
    std::vector<uint64_t>().swap(lines_);
    maxLength_ = 0;
    ++revision_;
}

void TextDocument::SetText(std::string bytes) {
    Clear();
    bytes_ = std::move(bytes);
    const char* data = bytes_.data();
    size_t lineFeeds = 0;
    for (const char* p = data;
         (p = static_cast<const char*>(std::memchr(p, '\n', bytes_.size() - size_t(p - data))));
         ++p)
        ++lineFeeds;
    lines_.reserve(lineFeeds + 1);
    SplitRegion(0, bytes_.size(), lines_);
}

std::vector<uint64_t> TextDocument::StoreAsLines(std::string_view text) {
    size_t from = bytes_.size();
    bytes_.append(text);
    std::vector<uint64_t> starts;
    SplitRegion(from, bytes_.size(), starts);
    if (starts.empty()) {
        starts.push_back(from);
        bytes_.push_back('\n');
    }
    return starts;
}

void TextDocument::AppendLine(std::string_view text) {
    std::vector<uint64_t> starts = StoreAsLines(text);
    lines_.insert(lines_.end(), starts.begin(), starts.end());
    ++revision_;
}

void TextDocument::InsertLine(size_t index, std::string_view text) {
    index = std::min(index, lines_.size());
    std::vector<uint64_t> starts = StoreAsLines(text);
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(index), starts.begin(), starts.end());
    ++revision_;
}

void TextDocument::ReplaceLine(size_t index, std::string_view text) {
    if (index >= lines_.size())
        return;
    // text may point into bytes_, which the store below may move.
    std::string copy(text);
    std::vector<uint64_t> starts = StoreAsLines(copy);
    lines_[index] = starts.front();
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(index) + 1, starts.begin() + 1,
                  starts.end());
    ++revision_;
}

void TextDocument::RemoveLine(size_t index) {
    if (index >= lines_.size())
        return;
    lines_.erase(lines_.begin() + static_cast<ptrdiff_t>(index));
    ++revision_;
}

void TextDocument::ReplaceLastChar(size_t index, char c) {
    if (index >= lines_.size() || Line(index).empty())
        return;
    std::string text(Line(index));
    text.back() = c;
    // Through ReplaceLine, so that a CR or LF put there still ends the line.
    ReplaceLine(index, text);
}

std::string TextDocument::JoinedText(std::string_view lineEnd) const {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) {
        out.append(Line(i));
        out.append(lineEnd);
    }
    return out;
}
