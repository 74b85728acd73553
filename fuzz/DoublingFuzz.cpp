// Doubling one axis of a data view's text into a file beside it. The first byte
// chooses the axis letter; the rest, up to the first NUL (where the data view's
// text ends), is the program.
//
// Checked, line by line against the output read back:
//  - a line without the axis letter is written as it is;
//  - in a line with it, only the value after the first axis letter changes:
//    what stands before that letter and what follows the value is kept, and
//    blanks between the letter and the value may go;
//  - the new value is exactly twice the old one, checked by decimal addition on
//    the digit strings (never through binary floating point): no places, one
//    place for 0 or 1 decimals, else as many places as the old value; no
//    leading zeros but one before the point; a "-" only on a value not zero;
//  - a run is stopped by exactly the first line whose value is no number (a
//    second "." or "-", a blank inside), and then no output is left behind.
#include "FuzzCheck.h"
#include "FuzzScratch.h"

#include "files/TextDocument.h"
#include "nctools/AxisDoubling.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Decimal {
    bool negative = false;
    std::string whole;
    std::string fraction;
    bool point = false;
};

// -?D*(.D*)? with at least one digit; false for anything else.
bool ParseDecimal(std::string_view text, Decimal& out) {
    out = {};
    if (!text.empty() && text[0] == '-') {
        out.negative = true;
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    out.point = point != std::string_view::npos;
    out.whole = std::string(text.substr(0, point));
    if (out.point)
        out.fraction = std::string(text.substr(point + 1));
    auto digits = [](const std::string& s) { return std::all_of(s.begin(), s.end(), IsDigit); };
    return digits(out.whole) && digits(out.fraction) &&
           !(out.whole.empty() && out.fraction.empty());
}

std::string StripZeros(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : digits.substr(first);
}

// The sum of two decimal digit strings, by column addition.
std::string Add(const std::string& x, const std::string& y) {
    std::string sum;
    int carry = 0;
    for (size_t i = 0; i < std::max(x.size(), y.size()) || carry; ++i) {
        int d = carry;
        if (i < x.size())
            d += x[x.size() - 1 - i] - '0';
        if (i < y.size())
            d += y[y.size() - 1 - i] - '0';
        sum.insert(sum.begin(), char('0' + d % 10));
        carry = d / 10;
    }
    return sum;
}

// The old value's run after the letter: the number characters, blanks trimmed.
struct Run {
    size_t letter;     // position of the axis letter
    size_t valueBegin; // first character of the value
    size_t valueEnd;   // one past its last character
    bool hasValue;     // not empty and not a lone "-"
};

Run FindRun(std::string_view line, char axis) {
    Run run{line.find(axis), 0, 0, false};
    if (run.letter == std::string_view::npos)
        return run;
    size_t end = run.letter + 1;
    while (end < line.size() &&
           std::string_view("0123456789.- ").find(line[end]) != std::string_view::npos)
        ++end;
    size_t begin = run.letter + 1;
    while (begin < end && line[begin] == ' ')
        ++begin;
    while (end > begin && line[end - 1] == ' ')
        --end;
    run.valueBegin = begin;
    run.valueEnd = end;
    run.hasValue = end > begin && line.substr(begin, end - begin) != "-";
    return run;
}

void CheckDoubled(std::string_view line, std::string_view out, const Run& run) {
    const std::string_view before = line.substr(0, run.letter + 1);
    const std::string_view after = line.substr(run.valueEnd);
    FUZZ_REQUIRE(out.size() >= before.size() + after.size());
    FUZZ_REQUIRE(out.starts_with(before) && out.ends_with(after));
    const std::string_view value = line.substr(run.valueBegin, run.valueEnd - run.valueBegin);
    const std::string_view doubled =
        out.substr(before.size(), out.size() - before.size() - after.size());
    Decimal old;
    Decimal now;
    FUZZ_REQUIRE(ParseDecimal(value, old));
    FUZZ_REQUIRE(ParseDecimal(doubled, now));
    // Places: none stays none, 0 or 1 give one, more are kept.
    if (!old.point)
        FUZZ_REQUIRE(!now.point);
    else
        FUZZ_REQUIRE(now.point && now.fraction.size() == std::max<size_t>(1, old.fraction.size()));
    FUZZ_REQUIRE(!now.whole.empty() && (now.whole == "0" || now.whole[0] != '0'));
    // now == old + old, both at now's places (never fewer than old's).
    const std::string oldDigits =
        old.whole + old.fraction + std::string(now.fraction.size() - old.fraction.size(), '0');
    const std::string twice = StripZeros(Add(oldDigits, oldDigits));
    FUZZ_REQUIRE(StripZeros(now.whole + now.fraction) == twice);
    if (twice == "0")
        FUZZ_REQUIRE(!now.negative);
    else
        FUZZ_REQUIRE(now.negative == old.negative);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzScratch scratch;
    if (size < 1)
        return 0;
    static constexpr std::string_view kAxes = "XYZIJKUVW";
    const char axis = kAxes[data[0] % kAxes.size()];
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    text = text.substr(0, text.find('\0'));

    scratch.Reset({"work"});
    TextDocument document;
    document.SetText(DocumentBytes(std::string(text)));
    DoublingOptions options;
    options.axis = axis;
    options.dirPath = (scratch.Root() / "work").string();
    options.sourceName = "O1.NC";
    options.outputName = "O1_2.NC";
    const DoublingOutcome outcome = DoubleAxisToFile(document, options, {});
    const auto output = scratch.Root() / "work" / options.outputName;

    // The first line without a number stops the run; nothing is written then.
    size_t firstBad = document.LineCount();
    for (size_t i = 0; i < document.LineCount() && firstBad == document.LineCount(); ++i) {
        const Run run = FindRun(document.Line(i), axis);
        Decimal value;
        if (run.hasValue &&
            !ParseDecimal(document.Line(i).substr(run.valueBegin, run.valueEnd - run.valueBegin),
                          value))
            firstBad = i;
    }
    if (firstBad < document.LineCount()) {
        FUZZ_REQUIRE(outcome.status == DoublingOutcome::Status::NotANumber &&
                     outcome.line == firstBad);
        FUZZ_REQUIRE(FuzzScratch::RegularFiles(scratch.Root() / "work").empty());
        return 0;
    }
    FUZZ_REQUIRE(outcome.status == DoublingOutcome::Status::Done);
    std::string_view written;
    const std::string bytes = FuzzScratch::Read(output);
    written = bytes;
    for (size_t i = 0; i < document.LineCount(); ++i) {
        const size_t end = written.find("\r\n");
        FUZZ_REQUIRE(end != std::string_view::npos);
        const std::string_view out = written.substr(0, end);
        written.remove_prefix(end + 2);
        const std::string_view line = document.Line(i);
        const Run run = FindRun(line, axis);
        if (!run.hasValue)
            FUZZ_REQUIRE(out == line);
        else
            CheckDoubled(line, out, run);
    }
    FUZZ_REQUIRE(written.empty());
    return 0;
}
