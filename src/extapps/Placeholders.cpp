#include "extapps/Placeholders.h"

#include "platform/ProcessStart.h"

#include <cerrno>
#include <filesystem>

namespace {

// Folder part (with its "/") and name of a full path.
std::pair<std::string_view, std::string_view> SplitName(std::string_view fullPath) {
    size_t slash = fullPath.rfind('/');
    if (slash == std::string_view::npos)
        return {std::string_view(), fullPath};
    return {fullPath.substr(0, slash + 1), fullPath.substr(slash + 1)};
}

std::string_view WithoutExtension(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

char LowerLetter(char capital) {
    return static_cast<char>(capital - 'A' + 'a');
}

// Every "$" + kind, in capitals or not, replaced in one scan; what `with` brings in
// is not looked at again in this pass.
void ReplacePlaceholder(std::string& text, char kind, std::string_view with) {
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = text.find('$', pos)) != std::string::npos;) {
        if (hit + 1 < text.size() &&
            (text[hit + 1] == kind || text[hit + 1] == LowerLetter(kind))) {
            out.append(text, pos, hit - pos);
            out += with;
            pos = hit + 2;
        } else {
            out.append(text, pos, hit + 1 - pos);
            pos = hit + 1;
        }
    }
    out.append(text, pos, std::string::npos);
    text = std::move(out);
}

// errno for a program path that names no file to start (0 when one is there).
int MissingReason(const std::string& resolved) {
    std::error_code ec;
    if (resolved.empty())
        return ENOENT;
    auto status = std::filesystem::status(resolved, ec);
    if (ec || !std::filesystem::exists(status))
        return ENOENT;
    if (std::filesystem::is_directory(status))
        return EISDIR;
    return 0;
}

} // namespace

std::string PlaceholderText(char kind, std::string_view fullPath) {
    auto [folder, name] = SplitName(fullPath);
    switch (kind) {
    case 'A':
        return std::string(fullPath);
    case 'B':
        return std::string(folder) + std::string(WithoutExtension(name));
    case 'C':
        return std::string(name);
    case 'D':
        return std::string(WithoutExtension(name));
    default:
        return {};
    }
}

std::string ProposedArgument(std::string_view command, std::string_view fullPath) {
    std::string proposed;
    for (char kind : {'A', 'B', 'C', 'D'}) {
        const char upper[] = {'$', kind, '\0'};
        const char lower[] = {'$', LowerLetter(kind), '\0'};
        if (command.find(upper) != std::string_view::npos ||
            command.find(lower) != std::string_view::npos)
            proposed = PlaceholderText(kind, fullPath);
    }
    return proposed;
}

std::string SubstitutePlaceholders(std::string_view command, std::string_view argument) {
    std::string result(command);
    // The template field takes small letters too: "$a" is "$A".
    for (char kind : {'A', 'B', 'C', 'D'})
        ReplacePlaceholder(result, kind, argument);
    return result;
}

std::string ProgramPathOf(std::string_view command) {
    return std::string(command.substr(0, command.find(' ')));
}

ProgramCall ConfirmedCall(std::string_view command, std::string_view argument) {
    std::string r = SubstitutePlaceholders(command, argument);
    size_t blank = r.find(' ');
    if (blank == std::string::npos)
        return {r, {}};
    ProgramCall call{r.substr(0, blank), {}};
    if (!argument.empty())
        call.arguments = r.substr(blank + 1);
    return call;
}

LetterPlan PlanLetterLaunch(const AppBinding& app, std::string_view fullPath) {
    LetterPlan plan;
    if (app.command.empty())
        return plan;
    plan.program = ProgramPathOf(app.command);
    plan.error = MissingReason(ResolveProgram(plan.program));
    if (plan.error != 0) {
        plan.step = LetterStep::Missing;
        return plan;
    }
    if (app.flag != "Y") {
        plan.step = LetterStep::OpenBare;
        return plan;
    }
    plan.step = LetterStep::AskArgument;
    plan.proposed = ProposedArgument(app.command, fullPath);
    return plan;
}
