// A start while another copy runs for the same program folder: the files among its
// arguments go to the running copy, which copies them in as it copies a start
// argument; the rest of the arguments are left to that copy's own state. A file
// that did not arrive is named on standard error and the exit status is 1.
#pragma once

#include "platform/HandOver.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Hands paths over; false with the reason when no answers came (HandFilesOver).
using HandOverFn = std::function<bool(const std::vector<std::string>& paths,
                                      std::vector<HandOverAnswer>& answers, std::string* error)>;

// The exit status of the second start. Without file arguments the running copy is
// only asked to come to the front, and nothing it answers matters.
int RunSecondStart(const std::vector<std::string>& args, const HandOverFn& handOver,
                   std::ostream& errors);
