// The receive command in the main window: the save question, the named receive
// and a reception through the window's own host over a pseudo-terminal.
#include "app/qt/MainReceive.h"
#include "app/qt/MainTransferHost.h"
#include "app/qt/Mainunit1.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/MessageBox.h"
#include "support/TempDir.h"
#include "ui/StatusPanels.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

class ReceiveCommand : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(home.path());
        SetBoxInterceptorForTest([this](const BoxRequest& r) {
            boxes.push_back(r);
            return answer;
        });
        SetTransferSleepForTest([this](int ms) { sleeps.push_back(ms); });
        char name[64] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        std::filesystem::create_directories(work());
        home.Write("Dravik.INI",
                   "[Setting]\r\nDirPath=" + work().string() +
                       "\r\nPort2=COM2\r\nSpeed2=9600,8,N,1\r\nEndChar=N\r\nR_Code=0\r\n"
                       "[Options]\r\nAdd_No=Y\r\n"
                       "[Ports]\r\nCOM2=" +
                       std::string(name) + "\r\n");
        form = std::make_unique<TForm1>();
        form->FormCreate({});
        form->FormShow();
        boxes.clear();
    }
    void TearDown() override {
        if (farEnd.joinable())
            farEnd.join();
        form.reset();
        ::close(master);
        ::close(slave);
        SetBoxInterceptorForTest(nullptr);
        SetTransferSleepForTest(nullptr);
        SetProgramFolder({});
    }
    std::filesystem::path work() const { return home / "work"; }
    // What the far end punches, ISO with even parity, ended by DC4. It is sent when
    // the job has opened the line (the pseudo-terminal reports the purge of the
    // opening in packet mode), since the purge would discard anything sent before.
    void Punch(std::string_view text) {
        std::string bytes;
        for (unsigned char c : text)
            bytes.push_back(char(__builtin_parity(c) ? c | 0x80 : c));
        bytes.push_back('\x14');
        int on = 1;
        ASSERT_EQ(::ioctl(master, TIOCPKT, &on), 0);
        farEnd = std::thread([this, bytes] {
            char packet[256];
            for (;;) {
                ssize_t n = ::read(master, packet, sizeof packet);
                if (n <= 0)
                    return;
                if (packet[0] & TIOCPKT_FLUSHREAD)
                    break;
            }
            ::write(master, bytes.data(), bytes.size());
        });
        // A reception that never ends is a failure, not a hang.
        QTimer::singleShot(20000, [this] { QTest::keyPress(form->RichEdit1, Qt::Key_F3); });
    }

    TempDir home;
    std::unique_ptr<TForm1> form;
    std::vector<BoxRequest> boxes;
    std::vector<int> sleeps;
    int answer = kAnswerYes;
    int master = -1;
    int slave = -1;
    std::thread farEnd;
};

TEST_F(ReceiveCommand, SaveQuestionShowsTheReceiveSettings) {
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_TRUE(form->ExitAfterTransfer);
    EXPECT_FALSE(form->GroupBox4->isHidden());
    EXPECT_TRUE(form->SaveQuestionOpen);
    EXPECT_EQ(form->StatusPanel(4), "9600,8,N,1");
    EXPECT_EQ(form->StatusPanel(5), "COM2");
    EXPECT_EQ(form->StatusPanel(6), "Y");
    EXPECT_FALSE(form->ListBox1->isEnabled());
    EXPECT_TRUE(form->Edit1->isEnabled());
    EXPECT_FALSE(form->RichEdit1->IsReadOnly());
    EXPECT_EQ(form->Label38->text(), "受信ファイル名を付けて保存(Y)Ｏ（Ｌ）番号毎に保存　　　(N)"
                                     "　　　　　　　　　　　Esc:中止");
    EXPECT_EQ(form->Label38->parentWidget(), form->GroupBox4);
    EXPECT_EQ(form->Edit16->parentWidget(), form->GroupBox4);
}

