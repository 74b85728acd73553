#include "platform/qt/ButtonKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterPresses : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter))
            return false;
        if (button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void PressOnEnter(std::initializer_list<QPushButton*> buttons) {
    static EnterPresses presses;
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(&presses);
    }
}
