// Process entry: one running copy per program folder, the main window, and an
// error box for anything that escapes an event handler.
#include "app/qt/Mainunit1.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace {

class DravikApplication : public QApplication {
public:
    using QApplication::QApplication;
    TForm1* form = nullptr;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Fail(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            Fail(QStringLiteral("不明なエラー"));
        }
        return false;
    }

private:
    // The toolkit's error box; then the program ends without saving this run's settings.
    void Fail(const QString& text) {
        if (form)
            form->SkipSettingsSave = true;
        QMessageBox::critical(nullptr, QStringLiteral("Dravik"), text);
        exit(0);
    }
};

} // namespace

int main(int argc, char** argv) {
    SingleInstance instance(ProgramFolder());
    if (!instance.Acquired())
        return 0;

    DravikApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dravik"));
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
