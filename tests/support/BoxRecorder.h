// Message boxes answered by the test instead of the operator: every box asked for
// while the recorder lives is recorded in boxes and answered by answerBox when it
// is set, else by answer.
#pragma once

#include "platform/qt/MessageBox.h"

#include <functional>
#include <vector>

class BoxRecorder {
public:
    BoxRecorder() {
        SetBoxInterceptorForTest([this](const BoxRequest& r) {
            boxes.push_back(r);
            return answerBox ? answerBox(r) : answer;
        });
    }
    ~BoxRecorder() { SetBoxInterceptorForTest(nullptr); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    // Yes/No questions get answer, every other box OK: the dialogs' usual case.
    void AnswerQuestions() {
        answerBox = [this](const BoxRequest& r) {
            return r.buttons == BoxButtons::YesNo ? answer : int(kAnswerOk);
        };
    }

    std::vector<BoxRequest> boxes;
    int answer = kAnswerYes;
    std::function<int(const BoxRequest&)> answerBox;
};
