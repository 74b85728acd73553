#include "platform/qt/HandOverService.h"

#include <QSocketNotifier>

HandOverService::HandOverService(const std::string& socketPath, Take take,
                                 std::function<bool()> busy, QObject* parent, int retryMs)
    : QObject(parent), listener_(socketPath), take_(std::move(take)), busy_(std::move(busy)) {
    retry_.setSingleShot(true);
    retry_.setInterval(retryMs);
    connect(&retry_, &QTimer::timeout, this, &HandOverService::TakeWaiting);
    if (!listener_.Listening())
        return;
    acceptNotifier_ = new QSocketNotifier(listener_.Fd(), QSocketNotifier::Read, this);
    connect(acceptNotifier_, &QSocketNotifier::activated, this, &HandOverService::AcceptAll);
}

HandOverService::~HandOverService() {
    // The notifiers go before the descriptors they watch are closed.
    for (auto& [fd, reading] : reading_)
        delete reading.notifier;
    delete acceptNotifier_;
}

void HandOverService::AcceptAll() {
    for (int fd = listener_.Accept(); fd >= 0; fd = listener_.Accept()) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        reading_[fd] = {std::make_unique<HandOverConnection>(fd), notifier};
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { ReadFrom(fd); });
        ReadFrom(fd); // the request may be whole already
    }
}

void HandOverService::ReadFrom(int fd) {
    auto found = reading_.find(fd);
    if (found == reading_.end())
        return;
    std::vector<std::string> paths;
    const HandOverDecode decoded = found->second.connection->Read(paths);
    if (decoded == HandOverDecode::NeedMore)
        return;
    std::unique_ptr<HandOverConnection> connection = std::move(found->second.connection);
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    reading_.erase(found);
    // A malformed request closes here: the other end learns it from the closed socket.
    if (decoded != HandOverDecode::Done)
        return;
    // A start without files only brings the window to the front: no command waits
    // for that, and the second start must not wait for a command either.
    if (paths.empty()) {
        connection->Reply(take_ ? take_(paths) : std::vector<HandOverAnswer>());
        return;
    }
    waiting_.push_back({std::move(connection), std::move(paths)});
    TakeWaiting();
}

void HandOverService::TakeWaiting() {
    while (!waiting_.empty()) {
        if (busy_ && busy_()) {
            retry_.start();
            return;
        }
        Request request = std::move(waiting_.front());
        waiting_.pop_front();
        request.connection->Reply(take_ ? take_(request.paths) : std::vector<HandOverAnswer>());
    }
}
