// Keystroke scripts on the communication settings panel of a real main window.
#include "transfer/qt/CommSettingsPanel.h"
#include "app/qt/Mainunit1.h"
#include "files/qt/FileListBox.h"
#include "platform/qt/MessageBox.h"
#include "support/LocalListener.h"
#include "support/PseudoTerminal.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class CommPanel : public ::testing::Test {
protected:
    void SetUp() override { panel = form->CommPanel; }

    // Opens the panel as F7 does; the focus is then on ComboBox1.
    void Open() {
        form->OpenCommSettings();
        ASSERT_TRUE(form->GroupBox1->isVisible());
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    // Types into a field that was entered (its text selected, so typing replaces it).
    static void Type(QWidget* field, const char* keys) { QTest::keyClicks(field, keys); }
    static void Key(QWidget* field, Qt::Key key) { QTest::keyClick(field, key); }

    TestWindow window;
    TempDir& home = window.home;
    std::unique_ptr<TForm1>& form = window.form;
    TCommSettingsPanel* panel = nullptr;
    std::vector<BoxRequest>& boxes = window.boxes;
    int& answer = window.answer;
};

} // namespace

TEST_F(CommPanel, OpensFilledFromTheSettingsWithTheSpeedList) {
    form->Settings.Speed1 = "9600,8,N,1";
    form->Settings.Port2 = "COM4";
    form->Settings.Puncher = "Y";
    Open();
    EXPECT_FALSE(form->ListBox1->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    EXPECT_EQ(panel->ComboBox1->currentText(), "9600,8,N,1");
    EXPECT_EQ(panel->Label12->text(), "送信条件(9600,8,N,1)");
    EXPECT_EQ(panel->Label13->text(), "送信ポート(COM1)");
    EXPECT_EQ(panel->Label26->text(), "受信ポート(COM4)");
    EXPECT_EQ(panel->ComboBox4->currentText(), "COM4");
    EXPECT_EQ(panel->Edit9->text(), "Y");
    EXPECT_EQ(Focused(), panel->ComboBox1);

    ASSERT_EQ(panel->ComboBox1->count(), 48);
    ASSERT_EQ(panel->ComboBox3->count(), 48);
    EXPECT_EQ(panel->ComboBox1->itemText(0), "1200,8,N,1");
    EXPECT_EQ(panel->ComboBox1->itemText(7), "1200,7,O,2");
    EXPECT_EQ(panel->ComboBox1->itemText(8), "2400,8,N,1");
    EXPECT_EQ(panel->ComboBox1->itemText(47), "19200,7,O,2 ");
}

TEST_F(CommPanel, CompletionSelectsTheRestAndBackspaceDoesNotCompleteAgain) {
    Open();
    QComboBox* box = panel->ComboBox1;
    Type(box, "96");
    EXPECT_EQ(box->currentText(), "9600,8,N,1");
    EXPECT_EQ(box->lineEdit()->selectedText(), "00,8,N,1");
    Key(box, Qt::Key_Backspace);
    EXPECT_EQ(box->currentText(), "96");
    EXPECT_FALSE(box->lineEdit()->hasSelectedText());
    // The next typed character switches completion on again.
    Type(box, "00,7");
    EXPECT_EQ(box->currentText(), "9600,7,N,1");
    EXPECT_EQ(box->lineEdit()->selectedText(), ",N,1");
}

TEST_F(CommPanel, LowerCaseSpeedIsStoredInCapitals) {
    Open();
    Type(panel->ComboBox1, "9600,8,n,2");
    EXPECT_EQ(panel->ComboBox1->currentText(), "9600,8,n,2");
    Key(panel->ComboBox1, Qt::Key_F1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->Settings.Speed1, "9600,8,N,2");
    EXPECT_FALSE(form->GroupBox1->isVisible());
    EXPECT_TRUE(form->ListBox1->isEnabled());
    EXPECT_EQ(Focused(), form->ListBox1);
    EXPECT_TRUE(panel->ComboBox1->currentText().isEmpty());
    EXPECT_TRUE(panel->Edit4->text().isEmpty());
}

TEST_F(CommPanel, ShortSpeedIsRefusedAndThePanelStaysOpen) {
    Open();
    Type(panel->ComboBox1, "9600,8");
    Key(panel->ComboBox1, Qt::Key_Delete); // drops the completed ",N,1"
    ASSERT_EQ(panel->ComboBox1->currentText(), "9600,8");
    Key(panel->ComboBox1, Qt::Key_Return);
    Type(panel->ComboBox2, "7");
    Key(panel->ComboBox2, Qt::Key_F1);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::Yes);
    EXPECT_EQ(boxes[0].text, "入力データを確認してください。");
    ASSERT_TRUE(boxes[0].position.has_value());
    EXPECT_EQ(*boxes[0].position, form->frameGeometry().topLeft() + QPoint(50, 50));
    EXPECT_TRUE(form->GroupBox1->isVisible());
    EXPECT_EQ(Focused(), panel->ComboBox1);
    EXPECT_EQ(form->Settings.Speed1, "4800,8,N,2");
    EXPECT_EQ(form->Settings.Port1, "COM1");
    EXPECT_EQ(panel->ComboBox2->currentText(), "7");
}

