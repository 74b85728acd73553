// The I, F and R commands in the main window, as an operator uses them: a key on the
// list, keys into the dialog, then the list as it stands afterwards.
#include "files/qt/FileInfo.h"
#include "files/qt/FileListBox.h"
#include "files/qt/Find.h"
#include "files/qt/Rname.h"
#include "files/qt/Rnamea.h"
#include "support/TestWindow.h"
#include "support/TypeText.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

void Click(QRadioButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

struct EntryTools : ::testing::Test {
    TestWindow window;
    TForm1& form = *window.form;
    std::vector<int> pauses;

    fs::path work() const { return window.home / "work"; }
    void Files(std::initializer_list<const char*> names) {
        for (const char* name : names)
            window.home.Write(std::string("work/") + name, name);
        form.Settings.Mask = "*.NC";
        form.Settings.ALLFiles = "N";
        form.Settings.FileSort = "N";
        form.Settings.SortMuki = "D";
        form.renamePause = [this](int ms) { pauses.push_back(ms); };
        form.ListDirectory(false, false, false);
        form.ListBox1->setFocus();
    }
    int RowOf(const std::string& name) const {
        for (int row = 0; row < form.FileList.RowCount(); ++row)
            if (form.FileList.EntryName(row) == name)
                return row;
        return -1;
    }
    std::string CurrentName() const { return form.FileList.EntryName(form.ListBox1->ItemIndex()); }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (const FileEntry& file : form.FileList.files)
            names.push_back(file.name);
        return names;
    }
    void Key(Qt::Key key) { QTest::keyClick(form.ListBox1, key); }
    // Runs keys inside the modal dialog that the next command opens.
    void InDialog(std::function<void()> keys) { QTimer::singleShot(0, std::move(keys)); }
};

TEST_F(EntryTools, FindNarrowsUntilAListingOtherThanAResort) {
    Files({"O1.NC", "O100.NC", "o1234.nc", "O2.NC", "A.NC"});
    window.home.Write("work/O1.TXT", "x");
    form.ListDirectory(false, false, false);
    InDialog([this] {
        TFindForm* dialog = form.FindForm();
        EXPECT_EQ(dialog->ComboBox1->currentText(), "");
        TypeText(dialog->ComboBox1->lineEdit(), "o1");
        QTest::keyClick(dialog->ComboBox1->lineEdit(), Qt::Key_Return);
    });
    Key(Qt::Key_F);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"O1.NC", "O100.NC", "o1234.nc"}));
    const std::string pattern = (work() / "o1*.NC").string();
    EXPECT_TRUE(form.Label7->text().startsWith(QString::fromStdString(" Path=" + pattern)));
    EXPECT_EQ(form.Label1->text(), form.NormalLegend);

    form.ListView1ColumnClick(0); // a re-sort keeps the narrowed entries
    EXPECT_EQ(Listed(), (std::vector<std::string>{"o1234.nc", "O100.NC", "O1.NC"}));
    EXPECT_TRUE(form.Label7->text().startsWith(QString::fromStdString(" Path=" + pattern)));

    Key(Qt::Key_Space); // every other listing shows the whole folder
    EXPECT_EQ(Listed().size(), 5u);
    EXPECT_TRUE(form.Label7->text().startsWith(
        QString::fromStdString(" Path=" + (work() / "*.NC").string())));

    EXPECT_EQ(TempDir::Read(window.home / "FIND.LST"), "o1\r\n");
}

