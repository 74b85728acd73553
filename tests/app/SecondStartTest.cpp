#include "app/SecondStart.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const char kHeading[] = "実行中のDravikにファイルを渡せませんでした。\n";

} // namespace

TEST(SecondStart, FilesGoToTheRunningCopyAndOneThatDidNotArriveIsNamed) {
    TempDir dir;
    const std::string a = dir.Write("O0001.NC", "%\n").string();
    const std::string b = dir.Write("O0002.TXT", "%\n").string();
    std::filesystem::create_directory(dir / "folder");
    const std::string folder = (dir / "folder").string();
    using Answers = std::vector<HandOverAnswer>;
    const HandOverAnswer taken{HandOverStatus::Taken, ""};
    const HandOverAnswer kept{HandOverStatus::Declined, ""};
    const HandOverAnswer failed{HandOverStatus::Failed, "/work/O0002.TXT: No space left on device"};
    struct Case {
        const char* what;
        std::vector<std::string> args;
        bool answered; // false: the hand-over itself failed with "refused"
        Answers answers;
        std::vector<std::string> handed;
        int status;
        std::string errors;
    };
    const Case cases[] = {
        {"no arguments: only brought to the front", {}, true, {}, {}, 0, ""},
        {"no file, and no copy answering", {folder, "END"}, false, {}, {}, 0, ""},
        {"only the files, in order",
         {"END", a, folder, "relative.nc", b},
         true,
         {taken, taken},
         {a, b},
         0,
         ""},
        {"the operator kept the file there", {a}, true, {kept}, {a}, 0, ""},
        {"one copy failed",
         {a, b},
         true,
         {taken, failed},
         {a, b},
         1,
         kHeading + b + ": " + failed.reason + "\n"},
        {"no copy answering",
         {a, b},
         false,
         {},
         {a, b},
         1,
         std::string(kHeading) + a + ": refused\n" + b + ": refused\n"},
        {"fewer answers than files", {a, b}, true, {taken}, {a, b}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> handed;
        std::ostringstream errors;
        const int status = RunSecondStart(
            c.args,
            [&](const std::vector<std::string>& paths, Answers& answers, std::string* error) {
                handed = paths;
                answers = c.answers;
                *error = "refused";
                return c.answered;
            },
            errors);
        EXPECT_EQ(handed, c.handed);
        EXPECT_EQ(status, c.status);
        if (c.status == 0 || !c.errors.empty())
            EXPECT_EQ(errors.str(), c.errors);
        else // every file named, with why
            EXPECT_NE(errors.str().find(b + ": 実行中のDravikの応答が不正です"), std::string::npos)
                << errors.str();
    }
}
