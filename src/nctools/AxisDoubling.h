// Doubling the value of one axis address in every block of an NC program: the rule
// for one line, the output name, and the run over the data view's lines that writes
// the result beside the source. The arithmetic works on the decimal text itself, so
// 0.125 doubles to 0.250 and no value ever passes through binary floating point.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class TextDocument;

// The axis letters the field takes, in either case, and the characters of a value.
inline constexpr std::string_view kAxisLetters = "XxYyZzIiJjKkUuVvWw";
inline constexpr std::string_view kNumberCharacters = "0123456789.- ";

// What the dialog works with: the axis (the field starts empty at every showing, so
// nothing is kept between uses), the working directory and both file names.
struct DoublingOptions {
    char axis = 0; // the capital letter; 0 while the field is empty
    std::string dirPath;
    std::string sourceName;
    std::string outputName;
};

// The capital axis letter of the field's text, or 0 when it holds none.
char AxisFromField(std::string_view text);

// The source name with its extension (from its last ".") replaced by "_2" and the
// mask's extension: O1234.NC and O1234 both give O1234_2.NC for the mask "*.NC".
std::string DoubledFileName(std::string_view sourceName, std::string_view mask);

// value (digits with at most one "." and a leading "-") times two with decimals
// places after the point, the last one rounded half away from zero, at least one
// digit before the point, no "-" on a zero. Empty when value is not such a number.
std::string DoubleDecimalText(std::string_view value, size_t decimals);

enum class LineDoubling { Unchanged, Doubled, NotANumber };

// Doubles the value after the first axis letter of line (case-sensitive). The line,
// converted or as it was, is appended to out unless it is NotANumber. The number
// of decimals follows the value's own: none stays none, 0 or 1 give one, 2 to 5 keep
// theirs; more than 5 are kept as well (the double of a decimal has no more places
// than the value, so nothing is rounded away). Blanks that end the value stay.
LineDoubling DoubleAxisInLine(std::string_view line, char axis, std::string& out);

struct DoublingOutcome {
    enum class Status { Done, NotANumber, WriteFailed, Cancelled };
    Status status = Status::Done;
    size_t line = 0;   // the line that is not a number (0-based)
    std::string error; // why the output could not be written
};

// Called with the number of the next line now and then; false cancels the run.
using DoublingProgress = std::function<bool(size_t nextLine)>;

// Converts every line of document with options.axis into options.outputName in
// options.dirPath, each line followed by CR LF, written in large blocks and only put
// under its name once whole. A value that is not a number, a failed write, an
// output name that is no plain file name (a "/" or a wildcard from the mask) or a
// cancel leave no output behind; a file of that name stays as it was.
DoublingOutcome DoubleAxisToFile(const TextDocument& document, const DoublingOptions& options,
                                 const DoublingProgress& progress);
