// The stop keys F3 and Esc as a transfer sees them, whatever widget has the
// focus: held (down now) and pressed (down now or pressed since the last
// query). Installed once on the application; it only watches, never eats keys.
// When the application loses activation every key is forgotten, so that a key
// released in another window is never held forever.
#pragma once

#include <QObject>

class KeyStateFilter : public QObject {
    Q_OBJECT
public:
    explicit KeyStateFilter(QObject* parent = nullptr);

    // Installs the filter on the running application (once).
    void Install();

    bool Held() const { return f3Down_ || escDown_; }
    // Down now, or pressed since the last call; the call forgets the press.
    bool Pressed();
    // Lets go of both keys, so that the stopping key is not seen again.
    void Release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Forget();

    bool f3Down_ = false;
    bool escDown_ = false;
    bool f3Pressed_ = false;
    bool escPressed_ = false;
};
