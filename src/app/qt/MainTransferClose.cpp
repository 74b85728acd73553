// The close of the main window while a transfer runs: the job is stopped by its
// own stop path (DC4 to the far end, the stop entry in the log, finished programs
// kept), and the window closes once the job has returned, so that no job is left
// running with its port and the single-instance lock and no window to stop it.
#include "app/qt/MainTransferHost.h"
#include "app/qt/Mainunit1.h"

void TForm1::RunTransfer(const std::function<void()>& job) {
    // Also an error that escapes the job must not leave every later close refused.
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    };
    {
        Running running{TransferRunning};
        TransferRunning = true;
        CloseAfterTransfer = false;
        job();
    }
    if (CloseAfterTransfer) {
        CloseAfterTransfer = false;
        close();
    }
}

void TForm1::CloseAfterCompletion() {
    TransferRunning = false;
    close();
}

bool TForm1::StopTransferForClose() {
    if (!TransferRunning)
        return false;
    CloseAfterTransfer = true;
    RequestTransferStop(*this);
    return true;
}