TEST_F(CommPanel, BarePortNumbersBecomeComNames) {
    Open();
    Key(panel->ComboBox1, Qt::Key_Return);
    ASSERT_EQ(Focused(), panel->ComboBox2);
    Type(panel->ComboBox2, "3");
    panel->ComboBox4->setFocus();
    panel->ComboBox4->lineEdit()->selectAll();
    Type(panel->ComboBox4, "com3");
    Key(panel->ComboBox4, Qt::Key_F1);
    EXPECT_EQ(form->Settings.Port1, "COM3");
    EXPECT_EQ(form->Settings.Port2, "COM3");
}

TEST_F(CommPanel, PuncherForcesTheSendSpeed) {
    Open();
    Type(panel->ComboBox1, "9600,7,E,1");
    panel->Edit9->setFocus();
    panel->Edit9->selectAll();
    Type(panel->Edit9, "y");
    EXPECT_EQ(panel->Edit9->text(), "Y");
    Key(panel->Edit9, Qt::Key_F1);
    EXPECT_EQ(form->Settings.Puncher, "Y");
    EXPECT_EQ(form->Settings.Speed1, "4800,8,N,2");
}

TEST_F(CommPanel, EmptiedFeedKeepsItsSetting) {
    form->Settings.Feed = "30";
    Open();
    panel->Edit10->setFocus();
    panel->Edit10->selectAll();
    Key(panel->Edit10, Qt::Key_Backspace);
    ASSERT_TRUE(panel->Edit10->text().isEmpty());
    // Enter in an empty field stays there.
    Key(panel->Edit10, Qt::Key_Return);
    EXPECT_EQ(Focused(), panel->Edit10);
    Key(panel->Edit10, Qt::Key_F1);
    EXPECT_EQ(form->Settings.Feed, "30");
    EXPECT_FALSE(form->GroupBox1->isVisible());
}

TEST_F(CommPanel, LeavingAfterAChangeAsksAndNoStores) {
    Open();
    panel->Edit14->setFocus();
    panel->Edit14->selectAll();
    Type(panel->Edit14, "n");
    answer = kAnswerNo;
    Key(panel->Edit14, Qt::Key_F2);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "通信設定");
    EXPECT_EQ(boxes[0].text, "通信設定が変更されています。\n保存せずに終了しますか？");
    EXPECT_EQ(form->LastAnswer, kAnswerNo);
    EXPECT_EQ(form->Settings.Signal2, "N");
    EXPECT_FALSE(form->GroupBox1->isVisible());
}

TEST_F(CommPanel, LeavingWithYesDiscardsAndShowsTheStop) {
    Open();
    panel->Edit4->setFocus();
    panel->Edit4->selectAll();
    Type(panel->Edit4, "n");
    answer = kAnswerYes;
    Key(panel->Edit4, Qt::Key_Escape);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(form->Settings.Signal1, "Y");
    EXPECT_FALSE(form->GroupBox1->isVisible());
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_TRUE(form->Timer1->isActive());

    // Unchanged: no question.
    boxes.clear();
    Open();
    Key(panel->ComboBox1, Qt::Key_Escape);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(form->GroupBox1->isVisible());
}

