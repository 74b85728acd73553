// Process entry: one running copy per program folder, then the main window. A
// second start hands its files to the copy that runs and ends.
#include "app/SecondStart.h"
#include "app/qt/Application.h"
#include "app/qt/Mainunit1.h"
#include "platform/HandOver.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "platform/qt/HandOverService.h"

#include <iostream>

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return args;
}

} // namespace

int main(int argc, char** argv) {
    SingleInstance instance(ProgramFolder());
    const std::string socketPath =
        instance.LockPath().empty() ? std::string() : HandOverSocketPath(instance.LockPath());
    if (instance.HeldElsewhere()) {
        return RunSecondStart(
            Arguments(argc, argv),
            [&](const std::vector<std::string>& paths, std::vector<HandOverAnswer>& answers,
                std::string* error) { return HandFilesOver(socketPath, paths, answers, error); },
            std::cerr);
    }

    // The toolkit takes its own options out of the arguments first.
    DravikApplication app(argc, argv);
    TForm1 form;
    app.form = &form;
    form.FormCreate(Arguments(argc, argv));
    // Listening before the start-up checks: a file handed over while one of their
    // boxes is up waits for it to close rather than finding no one to take it.
    if (instance.Acquired()) {
        form.ListenForHandedFiles(socketPath);
        if (!form.HandOver->Listening())
            std::cerr << "ファイルの受け渡しを開始できません: " << form.HandOver->Error() << '\n';
    }
    form.show();
    form.FormShow();
    app.exec();
    return 0;
}
