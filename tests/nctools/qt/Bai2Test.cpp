// The doubling dialog as the operator uses it: the axis field's keys, a conversion
// started from the keyboard, a second showing, and closing during a long run.
#include "nctools/qt/Bai2.h"

#include "files/qt/DataView.h"
#include "support/BoxRecorder.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class FakeBai2Host : public TBai2Host {
public:
    DataView& View() override { return view; }
    void Relist() override { ++relists; }
    void RestoreLegend() override { ++legends; }

    DataView view;
    int relists = 0;
    int legends = 0;
};

class Bai2Test : public ::testing::Test, protected BoxRecorder {
protected:
    Bai2Test() {
        Watch(main);
        answer = kAnswerOk;
        main.setGeometry(100, 200, 801, 601);
    }

    void Open(const std::string& text, const std::string& source = "O1234.NC",
              const std::string& output = "O1234_2.NC") {
        host.view.SetText(text);
        form.Prepare(dir.path().string(), source, output);
        form.show();
        QApplication::setActiveWindow(&form);
    }

    TempDir dir;
    QWidget main;
    FakeBai2Host host;
    TBai2Form form{host, &main};
};

TEST_F(Bai2Test, AxisFieldTakesAxisLettersOnly) {
    Open("X1\n");
    EXPECT_EQ(form.windowTitle(), "選択軸２倍変換");
    EXPECT_EQ(form.Label2->text(), "変換前:O1234.NC");
    EXPECT_EQ(form.Label3->text(), "変換後:O1234_2.NC");
    EXPECT_TRUE(form.Edit1->hasFocus());
    EXPECT_FALSE(form.Button1->isEnabled());
    QTest::keyClicks(form.Edit1, "a");
    EXPECT_EQ(form.Edit1->text(), "");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(boxes[0].caption, "確認");
    EXPECT_EQ(boxes[0].text, "この文字は変更できません。\n");
    QTest::keyClick(form.Edit1, Qt::Key_Return); // empty: nothing
    EXPECT_TRUE(form.isVisible());
    QTest::keyClicks(form.Edit1, "z");
    EXPECT_EQ(form.Edit1->text(), "z");
    EXPECT_TRUE(form.Button1->isEnabled());
    QTest::keyClick(form.Edit1, Qt::Key_Backspace);
    EXPECT_FALSE(form.Button1->isEnabled());
    form.Edit1->insert("Ｘ"); // an input method's commit bypasses the keys
    EXPECT_EQ(form.Edit1->text(), "");
}

TEST_F(Bai2Test, EnterConvertsAndASecondShowingStartsEmpty) {
    Open("%\nO1234\nG01 X12.5 Y3.\nX-0.125\nX10 Y5\nM30\n%");
    QTest::keyClicks(form.Edit1, "x");
    QTest::keyClick(form.Edit1, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(TempDir::Read(dir / "O1234_2.NC"),
              "%\r\nO1234\r\nG01 X25.0 Y3.\r\nX-0.250\r\nX20 Y5\r\nM30\r\n%\r\n");
    EXPECT_EQ(host.view.LineText(2), "G01 X25.0 Y3."); // the view keeps the converted text
    EXPECT_EQ(host.relists, 1);
    EXPECT_EQ(host.legends, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Information);
    EXPECT_EQ(boxes[0].caption, "完了");
    EXPECT_EQ(boxes[0].text, "X軸を２倍に変換しました。\n変換ファイル名は O1234_2.NCです。");

    Open("Y1.5\n", "P.NC", "P_2.NC");
    EXPECT_EQ(form.Edit1->text(), "");
    EXPECT_FALSE(form.Button1->isEnabled());
    EXPECT_EQ(form.Label2->text(), "変換前:P.NC");
    EXPECT_EQ(form.ProgressBar1->maximum(), 1);
    QTest::keyClicks(form.Edit1, "Y");
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(TempDir::Read(dir / "P_2.NC"), "Y3.0\r\n");
    QTest::keyClick(&form, Qt::Key_Escape); // already closed: nothing happens twice
    EXPECT_EQ(host.legends, 2);
}

TEST_F(Bai2Test, NotANumberNamesTheLineAndWritesNothing) {
    Open("G0X1\nX1-2 Y0\n");
    QTest::keyClicks(form.Edit1, "X");
    QTest::keyClick(form.Edit1, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(std::filesystem::exists(dir / "O1234_2.NC"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    EXPECT_TRUE(boxes[0].text.startsWith("2行目のXの値が数値ではありません。\nX1-2 Y0\n"))
        << boxes[0].text.toStdString();
    EXPECT_EQ(host.relists, 0);
    EXPECT_TRUE(form.Button1->isEnabled()); // another axis may be tried
    EXPECT_EQ(host.view.LineText(0), "G0X1");
}

TEST_F(Bai2Test, UnwritableOutputNamesTheFile) {
    Open("X1\n", "O1.NC", "O1_2.*"); // the mask "*.*"
    QTest::keyClicks(form.Edit1, "X");
    QTest::keyClick(form.Edit1, Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("変換ファイル O1_2.* を書き込めません。"));
    EXPECT_TRUE(form.isVisible());
}

// During a run the window is pumped: a click on ｷｬﾝｾﾙ, Esc and another Enter arrive
// then. The run goes on to its end, once, and only then the dialog closes.
TEST_F(Bai2Test, ClosingDuringARunWaitsForItsEnd) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "G01X" + std::to_string(i) + ".5\n";
    Open(text);
    QTest::keyClicks(form.Edit1, "X");
    bool visibleDuringRun = false;
    int progressSeen = 0;
    QTimer::singleShot(0, &form, [&] {
        EXPECT_TRUE(form.Running());
        EXPECT_FALSE(form.Button1->isEnabled());
        progressSeen = form.ProgressBar1->value();
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        QTest::mouseClick(form.Button2, Qt::LeftButton);
        QTest::keyClick(&form, Qt::Key_Escape);
        visibleDuringRun = form.isVisible();
    });
    QTest::keyClick(form.Edit1, Qt::Key_Return);
    EXPECT_TRUE(visibleDuringRun);
    EXPECT_GT(progressSeen, 0);
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(boxes.size(), 1u) << "one conversion, one completion";
    EXPECT_EQ(boxes[0].caption, "完了");
    EXPECT_EQ(host.legends, 1);
    const std::string written = TempDir::Read(dir / "O1234_2.NC");
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 20000);
    EXPECT_NE(written.find("G01X39999.0\r\n"), std::string::npos);
}

} // namespace
