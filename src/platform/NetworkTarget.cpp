#include "platform/NetworkTarget.h"

#include <charconv>

namespace {

constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr std::string_view kTcpScheme = "tcp://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

std::optional<int> PortNumberOf(std::string_view text) {
    int port = 0;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(text.data(), last, port);
    if (text.empty() || ec != std::errc() || end != last || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

bool HostCharactersOk(std::string_view host) {
    for (char c : host) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  c == '.' || c == '-' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return !host.empty();
}

} // namespace

bool IsNetworkTarget(std::string_view text) {
    return StartsWithNoCase(text, kRfc2217Scheme) || StartsWithNoCase(text, kTcpScheme);
}

std::optional<NetworkTarget> ParseNetworkTarget(std::string_view text) {
    NetworkTarget target;
    if (StartsWithNoCase(text, kRfc2217Scheme)) {
        target.kind = NetworkKind::Rfc2217;
        text.remove_prefix(kRfc2217Scheme.size());
    } else if (StartsWithNoCase(text, kTcpScheme)) {
        target.kind = NetworkKind::RawTcp;
        text.remove_prefix(kTcpScheme.size());
    } else {
        return std::nullopt;
    }
    // A trailing "/" is what a pasted address often carries; nothing else may follow.
    if (!text.empty() && text.back() == '/') {
        text.remove_suffix(1);
    }
    std::string_view host, port;
    if (text.starts_with('[')) {
        size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
            return std::nullopt;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
        if (host.empty() || host.find_first_not_of("0123456789abcdefABCDEF:.") != host.npos) {
            return std::nullopt;
        }
    } else {
        size_t colon = text.rfind(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (!HostCharactersOk(host)) {
            return std::nullopt;
        }
    }
    std::optional<int> number = PortNumberOf(port);
    if (!number) {
        return std::nullopt;
    }
    target.host = std::string(host);
    target.port = *number;
    return target;
}

std::string NetworkTargetText(const NetworkTarget& target) {
    std::string host =
        target.host.find(':') != std::string::npos ? "[" + target.host + "]" : target.host;
    return std::string(target.kind == NetworkKind::Rfc2217 ? kRfc2217Scheme : kTcpScheme) + host +
           ":" + std::to_string(target.port);
}
