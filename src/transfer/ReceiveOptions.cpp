#include "transfer/ReceiveOptions.h"

#include "settings/Settings.h"

ReceiveOptions ReceiveOptionsFor(const TSettings& settings) {
    ReceiveOptions options;
    options.reader = settings.Reader == "Y";
    options.code = ReceiveCodeForSetting(settings.R_Code);
    options.saveOnStop = settings.op5 == "Y";
    options.dsrEnds = settings.op6 == "Y";
    options.powerOff = settings.Power_Off == "Y";
    return options;
}
