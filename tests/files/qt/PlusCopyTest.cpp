#include "files/qt/PlusCopy.h"

#include "support/BoxRecorder.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct PlusCopyFixture : ::testing::Test, BoxRecorder {
    TempDir dir;
    TPlusCopyForm form;
    std::vector<std::pair<std::string, std::string>> transfers;
    int legends = 0;

    void SetUp() override {
        Watch(form);
        fs::create_directory(dir / "nc");
        fs::create_directory(dir / "NC");
        form.DirPath = (dir / "nc").string();
        form.historyFile = dir / "Path.lst";
        form.AddFile("A.NC");
        form.AddFile("B.NC");
        form.transferFiles = [this](const std::string& sources, const std::string& dest) {
            transfers.emplace_back(sources, dest);
            return true;
        };
        form.restoreLegend = [this] { ++legends; };
        AnswerQuestions();
        form.FormShow();
    }

    void Ok(const std::string& dest) {
        form.ComboBox1->setEditText(QString::fromStdString(dest));
        form.Button1Click();
    }
};

TEST_F(PlusCopyFixture, SameFolderWrittenAnotherWayIsRefused) {
    fs::create_directory_symlink(dir / "nc", dir / "link");
    for (std::string same :
         {form.DirPath + "/", form.DirPath + "/.", (dir / "link").string(), std::string(".")}) {
        boxes.clear();
        Ok(same);
        ASSERT_EQ(boxes.size(), 1u) << same;
        EXPECT_EQ(boxes[0].text, QString::fromStdString(form.DirPath) +
                                     QStringLiteral("のﾌｫﾙﾀﾞｰにはｺﾋﾟｰは出来ません。"));
    }
    EXPECT_TRUE(transfers.empty());
    EXPECT_EQ(form.result(), 0); // still open

    boxes.clear();
    Ok((dir / "NC").string()); // differs only in letter case: another folder here
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].first, form.DirPath + "/A.NC;" + form.DirPath + "/B.NC;");
    EXPECT_EQ(transfers[0].second, (dir / "NC").string());
}

TEST_F(PlusCopyFixture, MissingFolderIsCreatedOnYesRefusedOnNo) {
    std::string typed = (dir / "NEW" / "SUB").string() + "/";
    Ok(typed);
    EXPECT_TRUE(fs::is_directory(dir / "NEW" / "SUB"));
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].second, (dir / "NEW" / "SUB").string());
    // The history keeps the text as typed, trailing separator included.
    EXPECT_EQ(TempDir::Read(dir / "Path.lst").substr(0, typed.size() + 2), typed + "\r\n");
    EXPECT_EQ(legends, 1);

    answer = kAnswerNo;
    boxes.clear();
    form.FormShow();
    Ok((dir / "OTHER").string());
    EXPECT_FALSE(fs::exists(dir / "OTHER"));
    ASSERT_EQ(boxes.size(), 2u); // the question, then the same-folder refusal
    EXPECT_EQ(form.ComboBox1->currentText(), QString::fromStdString(form.DirPath));
    EXPECT_EQ(transfers.size(), 1u);
}

TEST_F(PlusCopyFixture, HistoryMovesAnOldEntryToTheTopAndKeepsTwenty) {
    std::string lines;
    for (int i = 0; i < 25; ++i)
        lines += (dir / ("D" + std::to_string(i))).string() + "\r\n";
    dir.Write("Path.lst", lines);
    form.FormShow();
    EXPECT_EQ(form.ComboBox1->count(), 25); // a hand-written list loads whole
    EXPECT_EQ(form.ComboBox1->currentText().toStdString(), (dir / "D0").string());
    EXPECT_TRUE(form.Button1->isEnabled());

    Ok((dir / "D7").string());
    std::vector<std::string> saved;
    std::string text = TempDir::Read(dir / "Path.lst");
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        saved.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    ASSERT_EQ(saved.size(), 20u);
    EXPECT_EQ(saved[0], (dir / "D7").string());
    EXPECT_EQ(saved[1], (dir / "D0").string());
    EXPECT_EQ(std::count(saved.begin(), saved.end(), (dir / "D7").string()), 1);
}

TEST_F(PlusCopyFixture, DestinationCharactersAndCancel) {
    form.ComboBox1->setEditText(QString());
    EXPECT_FALSE(form.Button1->isEnabled());
    QLineEdit* edit = form.ComboBox1->lineEdit();
    QTest::keyClicks(edit, "/a;b*:c");
    EXPECT_EQ(edit->text(), QStringLiteral("/ab:c"));
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("確認"));
    EXPECT_TRUE(form.Button1->isEnabled());

    // Pasted or committed text passes no key filter: it is checked as it arrives.
    boxes.clear();
    edit->insert(QStringLiteral("x|y"));
    emit edit->textEdited(edit->text());
    EXPECT_EQ(edit->text(), QStringLiteral("/ab:cxy"));
    EXPECT_EQ(boxes.size(), 1u);

    form.reject(); // Cancel: nothing moves, the history and the legend still follow
    EXPECT_TRUE(transfers.empty());
    EXPECT_EQ(legends, 1);
    EXPECT_TRUE(fs::exists(dir / "Path.lst"));
}

} // namespace

TEST_F(PlusCopyFixture, TheQuestionAndTheRefusalStandAtTheDialogsCornerWithTheirButtons) {
    form.move(200, 150);
    answer = kAnswerNo;
    Ok((dir / "OTHER").string());
    ASSERT_EQ(boxes.size(), 2u); // the missing folder, then the same folder after the No
    const QPoint corner = form.frameGeometry().topLeft() + QPoint(50, 50);
    for (const BoxRequest& box : boxes) {
        ASSERT_TRUE(box.position.has_value()) << box.text.toStdString();
        EXPECT_EQ(*box.position, corner);
    }
    EXPECT_EQ(boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(boxes[1].buttons, BoxButtons::Yes);
}

TEST_F(PlusCopyFixture, AShiftJisDestinationGoesBackByteForByte) {
    const std::string sjis = "\x89\xc1\x8d\x48"; // "加工" from a Windows share
    fs::create_directory(dir / sjis);
    const std::string dest = (dir / sjis).string();
    dir.Write("Path.lst", dest + "\r\n");
    form.FormShow();
    EXPECT_EQ(form.ComboBox1->currentText(), QString::fromStdString(dir.path().string()) + "/加工");
    QTest::keyClick(form.ComboBox1->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(boxes.empty()); // no question: the folder exists under its own bytes
    ASSERT_EQ(transfers.size(), 1u);
    EXPECT_EQ(transfers[0].second, dest);
    EXPECT_EQ(TempDir::Read(dir / "Path.lst").substr(0, dest.size() + 2), dest + "\r\n");

    // Chosen again from the history list after other text was typed.
    QTest::keyClicks(form.ComboBox1->lineEdit(), "X");
    form.ComboBox1->setCurrentIndex(0);
    emit form.ComboBox1->activated(0);
    form.Button1Click();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[1].second, dest);
}
