// Files handed to the running window through its socket, as a second start of the
// program hands them: one window takes several in a row, the way an operator opens
// one file after another from the file manager.
#include "files/qt/FileListBox.h"
#include "platform/HandOver.h"
#include "platform/qt/HandOverService.h"
#include "support/TestWindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

class HandedFiles : public ::testing::Test, protected TestWindow {
protected:
    HandedFiles() {
        form->ListDirectory(false, false, false);
        form->ListenForHandedFiles(socket);
    }

    struct Handed {
        bool answered = false;
        std::string error;
        std::vector<HandOverAnswer> answers;
    };
    // The second start's side on a thread while the window's event loop runs;
    // before waits, with the request on its way, until it holds.
    Handed HandOver(const std::vector<std::string>& paths,
                    const std::function<bool()>& before = {}) {
        Handed handed;
        std::atomic<bool> done{false};
        std::thread client([&] {
            handed.answered = HandFilesOver(socket, paths, handed.answers, &handed.error);
            done = true;
            QMetaObject::invokeMethod(
                qApp, [] {}, Qt::QueuedConnection); // wakes the loop
        });
        while (before && !before())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (before)
            form->HandOver->TakeWaiting(); // what its retry timer runs
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        client.join();
        return handed;
    }
    std::string CurrentName() const {
        return form->FileList.EntryName(form->ListBox1->ItemIndex());
    }

    std::string socket = (home / "Dravik.sock").string();
    TempDir downloads;
};

} // namespace

TEST_F(HandedFiles, EachFileIsCopiedInListedAndCurrentOrNamedInABox) {
    ASSERT_TRUE(form->HandOver->Listening()) << form->HandOver->Error();
    home.Write("work/A0001.NC", "%\nO0001\n%\n");
    home.Write("work/Z0009.NC", "%\nO0009\n%\n");
    std::filesystem::create_directory(downloads / "folder");
    struct Case {
        const char* what;
        const char* name;
        const char* bytes; // nullptr: name is a folder
        int answer;
        HandOverStatus status;
        const char* inWork; // what the working folder then holds under name
        const char* mask;
        std::size_t boxes;
        std::function<void()> before = {};
    };
    const Case cases[] = {
        {"a new file", "O1234.NC", "%\nO1234(NEW)\n%\n", kAnswerYes, HandOverStatus::Taken,
         "%\nO1234(NEW)\n%\n", "*.NC", 0},
        {"the same name, kept", "O1234.NC", "%\nO1234(OTHER)\n%\n", kAnswerNo,
         HandOverStatus::Declined, "%\nO1234(NEW)\n%\n", "*.NC", 1},
        {"the same name, replaced", "O1234.NC", "%\nO1234(OTHER)\n%\n", kAnswerYes,
         HandOverStatus::Taken, "%\nO1234(OTHER)\n%\n", "*.NC", 1},
        {"another extension", "P1.TXT", "%\nO0002\n%\n", kAnswerYes, HandOverStatus::Taken,
         "%\nO0002\n%\n", "*.TXT", 0},
        {"a folder", "folder", nullptr, kAnswerYes, HandOverStatus::Failed, nullptr, "*.TXT", 1},
        {"the working folder gone", "O5.NC", "%\nO5\n%\n", kAnswerYes, HandOverStatus::Failed,
         nullptr, "*.TXT", 1, [&] { form->Settings.DirPath = (home / "gone").string(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path handed = downloads / c.name;
        if (c.bytes)
            downloads.Write(c.name, c.bytes);
        const std::string dirBefore = form->Settings.DirPath;
        if (c.before)
            c.before();
        boxes.clear();
        answer = c.answer;
        const std::string currentBefore = CurrentName();

        const Handed result = HandOver({handed.string()});
        form->Settings.DirPath = dirBefore;

        ASSERT_TRUE(result.answered) << result.error;
        ASSERT_EQ(result.answers.size(), 1u);
        EXPECT_EQ(result.answers[0].status, c.status) << result.answers[0].reason;
        ASSERT_EQ(boxes.size(), c.boxes);
        EXPECT_EQ(form->Settings.Mask, c.mask);
        if (c.inWork) {
            EXPECT_EQ(TempDir::Read(work() / c.name), c.inWork);
            EXPECT_EQ(CurrentName(), c.name);
            EXPECT_EQ(QApplication::focusWidget(), form->ListBox1);
            if (c.boxes) {
                EXPECT_EQ(boxes[0].text.toStdString(),
                          "すでに" + (work() / c.name).string() + "が有ります。\n上書きしますか？");
            }
        } else {
            // Never a silent loss: the window says it too, and nothing else changed.
            EXPECT_FALSE(result.answers[0].reason.empty());
            EXPECT_EQ(boxes[0].caption, "エラー");
            EXPECT_TRUE(boxes[0].text.contains(QString::fromStdString(handed.string())))
                << boxes[0].text.toStdString();
            EXPECT_EQ(CurrentName(), currentBefore);
            EXPECT_FALSE(std::filesystem::exists(work() / c.name));
        }
    }
}

// A file that arrives while a command runs waits for its end: the viewer here.
TEST_F(HandedFiles, AFileWaitsWhileTheViewIsOpenAndArrivesWhenItCloses) {
    home.Write("work/O0001.NC", "%\nO0001\n%\n");
    form->ListDirectory(false, false, false);
    form->ListBox1->SetItemIndex(1);
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_V);
    auto* panel = Control<QGroupBox>(*form, "GroupBox2");
    ASSERT_TRUE(panel->isVisible());
    downloads.Write("O7777.NC", "%\nO7777\n%\n");

    const Handed result = HandOver({(downloads / "O7777.NC").string()}, [&] {
        if (form->HandOver->Waiting() == 0)
            return false;
        // Nothing was copied under the open view; Esc closes it.
        EXPECT_FALSE(std::filesystem::exists(work() / "O7777.NC"));
        EXPECT_TRUE(panel->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        return true;
    });
    ASSERT_TRUE(result.answered) << result.error;
    EXPECT_EQ(result.answers[0].status, HandOverStatus::Taken);
    EXPECT_EQ(TempDir::Read(work() / "O7777.NC"), "%\nO7777\n%\n");
    EXPECT_EQ(CurrentName(), "O7777.NC");
}
