// The command line, the file commands and the viewer of the main window, driven the
// way the operator drives them: a command, then keys into Edit1 or RichEdit1.
#include "files/ListSelection.h"
#include "files/qt/DataView.h"
#include "files/qt/FileListBox.h"
#include "files/qt/PlusCopy.h"
#include "files/qt/TransferDialogs.h"
#include "support/TestWindow.h"
#include "ui/CommandLinePanel.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FileCommands : public ::testing::Test, protected WindowHome {
protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home / "data").string()));
        WriteIni();
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }
    // Started with the rows listed at once, before the first idle moment.
    std::unique_ptr<TForm1> Start() {
        auto form = WindowHome::Start();
        form->ListDirectory(false, false, false);
        boxes.clear();
        return form;
    }
    static void Type(TForm1& form, const QString& text) {
        auto* edit1 = Control<QLineEdit>(form, "Edit1");
        edit1->clear();
        QTest::keyClicks(edit1, text);
        QTest::keyClick(edit1, Qt::Key_Return);
    }
    std::vector<std::string> Names(TForm1& form) {
        std::vector<std::string> names;
        for (const FileEntry& file : form.FileList.files)
            names.push_back(file.name);
        return names;
    }
};

// The operator opens one prompt after another and leaves each with Esc: every
// prompt refuses by its own mode, never by the one before it.
TEST_F(FileCommands, EachPromptRefusesByItsOwnModeOneAfterAnother) {
    home.Write("work/O1000.NC", "%\nO1000\nM30\n%\n");
    auto form = Start();
    form->Settings.ALLFiles = "N";
    Show(*form);
    auto* edit1 = Control<QLineEdit>(*form, "Edit1");
    struct Case {
        const char* name;
        std::function<void()> prompt;
        Edit1Mode mode;
        char refused;
        const char* refusal;
        char accepted;
    };
    const std::vector<Case> cases = {
        {"mask", [&] { form->ChangeMask(); }, Edit1Mode::Mask, ':',
         "この文字は拡張子に使えません。", '\\'},
        {"folder", [&] { form->ChangeDirectory(); }, Edit1Mode::Directory, '\\',
         "この文字はディレクトリ名に使えません。", ':'},
        {"copy",
         [&] {
             form->ListBox1->SetItemIndex(RowOf(*form, "O1000.NC"));
             form->CopyFiles();
         },
         Edit1Mode::CopyAs, '.', "この文字はファイル名に使えません。", '\\'},
        {"named receive",
         [&] {
             form->ReceiveProgram(false);
             QTest::keyClick(Control<QLineEdit>(*form, "Edit16"), Qt::Key_Y);
         },
         Edit1Mode::NamedReceive, '/', "この文字はファイル名に使えません。", '-'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prompt();
        EXPECT_EQ(form->CommandLine->Mode(), c.mode);
        ASSERT_TRUE(edit1->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), edit1);
        edit1->clear();
        QTest::keyClick(edit1, c.refused);
        QTest::keyClick(edit1, c.accepted);
        EXPECT_EQ(edit1->text(), QString(QChar(c.accepted)));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.startsWith(QString::fromUtf8(c.refusal)))
            << boxes[0].text.toStdString();
        boxes.clear();
        QTest::keyClick(edit1, Qt::Key_Escape);
        EXPECT_FALSE(edit1->isEnabled());
        EXPECT_EQ(edit1->text(), "");
        EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
        EXPECT_TRUE(form->ListBox1->isEnabled());
    }
}

