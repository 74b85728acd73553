#include "transfer/SendText.h"

#include "settings/Settings.h"

#include <algorithm>

std::string StartCharacters(const TSettings& settings) {
    if (settings.StartChar != "Y")
        return "\n";
    switch (settings.StartChar_Type) {
    case 1:
        return "%\n";
    case 2:
        return "%%\n";
    case 3:
        return "% *\n";
    case 4:
        return "%";
    case 5:
        return "%%";
    default:
        return "";
    }
}

std::string EndCharacters(const TSettings& settings) {
    if (settings.EndChar != "Y")
        return settings.Puncher == "Y" ? "\n%" : "\x14";
    switch (settings.EndChar_Type) {
    case 1:
        return "\n%";
    case 2:
        return "\n%%";
    case 3:
        return "\n%\n";
    case 4:
        return "\n%%\n";
    default:
        return "";
    }
}

LineRules LineRulesFor(const TSettings& settings) {
    return {settings.SendMsg1, settings.MSG_OP != "N"};
}

LinePlan PlanLine(std::string_view original, const LineRules& rules) {
    std::string line(original);
    if (!rules.sendMsg.empty()) {
        const std::string blanks(std::min<size_t>(rules.sendMsg.size(), 29), ' ');
        for (size_t at = line.find(rules.sendMsg); at != std::string::npos;
             at = line.find(rules.sendMsg, at + blanks.size()))
            line.replace(at, rules.sendMsg.size(), blanks);
    }
    LinePlan plan;
    plan.counted = int64_t(line.size()) + 2;
    plan.programEnd = line.find("M99") != std::string::npos ||
                      line.find("M02") != std::string::npos ||
                      line.find("M2") != std::string::npos || line.find("M30") != std::string::npos;
    const bool hasComment = line.find('(') != std::string::npos;
    bool comment = false;
    for (char ch : line) {
        if (hasComment && ch == '(')
            comment = true;
        else if (hasComment && ch == ')')
            comment = false;
        if (!comment) {
            if ((ch == '\'' || ch == ';') && !rules.msgOp)
                break; // the rest of the line is a message for the operator
            if (ch == '%') {
                if (line.size() == 1) {
                    plan.skip = true; // the job's own start and end characters stand for it
                    return plan;
                }
                continue;
            }
        }
        if (ch == '\t')
            continue;
        plan.chars.push_back(ch);
    }
    return plan;
}

std::string RemainingBytesText(int64_t bytes) {
    return "残り " + GroupThousands(bytes) + "ﾊﾞｲﾄ";
}

std::string RemainingText(int64_t bytes, int64_t seconds) {
    auto two = [](int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    std::string time;
    if (seconds >= 3600)
        time = std::to_string(seconds / 3600) + "時" + two(seconds % 3600 / 60) + "分";
    else if (seconds >= 60)
        time = std::to_string(seconds / 60) + "分" + two(seconds % 60) + "秒";
    else
        time = std::to_string(seconds) + "秒";
    return RemainingBytesText(bytes) + "(約 " + time + ")";
}
