// The join dialog as the operator drives it: files marked in the list, K, a name
// typed or taken from NAME.lst, the overwrite question and the refusal.
#include "nctools/qt/Plus.h"

#include "app/qt/Mainunit1.h"
#include "files/ListSelection.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/FileWrite.h"
#include "platform/qt/MessageBox.h"
#include "support/TestWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace {

class JoinCommand : public ::testing::Test {
protected:
    void SetUp() override {
        window.home.Write("work/O0001.NC", "%\nO0001\nM30\n%");
        window.home.Write("work/O0002.NC", "O0002\r\nM30\r\n");
        window.home.Write("work/O0003.NC", "O0003\n\r\rM30\n\r\r");
        form.ListDirectory(false, false, false);
        window.boxes.clear();
    }
    int RowOf(const std::string& name) { return WindowHome::RowOf(form, name); }
    void Mark(std::initializer_list<const char*> names) {
        for (const char* name : names)
            ToggleMark(form.FileList, RowOf(name));
    }
    // K with the marks set; step runs in the dialog (repeatedly while it stays open).
    void PressK(const std::function<void(TPlusForm&)>& step) {
        QTimer::singleShot(0, [this, step] { step(*form.PlusForm); });
        QTest::keyClick(form.ListBox1, Qt::Key_K);
    }
    fs::path work() const { return window.home / "work"; }

    TestWindow window;
    TForm1& form = *window.form;
};

TEST_F(JoinCommand, MarkedFilesInMarkingOrderWithCrLf) {
    Mark({"O0003.NC", "O0001.NC", "O0002.NC"});
    PressK([&](TPlusForm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "ﾌｧｲﾙ結合");
        EXPECT_EQ(dialog.Files(), (std::vector<std::string>{"O0003.NC", "O0001.NC", "O0002.NC"}));
        EXPECT_EQ(dialog.ComboBox1->currentText(), "");
        EXPECT_FALSE(dialog.Button1->isEnabled());
        QTest::keyClicks(dialog.ComboBox1->lineEdit(), "ALL");
        EXPECT_TRUE(dialog.Button1->isEnabled());
        QTest::keyClick(dialog.ComboBox1->lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(TempDir::Read(work() / "ALL.NC"),
              "O0003\r\nM30\r\n%\r\nO0001\r\nM30\r\n%\r\nO0002\r\nM30\r\n");
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].caption, "完了");
    EXPECT_EQ(window.boxes[0].text, "ファイル結合完了しました。");
    EXPECT_EQ(form.FileList.marks.Count(), 0);
    EXPECT_GE(RowOf("ALL.NC"), 0);              // listed again
    EXPECT_EQ(form.RichEdit1->LineCount(), 2u); // the last input stays in the view
    EXPECT_EQ(TempDir::Read(window.home / "NAME.lst"), "ALL\r\n");

    // The second join opens with the name of the first, whose file now exists.
    window.boxes.clear();
    window.answer = kAnswerNo;
    Mark({"O0001.NC", "O0002.NC"});
    int shown = 0;
    PressK([&](TPlusForm& dialog) {
        ++shown;
        EXPECT_EQ(dialog.ComboBox1->currentText(), "ALL");
        EXPECT_TRUE(dialog.Button1->isEnabled());
        dialog.Button1Click();
        EXPECT_TRUE(dialog.isVisible()); // No keeps the dialog open
        dialog.Button2->click();
    });
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].text, QStringLiteral("すでに") +
                                        QString::fromStdString((work() / "ALL.NC").string()) +
                                        QStringLiteral("が有ります。\n上書きしますか？"));
    EXPECT_EQ(form.FileList.marks.Count(), 0); // cleared after a cancel too
    EXPECT_EQ(TempDir::Read(work() / "ALL.NC"),
              "O0003\r\nM30\r\n%\r\nO0001\r\nM30\r\n%\r\nO0002\r\nM30\r\n");
}

TEST_F(JoinCommand, NamesAndTheirRules) {
    struct Case {
        const char* typed;
        const char* output; // empty: nothing written
        size_t boxes;       // before the completion
    } cases[] = {
        {"ALL.NC", "ALL.NC", 0},
        {"all.nc", "all.nc.NC", 0},
        {"A.NC1", "A.NC1", 0},
        // An input's name: first the overwrite question, then, on Yes, the refusal.
        {"O0001", "", 2},
    };
    for (const Case& c : cases) {
        window.boxes.clear();
        window.answer = kAnswerYes;
        Mark({"O0001.NC", "O0002.NC"});
        PressK([&](TPlusForm& dialog) {
            dialog.ComboBox1->setEditText(c.typed);
            dialog.Button1Click();
            if (dialog.isVisible())
                dialog.Button2->click();
        });
        EXPECT_EQ(form.FileList.marks.Count(), 0) << c.typed;
        if (*c.output) {
            EXPECT_EQ(TempDir::Read(work() / c.output),
                      "%\r\nO0001\r\nM30\r\n%\r\nO0002\r\nM30\r\n")
                << c.typed;
            ASSERT_EQ(window.boxes.size(), 1u) << c.typed;
        } else {
            ASSERT_EQ(window.boxes.size(), c.boxes) << c.typed;
            EXPECT_EQ(window.boxes[1].text, "この結合ﾌｧｲﾙ名は選択したﾌｧｲﾙに存在します。");
            EXPECT_EQ(TempDir::Read(work() / "O0001.NC"), "%\nO0001\nM30\n%");
        }
    }
    // The field drops the characters no file name may hold.
    window.boxes.clear();
    Mark({"O0001.NC", "O0002.NC"});
    PressK([&](TPlusForm& dialog) {
        dialog.ComboBox1->setEditText("");
        QTest::keyClicks(dialog.ComboBox1->lineEdit(), "A/B:C.D\\E");
        EXPECT_EQ(dialog.ComboBox1->currentText(), "ABCD\\E");
        dialog.Button2->click();
    });
    ASSERT_EQ(window.boxes.size(), 3u);
    EXPECT_EQ(window.boxes[0].text, "この文字はファイル名に使えません。\n/:,;*?<>|.");
}

