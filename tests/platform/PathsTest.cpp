#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

// The root is the one folder text that ends in "/": nothing may double it or empty it.
TEST(Paths, FolderTextsAtAndBelowTheRoot) {
    struct Case {
        const char* folder;
        const char* joined;  // folder + "O1.NC"
        const char* parent;  // the folder above
        const char* dropped; // without a trailing separator
    };
    const Case cases[] = {
        {"/", "/O1.NC", "/", "/"},
        {"/nc", "/nc/O1.NC", "/", "/nc"},
        {"/nc/", "/nc/O1.NC", "/nc", "/nc"},
        {"/home/op/nc", "/home/op/nc/O1.NC", "/home/op", "/home/op/nc"},
        {"", "/O1.NC", "/", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinPath(c.folder, "O1.NC"), c.joined) << c.folder;
        EXPECT_EQ(ParentPath(c.folder), c.parent) << c.folder;
        EXPECT_EQ(DropTrailingSeparator(c.folder), c.dropped) << c.folder;
    }
}

// Names are bytes: a Shift-JIS folder name is joined and cut without being decoded.
TEST(Paths, NamesStayBytes) {
    const std::string sjis = "\x89\xc1\x8d\x48"; // "加工"; its second byte pair holds no "/"
    EXPECT_EQ(JoinPath("/nc/" + sjis, "\x83\x5c.NC"), "/nc/" + sjis + "/\x83\x5c.NC");
    EXPECT_EQ(ParentPath("/nc/" + sjis + "/A.NC"), "/nc/" + sjis);
    EXPECT_EQ(MaskExtension("*." + sjis), "." + sjis);
}

} // namespace
