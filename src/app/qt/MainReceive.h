// The receive command of the main window: the save question GroupBox4 with its
// answer field Edit16 and its clickable legend Label38, the named receive of the
// command line, and the start of the receive job with the window as
// its host.
#pragma once

#include "ui/SaveQuestion.h"
