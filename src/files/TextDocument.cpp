#include "files/TextDocument.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Position of the first CR or LF in [from, to), or to. NC blocks are some twenty
// bytes long, so one look at 16 bytes at a time beats two library searches per line.
size_t FindLineEnd(const char* data, size_t from, size_t to) {
    size_t pos = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; pos + 16 <= to; pos += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
        if (hits)
            return pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    while (pos < to && !IsLineEnd(data[pos]))
        ++pos;
    return pos;
}

// The line ends of data[0, to) in order, found 64 bytes at a time: one mask of the
// CRs and LFs of a block serves the three or so lines that lie in it.
class LineEndScanner {
public:
    LineEndScanner(const char* data, size_t to) : data_(data), to_(to) {}

    // Position of the first CR or LF at or after pos, or to.
    size_t Next(size_t pos) {
        for (;;) {
            if (pos >= blockStart_ && pos - blockStart_ < kBlock) {
                const uint64_t left = mask_ & (~uint64_t(0) << (pos - blockStart_));
                if (left)
                    return blockStart_ + static_cast<size_t>(__builtin_ctzll(left));
                pos = blockStart_ + kBlock;
            }
            if (to_ - std::min(pos, to_) < kBlock)
                return FindLineEnd(data_, std::min(pos, to_), to_);
            blockStart_ = pos;
            mask_ = BlockMask(data_ + pos);
        }
    }

private:
    static constexpr size_t kBlock = 64;

    static uint64_t BlockMask(const char* p) {
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i cr = _mm_set1_epi8('\r');
        uint64_t mask = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const auto hits = static_cast<uint32_t>(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr))));
            mask |= uint64_t(hits) << (16 * i);
        }
        return mask;
#else
        uint64_t mask = 0;
        for (size_t i = 0; i < kBlock; ++i)
            mask |= uint64_t(IsLineEnd(p[i])) << i;
        return mask;
#endif
    }

    const char* data_;
    size_t to_;
    size_t blockStart_ = std::numeric_limits<size_t>::max();
    uint64_t mask_ = 0;
};

} // namespace

DocumentBytes::DocumentBytes(MappedFile file, size_t length)
    : mapped_(std::move(file)), view_(mapped_.data(), std::min(length, mapped_.size())) {}

DocumentBytes& DocumentBytes::operator=(DocumentBytes&& other) noexcept {
    if (this == &other)
        return *this;
    const bool inOwned = other.view_.data() == other.owned_.data();
    owned_ = std::move(other.owned_);
    mapped_ = std::move(other.mapped_);
    // A short owned text lives inside the string object itself: point at the new one.
    view_ = inOwned ? std::string_view(owned_) : other.view_;
    other.owned_.clear();
    other.view_ = {};
    return *this;
}

std::string_view TextDocument::Line(size_t index) const {
    const uint64_t start = Start(index);
    const std::string_view base = base_.View();
    const char* data;
    size_t limit;
    if (start < base.size()) {
        data = base.data() + start;
        limit = base.size() - start; // a mapped file's last line may have no line end
    } else {
        data = added_.data() + (start - base.size());
        limit = added_.size() - (start - base.size());
    }
    return {data, FindLineEnd(data, 0, limit)};
}

void TextDocument::SetStart(size_t index, uint64_t start) {
    if (!wide_ && start > std::numeric_limits<uint32_t>::max())
        Widen();
    if (wide_)
        starts64_[index] = start;
    else
        starts32_[index] = static_cast<uint32_t>(start);
}

void TextDocument::Widen() {
    starts64_.assign(starts32_.begin(), starts32_.end());
    std::vector<uint32_t>().swap(starts32_);
    wide_ = true;
}

