// The drive menu, the folder watch and drag and drop in the main window, driven as
// the operator does: L and a drive item, rows dragged onto folder rows with Qt's
// drag events, files dropped from the desktop as file URLs.
#include "app/qt/Mainunit1.h"
#include "files/qt/FileListBox.h"
#include "files/qt/FolderCheck.h"
#include "files/qt/TransferDialogs.h"
#include "platform/Volumes.h"
#include "support/TestWindow.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace {

struct Window : ::testing::Test {
    TestWindow window;
    TForm1& form = *window.form;
    TempDir elsewhere;

    // The first listing of the shown window runs at the first idle moment: let it
    // run now, so that it does not reset the rows a case set up.
    Window() { QApplication::processEvents(); }
    void SetUp() override { form.ListDirectory(false, false, false); }
    fs::path Work() const { return window.home / "work"; }
    void Relist() { form.ListDirectory(false, false, false); }
    int RowOf(const std::string& name) const { return WindowHome::RowOf(form, name); }
    std::string CurrentName() const { return form.FileList.EntryName(form.ListBox1->ItemIndex()); }
    QPoint PointOf(int row) const {
        const int perColumn = form.ListBox1->RowsPerColumn();
        return {(row / perColumn) * form.ListBox1->ColumnWidth() + 30,
                (row % perColumn) * FileListBox::kRowHeight + 8};
    }
    std::vector<std::string> Captions(const std::string& caption) const {
        std::vector<std::string> found;
        for (const BoxRequest& box : window.boxes)
            if (box.caption.toStdString() == caption)
                found.push_back(box.text.toStdString());
        return found;
    }
};

// --- Drive menu

struct DriveMenu : Window {
    void Mounts(const std::string& table) {
        g_mountsFileForTest = window.home.Write("mounts", table).string();
    }
    QAction* Item(const std::string& mountPoint) {
        for (QAction* action : form.PopupMenu2->actions())
            if (action->data().toByteArray().toStdString() == mountPoint)
                return action;
        return nullptr;
    }
};

TEST_F(DriveMenu, LPopsUpEveryVolumeWithLetterTypeAndIcon) {
    Mounts("/dev/vda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n/dev/sdb1 " +
           elsewhere.path().string() +
           " vfat rw 0 0\ntmpfs /run/user/0 tmpfs rw 0 0\n/dev/sdc1 /media/op/STICK vfat rw 0 0\n");
    QTest::keyClick(form.ListBox1, Qt::Key_L);
    ASSERT_NE(form.PopupMenu2, nullptr);
    EXPECT_TRUE(form.PopupMenu2->isVisible());
    const QList<QAction*> items = form.PopupMenu2->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text().toStdString(), "&A: (固定ﾃﾞｨｽｸ)  /");
    EXPECT_EQ(items[1]->text().toStdString(), "&B: (ﾘﾑｰﾊﾞﾌﾞﾙﾃﾞｨｽｸ)  /media/op/STICK");
    EXPECT_EQ(items[2]->text().toStdString(), "&C: (固定ﾃﾞｨｽｸ)  " + elsewhere.path().string());
    // The images in the shell's order, the folder twice: fixed 8, removable 7.
    ASSERT_EQ(form.ImageList1.size(), 13u);
    EXPECT_EQ(form.ImageList1[3].cacheKey(), form.ImageList1[4].cacheKey());
    for (int i : {0, 1, 2})
        EXPECT_EQ(items[i]->icon().cacheKey(), form.ImageList1[i == 1 ? 7 : 8].cacheKey()) << i;
    form.PopupMenu2->hide();

    // Pressing L again rebuilds the menu from the table of that moment.
    Mounts("/dev/vda1 / ext4 rw 0 0\n");
    QTest::keyClick(form.ListBox1, Qt::Key_L);
    EXPECT_EQ(form.PopupMenu2->actions().size(), 1);
    form.PopupMenu2->hide();
}

