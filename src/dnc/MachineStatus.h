// What one machine of the server is doing, as `dravik-cli status` shows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class MachineState { Listening, Receiving, Sending, Waiting, Down };

// "listening", "receiving", "sending", "waiting", "down".
std::string_view StateName(MachineState state);

struct MachineStatus {
    std::string name;
    MachineState state = MachineState::Down;
    std::string subject;    // the program received, the file sent or waiting
    std::int64_t bytes = 0; // received or sent so far
    std::int64_t total = 0; // of the file sent; 0 when unknown
    std::string reason;     // why the line is down
    std::size_t queued = 0; // files queued and not yet started
    std::string last;       // the last transfer and its outcome
};

// What the machine is doing, in a few words with its progress.
std::string DescribeActivity(const MachineStatus& status);

// One status line in fields separated by tabs, and back; the control socket
// carries these. Tabs and line ends inside a field become blanks.
std::string EncodeStatus(const MachineStatus& status);
bool DecodeStatus(std::string_view line, MachineStatus& status);