TEST_F(ReceiveCommand, EscAndTheLowestRowStopTheCommand) {
    form->ReceiveProgram(false);
    QTest::keyClick(form->Edit16, Qt::Key_Escape);
    EXPECT_TRUE(form->GroupBox4->isHidden());
    EXPECT_EQ(form->Label11->text(), "操作中止!!");
    EXPECT_EQ(form->Label11->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_TRUE(form->ListBox1->isEnabled());
    EXPECT_FALSE(form->Edit1->isEnabled());

    form->ReceiveProgram(false);
    form->Label38MouseDown(60);
    EXPECT_FALSE(form->GroupBox4->isHidden()) << "below the three rows nothing is chosen";
    QTest::mouseClick(form->Label38, Qt::LeftButton, {}, QPoint(20, 45));
    EXPECT_TRUE(form->GroupBox4->isHidden());
    EXPECT_EQ(form->Label11->text(), "操作中止!!");
}

TEST_F(ReceiveCommand, YesAsksForTheNameAndAnExistingFileIsQuestioned) {
    form->ReceiveProgram(false);
    QTest::mouseClick(form->Label38, Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_TRUE(form->GroupBox4->isHidden());
    EXPECT_EQ(form->CommandLineMode, "2");
    EXPECT_TRUE(form->NamedMode);
    EXPECT_EQ(form->Label11->text(), "ファイル受信 受信ファイル名-->>>");
    EXPECT_TRUE(form->Edit1->isEnabled());

    home.Write("work/PRG.NC", "keep");
    form->Settings.ALLFiles = "N";
    QTest::keyClicks(form->Edit1, "PR.G");
    ASSERT_EQ(boxes.size(), 1u) << "names without extension refuse the dot";
    EXPECT_EQ(boxes[0].text, "この文字はファイル名に使えません。\n/:,;*?<>|.");
    EXPECT_EQ(form->Edit1->text(), "PRG");
    boxes.clear();
    answer = kAnswerNo;
    QTest::keyClick(form->Edit1, Qt::Key_Return);
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
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    EXPECT_EQ(TempDir::Read(work() / "PRG.NC"), "O0001(A)\r\nG01 X1.\r\nM30\r\n");
    EXPECT_EQ(form->Label11->text(), "受信完了しました。!!");
    EXPECT_EQ(form->StatusPanel(0), "");
}

TEST_F(ReceiveCommand, NoReceivesOneFilePerProgramAndReturnsToIdleLater) {
    Punch("%\nO0001\nG1\nM30\nO0002\nG2\nM30\n%");
    form->ReceiveProgram(false);
    QTest::keyClick(form->Edit16, Qt::Key_N);
    EXPECT_EQ(TempDir::Read(work() / "O0001_001.NC"), "O0001\r\nG1\r\nM30\r\n");
    EXPECT_EQ(TempDir::Read(work() / "O0002_002.NC"), "O0002\r\nG2\r\nM30\r\n");
    EXPECT_EQ(form->Label11->text(), "受信完了しました。!!");
    EXPECT_EQ(form->RelistFlag, "Y");
    EXPECT_EQ(form->Timer1->interval(), 3000);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->GroupBox2->isHidden());
    EXPECT_EQ(form->ListBox2->count(), 2);
    EXPECT_EQ(form->ListBox2->currentRow(), 1);
    EXPECT_EQ(sleeps, std::vector<int>{3000});
}

TEST_F(ReceiveCommand, StopKeyDuringTheWaitStopsTheReception) {
    form->ReceiveProgram(false);
    // F3 arrives while the job waits for the start; noise wakes the waiting read.
    QTimer::singleShot(0, [this] { QTest::keyPress(form->RichEdit1, Qt::Key_F3); });
    Punch("?");
    QTest::keyClick(form->Edit16, Qt::Key_N);
    EXPECT_EQ(form->Label11->text(), "受信を中止しました。!!");
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_EQ(form->RelistFlag, "N");
}

// Esc while browsing ("操作中止") and Esc in the save question stop nothing of the
// reception that follows: two receptions in one window, both complete.
TEST_F(ReceiveCommand, EscBetweenTwoReceptionsStopsNeither) {
    Punch("%\nO0001\nM30\n%");
    form->ReceiveProgram(false);
    QTest::keyClick(form->Edit16, Qt::Key_N);
    ASSERT_EQ(form->Label11->text(), "受信完了しました。!!");
    farEnd.join();

    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_Escape);
    ASSERT_EQ(form->Label11->text(), "操作中止!!");
    form->ReceiveProgram(false);
    QTest::keyClick(form->Edit16, Qt::Key_Escape);

    Punch("%\nO0002\nM30\n%");
    form->ReceiveProgram(false);
    QTest::keyClick(form->Edit16, Qt::Key_N);
    EXPECT_EQ(form->Label11->text(), "受信完了しました。!!");
    EXPECT_EQ(TempDir::Read(work() / "O0001_001.NC"), "O0001\r\nM30\r\n");
    EXPECT_EQ(TempDir::Read(work() / "O0002_001.NC"), "O0002\r\nM30\r\n");
}

} // namespace
