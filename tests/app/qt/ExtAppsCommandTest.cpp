// The external applications from the main window, as the operator reaches them:
// Alt held shows the legend, Alt+letter starts a binding (through the argument
// dialog when it asks for one), E the editor, X the desktop's opener, Y and G the
// dialogs; the table comes from OutApp_Sub.ini at creation and goes back at close.
// The programs are recording scripts; PATH holds only the test's own folder.
#include "app/qt/Mainunit1.h"
#include "extapps/AppTable.h"
#include "extapps/Launch.h"
#include "extapps/qt/Appopen.h"
#include "extapps/qt/Editapp.h"
#include "extapps/qt/Outapp.h"
#include "files/qt/FileListBox.h"
#include "platform/FileWrite.h"
#include "support/IniKeys.h"
#include "support/RecordingScript.h"
#include "support/TestWindow.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class ExtApps : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(w.home / "bin");
        w.home.Write("work/O1234.NC", "%\nO1234\n%\n");
        w.home.Write("work/O5678.NC", "%\nO5678\n%\n");
        std::filesystem::create_directories(w.home / "work" / "SUB");
        form().ListDirectory(false, false, false);
        form().ListBox1->setFocus();
    }
    TForm1& form() { return *w.form; }
    std::string Work(const std::string& name) { return (w.home / "work" / name).string(); }
    // Makes the row of the entry current.
    void Select(const std::string& name) {
        for (int row = 0; row < form().ListBox1->Count(); ++row) {
            if (form().FileList.EntryName(row) == name) {
                form().ListBox1->SetItemIndex(row);
                return;
            }
        }
        FAIL() << name;
    }
    void AltLetter(Qt::Key letter) { QTest::keyClick(form().ListBox1, letter, Qt::AltModifier); }

    TestWindow w;
    ScopedPath path{(w.home / "bin").string()};
    RecordingScript view{w.home / "tools", "view"};
};

