// An exception that escapes an event handler: the error box, the end of the event
// loop, and no settings saved at the close. Needs its own application object.
#include "app/qt/Application.h"
#include "support/NoRealPorts.h"
#include "support/TestWindow.h"

#include <QEvent>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class Thrower : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("ファイルを作成できません。");
        return QObject::event(e);
    }
};

int g_argc = 1;
char g_arg0[] = "ApplicationTest";
char* g_argv[] = {g_arg0, nullptr};

} // namespace

TEST(Application, AnEscapedErrorShowsTheBoxAndEndsWithoutSaving) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    WindowHome window;
    const TempDir& home = window.home;
    std::vector<BoxRequest>& boxes = window.boxes;
    window.answer = kAnswerOk;
    window.WriteIni("Feed=10\r\n");

    DravikApplication app(g_argc, g_argv);
    app.errorBoxes = &window;
    auto form = window.Create();
    app.form = form.get();
    form->Settings.Feed = "99";
    boxes.clear();

    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTimer::singleShot(5000, &app, [] {
        ADD_FAILURE() << "the loop did not end";
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(app.exec(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "ファイルを作成できません。");
    EXPECT_EQ(boxes[0].caption, "エラー"); // never the bare program name

    form->FormCloseQuery();
    EXPECT_EQ(IniFile::Load(home / "Dravik.INI").ReadString("Setting", "Feed", ""), "10");
}

int main(int argc, char** argv) {
    HideRealSerialPorts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
