// The main window as the transfer jobs and NC tools see it: pending events, sleeps,
// the clock, the stop keys F3 and Esc, the lamps, the status and message lines,
// questions and message boxes, and the port-switch dialog.
#pragma once

class TForm1;
class TransferHost;

// The host of form, made on first use and living as long as the window.
TransferHost& MainTransferHost(TForm1& form);
