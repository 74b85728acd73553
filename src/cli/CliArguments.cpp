#include "cli/CliArguments.h"

#include <algorithm>

namespace {

const OptionSpec* FindLong(const CommandSpec& command, std::string_view name) {
    for (const OptionSpec& option : command.options)
        if (option.name == name)
            return &option;
    return nullptr;
}

const OptionSpec* FindShort(const CommandSpec& command, char name) {
    for (const OptionSpec& option : command.options)
        if (option.shortName != 0 && option.shortName == name)
            return &option;
    return nullptr;
}

bool IsHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

// One option argument at args[i]; i moves past a separate value. False: error set.
bool TakeOption(const CommandSpec& command, const std::vector<std::string>& args, size_t& i,
                ParsedCommand& parsed) {
    const std::string& arg = args[i];
    std::string name;
    std::optional<std::string> inlineValue;
    const OptionSpec* option = nullptr;
    if (arg.rfind("--", 0) == 0) {
        const size_t equals = arg.find('=');
        name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        if (equals != std::string::npos)
            inlineValue = arg.substr(equals + 1);
        option = FindLong(command, name);
    } else if (arg.size() == 2) {
        option = FindShort(command, arg[1]);
    }
    if (!option) {
        parsed.error = "不明なオプションです: " + arg;
        return false;
    }
    name = std::string(option->name);
    if (option->value.empty()) {
        if (inlineValue) {
            parsed.error = "--" + name + " は値を取りません";
            return false;
        }
        parsed.options.emplace_back(name, std::string());
        return true;
    }
    if (!inlineValue) {
        if (i + 1 >= args.size()) {
            parsed.error = "--" + name + " に " + std::string(option->value) + " がありません";
            return false;
        }
        inlineValue = args[++i];
    }
    parsed.options.emplace_back(name, *inlineValue);
    return true;
}

std::string OperandCountError(const CommandSpec& command, size_t given) {
    if (given < command.minOperands)
        return std::string(command.name) + ": " + std::string(command.operands) + " がありません";
    return std::string(command.name) + ": 余分な引数があります";
}

} // namespace

bool ParsedCommand::Has(std::string_view name) const {
    return std::any_of(options.begin(), options.end(),
                       [name](const auto& option) { return option.first == name; });
}

std::optional<std::string> ParsedCommand::Value(std::string_view name) const {
    for (auto it = options.rbegin(); it != options.rend(); ++it)
        if (it->first == name)
            return it->second;
    return std::nullopt;
}

ParsedCommand ParseCommandLine(const std::vector<std::string>& args,
                               const std::vector<CommandSpec>& commands) {
    ParsedCommand parsed;
    if (args.empty()) {
        parsed.error = "コマンドがありません (dravik-cli --help で一覧)";
        return parsed;
    }
    if (IsHelp(args[0])) {
        parsed.help = true;
        return parsed;
    }
    for (const CommandSpec& command : commands)
        if (command.name == args[0])
            parsed.command = &command;
    if (!parsed.command) {
        parsed.error = "不明なコマンドです: " + args[0];
        return parsed;
    }
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && IsHelp(arg)) {
            parsed.help = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (!TakeOption(*parsed.command, args, i, parsed))
                return parsed;
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (parsed.help)
        return parsed;
    const size_t count = parsed.operands.size();
    if (count < parsed.command->minOperands || count > parsed.command->maxOperands) {
        parsed.error = OperandCountError(*parsed.command, count);
        return parsed;
    }
    for (std::string_view name : parsed.command->required) {
        if (!parsed.Has(name)) {
            parsed.error =
                std::string(parsed.command->name) + ": --" + std::string(name) + " が必要です";
            break;
        }
    }
    return parsed;
}

std::string ProgramUsage(const std::vector<CommandSpec>& commands, std::string_view footer) {
    std::string text = "使い方: dravik-cli COMMAND [OPTION]... [ARG]...\n\nコマンド:\n";
    for (const CommandSpec& command : commands) {
        std::string name(command.name);
        name.resize(std::max<size_t>(name.size(), 10), ' ');
        text += "  " + name + std::string(command.summary) + "\n";
    }
    text += "\nCOMMAND --help で各コマンドのオプションを表示します。\n";
    text += footer;
    return text;
}

std::string CommandUsage(const CommandSpec& command, std::string_view footer) {
    std::string text = "使い方: dravik-cli " + std::string(command.name);
    if (!command.operands.empty())
        text += " " + std::string(command.operands);
    text += " [OPTION]...\n" + std::string(command.summary) + "\n\nオプション:\n";
    for (const OptionSpec& option : command.options) {
        std::string left = option.shortName ? std::string("-") + option.shortName + ", " : "    ";
        left += "--" + std::string(option.name);
        if (!option.value.empty())
            left += " " + std::string(option.value);
        left.resize(std::max<size_t>(left.size() + 1, 26), ' ');
        text += "  " + left + std::string(option.help) + "\n";
    }
    text += "  -h, --help                この説明を表示する\n";
    text += footer;
    return text;
}
