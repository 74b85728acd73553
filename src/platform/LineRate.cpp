#include "platform/LineRate.h"

#include "platform/SerialPort.h"

#include <algorithm>

std::chrono::nanoseconds CharacterTime(const Dcb& dcb) {
    if (dcb.BaudRate <= 0) {
        return std::chrono::nanoseconds(0);
    }
    int bits = 1 + dcb.ByteSize + (dcb.parity != Parity::None ? 1 : 0) +
               (dcb.stopBits == StopBits::One ? 1 : 2);
    return std::chrono::nanoseconds(1'000'000'000LL * bits / dcb.BaudRate);
}

std::chrono::nanoseconds TimeToDrainTo(int count, int target,
                                       std::chrono::nanoseconds characterTime) {
    if (count <= target) {
        return std::chrono::nanoseconds(0);
    }
    return characterTime * (count - target);
}

void UnsentBytes::Written(Clock::time_point now, size_t bytes) {
    if (characterTime_.count() <= 0) {
        return;
    }
    // An idle line starts on the new byte at once; a busy one after its last byte.
    lineFreeAt_ = std::max(now, lineFreeAt_) + characterTime_ * static_cast<long long>(bytes);
}

int UnsentBytes::Count(Clock::time_point now) const {
    if (characterTime_.count() <= 0 || lineFreeAt_ <= now) {
        return 0;
    }
    auto left = (lineFreeAt_ - now).count();
    auto each = std::chrono::duration_cast<Clock::duration>(characterTime_).count();
    return static_cast<int>((left + each - 1) / each);
}
