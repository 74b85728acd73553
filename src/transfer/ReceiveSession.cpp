#include "transfer/ReceiveSession.h"

#include "platform/FileWrite.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "settings/Settings.h"
#include "transfer/ReceiveNaming.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr unsigned char kDc4 = 0x14;

bool NameTaken(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() !=
           std::filesystem::file_type::not_found;
}

} // namespace

ReceivePlan ReceivePlanFor(const TSettings& settings, bool namedMode, std::string namedPath,
                           std::time_t startedAt) {
    ReceivePlan plan;
    plan.namedMode = namedMode;
    plan.namedPath = std::move(namedPath);
    plan.dirPath = settings.DirPath;
    plan.extension = MaskExtension(settings.Mask);
    plan.startChar = settings.StartChar == "Y";
    plan.endChar = settings.EndChar == "Y";
    plan.oChange = settings.OChange == "Y";
    plan.addNumber = settings.Add_No == "Y";
    plan.cutBlanks = settings.Read_SP_Cut != "N";
    plan.startedAt = startedAt;
    return plan;
}

ReceiveSession::ReceiveSession(ReceivePlan plan, ReceiveView& view)
    : plan_(std::move(plan)), view_(view), buffer_(plan_.cutBlanks) {}

bool ReceiveSession::Open() {
    if (!plan_.namedMode)
        return true;
    ClaimName(std::filesystem::path(plan_.namedPath).filename().string());
    return CreateFile(plan_.namedPath);
}

void ReceiveSession::Start(unsigned char startChar) {
    started_ = true;
    buffer_.Start(startChar);
    lineCount_ = 0;
    view_.SetProgress(0);
    view_.ClearDataView();
    pending_.clear();
    pendingHasText_ = false;
    // One file per program: every program file gets its own "%" when it opens.
    if (plan_.startChar && plan_.namedMode)
        AddLine("%");
    programCount_ = 0;
    firstLineDone_ = false;
}

ReceiveSession::Step ReceiveSession::Take(unsigned char c) {
    // The closing "%" ends the reception at the next read, even one that brought nothing.
    if (buffer_.HasPercent() && firstLineDone_) {
        if (buffer_.Text().size() >= 3) {
            buffer_.RemoveFirstPercent();
            KeepPartialLine();
        }
        return Step::End;
    }
    if (c == '\r' || c == 0)
        return Step::Next;
    if (c == kDc4) {
        KeepPartialLine();
        return Step::End;
    }
    if (c == '\n')
        return LineEnd();
    return Character(c);
}

ReceiveSession::Step ReceiveSession::LineEnd() {
    if (buffer_.HasPercent() && !firstLineDone_) {
        // The leading "%" line of the tape is not part of the program.
        if (buffer_.Text().size() < 4) {
            firstLineDone_ = true;
            buffer_.Clear();
            return Step::Next;
        }
        buffer_.RemoveFirstPercent();
        firstLineDone_ = true;
    }
    std::string line(TrimLine(buffer_.Text()));
    buffer_.NewLine();
    if (IsLoneProgramLetter(line)) {
        // The number follows on the next line: the two are one program line.
        buffer_.SetText(line);
        firstLineDone_ = true;
        return Step::Next;
    }
    // A line that never reaches a file does not open one either.
    const bool keep = !IsDroppedLine(line);
    if (keep && IsProgramLine(line)) {
        RewriteProgramLine(line, plan_.oChange);
        view_.ListProgram(programCount_, line);
        if (!plan_.namedMode && !NewProgram(line))
            return Step::Failed;
        ++programCount_;
    }
    if (keep)
        AddLine(line);
    ++lineCount_;
    if (keep && firstLineDone_ && FindEndPercent(line) != std::string::npos)
        return Step::End;
    buffer_.Clear();
    firstLineDone_ = true;
    return Step::Next;
}

ReceiveSession::Step ReceiveSession::Character(unsigned char c) {
    buffer_.Add(c);
    if (lineCount_ >= kLinesPerSave) {
        if (!Save())
            return Step::Failed;
        lineCount_ = 0;
    }
    view_.SetProgress(lineCount_);
    return Step::Next;
}

