#include "transfer/SendTime.h"

#include <gtest/gtest.h>

namespace {

TEST(SendTime, EstimatesFromTheRateOfTheLastTenSeconds) {
    SendCounters c;
    c.StartFile(12000);
    c.sent = 2000;
    SendTimeEstimate(c);
    EXPECT_EQ(c.remainingSeconds, 50); // 200 bytes a second, 10000 to go
    EXPECT_EQ(c.estimateBase, 2000);

    c.sent = 2008; // a DC3 pause: 8 bytes in 10 s leave the estimate as it was
    SendTimeEstimate(c);
    EXPECT_EQ(c.remainingSeconds, 50);
    EXPECT_EQ(c.estimateBase, 2000);

    c.sent = 2011; // 11 bytes: 1 byte a second
    SendTimeEstimate(c);
    EXPECT_EQ(c.remainingSeconds, 12000 - 2011);
}

TEST(SendTime, SlowRatesAndNewFilesNeverDivideByZero) {
    SendCounters c;
    c.StartFile(1000);
    c.estimateBase = 500; // the worker of the previous file ran after the new one started
    c.sent = 0;
    SendTimeEstimate(c);
    EXPECT_EQ(c.remainingSeconds, 0);
    c.StartFile(int64_t(3) << 32); // past 32 bits
    c.sent = int64_t(1) << 32;
    SendTimeEstimate(c);
    EXPECT_EQ(c.remainingSeconds, (int64_t(2) << 32) / ((int64_t(1) << 32) / 10));
}

TEST(SendTime, WorkersRunWhileTheJobCountsAndAreJoined) {
    SendCounters c;
    c.StartFile(1'000'000);
    {
        SendTimeWorker worker(c);
        for (int i = 1; i <= 200; ++i) {
            c.sent += 1000;
            worker.Tick();
        }
    }
    // Every worker has finished: the last one saw all that was sent.
    EXPECT_EQ(c.estimateBase, 200'000);
}

} // namespace
