#include "app/qt/Application.h"

#include "app/qt/Mainunit1.h"
#include "platform/qt/MessageBox.h"

#include <exception>

DravikApplication::DravikApplication(int& argc, char** argv)
    : QApplication(argc, argv), errorBoxes(&ModalBoxPresenter()) {
    setApplicationName(QStringLiteral("Dravik"));
}

bool DravikApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Fail(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Fail(QStringLiteral("不明なエラーが発生しました。"));
    }
    return false;
}

void DravikApplication::Fail(const QString& text) {
    if (form)
        form->SkipSettingsSave = true;
    errorBoxes->Present(nullptr,
                        {BoxIcon::Stop, BoxButtons::Ok, QStringLiteral("エラー"), text, {}});
    exit(0);
}
