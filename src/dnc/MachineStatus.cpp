#include "dnc/MachineStatus.h"

#include "files/RowFormat.h"

#include <charconv>
#include <vector>

namespace {

constexpr std::string_view kStateNames[] = {"listening", "receiving", "sending", "waiting", "down"};

std::string Field(std::string_view text) {
    std::string field(text);
    for (char& c : field)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return field;
}

bool Number(std::string_view text, std::int64_t& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::string_view StateName(MachineState state) {
    return kStateNames[static_cast<int>(state)];
}

std::string DescribeActivity(const MachineStatus& s) {
    switch (s.state) {
    case MachineState::Listening:
        return "-";
    case MachineState::Receiving:
        return (s.subject.empty() ? std::string("?") : s.subject) + " " + GroupThousands(s.bytes) +
               " バイト";
    case MachineState::Sending:
        return s.subject + " " + GroupThousands(s.bytes) + "/" + GroupThousands(s.total) +
               " バイト";
    case MachineState::Waiting:
        return s.subject;
    case MachineState::Down:
        return s.reason;
    }
    return {};
}

std::string EncodeStatus(const MachineStatus& s) {
    return Field(s.name) + '\t' + std::string(StateName(s.state)) + '\t' + Field(s.subject) + '\t' +
           std::to_string(s.bytes) + '\t' + std::to_string(s.total) + '\t' + Field(s.reason) +
           '\t' + std::to_string(s.queued) + '\t' + Field(s.last);
}

bool DecodeStatus(std::string_view line, MachineStatus& s) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (fields.size() != 8)
        return false;
    bool known = false;
    for (int i = 0; i < 5; ++i) {
        if (fields[1] == kStateNames[i]) {
            s.state = static_cast<MachineState>(i);
            known = true;
        }
    }
    std::int64_t queued = 0;
    if (!known || !Number(fields[3], s.bytes) || !Number(fields[4], s.total) ||
        !Number(fields[6], queued) || queued < 0)
        return false;
    s.name = fields[0];
    s.subject = fields[2];
    s.reason = fields[5];
    s.queued = size_t(queued);
    s.last = fields[7];
    return true;
}
