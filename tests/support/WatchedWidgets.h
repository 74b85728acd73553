// The widgets a test double was given to: each one still alive is handed back to
// its default when the double ends, so that no widget keeps a double that is gone.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

class WatchedWidgets {
public:
    explicit WatchedWidgets(std::function<void(QWidget&)> release) : release_(std::move(release)) {}
    ~WatchedWidgets() {
        for (const QPointer<QWidget>& widget : widgets_) {
            if (widget)
                release_(*widget);
        }
    }
    WatchedWidgets(const WatchedWidgets&) = delete;
    WatchedWidgets& operator=(const WatchedWidgets&) = delete;

    void Add(QWidget& widget) { widgets_.emplace_back(&widget); }

private:
    std::function<void(QWidget&)> release_;
    std::vector<QPointer<QWidget>> widgets_;
};