TEST_F(DriveMenu, ChoosingAVolumeListsItsRoot) {
    elsewhere.Write("O1000.NC", "%\n");
    Mounts("/dev/vda1 / ext4 rw 0 0\n/dev/sdb1 " + elsewhere.path().string() + " ext4 rw 0 0\n");
    form.BuildDriveMenu();
    Item(elsewhere.path().string())->trigger();
    EXPECT_EQ(form.Settings.DirPath, elsewhere.path().string());
    EXPECT_GE(RowOf("O1000.NC"), 0);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(DriveMenu, AFloppyThatCannotBeReadAsksForTheDisk) {
    const fs::path floppy = elsewhere / "floppy";
    Mounts("/dev/vda1 / ext4 rw 0 0\n/dev/fd0 " + floppy.string() + " vfat rw 0 0\n");
    const std::string before = form.Settings.DirPath;
    struct Case {
        const char* what;
        int answer;
        bool diskInserted; // before OK is pressed
        bool moves;
    };
    for (const Case& c : {Case{"cancel", kAnswerCancel, false, false},
                          Case{"OK without a disk", kAnswerOk, false, false},
                          Case{"OK with the disk in", kAnswerOk, true, true}}) {
        form.Settings.DirPath = before;
        window.boxes.clear();
        window.answerBox = [&](const BoxRequest&) {
            if (c.diskInserted)
                fs::create_directories(floppy);
            return c.answer;
        };
        form.BuildDriveMenu();
        QAction* item = Item(floppy.string());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text().toStdString(), "&B: (ﾌﾛｯﾋﾟｰﾃﾞｨｽｸ)  " + floppy.string());
        item->trigger();
        ASSERT_EQ(Captions("ＦＤ確認").size(), 1u) << c.what;
        EXPECT_EQ(window.boxes[0].buttons, BoxButtons::OkCancel);
        EXPECT_EQ(form.Settings.DirPath, c.moves ? floppy.string() : before) << c.what;
        EXPECT_EQ(form.LastAnswer, c.answer);
    }
    // With the disk in, no question.
    window.answerBox = nullptr;
    window.boxes.clear();
    form.Settings.DirPath = before;
    Item(floppy.string())->trigger();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(form.Settings.DirPath, floppy.string());
}

// Mended: a medium pulled without unmounting still opens as a folder and fails only
// when it is read (the seam stands in for it); choosing it asks for it.
TEST_F(DriveMenu, AMediumThatOpensButCannotBeReadAsksForIt) {
    const fs::path floppy = elsewhere / "floppy";
    fs::create_directories(floppy);
    Mounts("/dev/vda1 / ext4 rw 0 0\n/dev/fd0 " + floppy.string() + " vfat rw 0 0\n");
    const std::string before = form.Settings.DirPath;
    bool pulled = true;
    SetFolderReadFaultForTest(
        [&](const std::string& path) { return pulled && path == floppy.string() ? EIO : 0; });
    for (bool putBack : {false, true}) {
        form.Settings.DirPath = before;
        pulled = true;
        window.boxes.clear();
        window.answerBox = [&](const BoxRequest&) {
            pulled = !putBack;
            return kAnswerOk;
        };
        form.BuildDriveMenu();
        Item(floppy.string())->trigger();
        EXPECT_EQ(Captions("ＦＤ確認").size(), 1u) << putBack;
        EXPECT_EQ(form.Settings.DirPath, putBack ? floppy.string() : before) << putBack;
    }
    SetFolderReadFaultForTest(nullptr);
    window.answerBox = nullptr;
}

// --- Folder watch

TEST_F(Window, AFileFromAnotherProgramIsListedAndTheCurrentFileStays) {
    window.home.Write("work/B.NC", "B");
    window.home.Write("work/D.NC", "D");
    Relist();
    ASSERT_TRUE(form.FolderCheck && form.FolderCheck->Watching());
    form.ListBox1->SetItemIndex(RowOf("D.NC"));
    const int rowBefore = form.ListBox1->ItemIndex();
    window.home.Write("work/A.NC", "A"); // sorts before: the rows shift
    ASSERT_TRUE(QTest::qWaitFor([&] { return RowOf("A.NC") >= 0; }, 5000));
    EXPECT_EQ(CurrentName(), "D.NC");
    EXPECT_EQ(form.ListBox1->ItemIndex(), rowBefore + 1);
}

TEST_F(Window, TheWatchEndsWithTheFolderAndListingsGoOn) {
    ASSERT_TRUE(form.FolderCheck->Watching());
    fs::remove_all(Work());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.FolderCheck->Watching(); }, 5000));
    QTest::keyClick(form.ListBox1, Qt::Key_Space); // lists the missing folder
    form.Settings.DirPath = elsewhere.path().string();
    elsewhere.Write("E.NC", "E");
    Relist();
    EXPECT_GE(RowOf("E.NC"), 0);
    // The new working directory is watched again.
    EXPECT_TRUE(form.FolderCheck->Watching());
    elsewhere.Write("F.NC", "F");
    EXPECT_TRUE(QTest::qWaitFor([&] { return RowOf("F.NC") >= 0; }, 5000));
}

