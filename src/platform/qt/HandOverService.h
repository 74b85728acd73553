// The running copy's side of the hand-over: waits on the socket in the event loop,
// collects each request and gives it to the window when no command runs (a file
// arriving in the middle of a transfer or a dialog waits for its end, as the
// folder watch's listing does); a start without files, which only brings the
// window to the front, is answered at once. Every request is answered, also when
// the window goes first: the connection then closes and the second start reports it.
#pragma once

#include "platform/HandOver.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

class HandOverService : public QObject {
public:
    using Take = std::function<std::vector<HandOverAnswer>(const std::vector<std::string>& paths)>;
    // take copies the files in and answers for each; busy says a command runs.
    // retryMs is how soon a request that waited on a command looks again.
    HandOverService(const std::string& socketPath, Take take, std::function<bool()> busy,
                    QObject* parent = nullptr, int retryMs = 250);
    ~HandOverService() override;

    bool Listening() const { return listener_.Listening(); }
    const std::string& Error() const { return listener_.Error(); }
    // Requests read whole and not yet given to the window.
    std::size_t Waiting() const { return waiting_.size(); }
    // Gives the waiting requests to the window unless a command runs.
    void TakeWaiting();

private:
    struct Reading {
        std::unique_ptr<HandOverConnection> connection;
        QSocketNotifier* notifier;
    };
    struct Request {
        std::unique_ptr<HandOverConnection> connection;
        std::vector<std::string> paths;
    };
    void AcceptAll();
    void ReadFrom(int fd);

    HandOverListener listener_;
    Take take_;
    std::function<bool()> busy_;
    QSocketNotifier* acceptNotifier_ = nullptr;
    std::map<int, Reading> reading_;
    std::deque<Request> waiting_;
    QTimer retry_;
};