TEST_F(FileCommands, MaskModeTakesTheExtensionAndRefusesWildcardsOnly) {
    home.Write("work/A.NC", "A");
    home.Write("work/b.nc", "b");
    home.Write("work/c.txt", "c");
    auto form = Start();
    form->Settings.ALLFiles = "N";
    form->ChangeMask();
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "拡張子変更 *.NC -->>>");
    EXPECT_TRUE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    EXPECT_FALSE(form->ListBox1->isEnabled());

    Type(*form, "*");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "*の拡張子設定は出来ません!!");
    EXPECT_EQ(boxes[0].caption, "確認");
    EXPECT_EQ(form->Settings.Mask, "*.NC");
    EXPECT_TRUE(Control<QLineEdit>(*form, "Edit1")->text().isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(*form, "Edit1")->isEnabled());

    boxes.clear();
    QTest::keyClicks(Control<QLineEdit>(*form, "Edit1"), ":"); // refused in a mask
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "この文字は拡張子に使えません。\n/:,;?<>|");
    Type(*form, "nc");
    EXPECT_EQ(form->Settings.Mask, "*.nc");
    EXPECT_EQ(Names(*form), (std::vector<std::string>{"A.NC", "b.nc"}));
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    EXPECT_TRUE(form->ListBox1->isEnabled());
}

TEST_F(FileCommands, DirectoryModeCreatesEveryLevelAndTakesPathsFromTheWorkingFolder) {
    fs::create_directory(work() / "sub");
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    auto form = Start();
    form->ChangeDirectory();
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text().toStdString(),
              "現ﾃﾞｨﾚｸﾄﾘ " + work().string() + " -->>>変更後 ");
    EXPECT_EQ(Control<QLineEdit>(*form, "Edit1")->text().toStdString(), work().string());

    Type(*form, "sub/"); // relative to the working directory, trailing separator dropped
    EXPECT_EQ(form->Settings.DirPath, (work() / "sub").string());
    EXPECT_TRUE(boxes.empty());

    form->ChangeDirectory();
    Type(*form, "~");
    EXPECT_EQ(form->Settings.DirPath, home.path().string());

    form->ChangeDirectory();
    QTest::keyClicks(Control<QLineEdit>(*form, "Edit1"), "\\");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "この文字はディレクトリ名に使えません。\n\\,;*?<>|");
    boxes.clear();
    std::string missing = (work() / "NEW" / "SUB").string();
    Type(*form, QString::fromStdString(missing));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.toStdString(),
              "ディレクトリが有りません。\n" + missing + "を作成しますか？");
    EXPECT_TRUE(fs::is_directory(work() / "NEW" / "SUB"));
    EXPECT_EQ(form->Settings.DirPath, missing);

    answer = kAnswerNo;
    form->ChangeDirectory();
    Type(*form, "/nonexistent-dravik-folder");
    EXPECT_EQ(form->Settings.DirPath, missing);
    EXPECT_FALSE(fs::exists("/nonexistent-dravik-folder"));
    EXPECT_TRUE(form->ListBox1->isEnabled());
    qunsetenv("HOME");
}

TEST_F(FileCommands, CopyUnderANewNameAndOntoItself) {
    home.Write("work/O1000.NC", "%\nO1000\nM30\n%\n");
    auto form = Start();
    form->Settings.ALLFiles = "N";
    form->ListBox1->SetItemIndex(RowOf(*form, "O1000.NC"));
    form->CopyFiles();
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "コピー元 O1000.NC -->>>コピー後 ");
    EXPECT_EQ(form->CommandLine->Mode(), Edit1Mode::CopyAs);
    QTest::keyClicks(Control<QLineEdit>(*form, "Edit1"), ".");
    ASSERT_EQ(boxes.size(), 1u); // no dot while names are typed without extension
    EXPECT_EQ(boxes[0].text, "この文字はファイル名に使えません。\n/:,;*?<>|.");
    Type(*form, "PRG2");
    EXPECT_EQ(TempDir::Read(work() / "PRG2.NC"), "%\nO1000\nM30\n%\n");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "ファイルコピー完了");
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());

    form->ListBox1->SetItemIndex(RowOf(*form, "O1000.NC"));
    form->CopyFiles();
    Type(*form, "O1000"); // the same file: left as it was
    EXPECT_EQ(TempDir::Read(work() / "O1000.NC"), "%\nO1000\nM30\n%\n");

    boxes.clear();
    form->ListBox1->SetItemIndex(RowOf(*form, "O1000.NC"));
    form->CopyFiles();
    Type(*form, "NOFOLDER/X"); // "/" is refused as typed: nothing reaches the field
    EXPECT_EQ(boxes.size(), 1u);

    // A copy that fails says so and names the file (a folder holds the name).
    boxes.clear();
    fs::create_directory(work() / "PRG3.NC");
    form->ListBox1->SetItemIndex(RowOf(*form, "O1000.NC"));
    form->CopyFiles();
    Type(*form, "PRG3");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("PRG3.NC")) << boxes[0].text.toStdString();
    EXPECT_NE(Control<QLabel>(*form, "Label11")->text(), "ファイルコピー完了");

    form->ListBox1->SetItemIndex(RowOf(*form, "O1000.NC"));
    form->CopyFiles();
    QTest::keyClick(Control<QLineEdit>(*form, "Edit1"), Qt::Key_Escape);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_FALSE(Control<QLineEdit>(*form, "Edit1")->isEnabled());
    EXPECT_TRUE(form->ListBox1->isEnabled());
}

