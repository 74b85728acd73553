// The placeholders $A to $D of a command template and what a binding starts for the
// selected file: the rules of the Alt+letter launch and of the argument dialog's
// confirmation, without the window.
#pragma once

#include "extapps/AppTable.h"

#include <string>
#include <string_view>

// What "$A" (full path), "$B" (full path without extension), "$C" (file name) and
// "$D" (file name without extension) stand for. The extension is the last "." of
// the name and all behind it; a dot in a folder name is no extension.
std::string PlaceholderText(char kind, std::string_view fullPath);

// The argument the dialog proposes: the text of the last of $A, $B, $C, $D present
// in the template ("$a" to "$d" count as "$A" to "$D"); empty when none is.
std::string ProposedArgument(std::string_view command, std::string_view fullPath);

// Every "$A" (and "$a"), then every "$B", "$C" and "$D" replaced by the argument, each
// pass on the result of the one before (so an argument holding "$B" is replaced again).
std::string SubstitutePlaceholders(std::string_view command, std::string_view argument);

// The program path of a template: up to its first blank, all of it without a blank.
std::string ProgramPathOf(std::string_view command);

struct ProgramCall {
    std::string program;
    std::string arguments; // empty: the program is opened without arguments
};

// The call that the confirmed argument dialog makes. An empty argument field starts
// the program bare. A result without a blank is the program itself, started bare:
// an empty program path would start nothing while the operator pressed OK.
ProgramCall ConfirmedCall(std::string_view command, std::string_view argument);

enum class LetterStep {
    Nothing,     // empty template: the binding is switched off
    Missing,     // no program at the template's program path (error says why)
    OpenBare,    // argument flag not "Y": the program without arguments
    AskArgument, // flag "Y": the argument dialog, proposing `proposed`
};

struct LetterPlan {
    LetterStep step = LetterStep::Nothing;
    std::string program; // as the template names it
    std::string proposed;
    int error = 0; // errno-like reason for Missing
};

LetterPlan PlanLetterLaunch(const AppBinding& app, std::string_view fullPath);
