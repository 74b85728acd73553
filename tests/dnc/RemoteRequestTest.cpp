#include "dnc/RemoteRequest.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

struct RequestCase {
    const char* text;    // the received program
    bool isRequest;      // its number is O9999
    const char* program; // the program its first comment names; nullptr: none
};

TEST(RemoteRequest, TheRequestProgramAndTheProgramItNames) {
    const RequestCase cases[] = {
        {"%\r\nO9999(O1234)\r\nM30\r\n%\r\n", true, "O1234"},
        {"%\r\nO9999(1234)\r\nM30\r\n", true, "O1234"},
        {"O9999(REQ O1234)\nM30\n", true, "O1234"},
        {"O9999(REQ 1234)\n", true, "O1234"},
        {"O9999(PRG=1234)\n", true, "O1234"},
        {"O9999(PRG = 0012)\n", true, "O12"},
        {"O9999 (o77)\n", true, "O77"},
        {":9999(O1234)\n", true, "O1234"},        // O/:-Change writes ":"
        {"O09999(O1234)\n", true, "O1234"},       // the same number
        {"O9999\n(O1234)\nM30\n", true, "O1234"}, // the comment on its own line
        {"O999(O1234)\n", false, "O1234"},
        {"O99990(O1234)\n", false, "O1234"},
        {"G01 X1.\nO9999(O1234)\n", true, "O1234"}, // the first program line counts
        {"O1234(O9999)\nO9999(O5)\n", false, "O9999"},
        {"O9999\nM30\n", true, nullptr},
        {"O9999(PART A)\n", true, nullptr},
        {"O9999(REQO1234)\n", true, nullptr},
        {"O9999(PRG 1234)\n", true, nullptr},
        {"O9999(O123456)\n", true, nullptr},
        {"O9999(O1234 X)\n", true, nullptr},
        {"O9999(O1234\n", true, nullptr},
        {"O9999(NOT FOUND O1234)\n", true, nullptr}, // a reply punched back asks for nothing
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsRequestProgram(c.text, "O9999"), c.isRequest);
        const auto program = RequestedProgram(c.text);
        if (c.program) {
            ASSERT_TRUE(program);
            EXPECT_EQ(*program, c.program);
        } else {
            EXPECT_FALSE(program) << *program;
        }
    }
}

TEST(RemoteRequest, TheProgramIsFoundByTheReceiveJobsNameInAnyLetterCase) {
    TempDir folder;
    folder.Write("o1234.nc", "O1234\n");
    folder.Write("O77.TAP", "O77\n");
    folder.Write("O5.NC.bak", "O5\n");
    std::filesystem::create_directory(folder / "O6.NC");
    EXPECT_EQ(FindProgramFile(folder.path(), "O1234", ".NC"), (folder / "o1234.nc").string());
    EXPECT_EQ(FindProgramFile(folder.path(), "O77", ".tap"), (folder / "O77.TAP").string());
    EXPECT_EQ(FindProgramFile(folder.path(), "O77", ".NC"), "");
    EXPECT_EQ(FindProgramFile(folder.path(), "O5", ".NC"), "");
    EXPECT_EQ(FindProgramFile(folder.path(), "O6", ".NC"), ""); // a folder is no program
}

TEST(RemoteRequest, TheReplyNamesTheMissingProgramFramedOnce) {
    EXPECT_EQ(NotFoundReply("O9999", "O1234", true, true), "O9999(NOT FOUND O1234)\nM30\n");
    EXPECT_EQ(NotFoundReply("O8000", "O12", false, false), "%\nO8000(NOT FOUND O12)\nM30\n%\n");
    // The reply asks for nothing when the controller punches it back.
    EXPECT_FALSE(RequestedProgram(NotFoundReply("O9999", "O1234", false, false)));
}

} // namespace