TEST_F(CommPanel, EnterUpAndDownFollowTheFieldOrder) {
    Open();
    const std::vector<QWidget*> order = {
        panel->ComboBox1, panel->ComboBox2, panel->Edit4,  panel->Edit6,    panel->Edit5,
        panel->Edit8,     panel->Edit9,     panel->Edit10, panel->Edit11,   panel->ComboBox3,
        panel->ComboBox4, panel->Edit14,    panel->Edit15, panel->ComboBox1};
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        ASSERT_EQ(Focused(), order[i]) << i;
        Key(order[i], Qt::Key_Return);
    }
    EXPECT_EQ(Focused(), panel->ComboBox1);

    // Down and Up in the edit fields; Up from Edit4 and Edit14 reaches the port boxes.
    panel->Edit15->setFocus();
    Key(panel->Edit15, Qt::Key_Down);
    EXPECT_EQ(Focused(), panel->ComboBox1);
    panel->Edit4->setFocus();
    Key(panel->Edit4, Qt::Key_Up);
    EXPECT_EQ(Focused(), panel->ComboBox2);
    panel->Edit14->setFocus();
    Key(panel->Edit14, Qt::Key_Up);
    EXPECT_EQ(Focused(), panel->ComboBox4);
    panel->Edit11->setFocus();
    Key(panel->Edit11, Qt::Key_Up);
    EXPECT_EQ(Focused(), panel->Edit10);
}

TEST_F(CommPanel, FieldsTakeOnlyTheirCharacters) {
    Open();
    panel->Edit4->setFocus();
    panel->Edit4->selectAll();
    Type(panel->Edit4, "x");
    EXPECT_EQ(panel->Edit4->text(), "Y");
    Type(panel->Edit4, "n");
    EXPECT_EQ(panel->Edit4->text(), "N");

    panel->Edit10->setFocus();
    panel->Edit10->selectAll();
    Type(panel->Edit10, "1a23");
    EXPECT_EQ(panel->Edit10->text(), "12");

    panel->ComboBox3->setFocus();
    panel->ComboBox3->lineEdit()->selectAll();
    Key(panel->ComboBox3, Qt::Key_Delete);
    Type(panel->ComboBox3, "4x8");
    EXPECT_EQ(panel->ComboBox3->currentText(), "4800,8,N,1");
}

TEST_F(CommPanel, UpAndDownStepThroughTheBoxItems) {
    Open();
    QComboBox* box = panel->ComboBox1; // "4800,8,N,2", item 17
    Key(box, Qt::Key_Down);
    EXPECT_EQ(box->currentText(), "4800,7,N,1");
    Key(box, Qt::Key_Up);
    Key(box, Qt::Key_Up);
    EXPECT_EQ(box->currentText(), "4800,8,N,1");
    EXPECT_EQ(Focused(), box);
}

TEST_F(CommPanel, PortBoxesShowTheDeviceOfTheirName) {
    panel->DeviceOf = [](const std::string& name) {
        return name == "COM3" ? std::string("/dev/ttyUSB0") : std::string();
    };
    Open();
    EXPECT_EQ(panel->Label13Device->text(), "→ ﾃﾞﾊﾞｲｽ未割当");
    Key(panel->ComboBox1, Qt::Key_Return);
    Type(panel->ComboBox2, "3");
    EXPECT_EQ(panel->Label13Device->text(), "→ /dev/ttyUSB0");
}

