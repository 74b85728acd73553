// Who answers a box: the presenter given to the nearest widget above the one that
// asks, so that a window and its dialogs share one, and two windows side by side
// each keep their own.
#include "platform/qt/MessageBox.h"

#include "support/BoxRecorder.h"

#include <QDialog>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(BoxPresenter, TheNearestOwnerAnswers) {
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* dialog = new QDialog(&window);
    auto* dialogField = new QLineEdit(dialog);
    QWidget other;
    auto* otherField = new QLineEdit(&other);

    BoxRecorder windowBoxes;
    BoxRecorder dialogBoxes;
    BoxRecorder otherBoxes;
    windowBoxes.answer = kAnswerNo;
    otherBoxes.answer = kAnswerCancel;
    windowBoxes.Watch(window);
    otherBoxes.Watch(other);

    struct Case {
        const char* asker;
        QWidget* parent;
        bool dialogWatched;
        BoxRecorder* expected;
        int answer;
    } cases[] = {
        {"the window itself", &window, false, &windowBoxes, kAnswerNo},
        {"a field of the window", field, false, &windowBoxes, kAnswerNo},
        {"a dialog made on the window", dialog, false, &windowBoxes, kAnswerNo},
        {"a field of that dialog", dialogField, false, &windowBoxes, kAnswerNo},
        {"the dialog with its own", dialogField, true, &dialogBoxes, kAnswerYes},
        {"the window beside it", otherField, true, &otherBoxes, kAnswerCancel},
        {"the dialog's own taken back", dialog, false, &windowBoxes, kAnswerNo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asker);
        SetBoxPresenter(*dialog, c.dialogWatched ? &dialogBoxes : nullptr);
        for (BoxRecorder* recorder : {&windowBoxes, &dialogBoxes, &otherBoxes})
            recorder->boxes.clear();
        EXPECT_EQ(AskYesNo(c.parent, QStringLiteral("確認"), QStringLiteral("消しますか？")),
                  c.answer);
        for (BoxRecorder* recorder : {&windowBoxes, &dialogBoxes, &otherBoxes})
            EXPECT_EQ(recorder->boxes.size(), recorder == c.expected ? 1u : 0u);
        ASSERT_EQ(c.expected->boxes.size(), 1u);
        EXPECT_EQ(c.expected->boxes[0].buttons, BoxButtons::YesNo);
        EXPECT_EQ(c.expected->boxes[0].text, QStringLiteral("消しますか？"));
    }
}

} // namespace
