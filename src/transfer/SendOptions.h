// What a send takes from the settings, derived once when it starts: who starts
// the transfer, the tape feed, the texts around the program and the rules of
// each line. The send loop then reads no setting text.
#pragma once

#include "transfer/SendText.h"
#include "transfer/TapeCode.h"

#include <string>

struct TSettings;

struct SendOptions {
    bool ncStarts = false;    // the NC starts with DC1 or "%" (Signal1, no puncher)
    bool ncMayRefuse = false; // op2: a DC3 or DC4 while waiting for the start refuses
    bool puncher = false;
    double feedMm = 0;        // tape feed before and after the text; 0: none
    double feedBetweenMm = 0; // tape feed before each later program ("O" line); 0: none
    int sendBefore = 0;       // 1: blanks before the start characters, 2: a second's pause
    std::string startCharacters;
    std::string endCharacters;
    LineRules lineRules;
    int characterDelayMs = 0;                // InvTime: the pause after each character of a line
    SendCode sendCode = SendCode::Unchanged; // also the code DC1 and DC3 arrive in
    std::string dirPath;                     // the folder of the files sent, for the log
    bool powerOff = false;                   // after a completed send that ends the program
};

SendOptions SendOptionsFor(const TSettings& settings);
