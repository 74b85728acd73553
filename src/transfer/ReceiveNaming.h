// The names of the files a reception writes: the program name taken from a
// program line, the file of each program with its optional number, and the
// file that keeps received lines that no program line names.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

struct TSettings;

// The program line before its first "(" (the whole line without one), with a
// leading ":" turned into "O". The split tool names its files the same way.
std::string ProgramNameOf(std::string_view programLine);

// "_001" for 1; four digits from 1000 on.
std::string ProgramNumberSuffix(int number);

// The file name of a program: its name made safe, the number suffix when
// addNumber, then the extension.
std::string ProgramFileName(std::string_view programName, int number, bool addNumber,
                            std::string_view extension);

// The file for lines that must be saved before any program line has come (one
// file per program: a tape without one, or a 1000-line save before the first):
// "NONAME_yyyymmdd_hhmmss" + extension, local time of when.
std::string UnnamedFileName(std::time_t when, std::string_view extension);

// A name that differs from name by "_2", "_3", ... before its extension.
std::string NumberedVariant(std::string_view fileName, int variant);

// An extension with "*" or "?" names no file (a mask "*.*" gives ".*").
bool ExtensionNamesNoFile(std::string_view extension);

// The file of a named reception: the typed name, with the mask's extension
// unless ALL-Files is "Y", in the working directory.
struct NamedTarget {
    std::string path;
    std::string fileName; // shown as the file being received
};
NamedTarget NamedReceiveTarget(const TSettings& settings, std::string_view typedName);