TEST_F(CommPanel, PortListsHoldThePortsThatOpenAndAreNoModem) {
    PseudoTerminal line, modem;
    ASSERT_TRUE(line.Ok() && modem.Ok());
    form->Settings.Ports = {{"COM5", line.SlavePath()}, {"COM7", modem.SlavePath()}};
    form->Settings.ModemePort1 = "com7";
    Open();
    EXPECT_NE(panel->ComboBox2->findText("COM5"), -1);
    EXPECT_EQ(panel->ComboBox2->findText("COM7"), -1);
    ASSERT_EQ(panel->ComboBox4->count(), panel->ComboBox2->count());
    for (int i = 0; i < panel->ComboBox2->count(); ++i)
        EXPECT_EQ(panel->ComboBox4->itemText(i), panel->ComboBox2->itemText(i));

    // The device label follows section Ports.
    Key(panel->ComboBox1, Qt::Key_Return);
    Type(panel->ComboBox2, "5");
    EXPECT_EQ(panel->Label13Device->text(), QString::fromStdString("→ " + line.SlavePath()));
}

// Device servers are listed when they take a connection, each shown with its
// target; a raw one is said to have no modem lines.
TEST_F(CommPanel, PortListShowsDeviceServersWithTheirTargets) {
    LocalListener server;
    ASSERT_TRUE(server.Ok());
    PseudoTerminal line;
    ASSERT_TRUE(line.Ok());
    const std::string raw = server.Target("tcp");
    const std::string rfc = server.Target("rfc2217");
    form->Settings.Ports = {{"COM4", line.SlavePath()},
                            {"COM8", raw},
                            {"COM9", rfc},
                            {"COM10", "rfc2217://127.0.0.1:1"}}; // nothing listens on port 1
    for (int round = 0; round < 2; ++round) { // the panel opened twice shows the same
        Open();
        struct Case {
            const char* name;
            std::string shown;
        };
        const Case cases[] = {{"COM4", "COM4  " + line.SlavePath()},
                              {"COM8", "COM8  " + raw},
                              {"COM9", "COM9  " + rfc}};
        for (QComboBox* box : {panel->ComboBox2, panel->ComboBox4}) {
            auto* delegate = dynamic_cast<PortTargetDelegate*>(box->itemDelegate());
            ASSERT_NE(delegate, nullptr);
            for (const Case& c : cases) {
                const int row = box->findText(c.name);
                ASSERT_NE(row, -1) << c.name;
                EXPECT_EQ(delegate->ShownText(box->model()->index(row, 0)),
                          QString::fromStdString(c.shown));
            }
            EXPECT_EQ(box->findText("COM10"), -1);
        }
        Key(panel->ComboBox1, Qt::Key_Return);
        Type(panel->ComboBox2, "8");
        EXPECT_EQ(panel->Label13Device->text(),
                  QString::fromStdString("→ " + raw) +
                      QStringLiteral(" (信号線なし: DSR/CTS は常にオン)"));
        Key(panel->ComboBox2, Qt::Key_Backspace);
        Type(panel->ComboBox2, "9");
        EXPECT_EQ(panel->Label13Device->text(), QString::fromStdString("→ " + rfc));
        answer = kAnswerYes; // leave without storing
        Key(panel->ComboBox2, Qt::Key_Escape);
        EXPECT_FALSE(form->GroupBox1->isVisible());
    }
}

TEST_F(CommPanel, LegendClicksPressF1AndF2) {
    Open();
    Type(panel->ComboBox1, "9600,8,N,1");
    QTest::mouseClick(panel->Label14, Qt::LeftButton, {}, QPoint(150, 5));
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->GroupBox1->isVisible()); // between the keys: nothing
    QTest::mouseClick(panel->Label14, Qt::LeftButton, {}, QPoint(240, 5));
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->GroupBox1->isVisible());
    EXPECT_EQ(form->Settings.Speed1, "9600,8,N,1");

    Open();
    QTest::mouseClick(panel->Label14, Qt::LeftButton, {}, QPoint(350, 5));
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->GroupBox1->isVisible());
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
}

TEST_F(CommPanel, F7InTheListOpensThePanel) {
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_F7);
    EXPECT_TRUE(form->GroupBox1->isVisible());
    EXPECT_FALSE(form->ListBox1->isEnabled());
    EXPECT_EQ(Focused(), panel->ComboBox1);
}

TEST_F(CommPanel, F10EndsTheProgram) {
    Open();
    Key(panel->Edit4, Qt::Key_F10);
    EXPECT_FALSE(form->isVisible());
}
