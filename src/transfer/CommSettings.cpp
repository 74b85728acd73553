#include "transfer/CommSettings.h"

#include "platform/TextCodec.h"
#include "settings/Settings.h"
#include "transfer/SpeedString.h"

namespace {

int CharacterCount(std::string_view utf8) {
    int count = 0;
    for (size_t pos = 0; pos < utf8.size(); ++count)
        NextCodePoint(utf8, pos);
    return count;
}

// Byte offset of the character at index chars (the end when the text is shorter).
size_t ByteOffset(std::string_view utf8, int chars) {
    size_t pos = 0;
    for (int i = 0; i < chars && pos < utf8.size(); ++i)
        NextCodePoint(utf8, pos);
    return pos;
}

void StoreUpper(const std::string& text, std::string& setting) {
    if (!text.empty())
        setting = AsciiUpper(text);
}

void StorePort(const std::string& text, std::string& setting) {
    if (!text.empty())
        setting = PortNameFromText(text);
}

} // namespace

CommPanelTexts CommTextsFromSettings(const TSettings& s) {
    return {s.Speed1, s.Port1, s.Signal1, s.StartChar, s.EndChar, s.Code,  s.Puncher,
            s.Feed,   s.Feed1, s.Speed2,  s.Port2,     s.Signal2, s.Reader};
}

bool CommTextsDiffer(const CommPanelTexts& t, const TSettings& s) {
    return t.Speed1 != s.Speed1 || t.Port1 != s.Port1 || t.Signal1 != s.Signal1 ||
           t.StartChar != s.StartChar || t.Code != s.Code || t.Puncher != s.Puncher ||
           t.Feed != s.Feed || t.Feed1 != s.Feed1 || t.Speed2 != s.Speed2 || t.Port2 != s.Port2 ||
           t.Signal2 != s.Signal2 || t.Reader != s.Reader || t.EndChar != s.EndChar;
}

bool SpeedTextAccepted(std::string_view text) {
    const int length = CharacterCount(text);
    return length >= 10 && length <= 12;
}

std::string PortNameFromText(std::string_view text) {
    std::string upper = AsciiUpper(text);
    if (upper.find("COM") != std::string::npos)
        return upper;
    return "COM" + upper;
}

CommRefusal StoreCommTexts(const CommPanelTexts& t, TSettings& s) {
    if (!SpeedTextAccepted(t.Speed1))
        return CommRefusal::Speed1;
    if (!SpeedTextAccepted(t.Speed2))
        return CommRefusal::Speed2;

    s.Speed1 = AsciiUpper(t.Speed1);
    StorePort(t.Port1, s.Port1);
    StoreUpper(t.Signal1, s.Signal1);
    StoreUpper(t.StartChar, s.StartChar);
    StoreUpper(t.EndChar, s.EndChar);
    StoreUpper(t.Code, s.Code);
    StoreUpper(t.Puncher, s.Puncher);
    StoreUpper(t.Feed, s.Feed);
    StoreUpper(t.Feed1, s.Feed1);
    s.Speed2 = AsciiUpper(t.Speed2);
    StorePort(t.Port2, s.Port2);
    StoreUpper(t.Signal2, s.Signal2);
    StoreUpper(t.Reader, s.Reader);

    if (s.Puncher == "Y")
        s.Speed1 = kTapeDeviceSpeed;
    if (s.Reader == "Y")
        s.Speed2 = kTapeDeviceSpeed;
    return CommRefusal::None;
}

Completion CompleteFromItems(const std::vector<std::string>& items, std::string_view text,
                             int caret) {
    const std::string_view typed = text.substr(0, ByteOffset(text, caret));
    for (const std::string& item : items) {
        // An emptied box stays empty rather than filling itself with the first item.
        if (!typed.empty() && item.starts_with(typed)) {
            const int start = CharacterCount(typed);
            return {item, start, CharacterCount(item) - start};
        }
    }
    return {std::string(text), CharacterCount(text), 0};
}
