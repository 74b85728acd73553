#include "transfer/TransferLog.h"

#include "platform/FileWrite.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/TextCodec.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

const std::string kHeader = "<<<<<　　　通信ログ　　　>>>>>\n"
                            "送受信　状態　日時　　　　　　　　　送受信ファイル名\n"
                            "─────────────────────────────────────\n";

class TransferLogTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolder(dir.path()); }
    void TearDown() override {
        SetProgramFolder({});
        SetFileWriteFaultForTest(nullptr);
    }
    std::string Log() const { return TempDir::Read(dir / "Dravik.log"); }
    TempDir dir;
};

TEST_F(TransferLogTest, FirstEntryCreatesHeaderAndLaterEntriesAppend) {
    std::tm t{};
    t.tm_year = 105;
    t.tm_mon = 2;
    t.tm_mday = 1;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    std::time_t when = std::mktime(&t);
    ASSERT_EQ(FormatLogTime(when), "2005/03/01 14:05:09");

    std::string first = MakeLogEntry(kLogSendCompleted, when, JoinPath("/home/nc", "O1.NC"));
    EXPECT_EQ(first, "送信　　完了　2005/03/01 14:05:09　/home/nc/O1.NC\n");
    AppendLogEntry(first);
    EXPECT_EQ(Log(), kHeader + first);

    std::string second = MakeLogEntry(kLogSendStopped, when, JoinPath("/", "A.NC"));
    AppendLogEntry(second);
    EXPECT_EQ(Log(), kHeader + first + second);
    EXPECT_EQ(second.find("　/A.NC"), second.size() - 9) << "no doubled separator at the root";
}

TEST_F(TransferLogTest, ViewingANewLogWritesHeaderAndOneEmptyEntry) {
    std::string text;
    ASSERT_TRUE(LoadTransferLogForView(text));
    EXPECT_EQ(Log(), kHeader + "\n");
    EXPECT_EQ(text, kHeader + "\n");
    // A second view adds nothing.
    ASSERT_TRUE(LoadTransferLogForView(text));
    EXPECT_EQ(Log(), kHeader + "\n");
}

TEST_F(TransferLogTest, ViewDecodesShiftJisAndUtf8LinesEachOnItsOwn) {
    std::string sjisLine = Utf8ToCp932("受信　　完了　2004/01/02 03:04:05　C:\\NC\\O1.NC");
    std::string utf8Line = "送信　　完了　2026/12/08 10:00:00　/nc/O2.NC";
    dir.Write("Dravik.log", sjisLine + "\r\n" + utf8Line + "\n");
    std::string text;
    ASSERT_TRUE(LoadTransferLogForView(text));
    EXPECT_EQ(text, "受信　　完了　2004/01/02 03:04:05　C:\\NC\\O1.NC\n" + utf8Line + "\n");
}

TEST_F(TransferLogTest, UnwritableLogLosesTheEntrySilently) {
    SetFileWriteFaultForTest([](const std::filesystem::path&) { return EROFS; });
    AppendLogEntry(MakeLogEntry(kLogSendStopped, 0, "/x/y"));
    // Nothing is left behind, so the next entry still starts a log with its header.
    EXPECT_FALSE(std::filesystem::exists(dir / "Dravik.log"));
    SetFileWriteFaultForTest(nullptr);
    AppendLogEntry("x\n");
    EXPECT_EQ(Log(), kHeader + "x\n");
}

} // namespace
