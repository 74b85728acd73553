// Message boxes answered by the test instead of the operator: every box asked for
// on a watched widget (or inside it) is recorded in boxes and answered by answerBox
// when it is set, else by answer.
#pragma once

#include "platform/qt/MessageBox.h"
#include "support/WatchedWidgets.h"

#include <functional>
#include <vector>

class BoxRecorder : public BoxPresenter {
public:
    BoxRecorder() = default;

    // The boxes of widget, of its children and of the dialogs made on it come here.
    void Watch(QWidget& widget) {
        SetBoxPresenter(widget, this);
        watched_.Add(widget);
    }

    int Present(QWidget*, const BoxRequest& request) override {
        boxes.push_back(request);
        return answerBox ? answerBox(request) : answer;
    }

    // Yes/No questions get answer, every other box OK: the dialogs' usual case.
    void AnswerQuestions() {
        answerBox = [this](const BoxRequest& r) {
            return r.buttons == BoxButtons::YesNo ? answer : int(kAnswerOk);
        };
    }

    std::vector<BoxRequest> boxes;
    int answer = kAnswerYes;
    std::function<int(const BoxRequest&)> answerBox;

private:
    WatchedWidgets watched_{[](QWidget& widget) { SetBoxPresenter(widget, nullptr); }};
};