bool ReceiveSession::NewProgram(const std::string& programLine) {
    if (programCount_ > 0 && plan_.endChar)
        AddLine("%");
    if (programCount_ == 0 && target_.empty()) {
        // Lines before the first program line head its file, ahead of its "%" line,
        // as the split tool keeps them; blank lines alone carry nothing.
        if (!pendingHasText_)
            DiscardPending();
    } else if (!Save()) {
        return false;
    }
    target_.clear();
    targetCreated_ = false;
    std::string fileName = ProgramFileName(ProgramNameOf(programLine), programCount_ + 1,
                                           plan_.addNumber, plan_.extension);
    if (!CreateUniqueFile(fileName, true))
        return false;
    if (plan_.startChar)
        AddLine("%");
    return true;
}

void ReceiveSession::KeepPartialLine() {
    std::string_view line = TrimLine(buffer_.Text());
    // A line end straight before the end leaves nothing: no empty line is added.
    if (!line.empty())
        AddLine(line);
    buffer_.Clear();
}

bool ReceiveSession::Finish(bool closing) {
    if (closing && plan_.endChar && (plan_.namedMode || programCount_ > 0))
        AddLine("%");
    if (!Save())
        return false;
    // Every file of this reception is on the disk before it is reported received.
    std::vector<std::filesystem::path> files(filesWritten_.begin(), filesWritten_.end());
    return SyncToDisk(files, &error_);
}

void ReceiveSession::RemoveFileInProgress() {
    if (targetCreated_) {
        ::unlink(target_.c_str());
        std::erase(filesWritten_, target_);
    }
    targetCreated_ = false;
}

void ReceiveSession::AddLine(std::string_view line) {
    pending_ += line;
    pending_ += "\r\n";
    pendingHasText_ = pendingHasText_ || !line.empty();
    view_.AppendDataLine(line);
}

bool ReceiveSession::Save() {
    if (target_.empty()) {
        // Lines saved before any program line (the 1000-line save, a tape without
        // one): a file of their own when they hold anything.
        if (pendingHasText_ &&
            !CreateUniqueFile(UnnamedFileName(plan_.startedAt, plan_.extension), false))
            return false;
    }
    if (!target_.empty() && !pending_.empty()) {
        std::string error;
        if (!AppendToFile(target_, pending_, &error)) {
            error_ = error;
            return false;
        }
        lastPath_ = target_;
    }
    DiscardPending();
    return true;
}

void ReceiveSession::DiscardPending() {
    pending_.clear();
    pendingHasText_ = false;
    view_.ClearDataView();
}

bool ReceiveSession::CreateFile(const std::string& path) {
    target_ = path;
    targetCreated_ = false;
    if (ExtensionNamesNoFile(std::filesystem::path(path).filename().string())) {
        error_ = path + ": ファイル名にワイルドカード(*?)は使えません。";
        return false;
    }
    // An empty file in place at once; Finish puts it on the disk with its lines.
    WholeFileWriter writer;
    if (!writer.Open(path) || !writer.Commit()) {
        error_ = writer.Error();
        return false;
    }
    targetCreated_ = true;
    lastPath_ = path;
    if (std::find(filesWritten_.begin(), filesWritten_.end(), path) == filesWritten_.end())
        filesWritten_.push_back(path);
    return true;
}

bool ReceiveSession::ClaimName(const std::string& fileName) {
    return namesUsed_.insert(AsciiUpper(fileName)).second;
}

// A program file replaces a file of its name from an earlier reception, but never
// one written by this reception; a variant is a name that nothing holds yet.
bool ReceiveSession::CreateUniqueFile(const std::string& fileName, bool mayReplace) {
    std::string name = fileName;
    for (int variant = 2;; ++variant) {
        const bool free = !namesUsed_.count(AsciiUpper(name)) &&
                          (mayReplace || !NameTaken(JoinPath(plan_.dirPath, name)));
        if (free)
            break;
        mayReplace = false;
        name = NumberedVariant(fileName, variant);
    }
    ClaimName(name);
    return CreateFile(JoinPath(plan_.dirPath, name));
}
