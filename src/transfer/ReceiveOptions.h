// What a reception takes from the settings besides its file plan, derived once
// when the job starts: the tape reader, the code of the far end's bytes, how a
// stop key and a dropping DSR end it, and the power-off after an exit run. The
// byte loop then reads no setting text.
#pragma once

#include "transfer/TapeCode.h"

struct TSettings;

struct ReceiveOptions {
    bool reader = false;     // a tape reader is started with DC1 on the send line first
    ReceiveCode code;        // the code the bytes are read in (undecided: detected)
    bool saveOnStop = false; // op5: a stop key saves what came, as the end of the tape does
    bool dsrEnds = false;    // op6: a DSR that drops completes the reception
    bool powerOff = false;   // after a completed transfer that ends the program
};

ReceiveOptions ReceiveOptionsFor(const TSettings& settings);