TEST_F(ExtApps, AltHeldShowsTheLegendAndItsReleaseHidesIt) {
    form().AppTable.EditApp = "/usr/bin/editor";
    form().AppTable.ForLetter('A')->name = "ﾋﾞｭｰｱ";
    form().AppTable.ForLetter('Z')->name = "Upload";
    EXPECT_FALSE(form().GroupBox5->isVisible());
    // Pressed twice: the second time shows the table as it is then.
    for (const char* name : {"ﾋﾞｭｰｱ", "Changed"}) {
        form().AppTable.ForLetter('A')->name = name;
        QTest::keyPress(form().ListBox1, Qt::Key_Alt, Qt::AltModifier);
        EXPECT_TRUE(form().GroupBox5->isVisible());
        EXPECT_TRUE(form().AltLegendShown);
        QString left = form().Label40->text();
        EXPECT_TRUE(left.startsWith(QStringLiteral("ｴﾃﾞｨﾀｰ: /usr/bin/editor\nALT+A : ") +
                                    QString::fromUtf8(name) + QStringLiteral("\n")));
        EXPECT_TRUE(left.endsWith(QStringLiteral("ALT+M : \n")));
        EXPECT_TRUE(form().Label41->text().startsWith(QStringLiteral("ALT+N : \n")));
        EXPECT_TRUE(form().Label41->text().endsWith(QStringLiteral("ALT+Z : Upload\n")));
        QTest::keyRelease(form().ListBox1, Qt::Key_Alt);
        EXPECT_FALSE(form().GroupBox5->isVisible());
        EXPECT_FALSE(form().AltLegendShown);
    }
    // Held down, Alt repeats: the legend is filled once, not again.
    QTest::keyPress(form().ListBox1, Qt::Key_Alt, Qt::AltModifier);
    form().Label40->clear();
    QTest::keyPress(form().ListBox1, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(form().Label40->text(), QString());
    QTest::keyRelease(form().ListBox1, Qt::Key_Alt);
}

TEST_F(ExtApps, AltLetterOpensTheProgramBareOrAsksForTheArgument) {
    *form().AppTable.ForLetter('V') = {view.str() + " $A", "N", "View"};
    Select("O1234.NC");
    AltLetter(Qt::Key_V);
    std::vector<std::string> call = view.WaitForCall();
    EXPECT_EQ(call.size(), 1u); // flag "N": no argument at all
    EXPECT_FALSE(form().GroupBox5->isVisible());

    // The hidden menu item of V reaches the same launch through its Tag.
    QAction* item = form().Menu_out[21];
    EXPECT_EQ(item->objectName(), QStringLiteral("Menu_outv"));
    EXPECT_EQ(item->data().toInt(), 23);
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::ALT | Qt::Key_V));
    item->trigger();
    EXPECT_EQ(view.WaitForCall().size(), 1u);
    for (int tag : {1, 28}) // a Tag outside 2 to 27 names no letter
        form().Menu_outaClick(tag);

    // Flag "Y", opened twice: the first time the proposal is edited and cancelled,
    // the second time (another file) it is the new file's path, confirmed by Enter.
    form().AppTable.ForLetter('V')->flag = "Y";
    QString seen;
    QTimer::singleShot(0, form().OutAppForm, [&] {
        seen = form().OutAppForm->LabeledEdit1->text();
        EXPECT_EQ(form().OutAppForm->Label1->text(), QStringLiteral("View"));
        EXPECT_EQ(form().OutAppForm->Label3->text(), QString::fromStdString(view.str() + " $A"));
        form().OutAppForm->LabeledEdit1->setText(QStringLiteral("edited"));
        QTest::keyClick(form().OutAppForm->LabeledEdit1, Qt::Key_Escape);
    });
    AltLetter(Qt::Key_V);
    EXPECT_EQ(seen, QString::fromStdString(Work("O1234.NC")));
    EXPECT_FALSE(view.Called());

    Select("O5678.NC");
    QTimer::singleShot(0, form().OutAppForm, [&] {
        seen = form().OutAppForm->LabeledEdit1->text();
        QTest::keyClick(form().OutAppForm->LabeledEdit1, Qt::Key_Return);
    });
    AltLetter(Qt::Key_V);
    EXPECT_EQ(seen, QString::fromStdString(Work("O5678.NC")));
    call = view.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], Work("O5678.NC"));
    EXPECT_TRUE(w.boxes.empty());
}

