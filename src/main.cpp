// Process entry: one running copy per program folder, then the main window.
#include "app/qt/Application.h"
#include "app/qt/Mainunit1.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
    SingleInstance instance(ProgramFolder());
    if (instance.HeldElsewhere())
        return 0;

    DravikApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);

    TForm1 form;
    app.form = &form;
    form.FormCreate(args);
    form.show();
    form.FormShow();
    app.exec();
    return 0;
}
