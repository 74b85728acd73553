// What the send job puts on the line around and inside a program's text: the start
// and end characters, the characters of one data-view line after the comment,
// message, "%" and tab rules, and the remaining-bytes text. Pure functions; the
// job writes the result one character at a time.
#pragma once

#include "files/RowFormat.h" // GroupThousands

#include <cstdint>
#include <string>
#include <string_view>

struct TSettings;

// StartChar "Y": by StartChar_Type; otherwise one line feed.
std::string StartCharacters(const TSettings& settings);
// EndChar "Y": by EndChar_Type; otherwise LF "%" for a puncher, else DC4 alone.
std::string EndCharacters(const TSettings& settings);

// The rules of one line that come from the settings.
struct LineRules {
    std::string sendMsg; // SendMsg1: blanked out wherever it occurs
    bool msgOp = false;  // MSG_OP "Y": "'" and ";" do not end the line
};
LineRules LineRulesFor(const TSettings& settings);

struct LinePlan {
    bool skip = false;   // a lone "%": neither the line nor its line feed is sent
    std::string chars;   // the characters to write, then a line feed
    int64_t counted = 0; // what the line adds to the sent count: its length + 2
    // Whether the line names a program end (M99, M02, M2, M30): a 5 ms wait follows.
    bool programEnd = false;
};
LinePlan PlanLine(std::string_view line, const LineRules& rules);

// Label17: "残り " + bytes + "ﾊﾞｲﾄ(約 " + time + ")" in its three forms.
std::string RemainingText(int64_t bytes, int64_t seconds);
// "残り " + bytes + "ﾊﾞｲﾄ", the text before the first estimate and at the end.
std::string RemainingBytesText(int64_t bytes);
