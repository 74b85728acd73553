// Renders the main window as a newcomer first sees it, on a folder of sample NC
// programs, into a PNG file.
#include "app/qt/Mainunit1.h"
#include "platform/ProgramFolder.h"
#include "platform/qt/MessageBox.h"

#include <QApplication>
#include <QPixmap>

#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    QApplication app(argc, argv);
    // A fixed folder, so that the picture does not change with every rendering.
    const std::filesystem::path home = "/tmp/dravik";
    std::filesystem::remove_all(home);
    const std::filesystem::path work = home / "NC";
    std::filesystem::create_directories(work / "OLD");
    const char* programs[] = {"O1000.NC", "O1001.NC",  "O2010.NC", "O3100.NC",
                              "O9250.NC", "SAMPLE.NC", "ﾃｽﾄ.NC"};
    int size = 120;
    for (const char* name : programs) {
        std::ofstream(work / name) << "%\n" << std::string(size, 'G') << "\n%\n";
        size = size * 7 / 3;
    }
    std::ofstream(home / "Dravik.INI") << "[Setting]\r\nDirPath=" << work.string() << "\r\n";
    SetProgramFolder(home);
    // The sample machine has no serial ports: answer the start-up port boxes.
    struct AnswerOk : BoxPresenter {
        int Present(QWidget*, const BoxRequest&) override { return kAnswerOk; }
    } answerOk;
    TForm1 form;
    SetBoxPresenter(form, &answerOk);
    form.FormCreate({});
    form.show();
    form.FormShow();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    const bool saved = form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
    std::filesystem::remove_all(home);
    return saved ? 0 : 1;
}
