#include "files/qt/CreateDirectoryQuestion.h"

#include "support/BoxRecorder.h"
#include "support/TempDir.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace fs = std::filesystem;

namespace {

// The three ends of the question as the split, copy and command-line callers meet
// them; a file standing where a level should go makes the creation fail even as root.
TEST(CreateDirectoryQuestion, AnswerDecidesAndAFailureIsNamed) {
    struct Case {
        const char* name;
        int answer;
        const char* target; // below the temporary folder; "BLOCK" is a file
        CreateDirectoryOutcome outcome;
        bool exists;
        size_t boxes; // the question, and the refusal after a failure
    };
    const Case cases[] = {
        {"declined", kAnswerNo, "NEW/SUB", CreateDirectoryOutcome::Declined, false, 1},
        {"created with every level", kAnswerYes, "NEW/SUB", CreateDirectoryOutcome::Created, true,
         1},
        {"blocked by a file", kAnswerYes, "BLOCK/SUB", CreateDirectoryOutcome::Failed, false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write("BLOCK", "x");
        BoxRecorder recorder;
        const std::vector<BoxRequest>& boxes = recorder.boxes;
        recorder.answerBox = [&](const BoxRequest&) {
            return boxes.size() == 1 ? c.answer : int(kAnswerOk);
        };
        QWidget window;
        recorder.Watch(window);
        int answer = 0;
        const fs::path target = dir / c.target;
        EXPECT_EQ(AskCreateDirectory(&window, target.string(), MissingDirectoryQuestion(), &answer),
                  c.outcome);
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(fs::is_directory(target), c.exists);
        ASSERT_EQ(boxes.size(), c.boxes);
        EXPECT_EQ(boxes[0].text, MissingDirectoryQuestion());
        EXPECT_EQ(boxes[0].buttons, BoxButtons::YesNo);
        if (c.boxes == 2) {
            EXPECT_TRUE(
                boxes[1].text.startsWith(QStringLiteral("ディレクトリを作成できませんでした。\n")));
            EXPECT_TRUE(boxes[1].text.contains(QStringLiteral("BLOCK")))
                << boxes[1].text.toStdString();
        }
    }
}

} // namespace
