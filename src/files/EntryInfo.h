// What the file information dialog shows of one entry and writes back: the size
// line, the attributes as this platform has them (read-only is the owner's write
// permission, hidden a leading "."), the last-change time in the six date fields
// with their limits, and the new time stamp with its seconds rounded down to an
// even number (the two-second file date of the original file systems).
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct EntryInfo {
    bool isFolder = true; // also for an entry whose attributes cannot be read
    std::uint64_t size = 0;
    bool readOnly = false;
    bool hidden = false;
    std::time_t modified = 0;
    int error = 0; // errno when nothing of the entry could be read
};

// Reads path. A link that leads nowhere (or round in a loop) is shown as the link
// itself; an entry that cannot be examined at all (gone since the listing) is a
// folder of size 0 at time 0 with the reason in error.
EntryInfo ReadEntryInfo(const std::string& path);

// Label4 for a file: "サイズ :　　" + the size in bytes, KB, MB or GB.
std::string InfoSizeLine(std::uint32_t size);
inline constexpr std::string_view kFolderSizeLine = "サイズ :　　0";

// The six date fields: year, month, day, hours, minutes, seconds.
enum DateField { kYear, kMonth, kDay, kHours, kMinutes, kSeconds, kDateFieldCount };
using DateFields = std::array<std::string, kDateFieldCount>;

// The fields of a time in local time, seconds rounded down to even; empty fields
// for a time that has no four-digit year.
DateFields SplitLocalTime(std::time_t time);
// The message of a field that breaks its limit (an empty field breaks it too); empty
// when it passes.
std::string CheckDateField(DateField field, std::string_view text);
// The first field that breaks its limit, or nullopt.
std::optional<DateField> FirstBadField(const DateFields& fields);
// The local time of fields that pass their limits; nullopt for a date that does not
// exist (30 February) or a local time that the clock skips.
std::optional<std::time_t> ComposeLocalTime(const DateFields& fields);
// "'2026/02/30 10:00:00' は正しい日付と時刻ではありません。"
std::string InvalidDateMessage(const DateFields& fields);

struct ApplyOutcome {
    bool timeSet = false;
    int timeError = 0;      // errno when the system refused the new time
    int attributeError = 0; // errno when the read-only bit could not be written
};

// Sets a new last-change time (seconds down to an even number) unless the entry is
// a folder or read-only, which keep theirs; then writes the read-only attribute.
// A time or attribute that the system refuses (the entry has gone, belongs to
// someone else) is reported in the outcome, and after a refused time nothing more
// is written.
ApplyOutcome ApplyEntryInfo(const std::string& path, std::time_t modified, bool readOnly);

// Test seam: tests run as root, whom no permission stops. When the fault returns a
// non-zero errno, that call fails so.
enum class EntryCall { OpenForWriting, SetTime, SetMode };
using EntryFault = std::function<int(EntryCall call, const std::string& path)>;
void SetEntryFaultForTest(EntryFault fault);
