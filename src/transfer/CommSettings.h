// The communication settings panel without widgets: the thirteen texts it edits,
// how they are taken into TSettings (speed lengths, port names, the tape devices'
// fixed speed), whether they differ from the settings, and the completion of the
// speed and port boxes from their item lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TSettings;

// The texts of the panel's thirteen fields, named after the settings they edit.
struct CommPanelTexts {
    std::string Speed1;
    std::string Port1;
    std::string Signal1;
    std::string StartChar;
    std::string EndChar;
    std::string Code;
    std::string Puncher;
    std::string Feed;
    std::string Feed1;
    std::string Speed2;
    std::string Port2;
    std::string Signal2;
    std::string Reader;
};

CommPanelTexts CommTextsFromSettings(const TSettings& settings);

// True when any text differs from its setting (the question before leaving).
bool CommTextsDiffer(const CommPanelTexts& texts, const TSettings& settings);

// A speed text is taken when it has 10 to 12 characters ("9600,8,N,1" to
// "19200,7,O,2 ").
bool SpeedTextAccepted(std::string_view text);

// Port text as stored: upper case, "COM" put in front of a bare number.
std::string PortNameFromText(std::string_view text);

enum class CommRefusal { None, Speed1, Speed2 };

// Takes the texts into the settings: an empty field leaves its setting as it is;
// speeds are stored in upper case; a puncher or reader forces "4800,8,N,2".
// Both speed texts are checked before anything is stored, so that a refused
// panel changes nothing (the operator corrects it and saves again).
CommRefusal StoreCommTexts(const CommPanelTexts& texts, TSettings& settings);

// What the box shows after a change: the first item that begins with the text
// up to the caret, with the part after the caret selected; without one, the text
// as typed with the caret at its end and nothing selected.
struct Completion {
    std::string text;
    int selectionStart = 0; // characters
    int selectionLength = 0;
};
Completion CompleteFromItems(const std::vector<std::string>& items, std::string_view text,
                             int caret);
