#include "dnc/MachineStatus.h"

#include <gtest/gtest.h>

namespace {

TEST(MachineStatus, EveryStateCrossesTheSocketAndReadsAsTheOperatorSeesIt) {
    struct Case {
        MachineStatus status;
        const char* activity;
    };
    const Case cases[] = {
        {{"MILL-1", MachineState::Listening, "", 0, 0, "", 0, ""}, "-"},
        {{"MILL-1", MachineState::Receiving, "O1234", 12345, 0, "", 2, "10:00:00 受信 O1 完了"},
         "O1234 12,345 バイト"},
        {{"L_2", MachineState::Sending, "O77.NC", 1000, 250000, "", 1, ""},
         "O77.NC 1,000/250,000 バイト"},
        {{"L_2", MachineState::Waiting, "O77.NC", 0, 0, "", 3, ""}, "O77.NC"},
        {{"NET", MachineState::Down, "", 0, 0, "tcp://ds:7001: 接続できません", 0, ""},
         "tcp://ds:7001: 接続できません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(StateName(c.status.state));
        EXPECT_EQ(DescribeActivity(c.status), c.activity);
        MachineStatus back;
        ASSERT_TRUE(DecodeStatus(EncodeStatus(c.status), back));
        EXPECT_EQ(back.name, c.status.name);
        EXPECT_EQ(back.state, c.status.state);
        EXPECT_EQ(DescribeActivity(back), c.activity);
        EXPECT_EQ(back.queued, c.status.queued);
        EXPECT_EQ(back.last, c.status.last);
    }
}

TEST(MachineStatus, ATabOrLineEndInAFieldCannotBreakTheLine) {
    MachineStatus status{"M", MachineState::Down, "", 0, 0, "bad\tport\nname", 0, "x\ty"};
    const std::string line = EncodeStatus(status);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    MachineStatus back;
    ASSERT_TRUE(DecodeStatus(line, back));
    EXPECT_EQ(back.reason, "bad port name");
    EXPECT_EQ(back.last, "x y");
}

TEST(MachineStatus, ALineThatIsNoStatusIsRefused) {
    MachineStatus back;
    for (const char* line : {"", "error\tそのマシンはありません", "M\tasleep\t\t0\t0\t\t0\t",
                             "M\tdown\t\tx\t0\t\t0\t", "M\tdown\t\t0\t0\t\t-1\t"})
        EXPECT_FALSE(DecodeStatus(line, back)) << line;
}

} // namespace
