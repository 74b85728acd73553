// TFindForm driven by keys: the entry's rules, the pattern it hands to the listing,
// and the history in FIND.LST across showings.
#include "files/qt/Find.h"

#include "files/HistoryList.h"
#include "support/BoxRecorder.h"
#include "support/TempDir.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct FindDialog : ::testing::Test, BoxRecorder {
    TempDir dir;
    TFindForm form;
    std::vector<std::string> patterns;
    int legends = 0;

    void SetUp() override {
        Watch(form);
        answer = kAnswerOk;
        form.DirPath = "/nc/work";
        form.Mask = "*.NC";
        form.historyFile = dir / "FIND.LST";
        form.listNarrowed = [this](const std::string& pattern) { patterns.push_back(pattern); };
        form.restoreLegend = [this] { ++legends; };
    }
    // The F command: the entry emptied, the dialog shown.
    void Open() {
        form.ComboBox1->setEditText(QString());
        form.show();
        QApplication::setActiveWindow(&form);
    }
    QLineEdit* Entry() const { return form.ComboBox1->lineEdit(); }
    void Type(const QString& keys) { TypeText(Entry(), keys); }
    void Enter() { QTest::keyClick(Entry(), Qt::Key_Return); }
};

TEST_F(FindDialog, TheEntryRefusesNameCharactersButTheAsterisk) {
    Open();
    EXPECT_EQ(form.windowTitle(), "絞り込み・検索");
    EXPECT_EQ(form.size(), QSize(252, 63));
    EXPECT_FALSE(form.Button1->isEnabled());
    Enter(); // empty: nothing
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(patterns.empty());
    for (const char* refused : {".", ":", "/", ",", ";", "?", "<", ">", "|"}) {
        boxes.clear();
        Type(QString::fromUtf8(refused));
        ASSERT_EQ(boxes.size(), 1u) << refused;
        EXPECT_EQ(boxes[0].text, "この文字はファイル名に使えません。\n/:,;*?<>|.");
        EXPECT_EQ(boxes[0].caption, "確認");
    }
    EXPECT_EQ(form.ComboBox1->currentText(), "");
    boxes.clear();
    Type("O1*");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form.ComboBox1->currentText(), "O1*");
    EXPECT_TRUE(form.Button1->isEnabled());
    // Pasted text obeys the same rule.
    Entry()->selectAll();
    Entry()->insert("O2.NC");
    EXPECT_EQ(form.ComboBox1->currentText(), "O2NC");
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(FindDialog, EnterNarrowsAndEveryCloseSavesTheHistory) {
    struct Step {
        const char* typed;
        const char* pattern;
    } steps[] = {
        {"O1", "/nc/work/O1*.NC"},
        {"O1*", "/nc/work/O1*.NC"}, // its own "*" is dropped: the mask brings one
        {"ｶﾀ", "/nc/work/ｶﾀ*.NC"},
        {"O1", "/nc/work/O1*.NC"},
    };
    for (const Step& step : steps) {
        Open();
        Type(QString::fromUtf8(step.typed));
        Enter();
        EXPECT_FALSE(form.isVisible()) << step.typed;
        EXPECT_EQ(patterns.back(), step.pattern);
    }
    EXPECT_EQ(legends, 4);
    std::vector<std::string> saved;
    ASSERT_TRUE(LoadHistory(dir / "FIND.LST", saved));
    EXPECT_EQ(saved, (std::vector<std::string>{"O1", "ｶﾀ", "O1*"}));

    // Cancel also puts the legend back and writes the list.
    std::filesystem::remove(dir / "FIND.LST");
    Open();
    Type("O9");
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(patterns.size(), 4u);
    EXPECT_EQ(legends, 5);
    ASSERT_TRUE(LoadHistory(dir / "FIND.LST", saved));
    EXPECT_EQ(saved, (std::vector<std::string>{"O1", "ｶﾀ", "O1*"}));
}

TEST_F(FindDialog, TheHistoryLoadsAtShowOnlyWhenItsFileExists) {
    // The list on disk fills the items at show; the entry keeps its text.
    SaveHistory(dir / "FIND.LST", {"X1", "X2"});
    Open();
    EXPECT_EQ(form.HistoryEntries(), (std::vector<std::string>{"X1", "X2"}));
    EXPECT_EQ(form.ComboBox1->currentText(), "");
    form.reject();
    // Without the file the items stay as they were.
    std::filesystem::remove(dir / "FIND.LST");
    Open();
    EXPECT_EQ(form.HistoryEntries(), (std::vector<std::string>{"X1", "X2"}));
    form.reject();
}

} // namespace
