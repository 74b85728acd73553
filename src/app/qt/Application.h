// The application object: an exception that escapes an event handler is shown in
// the error box, and the program then ends without saving this run's settings.
#pragma once

#include <QApplication>

class BoxPresenter;
class TForm1;

class DravikApplication : public QApplication {
public:
    DravikApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    TForm1* form = nullptr;
    // Shows the error box, which belongs to no window; the modal box unless replaced.
    BoxPresenter* errorBoxes;

private:
    void Fail(const QString& text);
};
