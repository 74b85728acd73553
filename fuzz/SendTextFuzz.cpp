// What goes on the line for an NC file from any CAM system: the file's lines after
// the comment, message, "%" and tab rules, framed by the start and end characters,
// with blanks cut or kept, in ISO, EIA or as they are. The input is the file; its
// last bytes choose the settings. Checked for every input:
// - a line is left out only when it is a lone "%"; what is sent of a line is taken
//   from it in order, without tabs, CR or LF, and without "%", "'" or ";" when the
//   line has no comment and messages are not kept; the count a line adds is its
//   length + 2 (the bytes the progress counts) unless a message longer than 29
//   characters shortened it;
// - every byte on the line decodes back to the character it was sent for: ISO bytes
//   have even parity, EIA bytes odd parity (":" goes as "O", DC1 to DC4 as they
//   are); a character EIA has no code for is the only one not sent;
// - with blanks cut no blank reaches the line, and every line sent ends in exactly
//   one line feed.
#include "FuzzCheck.h"
#include "files/TextDocument.h"
#include "settings/Settings.h"
#include "transfer/LineOptions.h"
#include "transfer/SendJob.h"
#include "transfer/SendOptions.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

void Check(bool property) {
    if (!property)
        std::abort();
}

bool EvenParity(unsigned char b) {
    return std::popcount(static_cast<unsigned>(b)) % 2 == 0;
}

// The line as the message rule leaves it: the message blanked wherever it stands.
std::string Blanked(std::string line, const std::string& message) {
    if (message.empty())
        return line;
    const std::string blanks(std::min<size_t>(message.size(), 29), ' ');
    for (size_t at = line.find(message); at != std::string::npos;
         at = line.find(message, at + blanks.size()))
        line.replace(at, message.size(), blanks);
    return line;
}

const char* const kSpeeds[] = {"4800,8,N,2", "9600,7,E,2", "19200,8,N,1"};
const char* const kMessages[] = {"", "MSG", "(", ")", "%", ";", " ", "  ", "'", "O1", "\x82\xa0"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const uint8_t a = provider.ConsumeIntegral<uint8_t>();
    const uint8_t b = provider.ConsumeIntegral<uint8_t>();
    const std::string file = provider.ConsumeRemainingBytesAsString();

    TSettings settings;
    settings.Speed1 = kSpeeds[a % 3];
    settings.Code = (a & 4) ? "Y" : "N";
    settings.Send_SP_Cut = (a & 8) ? "Y" : "N";
    settings.MSG_OP = (a & 16) ? "Y" : "N";
    settings.Puncher = (a & 32) ? "Y" : "N";
    settings.StartChar = (a & 64) ? "Y" : "N";
    settings.EndChar = (a & 128) ? "Y" : "N";
    settings.StartChar_Type = b % 7;
    settings.EndChar_Type = (b >> 3) % 6;
    const size_t pick = (b >> 6) == 3 ? b % std::size(kMessages) : (b >> 6);
    settings.SendMsg1 = kMessages[pick];
    if ((b >> 6) == 2) // a message longer than the 29 blanks it leaves
        settings.SendMsg1 = std::string(31, 'M');

    const SendOptions options = SendOptionsFor(settings);
    const LineOptions line = LineOptionsFor(settings, 1);
    Check(options.sendCode == line.sendCode);
    const SendCode code = line.sendCode;

    TextDocument doc;
    doc.SetText(file);
    std::string chars = options.startCharacters;
    int64_t counted = 0;
    size_t linesSent = 0;
    for (size_t i = 0; i < doc.LineCount(); ++i) {
        const std::string_view text = doc.Line(i);
        const LinePlan plan = PlanLine(text, options.lineRules);
        const std::string blanked = Blanked(std::string(text), settings.SendMsg1);
        Check(plan.counted == int64_t(blanked.size()) + 2);
        counted += plan.counted;
        if (plan.skip) {
            Check(blanked == "%");
            continue;
        }
        Check(IsSubsequence(plan.chars, blanked));
        Check(plan.chars.find_first_of("\t\r\n") == std::string::npos);
        if (blanked.find('(') == std::string::npos && !options.lineRules.msgOp)
            Check(plan.chars.find_first_of("%';") == std::string::npos);
        chars += plan.chars;
        chars += '\n';
        ++linesSent;
    }
    if (settings.SendMsg1.size() <= 29)
        Check(counted == CountedBytes(doc));
    const size_t framingFeeds =
        std::count(options.startCharacters.begin(), options.startCharacters.end(), '\n') +
        std::count(options.endCharacters.begin(), options.endCharacters.end(), '\n');
    chars += options.endCharacters;

    // Each character as the line writes it.
    size_t feeds = 0;
    for (char c : chars) {
        const auto ch = static_cast<unsigned char>(c);
        if (ch == ' ' && line.dropSpaces)
            continue;
        const std::optional<unsigned char> sent = EncodeByte(ch, code);
        switch (code) {
        case SendCode::Unchanged:
            Check(sent && *sent == ch);
            break;
        case SendCode::Iso:
            Check(sent.has_value());
            if (ch < 128)
                Check(EvenParity(*sent) && DecodeByte(*sent, kIsoCode) == ch);
            else
                Check(*sent == ch);
            break;
        case SendCode::Eia:
            if (!sent) {
                Check(ch != '\n' && (ch < '0' || ch > '9') && (ch < 'A' || ch > 'Z'));
                continue;
            }
            if (ch >= 0x11 && ch <= 0x14)
                Check(*sent == ch);
            else
                Check(!EvenParity(*sent) && DecodeByte(*sent, kEiaCode) == (ch == ':' ? 'O' : ch));
            break;
        }
        Check(!line.dropSpaces || ch != ' ');
        const unsigned char feed = code == SendCode::Eia ? 0x80 : '\n';
        if (*sent == feed)
            ++feeds;
    }
    Check(feeds == linesSent + framingFeeds);
    return 0;
}
