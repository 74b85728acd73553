// How received characters become the lines of a program: the characters kept,
// the blank put between words, the trimming of a line and the first-character
// rewrite of a program line. Pure functions over bytes.
#pragma once

#include <string>
#include <string_view>

// Upper-case letters, digits, the signs an NC program uses, the blank and the
// double quote. Lower-case letters and everything else are dropped on receiving.
bool IsAllowedReceiveChar(unsigned char c);
// Characters that continue a word: "0123456789.+-/*[]()=".
bool IsWordChar(unsigned char c);
// Characters that start a reception: "%OP:LNG$" and line feed.
bool IsReceiveStartChar(unsigned char c);

// Blanks and control characters removed at both ends.
std::string_view TrimLine(std::string_view line);

// The line buffer of a reception: what stands of the line being received, with
// the state of the blank rule. With cutBlanks false a blank is placed before
// every letter or sign that follows a number ("G01X10.Y20." reads
// "G01 X10. Y20."); with cutBlanks true blanks outside comments are dropped.
class ReceiveLineBuffer {
public:
    explicit ReceiveLineBuffer(bool cutBlanks) : cutBlanks_(cutBlanks) {}

    // A reception starts: the buffer holds the start character alone.
    void Start(unsigned char startChar);
    // Appends one received character by the rules above.
    void Add(unsigned char c);
    // After a line end: the next character starts a word, outside any comment.
    void NewLine();

    const std::string& Text() const { return text_; }
    // The text is replaced (trimmed, rewritten); the rule state is unchanged.
    void SetText(std::string_view text);
    void Clear() { SetText({}); }
    // Whether the text holds a "%" outside comments, the one that ends a tape
    // (kept without a scan, since a line may be long).
    bool HasPercent() const { return hasPercent_; }
    // Removes the first "%" outside comments.
    void RemoveFirstPercent();

private:
    void Append(unsigned char c);

    bool cutBlanks_;
    bool wordStart_ = true;
    bool inComment_ = false;
    bool hasPercent_ = false;
    std::string text_;
};

// Position of the first "%" outside "( )" comments, npos when there is none. A
// "%" inside a comment ("G1(FEED 50%)") is text; only one outside ends a tape.
size_t FindEndPercent(std::string_view line);

// A trimmed line whose first character is "O", ":" or "L" opens a program.
bool IsProgramLine(std::string_view line);
// "O" and ":" become ":" with oChange and "O" without; "L" stays.
void RewriteProgramLine(std::string& line, bool oChange);
// A line that is exactly "O" or ":": the number follows on the next line.
bool IsLoneProgramLetter(std::string_view line);
// Lines that never reach the file ("O&FW", ":&FW", "&HE:").
bool IsDroppedLine(std::string_view line);
