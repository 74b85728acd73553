#include "app/SecondStart.h"

#include "app/StartArguments.h"

namespace {

const char kNotHanded[] = "実行中のDravikにファイルを渡せませんでした。\n";

} // namespace

int RunSecondStart(const std::vector<std::string>& args, const HandOverFn& handOver,
                   std::ostream& errors) {
    const std::vector<std::string> files = FileArguments(args);
    std::vector<HandOverAnswer> answers;
    std::string error;
    bool answered = handOver && handOver(files, answers, &error);
    if (answered && answers.size() != files.size()) {
        answered = false;
        error = "実行中のDravikの応答が不正です";
    }
    if (files.empty())
        return 0;
    if (!answered) {
        errors << kNotHanded;
        for (const std::string& file : files)
            errors << file << ": " << error << '\n';
        return 1;
    }
    bool failed = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        // The operator who kept the file of that name there decided; not a failure.
        if (answers[i].status != HandOverStatus::Failed)
            continue;
        if (!failed)
            errors << kNotHanded;
        failed = true;
        errors << files[i] << ": " << answers[i].reason << '\n';
    }
    errors.flush();
    return failed ? 1 : 0;
}
