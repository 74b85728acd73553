#include "dnc/RemoteRequest.h"

#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/ReceiveText.h"

#include <filesystem>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void SkipBlanks(std::string_view& text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
}

// text starts with word (any letter case): it is taken off.
bool Take(std::string_view& text, std::string_view word) {
    if (text.size() < word.size() || AsciiUpper(text.substr(0, word.size())) != word)
        return false;
    text.remove_prefix(word.size());
    return true;
}

// "O" and the digits without leading zeros; "O0" for zero.
std::string Normalised(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return "O" + std::string(digits);
}

// One to five digits at the start of text, taken off.
std::optional<std::string> TakeNumber(std::string_view& text) {
    size_t n = 0;
    while (n < text.size() && IsDigit(text[n]))
        ++n;
    if (n == 0 || n > 5)
        return std::nullopt;
    std::string number = Normalised(text.substr(0, n));
    text.remove_prefix(n);
    return number;
}

// The lines of text one by one (LF, CR LF), each trimmed.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!visit(TrimLine(line)))
            return;
        if (end == std::string_view::npos)
            return;
        start = end + 1;
    }
}

} // namespace

std::optional<std::string> ProgramNumberOf(std::string_view programLine) {
    std::string name = ProgramNameOf(TrimLine(programLine));
    std::string_view rest = name;
    if (!Take(rest, "O"))
        return std::nullopt;
    SkipBlanks(rest);
    std::optional<std::string> number = TakeNumber(rest);
    SkipBlanks(rest);
    if (!number || !rest.empty())
        return std::nullopt;
    return number;
}

bool IsRequestProgram(std::string_view text, std::string_view requestProgram) {
    std::optional<std::string> wanted = ProgramNumberOf(requestProgram);
    bool result = false;
    ForEachLine(text, [&](std::string_view line) {
        if (!IsProgramLine(line))
            return true;
        result = wanted && ProgramNumberOf(line) == wanted;
        return false;
    });
    return result;
}

std::optional<std::string> RequestedProgram(std::string_view text) {
    const size_t open = text.find('(');
    if (open == std::string_view::npos)
        return std::nullopt;
    const size_t close = text.find(')', open);
    if (close == std::string_view::npos)
        return std::nullopt;
    std::string_view inside = text.substr(open + 1, close - open - 1);
    SkipBlanks(inside);
    if (Take(inside, "REQ")) {
        if (inside.empty() || inside.front() != ' ')
            return std::nullopt;
        SkipBlanks(inside);
        Take(inside, "O");
    } else if (Take(inside, "PRG")) {
        SkipBlanks(inside);
        if (!Take(inside, "="))
            return std::nullopt;
        SkipBlanks(inside);
    } else {
        Take(inside, "O");
    }
    std::optional<std::string> number = TakeNumber(inside);
    SkipBlanks(inside);
    if (!number || !inside.empty())
        return std::nullopt;
    return number;
}

std::string FindFileAnyCase(const std::string& folder, std::string_view name) {
    std::error_code ec;
    const std::string exact = JoinPath(folder, name);
    if (std::filesystem::is_regular_file(exact, ec))
        return exact;
    const std::string upper = AsciiUpper(name);
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string found = entry.path().filename().string();
        if (AsciiUpper(found) == upper && entry.is_regular_file(ec))
            return JoinPath(folder, found);
    }
    return {};
}

std::string FindProgramFile(const std::string& folder, std::string_view program,
                            std::string_view extension) {
    return FindFileAnyCase(folder, ProgramFileName(program, 1, false, extension));
}

std::string NotFoundReply(std::string_view requestProgram, std::string_view requested,
                          bool sendAddsStart, bool sendAddsEnd) {
    std::string text = sendAddsStart ? "" : "%\n";
    text += std::string(requestProgram) + "(NOT FOUND " + std::string(requested) + ")\n";
    text += "M30\n";
    if (!sendAddsEnd)
        text += "%\n";
    return text;
}
