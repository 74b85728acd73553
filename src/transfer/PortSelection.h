// The selection text of an automatic port switch: up to three characters from
// "012345-", sent down the line before a transfer. A digit is one character
// to send; a "-" is a pause that lets the next switch of a cascade take over.
#pragma once

#include <functional>
#include <string>
#include <string_view>

inline constexpr int kSelectionMaxLength = 3;
inline constexpr int kSelectionPauseMs = 3000;
inline constexpr std::string_view kSelectionCharacters = "012345-";

// The text with every character that may not enter the field dropped and cut
// to the field's length: what an input method may have committed past the key filter.
std::string FilterSelectionText(std::string_view text);

// Sends the selection: each digit through send, each "-" a pause, and one more
// pause after the last character. send returns false when the transfer is to
// stop; the rest is then left out and the result is false.
bool SendSelection(std::string_view text, const std::function<bool(unsigned char)>& send,
                   const std::function<void(int ms)>& pause);
