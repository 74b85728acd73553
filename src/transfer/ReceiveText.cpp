#include "transfer/ReceiveText.h"

#include <array>

namespace {

constexpr std::string_view kAllowed =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ %()+-:/.#$&'*,;<=>?@[]!_^ \"";
constexpr std::string_view kWord = "0123456789.+-/*[]()=";
constexpr std::string_view kStart = "%OP:LNG$\n";

using CharSet = std::array<bool, 256>;

constexpr CharSet MakeSet(std::string_view chars) {
    CharSet set{};
    for (char c : chars)
        set[static_cast<unsigned char>(c)] = true;
    return set;
}

constexpr CharSet kAllowedSet = MakeSet(kAllowed);
constexpr CharSet kWordSet = MakeSet(kWord);
constexpr CharSet kStartSet = MakeSet(kStart);

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

bool IsAllowedReceiveChar(unsigned char c) {
    return kAllowedSet[c];
}

bool IsWordChar(unsigned char c) {
    return kWordSet[c];
}

bool IsReceiveStartChar(unsigned char c) {
    return kStartSet[c];
}

std::string_view TrimLine(std::string_view line) {
    while (!line.empty() && IsBlankOrControl(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && IsBlankOrControl(line.back()))
        line.remove_suffix(1);
    return line;
}

void ReceiveLineBuffer::Start(unsigned char startChar) {
    wordStart_ = true;
    inComment_ = false;
    text_.assign(1, static_cast<char>(startChar));
    hasPercent_ = startChar == '%';
}

void ReceiveLineBuffer::Append(unsigned char c) {
    text_.push_back(static_cast<char>(c));
    hasPercent_ = hasPercent_ || (c == '%' && !inComment_);
}

void ReceiveLineBuffer::Add(unsigned char c) {
    if (!IsAllowedReceiveChar(c))
        return;
    if (c == '(')
        inComment_ = true;
    if (IsWordChar(c)) {
        Append(c);
        wordStart_ = false;
    } else if (!cutBlanks_) {
        if (!inComment_ && !wordStart_) {
            // A dropped blank leaves the word open, so that "N10 G01" keeps its blank.
            if (c != ' ') {
                Append(' ');
                Append(c);
                wordStart_ = true;
            }
        } else {
            Append(c);
        }
    } else if (c != ' ' || inComment_) {
        Append(c);
    }
    if (c == ')' && inComment_)
        inComment_ = false;
}

void ReceiveLineBuffer::NewLine() {
    wordStart_ = true;
    inComment_ = false;
}

void ReceiveLineBuffer::SetText(std::string_view text) {
    text_.assign(text);
    hasPercent_ = FindEndPercent(text_) != std::string::npos;
}

void ReceiveLineBuffer::RemoveFirstPercent() {
    size_t at = FindEndPercent(text_);
    if (at != std::string::npos)
        text_.erase(at, 1);
    hasPercent_ = FindEndPercent(text_) != std::string::npos;
}

// The comment rule of the buffer: "(" opens a comment, ")" closes it.
size_t FindEndPercent(std::string_view line) {
    bool inComment = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '(')
            inComment = true;
        else if (line[i] == ')')
            inComment = false;
        else if (line[i] == '%' && !inComment)
            return i;
    }
    return std::string_view::npos;
}

bool IsProgramLine(std::string_view line) {
    return !line.empty() && (line[0] == 'O' || line[0] == ':' || line[0] == 'L');
}

void RewriteProgramLine(std::string& line, bool oChange) {
    if (!line.empty() && (line[0] == 'O' || line[0] == ':'))
        line[0] = oChange ? ':' : 'O';
}

bool IsLoneProgramLetter(std::string_view line) {
    return line == "O" || line == ":";
}

bool IsDroppedLine(std::string_view line) {
    return line.find("O&FW") != std::string_view::npos ||
           line.find(":&FW") != std::string_view::npos ||
           line.find("&HE:") != std::string_view::npos;
}
