#include "files/EntryInfo.h"

#include "files/RowFormat.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

EntryFault g_fault;

// errno of the call that the test seam fails, else 0.
int InjectedFault(EntryCall call, const std::string& path) {
    return g_fault ? g_fault(call, path) : 0;
}

struct Limit {
    int low, high;
    const char* message;
};

constexpr Limit kLimits[kDateFieldCount] = {
    {1970, 9999, "年数は1970以降でお願いします。"}, {1, 12, "１から１２までしか入力出来ません"},
    {1, 31, "１から３１までしか入力出来ません"},    {0, 23, "０から２３までしか入力出来ません"},
    {0, 59, "０から５９までしか入力出来ません"},    {0, 59, "０から５９までしか入力出来ません"},
};

std::optional<int> ParseNumber(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string Scaled(double value, const char* unit, std::uint32_t size) {
    char number[64];
    std::snprintf(number, sizeof number, "%.3f", value);
    return "サイズ :　　" + std::string(number) + unit + " (" + GroupThousands(size) + "ﾊﾞｲﾄ)";
}

// 0 when the entry opens for writing, else errno.
int OpenForWriting(const std::string& path) {
    if (int error = InjectedFault(EntryCall::OpenForWriting, path))
        return error;
    // Never waits on a FIFO or a device that a name in the list might be.
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

int SetTime(const std::string& path, std::time_t modified) {
    if (int error = InjectedFault(EntryCall::SetTime, path))
        return error;
    timespec times[2] = {{0, UTIME_OMIT}, {modified, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : errno;
}

int SetMode(const std::string& path, mode_t mode) {
    if (int error = InjectedFault(EntryCall::SetMode, path))
        return error;
    return ::chmod(path.c_str(), mode) == 0 ? 0 : errno;
}

std::time_t EvenSeconds(std::time_t time) {
    return time - ((time % 2) + 2) % 2;
}

} // namespace

EntryInfo ReadEntryInfo(const std::string& path) {
    EntryInfo info;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) {
        info.error = errno;
        return info;
    }
    info.isFolder = S_ISDIR(st.st_mode);
    info.size = info.isFolder ? 0 : static_cast<std::uint64_t>(st.st_size);
    info.readOnly = (st.st_mode & S_IWUSR) == 0;
    info.hidden = std::filesystem::path(path).filename().string().starts_with('.');
    info.modified = st.st_mtim.tv_sec;
    return info;
}

std::string InfoSizeLine(std::uint32_t size) {
    if (size > 1073741824u)
        return Scaled(size / 1073741824.0, "GB", size);
    if (size > 1048576u)
        return Scaled(size / 1048576.0, "MB", size);
    if (size >= 1024u)
        return Scaled(size / 1024.0, "KB", size);
    return "サイズ :　　" + std::to_string(size) + "ﾊﾞｲﾄ";
}

DateFields SplitLocalTime(std::time_t time) {
    // Time 0 is a date like any other here (the list shows no date for it).
    std::tm local{};
    if (!localtime_r(&time, &local) || local.tm_year + 1900 < 0 || local.tm_year + 1900 > 9999)
        return {};
    auto two = [](int value) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d", value);
        return std::string(text);
    };
    char year[16];
    std::snprintf(year, sizeof year, "%04d", local.tm_year + 1900);
    return {year,
            two(local.tm_mon + 1),
            two(local.tm_mday),
            two(local.tm_hour),
            two(local.tm_min),
            two(local.tm_sec - local.tm_sec % 2)};
}

std::string CheckDateField(DateField field, std::string_view text) {
    const Limit& limit = kLimits[field];
    std::optional<int> value = ParseNumber(text);
    return value && *value >= limit.low && *value <= limit.high ? std::string()
                                                                : std::string(limit.message);
}

std::optional<DateField> FirstBadField(const DateFields& fields) {
    for (int i = 0; i < kDateFieldCount; ++i) {
        auto field = static_cast<DateField>(i);
        if (!CheckDateField(field, fields[static_cast<size_t>(i)]).empty())
            return field;
    }
    return std::nullopt;
}

std::optional<std::time_t> ComposeLocalTime(const DateFields& fields) {
    if (FirstBadField(fields))
        return std::nullopt;
    int v[kDateFieldCount];
    for (int i = 0; i < kDateFieldCount; ++i)
        v[i] = *ParseNumber(fields[static_cast<size_t>(i)]);
    std::tm tm{};
    tm.tm_year = v[kYear] - 1900;
    tm.tm_mon = v[kMonth] - 1;
    tm.tm_mday = v[kDay];
    tm.tm_hour = v[kHours];
    tm.tm_min = v[kMinutes];
    tm.tm_sec = v[kSeconds];
    tm.tm_isdst = -1;
    std::tm asked = tm;
    std::time_t time = std::mktime(&tm);
    // mktime moves 30 February to 2 March: such a date does not exist.
    if (time == static_cast<std::time_t>(-1) || tm.tm_mday != asked.tm_mday ||
        tm.tm_mon != asked.tm_mon || tm.tm_year != asked.tm_year || tm.tm_hour != asked.tm_hour)
        return std::nullopt;
    return time;
}

std::string InvalidDateMessage(const DateFields& f) {
    return "'" + f[kYear] + "/" + f[kMonth] + "/" + f[kDay] + " " + f[kHours] + ":" + f[kMinutes] +
           ":" + f[kSeconds] + "' は正しい日付と時刻ではありません。";
}

ApplyOutcome ApplyEntryInfo(const std::string& path, std::time_t modified, bool readOnly) {
    ApplyOutcome outcome;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        outcome.timeError = errno;
        return outcome;
    }
    const std::time_t wanted = EvenSeconds(modified);
    // Read-only blocks the new time as it does on the original file system, also for
    // root, who could open the file anyway; a folder keeps its time. A time left as
    // shown is not written, so that an attribute change never fails on it.
    const bool newTime = wanted != EvenSeconds(st.st_mtim.tv_sec);
    if (newTime && !S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) != 0) {
        outcome.timeError = OpenForWriting(path);
        if (outcome.timeError == 0)
            outcome.timeError = SetTime(path, wanted);
        if (outcome.timeError != 0)
            return outcome;
        outcome.timeSet = true;
    }
    mode_t mode = readOnly ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
    if ((mode & 07777) != (st.st_mode & 07777))
        outcome.attributeError = SetMode(path, mode & 07777);
    return outcome;
}

void SetEntryFaultForTest(EntryFault fault) {
    g_fault = std::move(fault);
}
