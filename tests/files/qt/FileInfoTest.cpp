// TFileInfoForm driven by keys: what it shows of a file and a folder, the field
// limits on Enter and on 更新, and what 更新 writes to the file.
#include "files/qt/FileInfo.h"

#include "support/BoxRecorder.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {

struct FileInfoDialog : ::testing::Test, BoxRecorder {
    TempDir dir;
    TFileInfoForm form;
    int relists = 0;

    void SetUp() override {
        setenv("TZ", "JST-9", 1);
        tzset();
        Watch(form);
        answer = kAnswerOk;
        form.DirPath = dir.path().string();
        form.relist = [this] { ++relists; };
    }
    void TearDown() override {
        SetEntryFaultForTest(nullptr);
        form.hide();
        unsetenv("TZ");
        tzset();
    }
    void Open(const std::string& name) {
        form.EntryName = name;
        form.hide();
        form.show(); // FormShow
        QApplication::setActiveWindow(&form);
    }
    void SetTime(const std::string& name, time_t time) {
        timespec times[2] = {{time, 0}, {time, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
    }
    time_t TimeOf(const std::string& name) const {
        struct stat st {};
        ::stat((dir / name).c_str(), &st);
        return st.st_mtim.tv_sec;
    }
    // Replaces the field's text by keys, then Enter.
    void Enter(QLineEdit* edit, const QString& keys) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::vector<QLineEdit*> Fields() const {
        return {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit6};
    }
    QString Date() const {
        QString text;
        for (QLineEdit* edit : Fields())
            text += edit->text() + " ";
        return text.trimmed();
    }
};

TEST_F(FileInfoDialog, ShowsAFileAndAFolder) {
    dir.Write("O1024.NC", std::string(1024, 'X'));
    SetTime("O1024.NC", 1700000001); // 2023-11-15 07:13:21 in Japan
    Open("O1024.NC");
    EXPECT_EQ(form.windowTitle(), "ﾌｧｲﾙ情報");
    EXPECT_EQ(form.Label1->text(), "O1024.NC");
    // An NC program named *.NC is text, not the NetCDF format the extension suggests.
    EXPECT_EQ(form.Label2->text(), "種類 :　　　NC ﾌｧｲﾙ");
    EXPECT_EQ(form.Label3->text(), QString::fromStdString("場所 :　　　" + form.DirPath + "/"));
    EXPECT_EQ(form.Label4->text(), "サイズ :　　1.000KB (1,024ﾊﾞｲﾄ)");
    EXPECT_EQ(Date(), "2023 11 15 07 13 20"); // seconds rounded down to even
    EXPECT_FALSE(form.Button1->isEnabled());
    EXPECT_FALSE(form.CheckBox1->isChecked());
    EXPECT_TRUE(form.CheckBox1->isEnabled());
    for (QCheckBox* box : {form.CheckBox2, form.CheckBox3, form.CheckBox4}) {
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(box->isEnabled());
    }
    EXPECT_FALSE(form.Image1->pixmap().isNull());

    fs::create_directory(dir / ".cache");
    Open(".cache");
    EXPECT_EQ(form.Label2->text(), "種類 :　　　ﾌｧｲﾙ ﾌｫﾙﾀﾞ");
    EXPECT_EQ(form.Label4->text(), "サイズ :　　0");
    EXPECT_TRUE(form.CheckBox3->isChecked()); // hidden: the leading "."
    EXPECT_FALSE(form.Button1->isEnabled());  // a second showing starts unchanged
}

TEST_F(FileInfoDialog, EnterChecksEachFieldAndMovesOn) {
    dir.Write("A.NC", "A");
    Open("A.NC");
    struct Step {
        int field;
        const char* keys;
        const char* message; // nullptr: passes, the focus goes on
    } steps[] = {
        {0, "1969", "年数は1970以降でお願いします。"},
        {0, "2025", nullptr},
        {1, "x2", nullptr}, // letters are dropped
        {2, "32", "１から３１までしか入力出来ません"},
        {2, "28", nullptr},
        {3, "23", nullptr},
        {4, "59", nullptr},
        {5, "60", "０から５９までしか入力出来ません"},
        {5, "58", nullptr},
    };
    for (const Step& step : steps) {
        boxes.clear();
        QLineEdit* edit = Fields()[size_t(step.field)];
        Enter(edit, QString::fromUtf8(step.keys));
        if (step.message) {
            ASSERT_EQ(boxes.size(), 1u) << step.keys;
            EXPECT_EQ(boxes[0].text, QString::fromUtf8(step.message));
            EXPECT_EQ(boxes[0].caption, "確認");
            EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
            EXPECT_EQ(QApplication::focusWidget(), edit) << step.keys;
        } else {
            EXPECT_TRUE(boxes.empty()) << step.keys;
            QWidget* next = step.field < 5 ? static_cast<QWidget*>(Fields()[size_t(step.field + 1)])
                                           : form.Button1;
            EXPECT_EQ(QApplication::focusWidget(), next) << step.keys;
        }
    }
    EXPECT_EQ(form.Edit2->text(), "2");
    EXPECT_TRUE(form.Button1->isEnabled());

    // Enter in an empty field checks nothing and stays.
    boxes.clear();
    form.Edit4->clear();
    form.Edit4->setFocus();
    QTest::keyClick(form.Edit4, Qt::Key_Return);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(QApplication::focusWidget(), form.Edit4);
}

TEST_F(FileInfoDialog, EnterInTheSecondsGoesToCloseWhileNothingChanged) {
    dir.Write("A.NC", "A");
    Open("A.NC");
    form.Edit6->setFocus();
    QTest::keyClick(form.Edit6, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form.Button2);
}

TEST_F(FileInfoDialog, UpdateSetsTheTimeOrRefusesADateThatDoesNotExist) {
    dir.Write("A.NC", "A");
    SetTime("A.NC", 1700000000);
    Open("A.NC");
    const QString day30[] = {"2026", "2", "30", "10", "20", "31"};
    for (int i = 0; i < 6; ++i)
        Fields()[size_t(i)]->setText(day30[i]);
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'2026/2/30 10:20:31' は正しい日付と時刻ではありません。");
    EXPECT_EQ(TimeOf("A.NC"), 1700000000);
    EXPECT_EQ(relists, 0);
    EXPECT_EQ(form.result(), 0); // still open
    EXPECT_EQ(QApplication::focusWidget(), form.Edit3);

    boxes.clear();
    Enter(form.Edit3, "28");
    form.Button1Click();
    EXPECT_TRUE(boxes.empty());
    struct tm tm {};
    time_t set = TimeOf("A.NC");
    localtime_r(&set, &tm);
    EXPECT_EQ(tm.tm_mday, 28);
    EXPECT_EQ(tm.tm_hour, 10);
    EXPECT_EQ(tm.tm_sec, 30); // rounded down to even
    EXPECT_EQ(relists, 1);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(FileInfoDialog, AFieldBrokenAfterEnterIsCaughtByUpdate) {
    dir.Write("A.NC", "A");
    SetTime("A.NC", 1700000000);
    Open("A.NC");
    form.Edit5->setText("75");
    form.Button1Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "０から５９までしか入力出来ません");
    EXPECT_EQ(QApplication::focusWidget(), form.Edit5);
    EXPECT_EQ(TimeOf("A.NC"), 1700000000);
}

TEST_F(FileInfoDialog, UntickingReadOnlyClearsItAndKeepsTheTime) {
    dir.Write("RO.NC", "A");
    ::chmod((dir / "RO.NC").c_str(), 0444);
    SetTime("RO.NC", 1700000000);
    Open("RO.NC");
    EXPECT_TRUE(form.CheckBox1->isChecked());
    form.Edit1->setText("2030");
    QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
    EXPECT_TRUE(form.Button1->isEnabled());
    form.Button1Click();
    struct stat st {};
    ::stat((dir / "RO.NC").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(relists, 1);
}

// A new time or attribute that the system refuses is named with its reason and the
// dialog stays open; 更新 works once the refusal is gone.
TEST_F(FileInfoDialog, RefusedTimeOrAttributeIsReportedAndTheDialogStays) {
    dir.Write("A.NC", "A");
    SetTime("A.NC", 1700000000);
    struct Case {
        EntryCall failing;
        int error;
        const char* message;
        int relists; // the list shows a time that was set
    } cases[] = {
        {EntryCall::SetTime, EPERM, "A.NCの日付を変更できません。\n", 0},
        {EntryCall::OpenForWriting, EACCES, "A.NCの日付を変更できません。\n", 0},
        {EntryCall::SetMode, EPERM, "A.NCの属性を変更できません。\n", 1},
    };
    for (const Case& c : cases) {
        SetTime("A.NC", 1700000000);
        ::chmod((dir / "A.NC").c_str(), 0644);
        boxes.clear();
        relists = 0;
        Open("A.NC");
        form.setResult(0);
        SetEntryFaultForTest(
            [&c](EntryCall call, const std::string&) { return call == c.failing ? c.error : 0; });
        Enter(form.Edit1, "2030");
        QTest::mouseClick(form.CheckBox1, Qt::LeftButton);
        form.Button1Click();
        SetEntryFaultForTest(nullptr);
        ASSERT_EQ(boxes.size(), 1u) << c.message;
        EXPECT_EQ(boxes[0].caption, "エラー");
        EXPECT_EQ(boxes[0].icon, BoxIcon::Stop);
        EXPECT_TRUE(boxes[0].text.startsWith(QString::fromUtf8(c.message)))
            << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.contains(QString::fromLocal8Bit(std::strerror(c.error))));
        EXPECT_TRUE(form.isVisible()) << c.message;
        EXPECT_EQ(form.result(), 0) << c.message;
        EXPECT_EQ(relists, c.relists) << c.message;

        // The same press without the refusal completes.
        boxes.clear();
        form.Button1Click();
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(form.result(), QDialog::Accepted) << c.message;
        struct tm tm {};
        time_t set = TimeOf("A.NC");
        localtime_r(&set, &tm);
        EXPECT_EQ(tm.tm_year + 1900, 2030) << c.message;
    }
}

// The Enter chain ends on 更新 or 終了, and Enter there presses it.
TEST_F(FileInfoDialog, EnterOnAFocusedButtonPressesIt) {
    dir.Write("A.NC", "A");
    SetTime("A.NC", 1700000000);
    Open("A.NC");
    form.Edit6->setFocus();
    QTest::keyClick(form.Edit6, Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), form.Button2);
    QTest::keyClick(form.Button2, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());

    Open("A.NC");
    Enter(form.Edit1, "2031");
    for (QLineEdit* edit : {form.Edit2, form.Edit3, form.Edit4, form.Edit5, form.Edit6})
        QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), form.Button1);
    QTest::keyClick(form.Button1, Qt::Key_Enter);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    struct tm tm {};
    time_t set = TimeOf("A.NC");
    localtime_r(&set, &tm);
    EXPECT_EQ(tm.tm_year + 1900, 2031);
    EXPECT_EQ(relists, 1);
}

TEST_F(FileInfoDialog, TypeNamesComeFromTheMimeDatabaseOrTheExtension) {
    dir.Write("readme.txt", "text\n");
    dir.Write("O1.XYZ9", "O1\n");
    dir.Write("PROGRAM", "O1\n");
    EXPECT_EQ(DescribeFile((dir / "O1.XYZ9").string()).name, "XYZ9 ﾌｧｲﾙ");
    EXPECT_EQ(DescribeFile((dir / "PROGRAM").string()).name, "ﾌｧｲﾙ");
    QString text = DescribeFile((dir / "readme.txt").string()).name;
    EXPECT_FALSE(text.isEmpty());
    EXPECT_NE(text, "txt ﾌｧｲﾙ");
}

} // namespace
