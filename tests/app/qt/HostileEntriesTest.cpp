// Every command of the list over a folder of entries that a program cannot simply
// read, in one window as an operator would go through them: a link to nothing, a
// link loop, a FIFO, a file nobody may read, a file dated 0, a name that is not
// UTF-8 and an empty file. The window stays up, and every box it shows says what
// happened in its own words under a title of its own.
#include "app/qt/Mainunit1.h"
#include "files/qt/FileInfo.h"
#include "files/qt/FileListBox.h"
#include "files/qt/Find.h"
#include "files/qt/PlusCopy.h"
#include "files/qt/Rname.h"
#include "nctools/qt/Bai2.h"
#include "nctools/qt/Divides.h"
#include "nctools/qt/Plus.h"
#include "support/RecordingScript.h"
#include "support/TestWindow.h"
#include "support/TypeText.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kHostile[] = {"DANGLING.NC", "LOOP.NC",    "FIFO.NC", "LOCKED.NC",
                                "EPOCH.NC",    "caf\xe9.NC", "EMPTY.NC"};

// The rest of the test runs with the rights of "nobody", whom mode 000 does deny
// (root reads everything); the saved root id gives them back at the end.
class AsNobody {
public:
    AsNobody() {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody && ::seteuid(nobody->pw_uid) == 0)
            active_ = true;
    }
    ~AsNobody() {
        if (active_) {
            EXPECT_EQ(::seteuid(0), 0);
        }
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;
    bool active() const { return active_; }

private:
    bool active_ = false;
};

// Words that come from a library or an exception rather than from the program.
bool SoundsForeign(const QString& text) {
    for (const char* word : {"basic_string", "std::", "filesystem error", "what()", "unknown error",
                             "exception", "terminate"}) {
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

struct HostileEntries : ::testing::Test {
    TestWindow window;
    TForm1& form = *window.form;
    fs::path work = window.home / "work";
    fs::path out = window.home / "out";
    std::vector<std::string> actions; // what ran inside dialogs, for the messages

    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((window.home / "data").string()));
        fs::create_symlink(work / "nothing", work / "DANGLING.NC");
        fs::create_symlink(work / "LOOP.NC", work / "LOOP.NC");
        ASSERT_EQ(::mkfifo((work / "FIFO.NC").c_str(), 0666), 0);
        window.home.Write("work/LOCKED.NC", "O1\r\nX1.\r\nM30\r\n");
        ::chmod((work / "LOCKED.NC").c_str(), 0);
        window.home.Write("work/EPOCH.NC", "%\r\nO0001\r\nX1.\r\nO0002\r\nY2.\r\n%\r\n");
        timespec epoch[2] = {{0, 0}, {0, 0}};
        ::utimensat(AT_FDCWD, (work / "EPOCH.NC").c_str(), epoch, 0);
        window.home.Write("work/caf\xe9.NC", "O3\r\nZ3.\r\nM30\r\n");
        window.home.Write("work/EMPTY.NC", "");
        // Whoever runs the commands writes into these folders.
        for (const fs::path& folder : {window.home.path(), work, window.home / "bin"}) {
            fs::create_directories(folder);
            ::chmod(folder.c_str(), 0777);
        }
        form.Settings.Mask = "*.NC";
        form.Settings.ALLFiles = "N";
        form.ListDirectory(false, false, false);
        form.ListBox1->setFocus();
        window.AnswerQuestions();
        window.replaces.answer = [](const fs::path&) { return ReplaceAnswer::Yes; };
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    bool Select(const std::string& name) {
        int row = TestWindow::RowOf(form, name);
        if (row < 0)
            return false;
        form.ListBox1->SetItemIndex(row);
        return true;
    }
    void Mark(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (Select(name))
                QTest::keyClick(form.ListBox1, Qt::Key_Return);
        }
    }
    // The key on the list; inside the dialog it opens (if it opens one), the action,
    // then the dialog is closed if a refusal kept it open.
    void Command(int key, Qt::KeyboardModifiers modifiers = {},
                 std::function<void(QWidget&)> inDialog = {}) {
        QTimer::singleShot(0, [this, inDialog] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            actions.push_back(modal->windowTitle().toStdString());
            if (inDialog)
                inDialog(*modal);
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                dialog && dialog->isVisible())
                dialog->reject();
        });
        QTest::keyClick(form.ListBox1, Qt::Key(key), modifiers);
        // A timer of a command that opened no dialog goes now, not into the next one.
        QCoreApplication::processEvents();
        BackToBrowsing();
    }
    // Esc where the focus is, as the operator leaves a view or a prompt.
    void BackToBrowsing() {
        if (QWidget* focus = QApplication::focusWidget(); focus && focus != form.ListBox1)
            QTest::keyClick(focus, Qt::Key_Escape);
        form.ReturnToIdle();
        form.ListBox1->setEnabled(true);
        form.ListBox1->setFocus();
    }
};

