// F1, marked files and Shift+F8 on the real main window, offscreen, with ncsim on a
// pseudo-terminal as the controller behind COM1.
#include "NcSim.h"

#include "files/qt/DataView.h"
#include "support/CloseWays.h"
#include "support/IsoBytes.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <thread>

namespace {

class MainSend : public ::testing::Test, protected WindowHome {
protected:
    void SetUp() override {
        answerBox = [](const BoxRequest& r) {
            return r.buttons == BoxButtons::YesNo ? kAnswerYes : kAnswerOk;
        };
        // The drain waits until the simulator has everything instead of 4 seconds.
        transferSleep = [this](int ms) {
            while (ms >= 100 && far.joinable() && !farDone)
                std::this_thread::yield();
        };
        home.Write("work/O0001.NC", "%\r\nO0001\r\nG0X1.\r\nM30\r\n%\r\n");
        home.Write("work/O0002.NC", "O0002\nG1Y2.\n");
        home.Write("work/O0003.NC", "O0003\nG2Z3.\n");
        std::string error;
        auto opened = ncsim::SimLine::OpenPty(&error);
        ASSERT_TRUE(opened) << error;
        sim.emplace(std::move(*opened));
    }
    void TearDown() override {
        stop = true;
        if (far.joinable())
            far.join();
        form.reset();
    }
    void Start(const std::string& port, const std::string& signal1 = "N") {
        WriteIni("Port1=COM1\r\nSignal1=" + signal1 + "\r\nStartChar=Y\r\n",
                 "[Ports]\r\nCOM1=" + port + "\r\n");
        form = Open();
        boxes.clear();
    }
    void Receive() {
        // What the last send left on the line (its closing flush) is not a new opening.
        for (std::string stale; sim->Read(stale, 0) != ncsim::SimLine::ReadResult::Nothing;)
            stale.clear();
        sim->TakeOpened();
        farDone = false;
        far = std::thread([this] {
            report = ncsim::Receive(*sim, options, &stop);
            farDone = true;
        });
    }
    int RowOf(const std::string& name) const {
        const int row = WindowHome::RowOf(*form, name);
        return row >= 0 && form->FileList.IsFileRow(row) ? row : -1;
    }
    void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget, key, modifiers);
    }
    std::string Log() const { return TempDir::Read(home / "Dravik.log"); }

    std::unique_ptr<TForm1> form;
    std::optional<ncsim::SimLine> sim;
    ncsim::ReceiveOptions options;
    ncsim::ReceiveReport report;
    std::atomic<bool> stop{false}, farDone{false};
    std::thread far;
};

TEST_F(MainSend, F1SendsTheCurrentFileToTheController) {
    Start(sim->DeviceName());
    Receive();
    form->ListBox1->SetItemIndex(RowOf("O0001.NC"));
    Key(form->ListBox1, Qt::Key_F1);
    far.join();
    EXPECT_EQ(report.program, "%\nO0001\nG0X1.\nM30\n\n%");
    ASSERT_EQ(boxes.size(), 1u) << "the start question";
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), QStringLiteral("送信完了しました。!!"));
    EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox2")->isVisible());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 3000);
    EXPECT_FALSE(form->ExitAfterTransfer);
    EXPECT_EQ(Count(Log(), "送信　　完了　"), 1u);
    EXPECT_NE(Log().find(work().string() + "/O0001.NC\n"), std::string::npos);
    EXPECT_EQ(TempDir::Read(work() / "O0001.NC"), "%\r\nO0001\r\nG0X1.\r\nM30\r\n%\r\n");
}

TEST_F(MainSend, MarkedFilesGoOneAfterTheOther) {
    Start(sim->DeviceName());
    Receive();
    for (const char* name : {"O0002.NC", "O0003.NC"}) {
        form->ListBox1->SetItemIndex(RowOf(name));
        Key(form->ListBox1, Qt::Key_Return);
    }
    ASSERT_EQ(form->FileList.marks.Count(), 2);
    Key(form->ListBox1, Qt::Key_F1);
    far.join();
    EXPECT_EQ(report.program, "%\nO0002\nG1Y2.\nO0003\nG2Z3.\n\n%");
    ASSERT_EQ(Control<QListWidget>(*form, "ListBox2")->count(), 2);
    EXPECT_EQ(Control<QListWidget>(*form, "ListBox2")->item(1)->text(), QStringLiteral("O0003.NC"));
    EXPECT_EQ(form->FileList.marks.Count(), 0);
    EXPECT_EQ(Count(Log(), "送信　　完了　"), 2u);
}