TEST_F(FileCommands, DeleteOfThreeMarkedFilesIsOneQuestionAndTheTrashHoldsAll) {
    for (const char* name : {"A.NC", "B.NC", "C.NC", "D.NC"})
        home.Write(std::string("work/") + name, name);
    auto form = Start();
    for (const char* name : {"A.NC", "C.NC", "D.NC"})
        ToggleMark(form->FileList, RowOf(*form, name));
    form->ListBox1->SetItemIndex(RowOf(*form, "B.NC"));
    form->DeleteFiles();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(boxes[0].text, "これらの 3 個の項目をごみ箱に移動しますか？\nA.NC\nC.NC\nD.NC");
    EXPECT_EQ(Names(*form), (std::vector<std::string>{"B.NC"}));
    for (const char* name : {"A.NC", "C.NC", "D.NC"})
        EXPECT_EQ(TempDir::Read(home / "data" / "Trash" / "files" / name), name);
    EXPECT_EQ(form->FileList.marks.Count(), 0);

    // No: nothing goes, and the marks are gone all the same.
    answer = kAnswerNo;
    ToggleMark(form->FileList, RowOf(*form, "B.NC"));
    form->DeleteFiles();
    EXPECT_TRUE(fs::exists(work() / "B.NC"));
    EXPECT_EQ(form->FileList.marks.Count(), 0);
    EXPECT_FALSE(form->FileList.IsMarked(RowOf(*form, "B.NC")));

    // The parent row deletes nothing and asks nothing.
    boxes.clear();
    form->ListBox1->SetItemIndex(0);
    form->DeleteFiles();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FileCommands, MarkedFilesCopiedThroughTheDialogWithReplaceQuestions) {
    fs::create_directory(home / "dest");
    for (const char* name : {"A.NC", "B.NC", "C.NC"}) {
        home.Write(std::string("work/") + name, "new");
        home.Write(std::string("dest/") + name, "old");
    }
    auto form = Start();
    for (const char* name : {"A.NC", "B.NC", "C.NC"})
        ToggleMark(form->FileList, RowOf(*form, name));
    std::vector<ReplaceAnswer> answers = {ReplaceAnswer::No, ReplaceAnswer::Yes,
                                          ReplaceAnswer::YesToAll};
    size_t asked = 0;
    replaces.answer = [&](const fs::path&) { return answers.at(asked++); };
    QTimer::singleShot(0, [&] {
        TPlusCopyForm* dialog = form->PlusCopyForm;
        EXPECT_EQ(dialog->windowTitle(), "ﾌｧｲﾙｺﾋﾟｰ");
        EXPECT_EQ(dialog->ListBox1->count(), 3);
        dialog->ComboBox1->setEditText(QString::fromStdString((home / "dest").string()));
        dialog->Button1Click();
    });
    form->CopyFiles();
    EXPECT_EQ(asked, 3u);
    EXPECT_EQ(TempDir::Read(home / "dest" / "A.NC"), "old");
    EXPECT_EQ(TempDir::Read(home / "dest" / "B.NC"), "new");
    EXPECT_EQ(TempDir::Read(home / "dest" / "C.NC"), "new");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "完了");
    EXPECT_EQ(boxes[0].text, "ファイルをコピーしました。");
    EXPECT_EQ(form->FileList.marks.Count(), 0);
    EXPECT_EQ(TempDir::Read(home / "Path.lst"), (home / "dest").string() + "\r\n");

    // A move answered Cancel: no listing, no completion box, the file stays.
    boxes.clear();
    ToggleMark(form->FileList, RowOf(*form, "A.NC"));
    replaces.answer = [](const fs::path&) { return ReplaceAnswer::Cancel; };
    QTimer::singleShot(0, [&] { form->PlusCopyForm->Button1Click(); });
    form->MoveFiles();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(fs::exists(work() / "A.NC"));
}

