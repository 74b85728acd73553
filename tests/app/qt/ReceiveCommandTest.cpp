// The receive command in the main window: the save question, the named receive
// and a reception through the window's own host over a pseudo-terminal.
#include "app/qt/MainReceive.h"
#include "files/qt/DataView.h"
#include "support/CloseWays.h"
#include "support/TestWindow.h"
#include "transfer/SerialLine.h"
#include "ui/CommandLinePanel.h"
#include "ui/StatusPanels.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <poll.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

class ReceiveCommand : public ::testing::Test, protected WindowHome {
protected:
    void SetUp() override {
        // Sleeps are counted, not waited; only the short one that lets a last DC4
        // leave before the close is real, so that the far end can see it.
        transferSleep = [this](int ms) {
            sleeps.push_back(ms);
            if (ms <= kLastByteLeaveMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        };
        char name[64] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        WriteIni("Port2=COM2\r\nSpeed2=9600,8,N,1\r\nEndChar=N\r\nR_Code=0\r\n",
                 "[Options]\r\nAdd_No=Y\r\n"
                 "[Ports]\r\nCOM2=" +
                     std::string(name) + "\r\n");
        NewWindow();
    }
    void NewWindow() {
        form = Start();
        boxes.clear();
    }
    void TearDown() override {
        if (farEnd.joinable())
            farEnd.join();
        form.reset();
        ::close(master);
        ::close(slave);
    }
    // What the far end punches, ISO with even parity, ended by DC4. It is sent when
    // the job has opened the line (the pseudo-terminal reports the purge of the
    // opening in packet mode), since the purge would discard anything sent before.
    void Punch(std::string_view text) { StartFarEnd(std::string(text) + '\x14', false); }
    // The far end punches text without an end and then listens to what the PC
    // sends back (in fromPc) until DC4 or ten seconds have passed.
    void PunchAndListen(std::string_view text) { StartFarEnd(std::string(text), true); }
    void StartFarEnd(const std::string& text, bool listen) {
        std::string bytes;
        for (unsigned char c : text)
            bytes.push_back(char(__builtin_parity(c) ? c | 0x80 : c));
        int on = 1;
        ASSERT_EQ(::ioctl(master, TIOCPKT, &on), 0);
        fromPc.clear();
        farEnd = std::thread([this, bytes, listen] {
            char packet[256];
            for (;;) {
                ssize_t n = ::read(master, packet, sizeof packet);
                if (n <= 0)
                    return;
                if (packet[0] & TIOCPKT_FLUSHREAD)
                    break;
            }
            ::write(master, bytes.data(), bytes.size());
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (listen && fromPc.find('\x14') == std::string::npos &&
                   std::chrono::steady_clock::now() < limit) {
                pollfd p{master, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0)
                    continue;
                ssize_t n = ::read(master, packet, sizeof packet);
                if (n > 1 && packet[0] == TIOCPKT_DATA)
                    fromPc.append(packet + 1, size_t(n - 1));
            }
        });
        // A reception that never ends is a failure, not a hang.
        QTimer::singleShot(20000, form.get(),
                           [this] { QTest::keyPress(form->RichEdit1, Qt::Key_F3); });
    }

    std::unique_ptr<TForm1> form;
    std::string fromPc;
    std::vector<int> sleeps;
    int master = -1;
    int slave = -1;
    std::thread farEnd;
};

TEST_F(ReceiveCommand, SaveQuestionShowsTheReceiveSettings) {
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_TRUE(form->ExitAfterTransfer);
    EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox4")->isHidden());
    EXPECT_TRUE(form->SaveQuestion->IsOpen());
    EXPECT_EQ(form->StatusPanel(4), "9600,8,N,1");
    EXPECT_EQ(form->StatusPanel(5), "COM2");
    EXPECT_EQ(form->StatusPanel(6), "Y");
    EXPECT_FALSE(form->ListBox1->isEnabled());
    EXPECT_TRUE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    EXPECT_FALSE(form->RichEdit1->IsReadOnly());
    EXPECT_EQ(Control<QLabel>(*form, "Label38")->text(),
              "受信ファイル名を付けて保存(Y)Ｏ（Ｌ）番号毎に保存　　　(N)"
              "　　　　　　　　　　　Esc:中止");
    EXPECT_EQ(Control<QLabel>(*form, "Label38")->parentWidget(),
              Control<QGroupBox>(*form, "GroupBox4"));
    EXPECT_EQ(Control<QLineEdit>(*form, "Edit16")->parentWidget(),
              Control<QGroupBox>(*form, "GroupBox4"));
}

// Keys that answer nothing leave the question open and type nothing; asked again
// after an Esc, it opens empty with the focus in its field.
TEST_F(ReceiveCommand, OnlyTheThreeAnswersCloseTheSaveQuestion) {
    Show(*form);
    auto* edit16 = Control<QLineEdit>(*form, "Edit16");
    auto* box = Control<QGroupBox>(*form, "GroupBox4");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        form->ReceiveProgram(false);
        ASSERT_TRUE(form->SaveQuestion->IsOpen());
        EXPECT_EQ(QApplication::focusWidget(), edit16);
        for (int key : {int(Qt::Key_X), int(Qt::Key_1), int(Qt::Key_Space), int(Qt::Key_Return)}) {
            QTest::keyClick(edit16, Qt::Key(key));
            EXPECT_TRUE(form->SaveQuestion->IsOpen()) << key;
            EXPECT_FALSE(box->isHidden()) << key;
            EXPECT_EQ(edit16->text(), "") << key;
        }
        QTest::keyClick(edit16, Qt::Key_Escape);
        EXPECT_FALSE(form->SaveQuestion->IsOpen());
        EXPECT_TRUE(box->isHidden());
    }
}