// Mended: files from a Windows share are named in Shift-JIS, a text typed here is
// UTF-8; the narrowing finds the names in both encodings.
TEST_F(EntryTools, FindWithJapaneseTextFindsShiftJisNamesToo) {
    const std::string sjis = "\x89\xc1\x8d\x48"; // "加工"
    Files({"加工1.NC", "部品1.NC"});
    for (const std::string& name : {sjis + "2.NC", sjis + "3.TXT", std::string("\x95\x94.NC")})
        window.home.Write("work/" + name, "x");
    for (const char* typed : {"加工", "加工*"}) {
        InDialog([&] {
            TypeText(form.FindForm()->ComboBox1->lineEdit(), QString::fromUtf8(typed));
            QTest::keyClick(form.FindForm()->ComboBox1->lineEdit(), Qt::Key_Return);
        });
        Key(Qt::Key_F);
        std::vector<std::string> listed = Listed();
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, (std::vector<std::string>{sjis + "2.NC", "加工1.NC"})) << typed;
    }
}

TEST_F(EntryTools, RenameOneFileKeepsItCurrentAndNeverReplacesAnother) {
    Files({"A.NC", "o1234.nc", "Z.NC"});
    form.ListBox1->SetItemIndex(RowOf("o1234.nc"));
    InDialog([this] {
        TRNameForm* dialog = form.RNameForm();
        EXPECT_EQ(dialog->Label1->text(), "o1234.nc");
        Click(dialog->RadioButton2);
        EXPECT_EQ(dialog->LabeledEdit1->text(), "O1234.NC");
        QTest::keyClick(dialog->LabeledEdit1, Qt::Key_Return);
    });
    Key(Qt::Key_R);
    EXPECT_TRUE(fs::exists(work() / "O1234.NC"));
    EXPECT_FALSE(fs::exists(work() / "o1234.nc"));
    EXPECT_EQ(CurrentName(), "O1234.NC");
    EXPECT_TRUE(form.ListBox1->isEnabled());

    // Onto an existing name: refused, named, both files as they were.
    InDialog([this] {
        TRNameForm* dialog = form.RNameForm();
        EXPECT_TRUE(dialog->RadioButton1->isChecked()); // a new showing starts at kind 1
        dialog->LabeledEdit1->selectAll();
        TypeText(dialog->LabeledEdit1, "Z.NC");
        QTest::keyClick(dialog->LabeledEdit1, Qt::Key_Return);
    });
    Key(Qt::Key_R);
    ASSERT_EQ(window.boxes.size(), 1u);
    EXPECT_EQ(window.boxes[0].caption, "確認");
    EXPECT_TRUE(window.boxes[0].text.contains("「Z.NC」は既にあります。"));
    EXPECT_EQ(TempDir::Read(work() / "Z.NC"), "Z.NC");
    EXPECT_EQ(TempDir::Read(work() / "O1234.NC"), "o1234.nc");
    EXPECT_EQ(CurrentName(), "O1234.NC");
    EXPECT_TRUE(pauses.empty());
}

TEST_F(EntryTools, RenameMarkedFilesByKindWithAPauseAfterEach) {
    Files({"ＮＣ_A.NC", "b.NC", "C.NC"});
    for (const char* name : {"b.NC", "ＮＣ_A.NC"}) {
        form.ListBox1->SetItemIndex(RowOf(name));
        Key(Qt::Key_Return); // marks
    }
    ASSERT_EQ(form.FileList.marks.Count(), 2);
    InDialog([this] {
        TRNameAForm* dialog = form.RNameAForm();
        EXPECT_TRUE(dialog->RadioButton1->isChecked());
        Click(dialog->RadioButton3);
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
    });
    Key(Qt::Key_R);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"C.NC", "b.nc", "ＮＣ_a.nc"}));
    EXPECT_EQ(pauses, (std::vector<int>{100, 100}));
    EXPECT_EQ(form.FileList.marks.Count(), 0);

    // Kind 5: a name for each marked file, a cancel keeps one.
    pauses.clear();
    for (const char* name : {"C.NC", "b.nc"}) {
        form.ListBox1->SetItemIndex(RowOf(name));
        Key(Qt::Key_Return);
    }
    InDialog([this] {
        Click(form.RNameAForm()->RadioButton5);
        QTimer::singleShot(0, [this] {
            TRNameForm* first = form.RNameForm();
            EXPECT_EQ(first->Label1->text(), "C.NC");
            first->LabeledEdit1->setText("C1.NC");
            QTimer::singleShot(0, [this] { form.RNameForm()->reject(); });
            QTest::keyClick(first->LabeledEdit1, Qt::Key_Return);
        });
        form.RNameAForm()->accept();
    });
    Key(Qt::Key_R);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"C1.NC", "b.nc", "ＮＣ_a.nc"}));
    EXPECT_EQ(pauses.size(), 2u);
}