TEST_F(Window, ClosingWhileAChangeIsPendingIsClean) {
    window.home.Write("work/NEW.NC", "x");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.FolderCheck->ChangePending(); }, 2000));
    window.form.reset(); // the thread is stopped and joined with the window
    QTest::qWait(50);    // a queued change of the gone window must not run
}

// --- Drag inside the list

struct Drag : Window {
    void SetUp() override {
        fs::create_directory(Work() / "SUB");
        window.home.Write("work/A.NC", "A");
        window.home.Write("work/B.NC", "B");
        window.home.Write("work/C.NC", "C");
        Relist();
    }
    // A drag from the current row to row; whether the list takes it there.
    bool Over(int row) {
        std::unique_ptr<QMimeData> data(FileListBox::RowDragData());
        QDragEnterEvent enter(PointOf(row), Qt::MoveAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(form.ListBox1->viewport(), &enter);
        QDragMoveEvent move(PointOf(row), Qt::MoveAction, data.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(form.ListBox1->viewport(), &move);
        return move.isAccepted();
    }
    void Drop(int row) {
        std::unique_ptr<QMimeData> data(FileListBox::RowDragData());
        QDropEvent drop(PointOf(row), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.ListBox1->viewport(), &drop);
        QApplication::processEvents(); // the move runs after the drop event
    }
    std::string Label3() const { return form.Label3->text().toStdString(); }
};

TEST_F(Drag, TargetsAndRefusals) {
    const std::string sub = (Work() / "SUB").string();
    const std::string parent = window.home.path().string();
    struct Case {
        const char* what;
        std::string dragged;
        std::string over;
        bool accepted;
        std::string label;
    };
    const std::vector<Case> cases = {
        {"file onto folder", "A.NC", "SUB", true, " ﾄﾞﾗｯｸﾞ先のﾃﾞｨﾚｸﾄﾘ " + sub},
        {"file onto parent", "A.NC", "..", true, " ﾄﾞﾗｯｸﾞ先のﾃﾞｨﾚｸﾄﾘ " + parent},
        {"folder onto parent", "SUB", "..", true, " ﾄﾞﾗｯｸﾞ先のﾃﾞｨﾚｸﾄﾘ " + parent},
        {"file onto file", "A.NC", "B.NC", false, ""},
        {"folder onto itself", "SUB", "SUB", false, ""},
        {"parent onto folder", "..", "SUB", false, ""},
        {"parent onto parent", "..", "..", false, ""},
    };
    for (const Case& c : cases) {
        form.Label3->setText(QStringLiteral("stale"));
        form.ListBox1->SetItemIndex(c.dragged == ".." ? 0 : RowOf(c.dragged));
        const int over = c.over == ".." ? 0 : RowOf(c.over);
        EXPECT_EQ(Over(over), c.accepted) << c.what;
        if (c.dragged != "..") {
            EXPECT_EQ(Label3(), c.label) << c.what;
        }
    }
    // Below the last row there is no row: refused, the line emptied.
    form.ListBox1->SetItemIndex(RowOf("A.NC"));
    EXPECT_FALSE(Over(form.FileList.RowCount()));
    EXPECT_EQ(Label3(), "");
}

TEST_F(Drag, DropMovesTheDraggedEntryIntoTheFolderRow) {
    form.ListBox1->SetItemIndex(RowOf("A.NC"));
    ASSERT_TRUE(Over(RowOf("SUB")));
    Drop(RowOf("SUB"));
    EXPECT_TRUE(fs::exists(Work() / "SUB/A.NC"));
    EXPECT_FALSE(fs::exists(Work() / "A.NC"));
    EXPECT_EQ(RowOf("A.NC"), -1); // listed again
    EXPECT_EQ(Label3(), "");
    EXPECT_EQ(form.CopyFlag, 0);
    EXPECT_EQ(Captions("完了"), std::vector<std::string>{"ファイルを移動しました。"});

    // A folder dragged onto the parent row goes up one level.
    form.ListBox1->SetItemIndex(RowOf("SUB"));
    ASSERT_TRUE(Over(0));
    Drop(0);
    EXPECT_TRUE(fs::exists(window.home / "SUB/A.NC"));
}

TEST_F(Drag, WithMarksTheMarkedFilesGoWhicheverRowIsDragged) {
    for (const char* name : {"A.NC", "C.NC"}) {
        form.ListBox1->SetItemIndex(RowOf(name));
        QTest::keyClick(form.ListBox1, Qt::Key_Return);
    }
    ASSERT_EQ(form.FileList.marks.Count(), 2);
    form.ListBox1->SetItemIndex(RowOf("B.NC")); // the row under the mouse, not marked
    ASSERT_TRUE(Over(RowOf("SUB")));
    Drop(RowOf("SUB"));
    EXPECT_TRUE(fs::exists(Work() / "SUB/A.NC"));
    EXPECT_TRUE(fs::exists(Work() / "SUB/C.NC"));
    EXPECT_TRUE(fs::exists(Work() / "B.NC"));
    EXPECT_EQ(form.FileList.marks.Count(), 0);
}

TEST_F(Drag, AnExistingFileInTheFolderIsOnlyReplacedWhenTheOperatorSaysSo) {
    window.home.Write("work/SUB/A.NC", "kept");
    window.replaces.answer = [](const fs::path&) { return ReplaceAnswer::No; };
    form.ListBox1->SetItemIndex(RowOf("A.NC"));
    ASSERT_TRUE(Over(RowOf("SUB")));
    Drop(RowOf("SUB"));
    EXPECT_EQ(window.replaces.asked, std::vector<fs::path>{Work() / "SUB/A.NC"});
    EXPECT_EQ(TempDir::Read(Work() / "SUB/A.NC"), "kept");
    EXPECT_EQ(TempDir::Read(Work() / "A.NC"), "A");
}

// --- Drop from the desktop

struct ShellDrop : Window {
    void DropUrls(const std::vector<fs::path>& paths) {
        QList<QUrl> urls;
        for (const fs::path& path : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path.string())));
        DropUrls(urls);
    }
    void DropUrls(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at(40, 8);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.ListBox1->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.ListBox1->viewport(), &drop);
        ASSERT_TRUE(drop.isAccepted());
        QApplication::processEvents();
    }
};

