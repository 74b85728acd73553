// A job's message, as the window shows it on several lines, written on one line
// (a terminal, the journal): line ends become one blank, the trailing "!!" of a
// state line goes.
#pragma once

#include <string>
#include <string_view>

std::string OneLine(std::string_view text);
