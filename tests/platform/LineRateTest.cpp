// The line-rate model that stands in for the FIFO counts a driver does not give.
#include "platform/LineRate.h"
#include "platform/SerialPort.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(LineRate, CharacterTimeCountsEveryBitOfTheFrame) {
    struct Case {
        int baud, bits;
        Parity parity;
        StopBits stop;
        std::chrono::nanoseconds time;
    } cases[] = {
        {1200, 8, Parity::None, StopBits::One, 8'333'333ns},
        {4800, 8, Parity::None, StopBits::Two, 2'291'666ns},
        {9600, 7, Parity::Even, StopBits::One, 1'041'666ns},
        {14400, 7, Parity::Odd, StopBits::Two, 763'888ns},
        {2400, 7, Parity::Even, StopBits::OneAndHalf, 4'583'333ns}, // sent as two
        {19200, 8, Parity::None, StopBits::One, 520'833ns},
        {0, 8, Parity::None, StopBits::One, 0ns},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.baud);
        Dcb dcb;
        dcb.BaudRate = c.baud;
        dcb.ByteSize = c.bits;
        dcb.parity = c.parity;
        dcb.stopBits = c.stop;
        EXPECT_EQ(CharacterTime(dcb), c.time);
    }
}

// Times in tenths of a character; each step writes, then asks at its time.
TEST(LineRate, UnsentBytesFollowTheWire) {
    struct Step {
        int atTenths;
        int writes;
        int unsent;
    } steps[] = {
        {0, 3, 3},   // a burst: all three still to go
        {5, 0, 3},   // the first is half on the wire
        {10, 0, 2},  //
        {15, 1, 3},  // written behind the others, it waits for them
        {40, 0, 0},  // all gone
        {100, 1, 1}, // an idle line banks no time: the next byte starts now
        {105, 0, 1}, //
        {110, 0, 0},
    };
    UnsentBytes unsent;
    unsent.SetCharacterTime(1ms);
    const auto t0 = UnsentBytes::Clock::time_point{} + 1h;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.atTenths);
        auto now = t0 + 100us * step.atTenths;
        if (step.writes > 0) {
            unsent.Written(now, size_t(step.writes));
        }
        EXPECT_EQ(unsent.Count(now), step.unsent);
    }
    unsent.Written(t0 + 200ms, 20);
    EXPECT_EQ(unsent.Count(t0 + 200ms), 20);
    unsent.Clear();
    EXPECT_EQ(unsent.Count(t0 + 200ms), 0);

    UnsentBytes unknownRate; // no rate set: models nothing
    unknownRate.Written(t0, 100);
    EXPECT_EQ(unknownRate.Count(t0), 0);
}

} // namespace
