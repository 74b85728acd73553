// The command line of dravik-cli: a command word, then options and operands in
// any order. Options are "--name value", "--name=value" or a flag; a few have a
// one-letter form ("-q"); "--" ends the options. The parser knows only the table
// of each command's options, so that the usage text and the parsing never differ.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct OptionSpec {
    std::string_view name;  // without the leading "--"
    char shortName = 0;     // "-q" for 'q'; 0: none
    std::string_view value; // the value's placeholder in the usage text; empty: a flag
    std::string_view help;  // one line of the usage text
};

struct CommandSpec {
    std::string_view name;
    std::string_view operands; // the operands in the usage line
    std::string_view summary;
    std::vector<OptionSpec> options;
    size_t minOperands = 0;
    size_t maxOperands = 0;                 // SIZE_MAX: any number
    std::vector<std::string_view> required; // options the command cannot run without
};

struct ParsedCommand {
    const CommandSpec* command = nullptr; // null for "dravik-cli --help" or an error
    bool help = false;
    std::vector<std::string> operands;
    std::vector<std::pair<std::string, std::string>> options; // name, value ("" for a flag)
    std::string error; // a bad command line: why, in one line

    bool Has(std::string_view name) const;
    // The value of the option's last occurrence.
    std::optional<std::string> Value(std::string_view name) const;
};

// args without the program name. An empty error means the line is sound.
ParsedCommand ParseCommandLine(const std::vector<std::string>& args,
                               const std::vector<CommandSpec>& commands);

// "dravik-cli --help": every command with its summary.
std::string ProgramUsage(const std::vector<CommandSpec>& commands, std::string_view footer);
// "dravik-cli COMMAND --help": the command's usage line and its options.
std::string CommandUsage(const CommandSpec& command, std::string_view footer);
