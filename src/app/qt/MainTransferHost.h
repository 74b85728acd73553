// The main window as the transfer jobs and NC tools see it: pending events, sleeps,
// the clock, the stop keys F3 and Esc, the lamps, the status and message lines,
// questions and message boxes, and the port-switch dialog.
#pragma once

class TForm1;
class TransferHost;

#include <functional>

// The host of form, made on first use and living as long as the window.
TransferHost& MainTransferHost(TForm1& form);

// The running job stops as if F3 were pressed: the request holds until the job
// lets go of the stop keys, so that no window event can lose it.
void RequestTransferStop(TForm1& form);

// When set, the sleeps of form's host (the 4000 ms drain, InvTime, the port-switch
// pauses) call sleep instead of blocking: a test counts them rather than waits.
void SetTransferSleep(TForm1& form, std::function<void(int ms)> sleep);