void TextDocument::InsertStarts(size_t index, const std::vector<uint64_t>& starts) {
    if (!wide_ && !starts.empty() &&
        *std::max_element(starts.begin(), starts.end()) > std::numeric_limits<uint32_t>::max())
        Widen();
    if (wide_)
        starts64_.insert(starts64_.begin() + static_cast<ptrdiff_t>(index), starts.begin(),
                         starts.end());
    else
        starts32_.insert(starts32_.begin() + static_cast<ptrdiff_t>(index), starts.begin(),
                         starts.end());
}

template <typename Take>
void TextDocument::SplitRegion(const char* data, size_t from, size_t to, uint64_t offset,
                               Take&& take) {
    LineEndScanner scanner(data, to);
    size_t pos = from;
    while (pos < to) {
        size_t end = scanner.Next(pos);
        take(pos + offset);
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
}

void TextDocument::Clear() {
    // Give the memory back: the view may just have held a 150 MB file.
    base_ = DocumentBytes();
    std::string().swap(added_);
    std::vector<uint32_t>().swap(starts32_);
    std::vector<uint64_t>().swap(starts64_);
    wide_ = false;
    maxLength_ = 0;
    ++revision_;
}

void TextDocument::SetText(DocumentBytes bytes) {
    Clear();
    base_ = std::move(bytes);
    const std::string_view text = base_.View();
    if (text.size() > std::numeric_limits<uint32_t>::max()) {
        wide_ = true;
        SplitRegion(text.data(), 0, text.size(), 0, [this](uint64_t s) { starts64_.push_back(s); });
        return;
    }
    // NC blocks are short: room for a line every 8 bytes spares the regrowth, and
    // what stays unused is never touched, so it takes no memory.
    starts32_.reserve(text.size() / 8 + 16);
    SplitRegion(text.data(), 0, text.size(), 0,
                [this](uint64_t s) { starts32_.push_back(static_cast<uint32_t>(s)); });
}

std::vector<uint64_t> TextDocument::StoreAsLines(std::string_view text) {
    const size_t from = added_.size();
    added_.append(text);
    std::vector<uint64_t> starts;
    SplitRegion(added_.data(), from, added_.size(), base_.size(),
                [&starts](uint64_t s) { starts.push_back(s); });
    if (starts.empty())
        starts.push_back(from + base_.size());
    // Every stored line needs a line end behind it.
    if (added_.size() == from || !IsLineEnd(added_.back()))
        added_.push_back('\n');
    return starts;
}

void TextDocument::AppendLine(std::string_view text) {
    InsertStarts(LineCount(), StoreAsLines(text));
    ++revision_;
}

void TextDocument::InsertLine(size_t index, std::string_view text) {
    index = std::min(index, LineCount());
    InsertStarts(index, StoreAsLines(text));
    ++revision_;
}

void TextDocument::ReplaceLine(size_t index, std::string_view text) {
    if (index >= LineCount())
        return;
    // text may point into added_, which the store below may move.
    std::string copy(text);
    std::vector<uint64_t> starts = StoreAsLines(copy);
    SetStart(index, starts.front());
    starts.erase(starts.begin());
    InsertStarts(index + 1, starts);
    ++revision_;
}

void TextDocument::RemoveLine(size_t index) {
    if (index >= LineCount())
        return;
    if (wide_)
        starts64_.erase(starts64_.begin() + static_cast<ptrdiff_t>(index));
    else
        starts32_.erase(starts32_.begin() + static_cast<ptrdiff_t>(index));
    ++revision_;
}

void TextDocument::ReplaceLastChar(size_t index, char c) {
    if (index >= LineCount() || Line(index).empty())
        return;
    std::string text(Line(index));
    text.back() = c;
    // Through ReplaceLine, so that a CR or LF put there still ends the line.
    ReplaceLine(index, text);
}

std::string TextDocument::JoinedText(std::string_view lineEnd) const {
    std::string out;
    for (size_t i = 0; i < LineCount(); ++i) {
        out.append(Line(i));
        out.append(lineEnd);
    }
    return out;
}
