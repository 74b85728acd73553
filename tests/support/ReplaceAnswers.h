// The replace question of a copy or move answered by the test: every question asked
// on a watched widget (or inside it) is recorded in asked and answered by answer. A
// question that no test expected fails the test and cancels.
#pragma once

#include "files/qt/TransferDialogs.h"
#include "support/WatchedWidgets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

class ReplaceAnswers : public ReplaceQuestion {
public:
    void Watch(QWidget& widget) {
        SetReplaceQuestion(widget, this);
        watched_.Add(widget);
    }

    ReplaceAnswer Ask(QWidget*, const std::filesystem::path& existing) override {
        asked.push_back(existing);
        if (!answer) {
            ADD_FAILURE() << "unexpected replace question for " << existing;
            return ReplaceAnswer::Cancel;
        }
        return answer(existing);
    }

    std::function<ReplaceAnswer(const std::filesystem::path& existing)> answer;
    std::vector<std::filesystem::path> asked;

private:
    WatchedWidgets watched_{[](QWidget& widget) { SetReplaceQuestion(widget, nullptr); }};
};
