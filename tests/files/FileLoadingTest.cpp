#include "files/FileLoading.h"

#include "files/TextDocument.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <vector>

namespace {

std::vector<std::string> Pieces(const std::filesystem::path& file) {
    std::vector<std::string> out;
    ReadFileInPieces(file, [&](std::string_view piece) { out.emplace_back(piece); });
    return out;
}

TEST(FileLoading, WholeFileTextEndsAtTheFirstNul) {
    TempDir dir;
    ViewFileText plain = ReadFileForView(dir.Write("A.NC", "%\r\nO1\r\nM30\r\n"));
    EXPECT_EQ(plain.size, 12u);
    EXPECT_EQ(plain.text, "%\r\nO1\r\nM30\r\n");
    EXPECT_FALSE(plain.textAfterNul);

    ViewFileText first = ReadFileForView(dir.Write("B.NC", std::string("\0\0G01\n", 6)));
    EXPECT_EQ(first.size, 6u);
    EXPECT_EQ(first.text, "");
    EXPECT_TRUE(first.textAfterNul);

    // Trailing blank tape hides nothing; a NUL inside a program does.
    EXPECT_FALSE(ReadFileForView(dir.Write("C.NC", std::string("G01\n\0\0", 6))).textAfterNul);
    ViewFileText middle = ReadFileForView(dir.Write("D.NC", std::string("G01\n\0G02\n", 9)));
    EXPECT_EQ(middle.text, "G01\n");
    EXPECT_TRUE(middle.textAfterNul);

    ViewFileText empty = ReadFileForView(dir.Write("E.NC", ""));
    EXPECT_EQ(empty.size, 0u);
    EXPECT_EQ(empty.text, "");
}

TEST(FileLoading, UnreadableFilesHaveAnUnknownSize) {
    TempDir dir;
    EXPECT_EQ(ReadFileForView(dir / "missing.NC").size, 4294967295u);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(ReadFileForView(dir / "pipe").size, kUnknownFileSize); // never blocks
    EXPECT_FALSE(ReadFileInPieces(dir / "pipe", [](std::string_view) {}));
    EXPECT_EQ(ReadFileForView(dir.path()).size, kUnknownFileSize);
}

TEST(FileLoading, PiecesOfAtMost499Characters) {
    TempDir dir;
    std::string line(1200, 'X');
    auto pieces = Pieces(dir.Write("LONG.NC", line + "\n"));
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 499u);
    EXPECT_EQ(pieces[1].size(), 499u);
    EXPECT_EQ(pieces[2].size(), 202u);

    // A line of exactly 499 leaves its line feed as an empty piece, which is dropped.
    EXPECT_EQ(Pieces(dir.Write("EXACT.NC", std::string(499, 'Y') + "\nZ\n")),
              (std::vector<std::string>{std::string(499, 'Y'), "Z"}));
}

TEST(FileLoading, EachPieceIsTakenOnce) {
    TempDir dir;
    struct Case {
        std::string bytes;
        std::vector<std::string> pieces;
    };
    const std::vector<Case> cases = {
        {"G01\nG02\n", {"G01", "G02"}},
        {"G01\nG02", {"G01", "G02"}},
        {"G01\r\nG02\r\n", {"G01", "G02"}},
        {std::string("\0\0\0\nG01\n\nG02\n", 13), {"G01", "G02"}},
        {std::string("\0G01\n", 5), {"G01"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Pieces(dir.Write("P.NC", c.bytes)), c.pieces) << c.bytes;
}

// Another program may shorten a file while the view shows it from its mapping: the
// lines past the new end read as zeros instead of ending the program.
TEST(FileLoading, FileShortenedUnderTheViewReadsZeros) {
    TempDir dir;
    const std::string page(8192, 'X');
    const auto path = dir.Write("SHRINK.NC", "G01\n" + page + "\n");
    ViewFileText file = ReadFileForView(path);
    TextDocument doc;
    doc.SetText(std::move(file.text));
    ASSERT_EQ(doc.LineCount(), 2u);
    std::filesystem::resize_file(path, 0);
    const std::string_view line = doc.Line(1);
    // Its line end is gone too: the line runs to the end of what was mapped.
    EXPECT_EQ(line.size(), page.size() + 1);
    EXPECT_EQ(line.find_first_not_of('\0'), std::string_view::npos);
}

} // namespace

namespace {

TEST(FileLoading, LoadForViewAsksOnlyWhenTheWholeReadWouldLoseText) {
    struct Case {
        std::string bytes;
        bool answer;
        bool asked;
        std::string text;
        bool inPieces;
    };
    const Case cases[] = {
        {"O1\r\nM30\r\n", true, false, "O1\r\nM30\r\n", false},
        {std::string("G01\n\0G02\n", 9), false, true, "G01\n", false},
        {std::string("G01\n\0G02\n", 9), true, true, "G01\nG02\n", true},
        {std::string("\0\0G01\n", 6), true, true, "G01\n", true},
        {std::string("G01\n\0\0", 6), true, false, std::string("G01\n", 4), false},
        {"", true, true, "", true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        bool asked = false;
        LoadedText loaded = LoadTextForView(dir.Write("F.NC", c.bytes), [&] {
            asked = true;
            return c.answer;
        });
        EXPECT_EQ(asked, c.asked) << c.bytes;
        EXPECT_EQ(loaded.text, c.text) << c.bytes;
        EXPECT_EQ(loaded.inPieces, c.inPieces) << c.bytes;
        EXPECT_EQ(loaded.size, c.bytes.size());
    }
    // A file that cannot be read is not asked about: there is nothing to read in
    // pieces either, and the command says so itself.
    ASSERT_EQ(::mkfifo((dir / "pipe.NC").c_str(), 0644), 0);
    for (const char* name : {"missing.NC", "pipe.NC"}) {
        bool asked = false;
        EXPECT_EQ(LoadTextForView(dir / name, [&] { return asked = true; }).size, kUnknownFileSize);
        EXPECT_FALSE(asked) << name;
    }
}

} // namespace
