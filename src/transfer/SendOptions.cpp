#include "transfer/SendOptions.h"

#include "settings/Settings.h"

#include <cstdlib>

namespace {

// A feed length setting read as a number; text that is not a number is 0.
double FeedSetting(const std::string& text) {
    return std::strtod(text.c_str(), nullptr);
}

} // namespace

SendOptions SendOptionsFor(const TSettings& settings) {
    SendOptions options;
    options.puncher = settings.Puncher == "Y";
    options.ncStarts = settings.Signal1 == "Y" && settings.Puncher == "N";
    options.ncMayRefuse = settings.op2 == "Y";
    if (options.puncher) {
        options.feedMm = FeedSetting(settings.Feed);
        options.feedBetweenMm = FeedSetting(settings.Feed1);
    }
    options.sendBefore = settings.Send_Before;
    options.startCharacters = StartCharacters(settings);
    options.endCharacters = EndCharacters(settings);
    options.lineRules = LineRulesFor(settings);
    options.characterDelayMs = settings.InvTime;
    options.sendCode = SendCodeFor(settings);
    options.dirPath = settings.DirPath;
    options.powerOff = settings.Power_Off == "Y";
    return options;
}