TEST_F(HostileEntries, EveryCommandOverEveryEntryKeepsTheWindowUpAndSpeaksItsOwnWords) {
    RecordingScript editor(window.home / "bin", "editor");
    RecordingScript opener(window.home / "bin", "xdg-open");
    ScopedPath path((window.home / "bin").string());
    form.AppTable.EditApp = editor.str();
    AsNobody nobody;
    if (!nobody.active())
        GTEST_SKIP() << "no user nobody to drop to";

    for (const char* name : kHostile) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Select(name)) << "listed";
        Command(Qt::Key_I, {}, [](QWidget& modal) {
            auto& info = static_cast<TFileInfoForm&>(modal);
            info.Edit1->setText("2030");
            info.Button1Click();
        });
        Select(name);
        Command(Qt::Key_R, {}, [](QWidget& modal) {
            auto& rename = static_cast<TRNameForm&>(modal);
            QTest::keyClick(rename.LabeledEdit1, Qt::Key_Return);
        });
        for (int key : {int(Qt::Key_V), int(Qt::Key_E), int(Qt::Key_X), int(Qt::Key_F1)}) {
            if (Select(name))
                Command(key);
        }
        if (Select(name))
            Command(Qt::Key_H, {}, [](QWidget& modal) {
                auto& doubling = static_cast<TBai2Form&>(modal);
                TypeText(doubling.Edit1, "X");
                QTest::keyClick(doubling.Edit1, Qt::Key_Return);
            });
        if (Select(name))
            Command(Qt::Key_B, {}, [this](QWidget& modal) {
                auto& split = static_cast<TDividesForm&>(modal);
                split.ComboBox1->setEditText(QString::fromStdString(out.string()));
                split.Button1Click();
            });
    }
    Command(Qt::Key_F, {}, [](QWidget& modal) {
        auto& find = static_cast<TFindForm&>(modal);
        TypeText(find.ComboBox1->lineEdit(), "c");
        QTest::keyClick(find.ComboBox1->lineEdit(), Qt::Key_Return);
    });
    form.ListDirectory(false, false, false);

    // The marked entries: a join, a copy, a send, a delete of two, a move of the rest.
    auto markAll = [this] {
        for (const char* name : kHostile)
            Mark({name});
    };
    markAll();
    Command(Qt::Key_K, {}, [](QWidget& modal) {
        auto& join = static_cast<TPlusForm&>(modal);
        join.ComboBox1->setEditText("JOINED");
        join.Button1Click();
    });
    auto toFolder = [this](const fs::path& folder) {
        return [folder](QWidget& modal) {
            auto& copy = static_cast<TPlusCopyForm&>(modal);
            copy.ComboBox1->setEditText(QString::fromStdString(folder.string()));
            copy.Button1Click();
        };
    };
    markAll();
    Command(Qt::Key_C, {}, toFolder(out / "copied"));
    markAll();
    Command(Qt::Key_F1);
    Mark({"FIFO.NC", "DANGLING.NC"});
    Command(Qt::Key_D);
    markAll();
    Command(Qt::Key_M, {}, toFolder(out / "moved"));

    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.SkipSettingsSave);
    EXPECT_TRUE(form.ListBox1->isEnabled());
    EXPECT_FALSE(window.boxes.empty());
    for (const BoxRequest& box : window.boxes) {
        const std::string shown = box.caption.toStdString() + ": " + box.text.toStdString();
        EXPECT_FALSE(box.text.trimmed().isEmpty()) << shown;
        EXPECT_FALSE(box.caption.isEmpty() || box.caption.startsWith("Dravik")) << shown;
        EXPECT_FALSE(SoundsForeign(box.text) || SoundsForeign(box.detail)) << shown;
    }
    // Whatever cannot be read is refused by name by each command that reads it (view,
    // send, doubling, split), never asked about as a file of another format; the join
    // of every marked entry is refused too, naming the first input it cannot read.
    for (const char* name : {"DANGLING.NC", "LOOP.NC", "FIFO.NC", "LOCKED.NC"}) {
        const QString refusal = QStringLiteral("ファイル %1 を読み込めません。").arg(name);
        int refused = 0;
        for (const BoxRequest& box : window.boxes)
            refused += box.text == refusal && box.caption == "確認";
        EXPECT_EQ(refused, name == std::string_view(kHostile[0]) ? 5 : 4) << name;
    }
    for (const auto& entry : fs::directory_iterator(work))
        EXPECT_NE(entry.path().filename().string().rfind("JOINED", 0), 0u)
            << "a refused join writes nothing";
    // Key I on an entry of the folder showed it, one press each.
    EXPECT_EQ(std::count(actions.begin(), actions.end(), "ﾌｧｲﾙ情報"), 7);
    EXPECT_FALSE(actions.empty());
}

} // namespace
