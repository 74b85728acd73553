#include "files/qt/CreateDirectoryQuestion.h"

#include "files/MakeDirectoryPath.h"
#include "files/qt/TransferDialogs.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/QtText.h"

QString MissingDirectoryQuestion() {
    return FromUtf8(kMissingDirectoryQuestion);
}

CreateDirectoryOutcome AskCreateDirectory(QWidget* window, const std::string& path,
                                          const QString& question, int* answer) {
    const int given = ShowBoxAtCorner(
        window, {BoxIcon::Exclamation, BoxButtons::YesNo, QStringLiteral("警告"), question, {}});
    if (answer)
        *answer = given;
    if (given != kAnswerYes)
        return CreateDirectoryOutcome::Declined;
    std::string error;
    if (MakeDirectoryPath(path, &error))
        return CreateDirectoryOutcome::Created;
    ShowRefusal(window,
                QStringLiteral("ディレクトリを作成できませんでした。\n") + ShownText(error));
    return CreateDirectoryOutcome::Failed;
}