TEST_F(FileCommands, JoinNeedsTwoMarkedFiles) {
    home.Write("work/A.NC", "A");
    auto form = Start();
    form->JoinFiles(); // no marks: nothing at all
    EXPECT_TRUE(boxes.empty());
    ToggleMark(form->FileList, RowOf(*form, "A.NC"));
    form->JoinFiles();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "確認");
    EXPECT_EQ(boxes[0].text, "選択されたﾌｧｲﾙが複数ありません。");
    EXPECT_EQ(form->FileList.marks.Count(), 0);
    EXPECT_FALSE(form->FileList.IsMarked(RowOf(*form, "A.NC")));
}

TEST_F(FileCommands, ViewerShowsTheFileAndClosesWithEsc) {
    home.Write("work/THREE.NC", "%\r\nO1(X)\r\nM30\r\n");
    home.Write("work/NUL.NC", std::string("\0\0\nG01\n\nG02\n", 12));
    home.Write("work/LONG.NC", std::string(1200, 'X') + "\n");
    auto form = Start();
    form->ListBox1->SetItemIndex(RowOf(*form, "THREE.NC"));
    form->ViewFile();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->title(), "ファイルビュー");
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->geometry().topLeft(), QPoint(328, 100));
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->width(), 350);
    EXPECT_TRUE(form->RichEdit1->IsReadOnly());
    ASSERT_EQ(form->RichEdit1->LineCount(), 3u);
    EXPECT_EQ(form->RichEdit1->LineText(1), "O1(X)");
    EXPECT_EQ(form->StatusPanel(2), "ｻｲｽﾞ : 15ﾊﾞｲﾄ");
    EXPECT_EQ(form->StatusPanel(3), "ファイルビュー");
    EXPECT_FALSE(form->ListBox1->isEnabled());

    QTest::keyClick(form->RichEdit1, Qt::Key_Down); // other keys scroll the view
    EXPECT_EQ(form->RichEdit1->CaretLine(), 1u);
    QTest::keyClick(form->RichEdit1, Qt::Key_Escape);
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isHidden());
    EXPECT_EQ(form->RichEdit1->LineCount(), 0u);
    EXPECT_EQ(Control<QLabel>(*form, "Label11")->text(), "操作中止!!");
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->ListBox1->isEnabled());
    EXPECT_EQ(form->StatusPanel(2), "");

    form->ListBox1->SetItemIndex(RowOf(*form, "NUL.NC"));
    form->ViewFile();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("ファイル形式が違います。"));
    ASSERT_EQ(form->RichEdit1->LineCount(), 2u);
    EXPECT_EQ(form->RichEdit1->LineText(0), "G01");
    EXPECT_EQ(form->RichEdit1->LineText(1), "G02");
    QTest::keyClick(form->RichEdit1, Qt::Key_F3);
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isHidden());

    // The line-by-line reading of a 1200-character line, asked for on a file that
    // loads empty.
    EXPECT_EQ(form->LoadFileIntoView("missing.NC"), 4294967295u);
    EXPECT_EQ(form->RichEdit1->LineCount(), 0u);
    boxes.clear();
    EXPECT_EQ(form->LoadFileIntoView("LONG.NC"), 1201u);
    EXPECT_TRUE(boxes.empty()); // whole load, one line
    ASSERT_EQ(form->RichEdit1->LineCount(), 1u);
    home.Write("work/LONG.NC", std::string("\0\n", 2) + std::string(1200, 'X') + "\n");
    EXPECT_EQ(form->LoadFileIntoView("LONG.NC"), 1203u);
    ASSERT_EQ(form->RichEdit1->LineCount(), 3u);
    EXPECT_EQ(form->RichEdit1->LineText(0).size(), 499u);
    EXPECT_EQ(form->RichEdit1->LineText(1).size(), 499u);
    EXPECT_EQ(form->RichEdit1->LineText(2).size(), 202u);
}

} // namespace

