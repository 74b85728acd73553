// What a line mode takes from the settings, derived once when the line opens:
// the port, the line parameters already parsed, the code of what is written
// and the rules that stop a transfer. Nothing on the way of a byte reads a
// setting text again.
#pragma once

#include "transfer/SpeedString.h"
#include "transfer/TapeCode.h"

#include <string>

struct TSettings;

struct LineOptions {
    std::string portText;  // "COMn" of the line pair (modes 1 and 2: Port1, 3 and 4: Port2)
    std::string speedText; // a tape device's fixed parameters, else the pair's speed string
    SpeedParse speed;      // speedText parsed
    SendCode sendCode = SendCode::Unchanged;
    bool dropSpaces = false;    // blanks are never sent
    bool carrierEnds = false;   // mode 1: a carrier that drops stops the send
    bool dsrEnds = false;       // a DSR that drops stops the transfer
    bool dc3WithParity = false; // the driver's stop character is 0x93
    bool raiseDtrRts = false;   // DTR and RTS are switched on
    bool autoSelect = false;    // the port switch gets its selection after the open
};

// The options of line mode 1 to 4.
LineOptions LineOptionsFor(const TSettings& settings, int lineMode);