// Esc while browsing ("操作中止") stops nothing of the send that follows, whether
// the operator or the NC starts it: three sends in one window, all complete.
TEST_F(MainSend, EscBetweenSendsStopsNone) {
    Start(sim->DeviceName());
    for (const char* ncStarts : {"N", "Y", "N"}) {
        form->Settings.Signal1 = ncStarts;
        options.start = *ncStarts == 'Y' ? '\x11' : 0;
        Receive();
        form->ListBox1->SetItemIndex(RowOf("O0002.NC"));
        Key(form->ListBox1, Qt::Key_F1);
        far.join();
        EXPECT_EQ(report.program, "%\nO0002\nG1Y2.\n\n%") << "Signal1 " << ncStarts;
        EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), QStringLiteral("送信完了しました。!!"))
            << "Signal1 " << ncStarts;
        Key(form->ListBox1, Qt::Key_Escape);
        ASSERT_EQ(Control<QLabel>(*form, "Label11")->text(), QStringLiteral("操作中止!!"));
    }
    EXPECT_EQ(Count(Log(), "送信　　完了　"), 3u);
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 0u);
}

// Closing the window while a send runs (here held by the controller's DC3), by
// its close button or by the lower F10 column of the legend, first stops the send
// by its stop path (DC4, the stop entry), then closes.
TEST_F(MainSend, CloseDuringASendStopsItFirst) {
    // Long enough that the send cannot end before the controller's DC3 holds it.
    std::string program = "O0100\n";
    for (int i = 0; i < 300; ++i)
        program += "G1X" + std::to_string(i) + ".\n";
    home.Write("work/O0100.NC", program);
    for (const CloseWay& c : kCloseWays) {
        if (far.joinable())
            far.join();
        std::filesystem::remove(home / "Dravik.log");
        Start(sim->DeviceName());
        options.fault = ncsim::Fault::Dc3Forever;
        options.faultAfter = 8;
        // A DC4 that never arrives fails the test (the far end gives up) instead of
        // leaving far.join() waiting for ever.
        options.idleTimeoutMs = 20000;
        Receive();
        bool closedWhileSending = false;
        auto* poll = new QTimer(form.get());
        QObject::connect(poll, &QTimer::timeout, form.get(), [&, poll] {
            if (sim->Received() < options.faultAfter)
                return;
            poll->stop();
            c.close(*form);
            closedWhileSending = !form->isVisible();
        });
        poll->start(5);
        // A send that is never stopped is a failure, not a hang.
        QTimer::singleShot(10000, form.get(),
                           [this] { QTest::keyPress(form->RichEdit1, Qt::Key_F3); });
        form->ListBox1->SetItemIndex(RowOf("O0100.NC"));
        Key(form->ListBox1, Qt::Key_F1);
        far.join();

        EXPECT_FALSE(closedWhileSending) << c.way;
        EXPECT_FALSE(form->isVisible()) << c.way;
        EXPECT_EQ(report.end, ncsim::EndReason::Dc4) << c.way;
        EXPECT_EQ(Count(Log(), "送信　　中止　"), 1u) << c.way;
        EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), QStringLiteral("送信中止しました。!!"))
            << c.way;
    }
}

TEST_F(MainSend, APortThatDoesNotOpenStopsTheSendAndLogsIt) {
    Start((home / "no-such-device").string());
    form->ListBox1->SetItemIndex(RowOf("O0001.NC"));
    Key(form->ListBox1, Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front().text, QStringLiteral("COM1のポートが開きません。!!"));
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), QStringLiteral("送信中止しました。!!"));
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_TRUE(form->ListBox1->isEnabled());
    EXPECT_TRUE(form->ExitAfterTransfer) << "Shift+F1; only a completion closes the program";
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Count(Log(), "送信　　中止　"), 1u);
}

TEST_F(MainSend, ShiftF8ShowsTheLogAndEscClosesIt) {
    Start(sim->DeviceName());
    Key(form->ListBox1, Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isVisible());
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->title(), QStringLiteral("送受信ログ"));
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->geometry().topLeft(), QPoint(328, 100));
    EXPECT_EQ(form->StatusPanel(3), QStringLiteral("送受信ログ"));
    ASSERT_EQ(form->RichEdit1->LineCount(), 4u) << "header and the empty entry";
    EXPECT_EQ(form->RichEdit1->LineText(0), "<<<<<　　　通信ログ　　　>>>>>");
    EXPECT_EQ(form->RichEdit1->LineText(3), "");

    Key(form->RichEdit1, Qt::Key_Down); // other keys move in the view
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isVisible());
    Key(form->RichEdit1, Qt::Key_Escape);
    EXPECT_FALSE(Control<QGroupBox>(*form, "GroupBox2")->isVisible());
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), QStringLiteral("操作中止!!"));
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_TRUE(form->ListBox1->isEnabled());
}

} // namespace