namespace {

// The same commands reached through the list's keys, as the operator types them.
TEST_F(FileCommands, KeystrokesFromTheList) {
    home.Write("work/A.NC", "G01\nG02\n");
    auto form = Start();
    form->show();
    form->ListBox1->SetItemIndex(RowOf(*form, "A.NC"));
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_F8);
    EXPECT_EQ(Control<QGroupBox>(*form, "GroupBox2")->title(), "ファイルビュー");
    EXPECT_EQ(form->RichEdit1->LineCount(), 2u);
    QTest::keyClick(form->RichEdit1, Qt::Key_Escape);
    EXPECT_TRUE(Control<QGroupBox>(*form, "GroupBox2")->isHidden());

    form->ListBox1->setEnabled(true);
    QTest::keyClick(form->ListBox1, Qt::Key_F6);
    EXPECT_EQ(form->CommandLine->Mode(), Edit1Mode::Mask);
    Type(*form, "TXT");
    EXPECT_EQ(form->Settings.Mask, "*.TXT");

    QTest::keyClick(form->ListBox1, Qt::Key_F5);
    EXPECT_EQ(form->CommandLine->Mode(), Edit1Mode::Directory);
    EXPECT_EQ(Control<QLineEdit>(*form, "Edit1")->text().toStdString(), work().string());
    QTest::keyClick(Control<QLineEdit>(*form, "Edit1"), Qt::Key_F10);
    EXPECT_FALSE(form->isVisible()); // F10 in the command line closes the window
}

} // namespace

TEST_F(FileCommands, AShiftJisFolderGoesBackByteForByteThroughF5) {
    const std::string sjis = "\x89\xc1\x8d\x48"; // "加工" from a Windows share
    fs::create_directory(work() / sjis);
    auto form = Start();
    form->Settings.DirPath = (work() / sjis).string(); // entered from the list

    // Enter on the field as shown once made a new folder named with replacement characters.
    form->ChangeDirectory();
    EXPECT_EQ(Control<QLineEdit>(*form, "Edit1")->text(),
              QString::fromStdString(work().string()) + "/加工");
    QTest::keyClick(Control<QLineEdit>(*form, "Edit1"), Qt::Key_Return);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(form->Settings.DirPath, (work() / sjis).string());

    // An edited path keeps the folder's bytes and names the new level the same way.
    form->ChangeDirectory();
    Control<QLineEdit>(*form, "Edit1")->end(false);
    Control<QLineEdit>(*form, "Edit1")->insert("/加工"); // as an input method commits it
    QTest::keyClick(Control<QLineEdit>(*form, "Edit1"), Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].position.has_value()); // the create question stands at the corner
    EXPECT_EQ(*boxes[0].position, form->frameGeometry().topLeft() + QPoint(50, 50));
    EXPECT_EQ(form->Settings.DirPath, (work() / sjis / sjis).string());
    EXPECT_TRUE(fs::is_directory(work() / sjis / sjis));
    EXPECT_EQ(std::distance(fs::directory_iterator(work()), fs::directory_iterator()), 1);
}

TEST_F(FileCommands, TheFileFormatQuestionStandsAtTheWindowsCorner) {
    home.Write("work/EMPTY.NC", "");
    home.Write("work/NUL.NC", std::string("O1\0G1\n", 6));
    auto form = Start();
    form->move(120, 80);
    for (const char* name : {"EMPTY.NC", "NUL.NC"}) {
        boxes.clear();
        answer = kAnswerNo;
        form->LoadFileIntoView(name);
        ASSERT_EQ(boxes.size(), 1u) << name;
        ASSERT_TRUE(boxes[0].position.has_value()) << name;
        EXPECT_EQ(*boxes[0].position, form->frameGeometry().topLeft() + QPoint(50, 50));
    }
}
