#include "nctools/SplitByProgram.h"

#include "files/TextDocument.h"
#include "platform/FileWrite.h"
#include "platform/SafeFileName.h"
#include "platform/TextCodec.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/ReceiveText.h"

#include <system_error>
#include <unordered_set>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kPercentLine = "%\r\n";

bool Dropped(std::string_view line) {
    return !line.empty() && line[0] == '%';
}

// One run: the names it has given out and the file being written.
class SplitRun {
public:
    SplitRun(const std::filesystem::path& destDir, const SplitOptions& options,
             std::string_view extension, const std::filesystem::path& sourceFile)
        : destDir_(destDir), options_(options), extension_(extension), sourceFile_(sourceFile) {}

    // Ends the file of the previous program and starts the next one.
    bool StartProgram(std::string_view programLine, int count) {
        if (count > 0 && !EndProgram())
            return false;
        if (ExtensionNamesNoFile(extension_)) {
            error_ = (destDir_ / SplitFileName(programLine, count, options_.N_Set, extension_))
                         .string() +
                     ": ファイル名にワイルドカード(*?)は使えません。";
            return false;
        }
        std::string name = FreeName(SplitFileName(programLine, count, options_.N_Set, extension_));
        if (!writer_.Open(destDir_ / name))
            return Failed();
        current_ = std::move(name);
        return true;
    }

    // The "%" that opens a program's content, after any lines before the first program.
    bool OpenContent() { return !options_.F_Set || writer_.Append(kPercentLine) || Failed(); }

    bool AddLine(std::string_view line) {
        if (Dropped(line))
            return true;
        return (writer_.Append(line) && writer_.Append(kLineEnd)) || Failed();
    }

    bool EndProgram() {
        if (options_.B_Set && !writer_.Append(kPercentLine))
            return Failed();
        if (!writer_.Commit())
            return Failed();
        written_.push_back(std::move(current_));
        return true;
    }

    // The files written reach the disk, all together, before the split is done.
    bool SyncToDisk() {
        std::vector<std::filesystem::path> paths;
        for (const std::string& name : written_)
            paths.push_back(destDir_ / name);
        return ::SyncToDisk(paths, &error_);
    }

    void Abandon() { writer_.Discard(); }
    const std::string& Error() const { return error_; }
    std::vector<std::string>& Written() { return written_; }

private:
    // Two programs of one name both stay: the later one gets "_2", "_3", ... as a
    // reception does, instead of silently replacing the earlier one.
    std::string FreeName(const std::string& name) {
        std::string candidate = name;
        for (int variant = 2; !Usable(candidate); ++variant)
            candidate = NumberedVariant(name, variant);
        used_.insert(AsciiUpper(candidate));
        return candidate;
    }

    bool Usable(const std::string& name) const {
        if (used_.count(AsciiUpper(name)))
            return false;
        std::error_code ec;
        return sourceFile_.empty() ||
               !std::filesystem::equivalent(destDir_ / name, sourceFile_, ec);
    }

    bool Failed() {
        error_ = writer_.Error();
        return false;
    }

    std::filesystem::path destDir_;
    SplitOptions options_;
    std::string extension_;
    std::filesystem::path sourceFile_;
    WholeFileWriter writer_;
    std::string current_;
    std::vector<std::string> written_;
    std::unordered_set<std::string> used_;
    std::string error_;
};

} // namespace

std::string SplitFileName(std::string_view programLine, int count, bool serial,
                          std::string_view extension) {
    std::string base = ProgramNameOf(programLine);
    if (serial)
        base += ProgramNumberSuffix(count + 1);
    // Made safe as a whole, so that a blank before the extension ("O0002 .NC") stays
    // as the program line has it; only a name too long to keep its extension is cut
    // before the extension is added.
    std::string name = SafeFileName(base + std::string(extension));
    if (!name.ends_with(extension))
        name = SafeFileName(base) + std::string(extension);
    return name;
}

SplitResult SplitByProgram(const TextDocument& source, const std::filesystem::path& destDir,
                           const SplitOptions& options, std::string_view extension,
                           const SplitCallbacks& callbacks,
                           const std::filesystem::path& sourceFile) {
    SplitResult result;
    SplitRun run(destDir, options, extension, sourceFile);
    auto stop = [&](SplitStatus status) {
        run.Abandon();
        result.status = status;
        result.error = run.Error();
        result.files = std::move(run.Written());
        return result;
    };
    for (size_t i = 0; i < source.LineCount(); ++i) {
        std::string_view line = source.Line(i);
        if (IsProgramLine(line)) {
            if (callbacks.programFound)
                callbacks.programFound(line, result.programs);
            if (!run.StartProgram(line, result.programs))
                return stop(SplitStatus::WriteFailed);
            // The lines before the first program open its file, ahead of its "%".
            for (size_t head = 0; result.programs == 0 && head < i; ++head) {
                if (!run.AddLine(source.Line(head)))
                    return stop(SplitStatus::WriteFailed);
            }
            if (!run.OpenContent())
                return stop(SplitStatus::WriteFailed);
            ++result.programs;
        }
        if (result.programs > 0 && !run.AddLine(line))
            return stop(SplitStatus::WriteFailed);
        if ((i + 1) % kSplitProgressLines == 0) {
            if (callbacks.progress)
                callbacks.progress(i + 1);
            if (callbacks.cancelled && callbacks.cancelled())
                return stop(SplitStatus::Cancelled);
        }
    }
    if (callbacks.progress)
        callbacks.progress(source.LineCount());
    if (result.programs == 0)
        return stop(SplitStatus::NoPrograms);
    if (!run.EndProgram() || !run.SyncToDisk())
        return stop(SplitStatus::WriteFailed);
    result.status = SplitStatus::Done;
    result.files = std::move(run.Written());
    return result;
}
