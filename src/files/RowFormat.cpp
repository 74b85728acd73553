#include "files/RowFormat.h"

#include "platform/TextCodec.h"
#include "settings/Settings.h"

#include <cstdio>

RowFormatOptions RowFormatOptions::From(const TSettings& settings) {
    return {settings.ListColumn, settings.ALLFiles == "Y", settings.op4 == "Y"};
}

std::string DisplayName(std::string_view name) {
    std::string text = DecodeToUtf8(name);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return text;
}

std::string_view ExtensionOf(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot);
}

std::string_view WithoutExtension(std::string_view name) {
    return name.substr(0, name.size() - ExtensionOf(name).size());
}

std::string ShortName83(std::string_view displayName) {
    std::string_view base = WithoutExtension(displayName);
    std::string_view extension = ExtensionOf(displayName);
    std::string shortName =
        DisplayColumns(base) > 8 ? TakeColumns(base, 6) + "~1" : std::string(base);
    if (!extension.empty())
        shortName += TakeColumns(extension, 4);
    return shortName;
}

namespace {

// Inserts piece so that it starts at display column position (counted from 1),
// shifting what follows; a text shorter than that gets the piece appended.
void InsertAtColumn(std::string& text, int position, std::string_view piece) {
    std::string head = TakeColumns(text, position - 1);
    text.insert(head.size(), piece);
}

} // namespace

std::string FormatRow(const RowFormatOptions& options, std::string_view displayName,
                      std::string_view sizeField, std::string_view dateText) {
    if (options.plainNames)
        return std::string(options.allFiles ? displayName : WithoutExtension(displayName));
    std::string shortName = ShortName83(displayName);
    std::string body(36, ' ');
    InsertAtColumn(body, 1, WithoutExtension(shortName));
    if (options.allFiles)
        InsertAtColumn(body, 9, TakeColumns(ExtensionOf(displayName), 4));
    if (options.listColumn < 4) {
        std::string_view size = sizeField.size() > 8 ? "********" : sizeField;
        InsertAtColumn(body, 22 - static_cast<int>(size.size()), size);
    }
    if (options.listColumn < 3 && dateText.size() > 2)
        InsertAtColumn(body, 23, dateText.substr(2, 14));
    return body;
}

std::string FormatSize(std::uint64_t bytes) {
    char number[64];
    if (bytes < 1024) {
        std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(bytes));
        return std::string(number) + "ﾊﾞｲﾄ";
    }
    if (bytes / 1024 < 1024) {
        std::snprintf(number, sizeof number, "%.3f", static_cast<double>(bytes) / 1024.0);
        return std::string(number) + "KB";
    }
    std::snprintf(number, sizeof number, "%.3f", static_cast<double>(bytes) / 1048576.0);
    return std::string(number) + "MB";
}

std::string GroupThousands(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return value < 0 ? "-" + grouped : grouped;
}

std::string FormatPathLine(std::string_view patternText, long long count) {
    // Cut by columns and padded back, so that a double-width character at the cut
    // never moves the count: "ﾌｧｲﾙ数" always starts at column 68.
    std::string line = PadColumns(TakeColumns(patternText, 67), 67);
    line += "     ﾌｧｲﾙ数 :";
    line += count < 0 ? std::string("????") : std::to_string(count);
    return line;
}

std::string ParentRowText(int listColumn, std::string_view dateText) {
    if (listColumn >= 4)
        return " ..";
    std::string row = " ..              <DIR>";
    if (listColumn < 3) {
        row += ' ';
        if (dateText.size() > 2)
            row += dateText.substr(2, 14);
    }
    return row;
}

std::string FormatDateTime(std::time_t time, bool evenSeconds) {
    if (time == 0)
        return {};
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    if (evenSeconds)
        local.tm_sec -= local.tm_sec % 2;
    char text[64];
    int n =
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    if (n != 19) // a year beyond four digits has no place in the fixed columns
        return {};
    return text;
}
