#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {

// "加工" in Shift-JIS: a folder made on a Windows share.
const std::string kSjis = "\x89\xc1\x8d\x48";
const std::string kSjisText = "加工";

} // namespace

TEST(PathText, EachFolderNameIsShownInItsOwnEncoding) {
    EXPECT_EQ(PathToText("/home/op/NC"), "/home/op/NC");
    EXPECT_EQ(PathToText("/mnt/share/" + kSjis), "/mnt/share/" + kSjisText);
    // A UTF-8 name beside a Shift-JIS one keeps its own text.
    EXPECT_EQ(PathToText("/home/作業/" + kSjis + "/O1"), "/home/作業/" + kSjisText + "/O1");
    EXPECT_EQ(PathToText("/"), "/");
}

TEST(PathText, TypedTextGoesBackAsTheBytesOfTheFileSystem) {
    struct Case {
        const char* what;
        std::string original;
        std::string typed;
        std::string bytes;
    };
    const Case cases[] = {
        {"left unchanged", "/mnt/" + kSjis, "/mnt/" + kSjisText, "/mnt/" + kSjis},
        {"a folder added", "/mnt/" + kSjis, "/mnt/" + kSjisText + "/SUB", "/mnt/" + kSjis + "/SUB"},
        {"a new name in the path's own encoding", "/mnt/" + kSjis,
         "/mnt/" + kSjisText + "/" + kSjisText, "/mnt/" + kSjis + "/" + kSjis},
        {"a UTF-8 path stays UTF-8", "/home/作業", "/home/作業/加工", "/home/作業/加工"},
        {"a name without a CP932 form stays UTF-8", "/mnt/" + kSjis, "/mnt/" + kSjisText + "/😀",
         "/mnt/" + kSjis + "/😀"},
        {"a name shortened", "/mnt/" + kSjis + "/A", "/mnt/" + kSjisText, "/mnt/" + kSjis},
        {"relative text", "/mnt/" + kSjis, "SUB", "SUB"},
        {"a field without a path", "", "/tmp/x", "/tmp/x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathFromText(c.typed, c.original), c.bytes) << c.what;
}