TEST_F(ExtApps, WhatAnAltLetterRefusesOrReports) {
    form().AppTable.EditApp = view.str();
    *form().AppTable.ForLetter('T') = {(w.home / "tools" / "typo").string() + " $A", "N", "T"};
    struct Case {
        const char* entry; // the current row
        Qt::Key letter;
        const char* caption; // of the one box, "" for none
        const char* text;    // what the box must say
    };
    const std::string typo = (w.home / "tools" / "typo").string();
    const Case cases[] = {
        // An empty template does nothing and shows nothing; Alt+E is no editor command.
        {"O1234.NC", Qt::Key_E, "", ""},
        {"O1234.NC", Qt::Key_Q, "", ""},
        {"SUB", Qt::Key_Q, "確認", "ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)"},
        {"..", Qt::Key_Q, "確認", "ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)"},
        // A typo in the program path is named, not met with silence.
        {"O1234.NC", Qt::Key_T, "エラー", "ﾌﾟﾛｸﾞﾗﾑを起動できません。\n"},
    };
    for (const Case& c : cases) {
        w.boxes.clear();
        if (std::string(c.entry) == "..")
            form().ListBox1->SetItemIndex(0);
        else
            Select(c.entry);
        AltLetter(c.letter);
        if (*c.caption == '\0') {
            EXPECT_TRUE(w.boxes.empty()) << c.entry << " " << c.letter;
            continue;
        }
        ASSERT_EQ(w.boxes.size(), 1u) << c.entry << " " << c.letter;
        EXPECT_EQ(w.boxes[0].caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(w.boxes[0].icon, BoxIcon::Stop);
        EXPECT_TRUE(w.boxes[0].text.startsWith(QString::fromUtf8(c.text))) << c.entry;
    }
    EXPECT_TRUE(w.boxes[0].text.contains(QString::fromStdString(typo)));

    // The box took the key releases: the next Alt still shows the legend.
    form().ShowAppLegend();
    form().LaunchAppByLetter('T');
    EXPECT_FALSE(form().GroupBox5->isVisible());
    QTest::keyPress(form().ListBox1, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_TRUE(form().GroupBox5->isVisible());
    QTest::keyRelease(form().ListBox1, Qt::Key_Alt);
    EXPECT_TRUE(w.boxes[0].text.contains(QStringLiteral("ﾌｧｲﾙが見つかりません。")));
    EXPECT_FALSE(view.Called()); // the editor never ran for Alt+E
}

TEST_F(ExtApps, EditorAndOpenerStartOnTheSelectedFile) {
    RecordingScript gedit(w.home / "bin", "gedit");
    RecordingScript opener(w.home / "bin", kDesktopOpener);
    w.home.Write("work/MY PART.NC", "%\n");
    form().ListDirectory(false, false, false);
    form().ListBox1->setFocus();
    Select("MY PART.NC");

    // No editor set: the first editor found on PATH, the path as one argument.
    QTest::keyClick(form().ListBox1, Qt::Key_E);
    std::vector<std::string> call = gedit.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], Work("MY PART.NC"));

    form().AppTable.EditApp = view.str();
    Select("O1234.NC");
    QTest::keyClick(form().ListBox1, Qt::Key_E);
    call = view.WaitForCall();
    ASSERT_EQ(call.size(), 2u);
    EXPECT_EQ(call[1], Work("O1234.NC"));

    for (Qt::Key key : {Qt::Key_X, Qt::Key_F9}) {
        QTest::keyClick(form().ListBox1, key);
        call = opener.WaitForCall();
        ASSERT_EQ(call.size(), 2u) << key;
        EXPECT_EQ(call[1], Work("O1234.NC"));
    }

    // E on a folder is refused; X on a folder does nothing.
    Select("SUB");
    QTest::keyClick(form().ListBox1, Qt::Key_E);
    ASSERT_EQ(w.boxes.size(), 1u);
    EXPECT_EQ(w.boxes[0].text,
              QStringLiteral("ﾌｧｲﾙを選択して下さい。\n(複数のﾌｧｲﾙ選択は不可です。)"));
    QTest::keyClick(form().ListBox1, Qt::Key_X);
    EXPECT_EQ(w.boxes.size(), 1u);
    EXPECT_FALSE(opener.Called());
    EXPECT_FALSE(gedit.Called());
}

TEST_F(ExtApps, YAndGOpenTheirDialogsModallyOverTheHiddenLegend) {
    struct Case {
        Qt::Key key;
        QDialog* dialog;
        QString title;
    };
    const Case cases[] = {
        {Qt::Key_Y, form().AppopenForm, QStringLiteral("外部コマンド設定")},
        {Qt::Key_G, form().EditAppForm, QStringLiteral("編集アプリ設定")},
    };
    for (const Case& c : cases) {
        form().GroupBox5->show();
        form().GroupBox1->show();
        const bool hidesCommPanel = c.dialog == form().AppopenForm;
        bool modal = false;
        QTimer::singleShot(0, c.dialog, [&] {
            modal = c.dialog->isVisible() && c.dialog->isModal();
            EXPECT_FALSE(form().GroupBox5->isVisible());
            QTest::keyClick(c.dialog, Qt::Key_Escape);
        });
        QTest::keyClick(form().ListBox1, c.key);
        EXPECT_TRUE(modal) << c.title.toStdString();
        EXPECT_EQ(c.dialog->windowTitle(), c.title);
        EXPECT_FALSE(c.dialog->isVisible());
        EXPECT_EQ(form().GroupBox1->isVisible(), !hidesCommPanel);
    }
}