// Mended: a name in neither UTF-8 nor Shift-JIS (Latin-1 "caf\xe9") keeps the bytes
// that the kinds do not change, also after a further edit; nothing turns into "?".
TEST_F(EntryTools, RenameKindsKeepTheBytesTheyDoNotChange) {
    Files({"caf\xe9.nc"});
    form.Settings.ALLFiles = "Y";
    struct Case {
        QRadioButton* TRNameForm::*kind;
        const char* typed;
        std::string after;
    } cases[] = {{&TRNameForm::RadioButton2, "", "CAF\xe9.NC"},
                 {&TRNameForm::RadioButton3, "", "caf\xe9.nc"},
                 {&TRNameForm::RadioButton4, "", "Caf\xe9.nc"},
                 {&TRNameForm::RadioButton2, "1", "CAF\xe9.NC1"}};
    for (const Case& c : cases) {
        form.ListDirectory(false, false, false);
        form.ListBox1->SetItemIndex(RowOf(Listed().front()));
        InDialog([&] {
            Click(form.RNameForm()->*c.kind);
            form.RNameForm()->LabeledEdit1->end(false);
            TypeText(form.RNameForm()->LabeledEdit1, c.typed);
            QTest::keyClick(form.RNameForm()->LabeledEdit1, Qt::Key_Return);
        });
        Key(Qt::Key_R);
        EXPECT_EQ(Listed(), (std::vector<std::string>{c.after})) << c.after;
    }
}

TEST_F(EntryTools, InformationChangesTheTimeAndKeepsTheFileCurrent) {
    Files({"A.NC", "B.NC", "C.NC"});
    timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ::utimensat(AT_FDCWD, (work() / "B.NC").c_str(), times, 0);
    form.ListBox1->SetItemIndex(0); // the parent row: nothing
    Key(Qt::Key_I);
    EXPECT_FALSE(form.FileInfoForm()->isVisible());
    EXPECT_EQ(form.FileInfoForm()->result(), 0);

    form.ListBox1->SetItemIndex(RowOf("B.NC"));
    InDialog([this] {
        TFileInfoForm* dialog = form.FileInfoForm();
        EXPECT_EQ(dialog->Label1->text(), "B.NC");
        EXPECT_FALSE(dialog->Button1->isEnabled());
        dialog->Edit1->selectAll();
        TypeText(dialog->Edit1, "2030");
        QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        EXPECT_TRUE(dialog->Button1->isEnabled());
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
    });
    Key(Qt::Key_I);
    struct stat st {};
    ::stat((work() / "B.NC").c_str(), &st);
    struct tm tm {};
    localtime_r(&st.st_mtim.tv_sec, &tm);
    EXPECT_EQ(tm.tm_year + 1900, 2030);
    EXPECT_EQ(CurrentName(), "B.NC");

    // The folder of a row: shown as a folder, closed with 終了.
    fs::create_directory(work() / "sub");
    form.ListDirectory(false, false, false);
    form.ListBox1->SetItemIndex(RowOf("sub"));
    InDialog([this] {
        TFileInfoForm* dialog = form.FileInfoForm();
        EXPECT_EQ(dialog->Label2->text(), "種類 :　　　ﾌｧｲﾙ ﾌｫﾙﾀﾞ");
        QTest::mouseClick(dialog->Button2, Qt::LeftButton);
    });
    Key(Qt::Key_I);
    EXPECT_EQ(form.FileInfoForm()->result(), QDialog::Rejected);
}

} // namespace
