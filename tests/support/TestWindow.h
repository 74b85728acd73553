// A real main window for widget tests: a temporary program folder whose
// Dravik.INI points the working directory into it, message boxes answered by
// the test (recorded in boxes), and the window created, shown and active.
#pragma once

#include "app/qt/Mainunit1.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/MessageBox.h"
#include "support/TempDir.h"

#include <QApplication>

#include <memory>
#include <vector>

class TestWindow {
public:
    TestWindow() {
        SetProgramFolder(home.path());
        std::filesystem::create_directories(home / "work");
        home.Write("Dravik.INI", "[Setting]\r\nDirPath=" + (home / "work").string() + "\r\n");
        SetBoxInterceptorForTest([this](const BoxRequest& r) {
            boxes.push_back(r);
            return answer;
        });
        form = std::make_unique<TForm1>();
        form->FormCreate({});
        form->FormShow();
        form->show();
        QApplication::setActiveWindow(form.get());
        boxes.clear(); // the start-up port checks
    }
    ~TestWindow() {
        form.reset();
        SetBoxInterceptorForTest(nullptr);
        SetProgramFolder({});
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    TempDir home;
    std::vector<BoxRequest> boxes;
    int answer = kAnswerYes;
    std::unique_ptr<TForm1> form;
};
