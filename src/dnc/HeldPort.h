// A machine's line, held open by its worker for as long as the server runs, and
// lent to one job at a time. A lent port sleeps in poll() on the line together
// with the server's stop and the worker's wake-up, so that a waiting job costs
// nothing and still stops at once; the jobs never see the difference.
#pragma once

#include "platform/SerialPort.h"

#include <memory>
#include <string>

// What a lent port's waits also wake for: the server stopping (never drained)
// and the worker's wake-up (drained when seen).
struct WakeFds {
    int stop = -1;
    int wake = -1;
};

class HeldPort {
public:
    HeldPort(std::unique_ptr<SerialPort> port, WakeFds wake);

    SerialPort& Port() { return *port_; }
    const WakeFds& Wake() const { return wake_; }
    // The modem lines can be read: a wait must look at them now and then.
    bool ModemReadable() const { return modemReadable_; }

    // A port for one job; closing it (deleting it) leaves the line open. With
    // keepInput the job's purge leaves what has arrived (the first bytes of the
    // reception that woke the worker); coalesceMs lets bytes gather between two
    // reads, so that a slow line is read in runs and not byte by byte.
    std::unique_ptr<SerialPort> Lend(bool keepInput, int coalesceMs);

    // Looks at the line without waiting: what has arrived is kept for the next
    // job's reads. Byte when something came, Failed when the line failed.
    ReadResult Peek();
    // Bytes taken by Peek and not yet read by a job.
    std::string& Pending() { return pending_; }
    // Empties both queues of the line and what Peek kept.
    void Purge();

private:
    std::unique_ptr<SerialPort> port_;
    WakeFds wake_;
    bool modemReadable_ = false;
    std::string pending_;
};

// Waits in poll() for input on fd (-1: none) or a wake-up; timeoutMs -1 waits
// without end. Returns true when fd is readable (or hung up), false otherwise;
// a wake-up seen on wake.wake is drained.
bool WaitForInput(int fd, const WakeFds& wake, int timeoutMs);
