#include "files/qt/FolderCheck.h"

TFolderCheck::TFolderCheck(std::function<void()> relist, std::function<bool()> busy,
                           QObject* parent, int intervalMs, FolderWatch::ShareTest onShare)
    : QObject(parent), relist_(std::move(relist)), busy_(std::move(busy)),
      watch_(
          [this](std::uint64_t epoch) {
              // From the watch thread: the timer belongs to the user-interface thread.
              QMetaObject::invokeMethod(
                  this, [this, epoch] { Changed(epoch); }, Qt::QueuedConnection);
          },
          std::move(onShare)) {
    ChangeTimer.setSingleShot(true);
    ChangeTimer.setInterval(intervalMs);
    connect(&ChangeTimer, &QTimer::timeout, this, &TFolderCheck::ChangeTimerTick);
}

TFolderCheck::~TFolderCheck() {
    // The thread ends before anything it calls into goes.
    watch_.Stop();
}

void TFolderCheck::Follow(const std::string& dirPath) {
    watch_.Follow(dirPath);
}

void TFolderCheck::OwnListingStarts() {
    ChangeTimer.stop();
    watch_.OwnListingStarts();
}

void TFolderCheck::Changed(std::uint64_t epoch) {
    if (epoch != watch_.Epoch())
        return; // read before a listing that already shows it
    // Starting a running timer again would not restart it: one listing per burst.
    if (!ChangeTimer.isActive())
        ChangeTimer.start();
}

void TFolderCheck::ChangeTimerTick() {
    ChangeTimer.stop();
    if (busy_ && busy_()) {
        ChangeTimer.start(); // look again when the command may be over
        return;
    }
    if (relist_)
        relist_();
}
