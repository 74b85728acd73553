#include "extapps/Placeholders.h"

#include "support/RecordingScript.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(Placeholders, TextsOfTheFourKinds) {
    struct Case {
        const char* fullPath;
        const char* a;
        const char* b;
        const char* c;
        const char* d;
    };
    const Case cases[] = {
        {"/nc/O1234.NC", "/nc/O1234.NC", "/nc/O1234", "O1234.NC", "O1234"},
        {"/nc/O1234", "/nc/O1234", "/nc/O1234", "O1234", "O1234"},
        // The last dot of the name only; a dot in a folder is no extension.
        {"/nc/A.B.NC", "/nc/A.B.NC", "/nc/A.B", "A.B.NC", "A.B"},
        {"/v1.2/PART", "/v1.2/PART", "/v1.2/PART", "PART", "PART"},
        {"/my nc/O 1.NC", "/my nc/O 1.NC", "/my nc/O 1", "O 1.NC", "O 1"},
        {"/O1.", "/O1.", "/O1", "O1.", "O1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceholderText('A', c.fullPath), c.a) << c.fullPath;
        EXPECT_EQ(PlaceholderText('B', c.fullPath), c.b) << c.fullPath;
        EXPECT_EQ(PlaceholderText('C', c.fullPath), c.c) << c.fullPath;
        EXPECT_EQ(PlaceholderText('D', c.fullPath), c.d) << c.fullPath;
    }
}

TEST(Placeholders, ProposalSubstitutionAndTheConfirmedCall) {
    const std::string file = "/nc/O1234.NC";
    struct Case {
        const char* command;
        const char* proposed;  // what the dialog offers
        const char* argument;  // what the operator confirms
        const char* program;   // what starts
        const char* arguments; // with this argument text
    };
    const Case cases[] = {
        {"/tools/view $A", "/nc/O1234.NC", "/nc/O1234.NC", "/tools/view", "/nc/O1234.NC"},
        // The last kind present wins, whatever the order in the template; every
        // placeholder gets the same text.
        {"/tools/view $A $D", "O1234", "O1234", "/tools/view", "O1234 O1234"},
        {"/tools/view $D -o $A", "O1234", "O1234", "/tools/view", "O1234 -o O1234"},
        {"/tools/view $C.bak", "O1234.NC", "O1234.NC", "/tools/view", "O1234.NC.bak"},
        {"/tools/view $B.TAP", "/nc/O1234", "/nc/O1234", "/tools/view", "/nc/O1234.TAP"},
        // Small letters are the same placeholders (the field keeps what is typed).
        {"/tools/view $a", "/nc/O1234.NC", "x", "/tools/view", "x"},
        {"/tools/view $b.TAP", "/nc/O1234", "/nc/O1234", "/tools/view", "/nc/O1234.TAP"},
        {"/tools/view $c", "O1234.NC", "O1234.NC", "/tools/view", "O1234.NC"},
        {"/tools/view $A $d", "O1234", "O1234", "/tools/view", "O1234 O1234"},
        {"/tools/view $D $a", "O1234", "y", "/tools/view", "y y"},
        {"/tools/view $e $", "", "x", "/tools/view", "$e $"},
        {"/tools/view -v", "", "x", "/tools/view", "-v"},
        // Emptying the field starts the program without any argument.
        {"/tools/view -v $A", "/nc/O1234.NC", "", "/tools/view", ""},
        // The argument itself is replaced again by the later passes.
        {"/tools/view $A", "/nc/O1234.NC", "x$Dy", "/tools/view", "xx$Dyy"},
        {"/tools/view $A $B", "/nc/O1234", "$B", "/tools/view", "$B $B"},
        // Without a blank the whole result is the program, started bare (an empty
        // program path would start nothing although OK was pressed).
        {"/tools/view", "", "", "/tools/view", ""},
        {"/tools/view", "", "typed", "/tools/view", ""},
        {"/tools/$D", "O1234", "O9", "/tools/O9", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProposedArgument(c.command, file), c.proposed) << c.command;
        ProgramCall call = ConfirmedCall(c.command, c.argument);
        EXPECT_EQ(call.program, c.program) << c.command << " / " << c.argument;
        EXPECT_EQ(call.arguments, c.arguments) << c.command << " / " << c.argument;
    }
}

TEST(Placeholders, SubstitutionPassesRunInOrder) {
    EXPECT_EQ(SubstitutePlaceholders("$A$B$C$D", "x"), "xxxx");
    EXPECT_EQ(SubstitutePlaceholders("$a$B$c$d", "x"), "xxxx");
    EXPECT_EQ(SubstitutePlaceholders("$$d", "a"), "$a"); // formed after the pass of "$a"
    // "$A" replaced by "$" followed by a later kind's letter is caught by that pass.
    EXPECT_EQ(SubstitutePlaceholders("$AB", "$"), "$");
    EXPECT_EQ(SubstitutePlaceholders("$$D", "A"), "$A"); // "$A" is formed after its pass
    EXPECT_EQ(SubstitutePlaceholders("no placeholders", "x"), "no placeholders");
    EXPECT_EQ(ProgramPathOf("/tools/view $A"), "/tools/view");
    EXPECT_EQ(ProgramPathOf("/tools/view"), "/tools/view");
    EXPECT_EQ(ProgramPathOf(" /tools/view"), "");
}

TEST(Placeholders, WhatALetterLaunchDoes) {
    TempDir dir;
    RecordingScript view(dir / "bin", "view");
    std::filesystem::create_directory(dir / "folder");
    ScopedPath path((dir / "bin").string());
    const std::string file = "/nc/O1234.NC";
    struct Case {
        AppBinding app;
        LetterStep step;
        std::string program;
        std::string proposed;
        int error;
    };
    const Case cases[] = {
        {{"", "Y", "empty"}, LetterStep::Nothing, "", "", 0},
        {{view.str() + " $A", "N", "v"}, LetterStep::OpenBare, view.str(), "", 0},
        {{view.str() + " $A", "y", "v"}, LetterStep::OpenBare, view.str(), "", 0},
        {{view.str() + " $A", "Y", "v"}, LetterStep::AskArgument, view.str(), file, 0},
        {{view.str(), "Y", "v"}, LetterStep::AskArgument, view.str(), "", 0},
        // A bare name is looked up on PATH, as the command line would be.
        {{"view $C", "Y", "v"}, LetterStep::AskArgument, "view", "O1234.NC", 0},
        {{(dir / "nothere").string() + " $A", "Y", "v"},
         LetterStep::Missing,
         (dir / "nothere").string(),
         "",
         ENOENT},
        {{"nothere $A", "N", "v"}, LetterStep::Missing, "nothere", "", ENOENT},
        {{(dir / "folder").string(), "N", "v"},
         LetterStep::Missing,
         (dir / "folder").string(),
         "",
         EISDIR},
    };
    for (const Case& c : cases) {
        LetterPlan plan = PlanLetterLaunch(c.app, file);
        EXPECT_EQ(plan.step, c.step) << c.app.command;
        EXPECT_EQ(plan.program, c.program) << c.app.command;
        EXPECT_EQ(plan.proposed, c.proposed) << c.app.command;
        EXPECT_EQ(plan.error, c.error) << c.app.command;
    }
}

} // namespace
