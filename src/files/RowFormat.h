// The fixed-column texts of the file list: row bodies, the parent row, the path line
// and the detail line. Positions count display columns (a half-width character 1,
// a full-width one 2), so rows line up in the list's font whatever the names hold.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

struct TSettings;

struct RowFormatOptions {
    int listColumn = 2;      // 1 to 5: which fields a row shows
    bool allFiles = true;    // ALL-Files "Y": names with extension
    bool plainNames = false; // op4 "Y": the long name instead of the fixed columns

    static RowFormatOptions From(const TSettings& settings);
};

// A file name (bytes) as text that can be shown: decoded (UTF-8, else CP932) and
// with control characters, such as a line feed, shown as "?".
std::string DisplayName(std::string_view name);

// The extension of a name: its last "." and what follows; empty when there is no
// dot or the only dot starts the name (".profile" has none).
std::string_view ExtensionOf(std::string_view name);
std::string_view WithoutExtension(std::string_view name);

// The 8.3 form of a display name: a base name wider than 8 columns becomes its first
// 6 columns + "~1", the extension keeps its dot and 3 characters; no double-width
// character is split.
std::string ShortName83(std::string_view displayName);

// The body of a folder or file row (without the mark column) for a display name.
std::string FormatRow(const RowFormatOptions& options, std::string_view displayName,
                      std::string_view sizeField, std::string_view dateText);

// Size for the detail line: "512ﾊﾞｲﾄ", "1.500KB", "2.000MB".
std::string FormatSize(std::uint64_t bytes);
// "###,###,##0" of a byte count.
std::string GroupThousands(std::int64_t value);

// Label7: the pattern text cut or padded to 67 columns, then the count ("????"
// while a scan runs, that is when count is negative).
std::string FormatPathLine(std::string_view patternText, long long count);

// The parent row; dateText is the folder's own "YYYY-MM-DD HH:NN:SS" or empty.
std::string ParentRowText(int listColumn, std::string_view dateText);

// "YYYY-MM-DD HH:NN:SS" in local time; empty when the time is zero or cannot be
// converted. evenSeconds rounds the seconds down to an even number, as a file date
// of two-second resolution does.
std::string FormatDateTime(std::time_t time, bool evenSeconds);

inline constexpr std::string_view kScanningRow = " ﾌｧｲﾙ検索中!!";
