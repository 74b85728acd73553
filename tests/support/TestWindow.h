// The real main window for widget tests, built one way for every test: a temporary
// program folder whose Dravik.INI points the working directory into it, message
// boxes and replace questions answered by the test (recorded in boxes and
// replaces), and the window created as the program creates it at start. What a
// test changes in the process (faults, mount tables) is undone when the fixture goes.
#pragma once

#include "app/qt/MainTransferHost.h"
#include "app/qt/Mainunit1.h"
#include "files/qt/FileListBox.h"
#include "platform/FileWrite.h"
#include "platform/ProgramFolder.h"
#include "platform/Volumes.h"
#include "support/BoxRecorder.h"
#include "support/ReplaceAnswers.h"
#include "support/TempDir.h"

#include <QApplication>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A control that its panel keeps to itself, found by the name the layout gives it.
template <class Widget>
Widget* Control(const QWidget& window, const char* name) {
    return window.findChild<Widget*>(QLatin1String(name));
}

class WindowHome : public BoxRecorder {
public:
    WindowHome() {
        SetProgramFolder(home.path());
        std::filesystem::create_directories(work());
    }
    ~WindowHome() {
        SetFileWriteFaultForTest(nullptr);
        g_mountsFileForTest.clear();
        SetProgramFolder({});
    }
    WindowHome(const WindowHome&) = delete;
    WindowHome& operator=(const WindowHome&) = delete;

    std::filesystem::path work() const { return home / "work"; }

    // Dravik.INI with the working directory and the given lines of [Setting], then
    // any further sections.
    void WriteIni(const std::string& settingLines = "", const std::string& sections = "") const {
        home.Write("Dravik.INI",
                   "[Setting]\r\nDirPath=" + work().string() + "\r\n" + settingLines + sections);
    }

    // The window after FormCreate only, as the application object sees it before
    // the window is shown.
    std::unique_ptr<TForm1> Create(const std::vector<std::string>& args = {}) {
        auto form = std::make_unique<TForm1>();
        Watch(*form);
        form->FormCreate(args);
        if (transferSleep)
            SetTransferSleep(*form, transferSleep);
        return form;
    }
    // The window after FormCreate and FormShow: settings read, ports checked, the
    // first listing queued for the first idle moment.
    std::unique_ptr<TForm1> Start(const std::vector<std::string>& args = {}) {
        auto form = Create(args);
        form->FormShow();
        return form;
    }
    // The window on screen and active, so that the stop-key filter and the
    // dialogs' centring see it.
    static void Show(TForm1& form) {
        form.show();
        form.activateWindow();
        QApplication::setActiveWindow(&form);
    }
    // The window as the operator meets it: started, on screen, the first idle
    // listing done and the file list holding the focus.
    std::unique_ptr<TForm1> Open(const std::vector<std::string>& args = {}) {
        auto form = Start(args);
        Show(*form);
        QCoreApplication::processEvents();
        form->ListBox1->setFocus();
        return form;
    }

    // The row of the entry name in the list, or -1.
    static int RowOf(const TForm1& form, const std::string& name) {
        for (int row = 0; row < form.FileList.RowCount(); ++row) {
            if (form.FileList.EntryName(row) == name)
                return row;
        }
        return -1;
    }

    // Boxes and replace questions of every window made here are the test's.
    void Watch(TForm1& form) {
        BoxRecorder::Watch(form);
        replaces.Watch(form);
    }

    TempDir home;
    ReplaceAnswers replaces;
    // Given to every window made here: its transfer host sleeps through it.
    std::function<void(int ms)> transferSleep;
};

// The common case: one window, started and on screen, the start-up boxes (the port
// checks) forgotten. The first listing runs at the first idle moment.
class TestWindow : public WindowHome {
public:
    TestWindow() {
        WriteIni();
        form = Start();
        Show(*form);
        boxes.clear();
    }
    ~TestWindow() { form.reset(); }

    std::unique_ptr<TForm1> form;
};
