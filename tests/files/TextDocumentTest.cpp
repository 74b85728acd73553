#include "files/TextDocument.h"

#include "files/FileLoading.h"
#include "support/PlainLines.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const TextDocument& doc) {
    std::vector<std::string> out;
    for (size_t i = 0; i < doc.LineCount(); ++i)
        out.emplace_back(doc.Line(i));
    return out;
}

TEST(TextDocument, LineEnds) {
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"%", {"%"}},
        {"A\nB\n", {"A", "B"}},
        {"A\nB", {"A", "B"}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\rB\r", {"A", "B"}},
        {"A\n\r\rB\n\r\r", {"A", "B"}}, // Fanuc end of block LF CR CR
        {"A\r\r\nB", {"A", "B"}},       // CR LF converted once more
        {"A\n\nB", {"A", "", "B"}},     // two LFs are two line ends
        {"A\r\n\r\nB", {"A", "", "B"}}, // an empty CR LF line stays
        {"\n", {""}},
        {"%\r\nO1(X)\r\nM30\r\n%\r\n", {"%", "O1(X)", "M30", "%"}},
    };
    for (const Case& c : cases) {
        TextDocument doc;
        doc.SetText(c.text);
        EXPECT_EQ(Lines(doc), c.lines) << "text: " << c.text;
    }
}

TEST(TextDocument, AgreesWithReferenceOnRandomText) {
    std::mt19937 random(7);
    const char alphabet[] = {'A', 'B', '\r', '\n', '\0', '\x82'};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % sizeof alphabet];
        TextDocument doc;
        doc.SetText(text);
        ASSERT_EQ(Lines(doc), PlainLines(text)) << "round " << round;
        size_t longest = 0;
        for (const std::string& line : PlainLines(text))
            longest = std::max(longest, line.size());
        EXPECT_EQ(doc.MaxLineLength(), longest);
    }
}

TEST(TextDocument, EditsKeepLinesAndLongestLength) {
    TextDocument doc;
    doc.AppendLine("G01X1.");
    doc.AppendLine("");
    doc.AppendLine("N1\r\nN2"); // a line end inside makes two lines
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"G01X1.", "", "N1", "N2"}));

    doc.ReplaceLastChar(0, '2');
    doc.ReplaceLastChar(1, 'X'); // empty line: nothing to replace
    EXPECT_EQ(doc.Line(0), "G01X12");
    EXPECT_EQ(doc.Line(1), "");

    doc.ReplaceLastChar(2, '\n'); // a line end put there still ends the line
    EXPECT_EQ(doc.Line(2), "N");

    doc.InsertLine(0, "%");
    doc.RemoveLine(2);
    EXPECT_EQ(Lines(doc), (std::vector<std::string>{"%", "G01X12", "N", "N2"}));
    EXPECT_EQ(doc.MaxLineLength(), 6u);
    doc.ReplaceLine(1, "G0");
    doc.AppendLine("G01X1234.5678");
    EXPECT_EQ(doc.MaxLineLength(), 13u);
    doc.RemoveLine(4);
    EXPECT_EQ(doc.JoinedText(), "%\r\nG0\r\nN\r\nN2\r\n");

    uint64_t before = doc.Revision();
    doc.Clear();
    EXPECT_TRUE(doc.Empty());
    EXPECT_GT(doc.Revision(), before);
}

TEST(TextDocument, KeepsEveryByteOfALine) {
    TextDocument doc;
    std::string bytes("\x82\xa0\0X\x1a", 5);
    doc.SetText(bytes + "\n");
    ASSERT_EQ(doc.LineCount(), 1u);
    EXPECT_EQ(doc.Line(0), bytes);
}

// A file shown from its mapping: lines longer than the 16 bytes looked at in one go,
// a last line without a line end (nothing can be appended to a mapping), and edits
// that store lines beside the mapping while their neighbours stay in it.
TEST(TextDocument, MappedFileAgreesWithReferenceThroughEdits) {
    TempDir dir;
    std::mt19937 random(11);
    const char alphabet[] = {'G', '0', '1', 'X', '.', '\r', '\n', '\x82', '\xa0'};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            // Mostly text, so that many lines run past one 16-byte block.
            const size_t pick = random() % 8 == 0 ? random() % sizeof alphabet : random() % 5;
            text += alphabet[pick];
        }
        ViewFileText file = ReadFileForView(dir.Write("R.NC", text));
        TextDocument doc;
        doc.SetText(std::move(file.text));
        std::vector<std::string> expected = PlainLines(text);
        ASSERT_EQ(Lines(doc), expected) << "round " << round;
        if (expected.empty())
            continue;
        const size_t changed = random() % expected.size();
        doc.ReplaceLine(changed, "X" + expected[changed]);
        expected[changed] = "X" + expected[changed];
        doc.AppendLine("M30");
        expected.push_back("M30");
        ASSERT_EQ(Lines(doc), expected) << "round " << round;
    }
}

TEST(TextDocument, OwnedTextSurvivesMovesOfShortAndLongText) {
    for (const std::string& text : {std::string("G1\n"), std::string(300, 'N') + "\n"}) {
        DocumentBytes first(text);
        DocumentBytes second(std::move(first));
        DocumentBytes third;
        third = std::move(second);
        TextDocument doc;
        doc.SetText(std::move(third));
        ASSERT_EQ(doc.LineCount(), 1u);
        EXPECT_EQ(doc.Line(0), text.substr(0, text.size() - 1));
    }
}

} // namespace
