#include "cli/RunOptions.h"

#include "platform/SerialDevices.h"
#include "settings/Settings.h"
#include "transfer/SpeedString.h"

#include <charconv>

namespace {

// A whole decimal number from 0 to limit, or nothing.
std::optional<int> NumberOf(const std::string& text, int limit) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0 || value > limit)
        return std::nullopt;
    return value;
}

// A pair of flags that set one "Y"/"N" setting; the later one on the line wins.
void ApplyFlagPair(const ParsedCommand& parsed, std::string_view on, std::string_view off,
                   std::string& setting) {
    for (const auto& [name, value] : parsed.options) {
        if (name == on)
            setting = "Y";
        else if (name == off)
            setting = "N";
    }
}

std::string ApplyCode(const std::string& code, LineSide side, TSettings& settings) {
    if (side == LineSide::Send) {
        if (code != "iso" && code != "eia")
            return "--code は iso か eia です: " + code;
        settings.Code = code == "eia" ? "Y" : "N";
        return {};
    }
    static const std::pair<std::string_view, int> kReceiveCodes[] = {
        {"auto", 0}, {"iso", 1}, {"eia", 2}, {"ascii", 3}};
    for (const auto& [name, value] : kReceiveCodes) {
        if (code == name) {
            settings.R_Code = value;
            return {};
        }
    }
    return "--code は auto, iso, eia, ascii のどれかです: " + code;
}

} // namespace

std::string ApplySettingOptions(const ParsedCommand& parsed, LineSide side, TSettings& settings) {
    const bool send = side == LineSide::Send;
    if (auto port = parsed.Value("port")) {
        if (PortNumber(*port) == 0)
            return "--port は COM1, COM2, ... です: " + *port;
        (send ? settings.Port1 : settings.Port2) = *port;
    }
    if (auto speed = parsed.Value("speed")) {
        if (ParseSpeedString(*speed).error != SpeedError::None)
            return "--speed は 9600,7,E,2 の形です: " + *speed;
        (send ? settings.Speed1 : settings.Speed2) = *speed;
    }
    if (auto code = parsed.Value("code")) {
        std::string error = ApplyCode(*code, side, settings);
        if (!error.empty())
            return error;
    }
    if (auto mask = parsed.Value("mask")) {
        if (mask->size() < 2 || (*mask)[0] != '*')
            return "--mask は *.NC の形です: " + *mask;
        settings.Mask = *mask;
    }
    if (auto delay = parsed.Value("char-delay")) {
        std::optional<int> ms = NumberOf(*delay, 10000);
        if (!ms)
            return "--char-delay はミリ秒 (0 から 10000) です: " + *delay;
        settings.InvTime = *ms;
    }
    ApplyFlagPair(parsed, "start-char", "no-start-char", settings.StartChar);
    ApplyFlagPair(parsed, "end-char", "no-end-char", settings.EndChar);
    ApplyFlagPair(parsed, "nc-start", "pc-start", settings.Signal1);
    ApplyFlagPair(parsed, "add-number", "no-add-number", settings.Add_No);
    return {};
}

RunChoices RunChoicesOf(const ParsedCommand& parsed, std::string* error) {
    RunChoices choices;
    choices.yes = parsed.Has("yes");
    choices.noOverwrite = parsed.Has("no-overwrite");
    choices.quiet = parsed.Has("quiet");
    choices.selection = parsed.Value("select");
    if (choices.yes && choices.noOverwrite)
        *error = "--yes と --no-overwrite は同時に使えません";
    if (auto timeout = parsed.Value("timeout")) {
        std::optional<int> seconds = NumberOf(*timeout, 86400 * 7);
        if (!seconds || *seconds == 0)
            *error = "--timeout は秒数 (1 以上) です: " + *timeout;
        else
            choices.timeoutSeconds = *seconds;
    }
    return choices;
}
