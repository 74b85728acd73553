// Files handed over by a second start of the program (a file manager's "open"
// while this copy runs): each is copied into the working folder as a start
// argument is, with the same replace question, and the list then shows it current.
#include "app/qt/Mainunit1.h"

#include "app/StartArguments.h"
#include "files/qt/FileListBox.h"
#include "files/qt/TransferDialogs.h"
#include "platform/qt/HandOverService.h"
#include "platform/qt/MessageBox.h"

void TForm1::ListenForHandedFiles(const std::string& socketPath) {
    delete HandOver;
    HandOver = new HandOverService(
        socketPath,
        [this](const std::vector<std::string>& paths) { return TakeHandedFiles(paths); },
        [this] { return CommandRunning(); }, this);
}

std::vector<HandOverAnswer> TForm1::TakeHandedFiles(const std::vector<std::string>& paths) {
    raise();
    activateWindow();
    std::vector<HandOverAnswer> answers;
    std::vector<std::string> failures;
    std::string current;
    for (const std::string& path : paths) {
        HandOverAnswer& answer = answers.emplace_back();
        if (ClassifyArgument(path) != ArgumentKind::FileImport) {
            answer.reason = "ファイルではありません";
            failures.push_back(path + ": " + answer.reason);
            continue;
        }
        bool copied = false, declined = false;
        std::string error;
        const std::string maskBefore = Settings.Mask;
        StartState ignored;
        ProcessArgument(path, Settings, ignored,
                        [&](const std::filesystem::path& from, const std::filesystem::path& to) {
                            copied = ImportStartFile(from, to, &declined, &error);
                            return copied;
                        });
        if (copied || declined) {
            answer.status = copied ? HandOverStatus::Taken : HandOverStatus::Declined;
            current = std::filesystem::path(path).filename().string();
            continue;
        }
        // Nothing arrived, so the list keeps showing what it showed.
        Settings.Mask = maskBefore;
        answer.reason = error.empty() ? "コピーできませんでした" : error;
        failures.push_back(path + ": " + answer.reason);
    }
    if (!current.empty()) {
        FileList.renamedName = current;
        ListDirectory(false, false, false);
        ListBox1->setFocus();
    }
    if (!failures.empty())
        ShowBox(this, {BoxIcon::Stop,
                       BoxButtons::Ok,
                       QStringLiteral("エラー"),
                       FailureText(QStringLiteral("渡されたファイルをコピーできませんでした。"),
                                   failures),
                       {}});
    return answers;
}