TEST_F(JoinCommand, HundredMarkedFiles) {
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "P%03d.NC", i);
        window.home.Write(std::string("work/") + name, "O" + std::to_string(i) + "\nX1");
    }
    form.ListDirectory(false, false, false);
    for (int i = 99; i >= 0; --i) {
        char name[16];
        std::snprintf(name, sizeof name, "P%03d.NC", i);
        ToggleMark(form.FileList, RowOf(name));
        expected += "O" + std::to_string(i) + "\r\nX1\r\n";
    }
    ASSERT_EQ(form.FileList.marks.Count(), 100);
    PressK([&](TPlusForm& dialog) {
        EXPECT_EQ(dialog.ListBox1->count(), 100);
        dialog.ComboBox1->setEditText("JOINED");
        dialog.Button1Click();
    });
    EXPECT_EQ(TempDir::Read(work() / "JOINED.NC"), expected);
}

// Mended: an output that cannot be written is reported by name, and the dialog stays.
TEST_F(JoinCommand, FailedOutputIsNamed) {
    SetFileWriteFaultForTest(
        [](const fs::path& path) { return path.filename() == "ALL.NC" ? ENOSPC : 0; });
    Mark({"O0001.NC", "O0002.NC"});
    PressK([&](TPlusForm& dialog) {
        dialog.ComboBox1->setEditText("ALL");
        dialog.Button1Click();
        EXPECT_TRUE(dialog.isVisible());
        dialog.Button2->click();
    });
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].caption, "エラー");
    EXPECT_TRUE(
        window.boxes[0].text.contains(QString::fromStdString((work() / "ALL.NC").string())));
    EXPECT_FALSE(fs::exists(work() / "ALL.NC"));
}

// Mended: an input deleted since it was marked, before OK or while the inputs
// before it are joined, is named in a box; nothing is written and the older file of
// the output's name stays.
TEST_F(JoinCommand, AnInputGoneSinceItWasMarkedIsRefused) {
    for (bool beforeOk : {true, false}) {
        window.home.Write("work/O0002.NC", "O0002");
        window.home.Write("work/ALL.NC", "older");
        form.ListDirectory(false, false, false);
        window.boxes.clear();
        window.answer = kAnswerYes;
        Mark({"O0001.NC", "O0002.NC", "O0003.NC"});
        if (beforeOk)
            fs::remove(work() / "O0002.NC");
        PressK([&](TPlusForm& dialog) {
            auto load = dialog.loadFile; // the window's own, the file going just before
            dialog.loadFile = [&, load](const std::string& name) {
                fs::remove(work() / "O0002.NC");
                return load(name);
            };
            dialog.ComboBox1->setEditText("ALL");
            dialog.Button1Click();
            EXPECT_TRUE(dialog.isVisible());
            dialog.loadFile = load;
            dialog.Button2->click();
        });
        // Before OK no question comes first; during the join the loader's own may.
        ASSERT_FALSE(window.boxes.empty());
        EXPECT_EQ(window.boxes.size() == 1, beforeOk);
        EXPECT_EQ(window.boxes.back().text, "ファイル O0002.NC を読み込めません。");
        EXPECT_EQ(TempDir::Read(work() / "ALL.NC"), "older") << beforeOk;
    }
}

// Mended: a Shift-JIS name of NAME.lst (Windows build) names the joined file with
// its own bytes, and the list keeps them.
TEST_F(JoinCommand, ANameFromTheListKeepsItsBytes) {
    const std::string sjis = "\x8c\x8b\x8d\x87"; // "結合"
    window.home.Write("NAME.lst", sjis + "\r\nALL\r\n");
    Mark({"O0001.NC", "O0002.NC"});
    PressK([&](TPlusForm& dialog) { dialog.Button1Click(); });
    EXPECT_TRUE(fs::exists(work() / (sjis + ".NC")));
    EXPECT_EQ(TempDir::Read(window.home / "NAME.lst"), sjis + "\r\nALL\r\n");
}

} // namespace
