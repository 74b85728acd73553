// TFolderCheck: the folder change watch of the file list. Its thread (FolderWatch)
// reads the changes; the user-interface thread gets them through a queued call and
// lists again once, a second after the first change of a burst, keeping the current
// file. While a command runs (the list disabled, a modal dialog, a listing or a
// rename) the listing waits for its end, so no listing runs under a command that
// works on the rows; a listing of the program itself drops what it already shows.
#pragma once

#include "files/FolderWatch.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class TFolderCheck : public QObject {
    Q_OBJECT
public:
    // relist lists the working directory keeping the current file; busy says a
    // command runs. intervalMs is the delay after the first change; onShare, when
    // given, decides which folders are network shares.
    TFolderCheck(std::function<void()> relist, std::function<bool()> busy,
                 QObject* parent = nullptr, int intervalMs = 1000,
                 FolderWatch::ShareTest onShare = {});
    ~TFolderCheck() override;

    // The working directory to watch (after each listing and at start).
    void Follow(const std::string& dirPath);
    // Called as a listing of the program starts: no second listing for what it reads.
    void OwnListingStarts();
    void ChangeTimerTick();

    bool ChangePending() const { return ChangeTimer.isActive(); }
    bool Watching() const { return watch_.Watching(); }
    std::string Watched() const { return watch_.Watched(); }

    QTimer ChangeTimer;

private:
    void Changed(std::uint64_t epoch);

    std::function<void()> relist_;
    std::function<bool()> busy_;
    FolderWatch watch_;
};