TEST_F(ReceiveCommand, EscAndTheLowestRowStopTheCommand) {
    form->ReceiveProgram(false);
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_Escape);
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox4")->isHidden());
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_TRUE(form->ListBox1->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());

    form->ReceiveProgram(false);
    form->Label38MouseDown(60);
    EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox4")->isHidden())
        << "below the three rows nothing is chosen";
    QTest::mouseClick(Control<QLabel>(*form, "Label38"), Qt::LeftButton, {}, QPoint(20, 45));
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox4")->isHidden());
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
}

TEST_F(ReceiveCommand, YesAsksForTheNameAndAnExistingFileIsQuestioned) {
    form->ReceiveProgram(false);
    QTest::mouseClick(Control<QLabel>(*form, "Label38"), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox4")->isHidden());
    EXPECT_EQ(form->CommandLine->Mode(), Edit1Mode::NamedReceive);
    EXPECT_TRUE(form->NamedMode);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "ファイル受信 受信ファイル名-->>>");
    EXPECT_TRUE(Control<QLineEdit>(*form, "Edit1")->isEnabled());

    home.Write("work/PRG.NC", "keep");
    form->Settings.ALLFiles = "N";
    QTest::keyClicks(Control<QLineEdit>(*form, "Edit1"), "PR.G");
    ASSERT_EQ(boxes.size(), 1u) << "names without extension refuse the dot";
    EXPECT_EQ(boxes[0].text, "この文字はファイル名に使えません。\n/:,;*?<>|.");
    EXPECT_EQ(Control<QLineEdit>(*form, "Edit1")->text(), "PRG");
    boxes.clear();
    answer = kAnswerNo;
    QTest::keyClick(Control<QLineEdit>(*form, "Edit1"), Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "すでに" + QString::fromStdString((work() / "PRG.NC").string()) +
                                 "が有ります。\n上書きしますか？");
    EXPECT_EQ(boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(form->LastAnswer, kAnswerNo);
    EXPECT_EQ(TempDir::Read(work() / "PRG.NC"), "keep");
    EXPECT_EQ(form->ReceiveTargetPath, "");

    // Yes: the file is received under the name.
    answer = kAnswerYes;
    Punch("%\nO0001(A)\nG01X1.\nM30\n%");
    QTest::keyClick(Control<QLineEdit>(*form, "Edit1"), Qt::Key_Return);
    EXPECT_EQ(TempDir::Read(work() / "PRG.NC"), "O0001(A)\r\nG01 X1.\r\nM30\r\n");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "受信完了しました。!!");
    EXPECT_EQ(form->StatusPanel(0), "");
}

TEST_F(ReceiveCommand, NoReceivesOneFilePerProgramAndReturnsToIdleLater) {
    Punch("%\nO0001\nG1\nM30\nO0002\nG2\nM30\n%");
    form->ReceiveProgram(false);
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_N);
    EXPECT_EQ(TempDir::Read(work() / "O0001_001.NC"), "O0001\r\nG1\r\nM30\r\n");
    EXPECT_EQ(TempDir::Read(work() / "O0002_002.NC"), "O0002\r\nG2\r\nM30\r\n");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "受信完了しました。!!");
    EXPECT_EQ(form->RelistFlag, "Y");
    EXPECT_EQ(form->Timer1->interval(), 3000);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isHidden());
    EXPECT_EQ(Control<QListWidget>(*form, "ListBox2")->count(), 2);
    EXPECT_EQ(Control<QListWidget>(*form, "ListBox2")->currentRow(), 1);
    EXPECT_EQ(sleeps, std::vector<int>{3000});
}

