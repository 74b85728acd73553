#include "transfer/LineOptions.h"

#include "settings/Settings.h"

LineOptions LineOptionsFor(const TSettings& settings, int lineMode) {
    const bool firstPair = lineMode <= 2;
    LineOptions options;
    options.portText = firstPair ? settings.Port1 : settings.Port2;
    if ((firstPair ? settings.Puncher : settings.Reader) == "Y") {
        options.speedText = kTapeDeviceSpeed;
    } else {
        options.speedText = firstPair ? settings.Speed1 : settings.Speed2;
    }
    options.speed = ParseSpeedString(options.speedText);
    options.sendCode = SendCodeFor(settings);
    options.dropSpaces = settings.Send_SP_Cut == "Y";
    options.carrierEnds = lineMode == 1 && settings.Signal1 == "Y";
    options.dsrEnds = settings.op6 == "Y";
    options.dc3WithParity = settings.DC30X93 == "Y";
    options.autoSelect = settings.AutoSelect == "Y";
    options.raiseDtrRts = settings.op1 == "Y" || options.autoSelect;
    return options;
}