TEST_F(ExtApps, TableReadAtCreationWrittenAtCloseWithTheDialogsChanges) {
    w.home.Write("OutApp_Sub.ini", "[Application]\r\nEditApp=/opt/ed\r\nOutAppB=/tools/b $C\r\n"
                                   "OutAppB_F=Y\r\nOutAppB_N=Bee\r\n");
    TForm1 other;
    w.Watch(other);
    other.FormCreate({});
    EXPECT_EQ(other.AppTable.EditApp, "/opt/ed");
    EXPECT_EQ(other.AppTable.ForLetter('B')->command, "/tools/b $C");
    EXPECT_EQ(other.AppTable.ForLetter('B')->flag, "Y");
    EXPECT_EQ(other.AppTable.ForLetter('C')->flag, "N");

    // An edit in the editor dialog reaches the file at close, not before.
    QTimer::singleShot(0, other.EditAppForm, [&] {
        other.EditAppForm->LabeledEdit1->setText(QStringLiteral("/opt/new editor"));
        other.EditAppForm->Button5->click();
    });
    other.OpenEditorSetup();
    EXPECT_EQ(TempDir::Read(w.home / "OutApp_Sub.ini").find("new editor"), std::string::npos);
    other.FormCloseQuery();
    std::string text = TempDir::Read(w.home / "OutApp_Sub.ini");
    std::vector<std::string> keys = IniKeys(text);
    // The keys already there are replaced in place, the others follow in table order.
    std::vector<std::string> expected{"EditApp", "OutAppB", "OutAppB_F", "OutAppB_N"};
    for (const std::string& key : AppTableKeys()) {
        if (std::find(expected.begin(), expected.end(), key) == expected.end())
            expected.push_back(key);
    }
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(keys.size(), 79u);
    EXPECT_NE(text.find("EditApp=/opt/new editor\r\n"), std::string::npos);
    EXPECT_NE(text.find("OutAppB_N=Bee\r\n"), std::string::npos);

    // Without a file: the defaults, and the close writes all 79 keys in table order.
    std::filesystem::remove(w.home / "OutApp_Sub.ini");
    TForm1 fresh;
    w.Watch(fresh);
    fresh.FormCreate({});
    EXPECT_EQ(fresh.AppTable.ForLetter('B')->command, "");
    fresh.FormCloseQuery();
    text = TempDir::Read(w.home / "OutApp_Sub.ini");
    EXPECT_EQ(IniKeys(text), AppTableKeys());
}

} // namespace

namespace {

TEST_F(ExtApps, ACloseThatCannotWriteNamesEachFileInOneBox) {
    const QString ini = QString::fromStdString((w.home / "Dravik.INI").string());
    const QString table = QString::fromStdString((w.home / "OutApp_Sub.ini").string());
    struct Case {
        bool iniRefused;
        bool tableRefused;
    };
    for (Case c : {Case{true, true}, Case{false, true}, Case{false, false}}) {
        SetFileWriteFaultForTest([&](const std::filesystem::path& file) {
            bool refused = file.filename() == "Dravik.INI" ? c.iniRefused : c.tableRefused;
            return refused ? EROFS : 0;
        });
        TForm1 other;
        w.Watch(other);
        other.FormCreate({});
        w.boxes.clear();
        other.FormCloseQuery();
        SetFileWriteFaultForTest(nullptr);
        if (!c.tableRefused) {
            EXPECT_TRUE(w.boxes.empty());
            continue;
        }
        ASSERT_EQ(w.boxes.size(), 1u);
        EXPECT_EQ(w.boxes[0].text.contains(ini), c.iniRefused);
        EXPECT_TRUE(w.boxes[0].text.contains(table));
        EXPECT_TRUE(other.SettingsSaveFailed);
    }
}

} // namespace
