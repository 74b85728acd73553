// Where a received program ends up: in the machine's folder, and when a file of
// its name stands there already, that file is kept first as
// .versions/NAME.YYYYMMDD-HHMMSS, so that a program changed at the machine
// never destroys the office's copy (or the other way round).
#pragma once

#include <ctime>
#include <string>

struct PlacedProgram {
    bool placed = false;
    std::string path;        // the program's file in the folder
    std::string versionPath; // the file it replaced, kept; empty when none
    bool differed = false;   // the replaced file's content was not the received one
    std::string error;       // why it could not be placed
};

// "NAME.YYYYMMDD-HHMMSS" of a local time.
std::string VersionName(const std::string& name, std::time_t when);

// Moves the received file staged into folder under its own name.
PlacedProgram PlaceReceivedProgram(const std::string& staged, const std::string& folder,
                                   std::time_t when);
