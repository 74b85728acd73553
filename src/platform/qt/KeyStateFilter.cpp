#include "platform/qt/KeyStateFilter.h"

#include <QApplication>
#include <QKeyEvent>

KeyStateFilter::KeyStateFilter(QObject* parent) : QObject(parent) {}

void KeyStateFilter::Install() {
    qApp->installEventFilter(this);
}

bool KeyStateFilter::Pressed() {
    bool pressed = Held() || f3Pressed_ || escPressed_;
    f3Pressed_ = false;
    escPressed_ = false;
    return pressed;
}

void KeyStateFilter::Release() {
    Forget();
}

void KeyStateFilter::Forget() {
    f3Down_ = false;
    escDown_ = false;
    f3Pressed_ = false;
    escPressed_ = false;
}

bool KeyStateFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // An application filter sees a key once per widget it travels through
        // (focus widget, then its parents); the state makes that harmless.
        auto* key = static_cast<QKeyEvent*>(event);
        bool down = event->type() == QEvent::KeyPress;
        if (!down && key->isAutoRepeat()) {
            break; // auto-repeat sends a release between repeats while the key stays down
        }
        if (key->key() == Qt::Key_F3) {
            f3Down_ = down;
            f3Pressed_ = f3Pressed_ || down;
        } else if (key->key() == Qt::Key_Escape) {
            escDown_ = down;
            escPressed_ = escPressed_ || down;
        }
        break;
    }
    case QEvent::ApplicationDeactivate:
    case QEvent::WindowDeactivate:
        Forget();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
