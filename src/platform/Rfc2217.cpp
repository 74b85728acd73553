#include "platform/Rfc2217.h"

#include "platform/SerialPort.h"

namespace telnet {

namespace {

unsigned char ParityValue(Parity parity) {
    switch (parity) {
    case Parity::Odd:
        return 2;
    case Parity::Even:
        return 3;
    case Parity::None:
        break;
    }
    return 1;
}

unsigned char StopSizeValue(StopBits stopBits) {
    switch (stopBits) {
    case StopBits::Two:
        return 2;
    case StopBits::OneAndHalf:
        return 3;
    case StopBits::One:
        break;
    }
    return 1;
}

std::string Byte(unsigned char b) {
    return std::string(1, static_cast<char>(b));
}

} // namespace

std::string Escape(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (char c : data) {
        out.push_back(c);
        if (static_cast<unsigned char>(c) == kIac) {
            out.push_back(c);
        }
    }
    return out;
}

std::string Negotiation(unsigned char verb, unsigned char option) {
    return Byte(kIac) + Byte(verb) + Byte(option);
}

std::string ComPortCommand(unsigned char command, std::string_view value) {
    return Byte(kIac) + Byte(kSb) + Byte(kComPort) + Byte(command) + Escape(value) + Byte(kIac) +
           Byte(kSe);
}

std::vector<ComPortSetting> ComPortSettingsFor(const Dcb& dcb) {
    auto baud = static_cast<std::uint32_t>(dcb.BaudRate);
    std::string baudValue = {static_cast<char>(baud >> 24), static_cast<char>(baud >> 16),
                             static_cast<char>(baud >> 8), static_cast<char>(baud)};
    std::vector<ComPortSetting> settings = {
        {kSetBaudRate, baudValue},
        {kSetDataSize, Byte(static_cast<unsigned char>(dcb.ByteSize))},
        {kSetParity, Byte(ParityValue(dcb.parity))},
        {kSetStopSize, Byte(StopSizeValue(dcb.stopBits))},
    };
    // The server's port obeys the far end's XOFF (fOutX) or its CTS; a port
    // that sends XOFF itself when its input fills (fInX) is told so separately
    // when it would not follow from the outbound setting.
    unsigned char flow = dcb.fOutX ? kFlowXonXoff : dcb.fOutxCtsFlow ? kFlowHardware : kFlowNone;
    settings.push_back({kSetControl, Byte(flow)});
    if (dcb.fInX && !dcb.fOutX) {
        settings.push_back({kSetControl, Byte(kInboundFlowXonXoff)});
    }
    return settings;
}

std::vector<ComPortSetting> LineControlSettingsFor(const Dcb& dcb) {
    std::vector<ComPortSetting> settings;
    if (dcb.fDtrControl == LineControl::Enable) {
        settings.push_back({kSetControl, Byte(kDtrOn)});
    }
    if (dcb.fRtsControl == LineControl::Enable) {
        settings.push_back({kSetControl, Byte(kRtsOn)});
    }
    return settings;
}

bool AnswerConfirms(const ComPortSetting& asked, const Event& answer) {
    if (answer.kind != Event::Kind::ComPort || answer.command != asked.command + kServerOffset) {
        return false;
    }
    const bool inbound = asked.command == kSetControl && asked.value.size() == 1 &&
                         static_cast<unsigned char>(asked.value[0]) >= kInboundFlowNone &&
                         static_cast<unsigned char>(asked.value[0]) <= kInboundFlowNone + 2;
    return inbound || answer.value == asked.value;
}

void Decoder::Feed(std::string_view bytes, std::string& data, std::vector<Event>& events) {
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        switch (state_) {
        case State::Data:
            if (b == kIac) {
                state_ = State::Iac;
            } else {
                data.push_back(c);
            }
            break;
        case State::Iac:
            if (b == kIac) {
                data.push_back(c);
                state_ = State::Data;
            } else if (b >= kWill && b <= kDont) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data; // NOP, GA, a stray SE: nothing for a serial line
            }
            break;
        case State::Verb:
            events.push_back({Event::Kind::Negotiation, verb_, b, 0, {}, data.size()});
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == kIac) {
                state_ = State::SubIac;
            } else {
                sub_.push_back(c);
            }
            break;
        case State::SubIac:
            if (b == kIac) {
                sub_.push_back(c);
                state_ = State::Sub;
            } else {
                // SE ends it; any other command after IAC ends a malformed one too.
                if (sub_.size() >= 2 && static_cast<unsigned char>(sub_[0]) == kComPort) {
                    events.push_back({Event::Kind::ComPort, 0, kComPort,
                                      static_cast<unsigned char>(sub_[1]), sub_.substr(2),
                                      data.size()});
                }
                state_ = State::Data;
            }
            break;
        }
    }
}

std::string Negotiator::Start(bool comPort) {
    std::string offers = Negotiation(kWill, kBinary) + Negotiation(kDo, kBinary) +
                         Negotiation(kWill, kSuppressGoAhead) + Negotiation(kDo, kSuppressGoAhead);
    weWill_[kBinary] = weDo_[kBinary] = true;
    weWill_[kSuppressGoAhead] = weDo_[kSuppressGoAhead] = true;
    if (comPort) {
        offers += Negotiation(kWill, kComPort);
        weWill_[kComPort] = true;
        offeredComPort_ = true;
    }
    return offers;
}

std::string Negotiator::Answer(unsigned char verb, unsigned char option) {
    const bool wanted = option == kBinary || option == kSuppressGoAhead;
    switch (verb) {
    case kWill: // the far end offers to perform the option
        if (weDo_[option] == wanted) {
            return weDo_[option] ? "" : Negotiation(kDont, option);
        }
        weDo_[option] = wanted;
        return Negotiation(wanted ? kDo : kDont, option);
    case kWont:
        if (!weDo_[option]) {
            return "";
        }
        weDo_[option] = false;
        return Negotiation(kDont, option);
    case kDo: // the far end asks us to perform it
        if (option == kComPort && offeredComPort_) {
            comPort_ = ComPortState::Accepted;
            return weWill_[kComPort] ? "" : Negotiation(kWill, kComPort);
        }
        if (weWill_[option] == wanted) {
            return weWill_[option] ? "" : Negotiation(kWont, option);
        }
        weWill_[option] = wanted;
        return Negotiation(wanted ? kWill : kWont, option);
    case kDont:
        if (option == kComPort && offeredComPort_) {
            comPort_ = ComPortState::Refused;
        }
        if (!weWill_[option]) {
            return "";
        }
        weWill_[option] = false;
        return Negotiation(kWont, option);
    default:
        return "";
    }
}

} // namespace telnet
