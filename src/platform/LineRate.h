// The line's own rate, for what the driver cannot tell: how many written bytes
// are still on their way. A driver's queue count misses the UART's FIFO and a USB
// adapter's, and a pseudo-terminal counts nothing at all, so a port keeps this
// model beside the count: each byte takes one character time on the wire, from
// the moment it was written or from when the byte before it has left.
#pragma once

#include <chrono>
#include <cstddef>

struct Dcb;

// The time of one character: start bit, data bits, parity bit, stop bits (one
// and a half stop bits are sent as two here).
std::chrono::nanoseconds CharacterTime(const Dcb& dcb);

// How long count bytes on their way take to come down to target at the line's
// rate; zero when they are there already.
std::chrono::nanoseconds TimeToDrainTo(int count, int target,
                                       std::chrono::nanoseconds characterTime);

class UnsentBytes {
public:
    using Clock = std::chrono::steady_clock;

    // Zero (the default) models nothing: Count is always 0.
    void SetCharacterTime(std::chrono::nanoseconds time) { characterTime_ = time; }
    void Written(Clock::time_point now, size_t bytes = 1);
    // Bytes written that the line cannot have sent by now; one that is half
    // on the wire counts.
    int Count(Clock::time_point now) const;
    // Output discarded: nothing is on its way any more.
    void Clear() { lineFreeAt_ = {}; }

private:
    std::chrono::nanoseconds characterTime_{0};
    Clock::time_point lineFreeAt_{};
};