TEST_F(ShellDrop, FilesAreCopiedFoldersLeftOut) {
    const fs::path a = elsewhere.Write("O1.NC", "one");
    const fs::path b = elsewhere.Write("O2.NC", "two");
    fs::create_directory(elsewhere / "FOLDER");
    DropUrls({a, elsewhere / "FOLDER", b});
    EXPECT_EQ(TempDir::Read(Work() / "O1.NC"), "one");
    EXPECT_EQ(TempDir::Read(Work() / "O2.NC"), "two");
    EXPECT_FALSE(fs::exists(Work() / "FOLDER"));
    EXPECT_TRUE(fs::exists(a)); // copied, not moved
    EXPECT_GE(RowOf("O1.NC"), 0);
    EXPECT_GE(RowOf("O2.NC"), 0);
    EXPECT_EQ(Control<QLabel>(form, "Label11")->text().toStdString(), "ファイルコピー完了");
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_TRUE(form.ListBox1->isEnabled());
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ShellDrop, TheReplaceQuestionDecidesAboutAFileThatIsThere) {
    struct Case {
        ReplaceAnswer answer;
        std::string after;
        const char* message;
    };
    for (const Case& c : {Case{ReplaceAnswer::No, "old", "ファイルコピー完了"},
                          Case{ReplaceAnswer::Cancel, "old", "操作中止!!"},
                          Case{ReplaceAnswer::Yes, "new", "ファイルコピー完了"}}) {
        window.home.Write("work/O1.NC", "old");
        int asked = 0;
        window.replaces.answer = [&](const fs::path&) {
            ++asked;
            return c.answer;
        };
        DropUrls({elsewhere.Write("O1.NC", "new")});
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(TempDir::Read(Work() / "O1.NC"), c.after);
        EXPECT_EQ(Control<QLabel>(form, "Label11")->text().toStdString(), c.message);
    }
}

TEST_F(ShellDrop, AFileDroppedOntoItsOwnFolderIsLeftAlone) {
    const fs::path own = window.home.Write("work/OWN.NC", "program text");
    window.replaces.answer = [](const fs::path&) { return ReplaceAnswer::Yes; };
    DropUrls({own});
    EXPECT_EQ(TempDir::Read(own), "program text");
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(ShellDrop, FailuresAreNamedInOneMessage) {
    const fs::path good = elsewhere.Write("GOOD.NC", "g");
    DropUrls(
        QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString((elsewhere / "GONE.NC").string())),
                    QUrl::fromLocalFile(QString::fromStdString(good.string())),
                    QUrl(QStringLiteral("https://example.com/P.NC"))});
    EXPECT_TRUE(fs::exists(Work() / "GOOD.NC"));
    const std::vector<std::string> refusals = Captions("確認");
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_NE(refusals[0].find("GONE.NC"), std::string::npos);
    EXPECT_NE(refusals[0].find("https://example.com/P.NC"), std::string::npos);
}

} // namespace