TEST_F(ReceiveCommand, StopKeyDuringTheWaitStopsTheReception) {
    form->ReceiveProgram(false);
    // F3 arrives while the job waits for the start; noise wakes the waiting read.
    QTimer::singleShot(0, [this] { QTest::keyPress(form->RichEdit1, Qt::Key_F3); });
    Punch("?");
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_N);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "受信を中止しました。!!");
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_EQ(form->RelistFlag, "N");
}

// Esc while browsing ("操作中止") and Esc in the save question stop nothing of the
// reception that follows: two receptions in one window, both complete.
TEST_F(ReceiveCommand, EscBetweenTwoReceptionsStopsNeither) {
    Punch("%\nO0001\nM30\n%");
    form->ReceiveProgram(false);
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_N);
    ASSERT_EQ(Control<QLabel>(*form, "Label11")->text(), "受信完了しました。!!");
    farEnd.join();

    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_Escape);
    ASSERT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    form->ReceiveProgram(false);
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_Escape);

    Punch("%\nO0002\nM30\n%");
    form->ReceiveProgram(false);
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_N);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "受信完了しました。!!");
    EXPECT_EQ(TempDir::Read(work() / "O0001_001.NC"), "O0001\r\nM30\r\n");
    EXPECT_EQ(TempDir::Read(work() / "O0002_001.NC"), "O0002\r\nM30\r\n");
}

// Shift+F2: the completed reception closes the window itself; the rule that holds
// a close back until the job has stopped does not swallow this one.
TEST_F(ReceiveCommand, ExitAfterACompletedReceptionClosesTheWindow) {
    form->show();
    Punch("%\nO0001\nM30\n%");
    form->ReceiveProgram(true);
    QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_N);
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(TempDir::Read(home / "Dravik.log").find("受信　　完了　"), std::string::npos);
    EXPECT_NE(TempDir::Read(home / "Dravik.INI").find("Left="), std::string::npos);
}

// Closing the window while a reception runs, by its close button or by the lower
// F10 column of the legend, first stops the reception by its stop path (DC4, the
// stop entry, the finished program kept), then closes: nothing is left running.
TEST_F(ReceiveCommand, CloseDuringAReceptionStopsItFirst) {
    for (const CloseWay& c : kCloseWays) {
        for (const char* name : {"O0001_001.NC", "O0002_002.NC"})
            std::filesystem::remove(work() / name);
        if (farEnd.joinable())
            farEnd.join();
        NewWindow();
        form->show();
        bool closedWhileReceiving = false;
        auto* poll = new QTimer(form.get());
        QObject::connect(poll, &QTimer::timeout, form.get(), [&, poll] {
            if (Control<QListWidget>(*form, "ListBox2")->count() < 2)
                return;
            poll->stop();
            c.close(*form);
            closedWhileReceiving = !form->isVisible();
        });
        poll->start(5);
        PunchAndListen("%\nO0001\nM30\nO0002\nG1\n");
        form->ReceiveProgram(false);
        QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_N);
        farEnd.join();

        EXPECT_FALSE(closedWhileReceiving) << c.way;
        EXPECT_FALSE(form->isVisible()) << c.way;
        EXPECT_NE(fromPc.find('\x14'), std::string::npos) << c.way << ": DC4 to the far end";
        EXPECT_EQ(TempDir::Read(work() / "O0001_001.NC"), "O0001\r\nM30\r\n") << c.way;
        EXPECT_FALSE(std::filesystem::exists(work() / "O0002_002.NC")) << c.way;
        const std::string log = TempDir::Read(home / "Dravik.log");
        EXPECT_NE(log.rfind("受信　　中止　"), std::string::npos) << c.way;
        EXPECT_EQ(log.find("受信　　完了　"), std::string::npos) << c.way;
        EXPECT_NE(TempDir::Read(home / "Dravik.INI").find("Left="), std::string::npos)
            << c.way << ": the close saved the settings";
        EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "受信を中止しました。!!") << c.way;
    }
}

} // namespace
