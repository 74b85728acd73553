// dravik-cli receive: the window's F2 run by the receive job itself. Without
// --name one file per program into the working folder (the save question's
// "N"), with --name the named mode (its "Y").
#include "cli/Commands.h"
#include "cli/TerminalHost.h"
#include "files/RowFormat.h"
#include "platform/Paths.h"
#include "settings/Settings.h"
#include "transfer/ReceiveJob.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/SerialLine.h"

#include <filesystem>

namespace {

// The receive job's view of the terminal: the received lines are counted, not kept.
class TerminalReceiveWindow : public ReceiveWindow {
public:
    explicit TerminalReceiveWindow(TerminalHost& host) : host_(host) {}

    void AppendDataLine(std::string_view line) override {
        ++lines_;
        bytes_ += int64_t(line.size()) + 2;
        host_.NoteActivity();
        ShowProgress(false);
    }
    void ClearDataView() override {}
    void ListProgram(int index, std::string_view line) override {
        programs_ = index + 1;
        program_ = OneLine(line.substr(0, 40));
        host_.NoteActivity();
    }
    void SetProgress(int) override {}
    void ShowReceivePanel() override { startedMs_ = host_.NowMs(); }
    void HideTransferPanel() override { ShowProgress(true); }
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void RequestRelist() override {}
    void CloseMainWindow() override {}

    int Programs() const { return programs_; }
    int64_t Lines() const { return lines_; }

private:
    void ShowProgress(bool force) {
        const int64_t elapsedMs = host_.NowMs() - startedMs_;
        const int64_t rate = elapsedMs > 0 ? bytes_ * 1000 / elapsedMs : 0;
        host_.ShowProgress("受信 " + GroupThousands(lines_) + " 行  " + GroupThousands(bytes_) +
                               " ﾊﾞｲﾄ  " + GroupThousands(rate) + " B/s  プログラム " +
                               std::to_string(programs_) + " " + program_,
                           force);
    }

    TerminalHost& host_;
    int programs_ = 0;
    int64_t lines_ = 0;
    int64_t bytes_ = 0;
    std::string program_;
    std::int64_t startedMs_ = 0;
};

// The file of the named mode; false when it may not be written.
bool PrepareNamedTarget(const std::string& typed, TSettings& settings, ReceiveRequest& request,
                        TerminalHost& host) {
    std::string name = typed;
    // A plain name lands in the working folder, as the window's field takes it;
    // a name with a folder in it is a path from the current folder.
    if (typed.find('/') != std::string::npos) {
        const std::string path = CommandLinePath(typed);
        settings.DirPath = ParentPath(path);
        name = path.substr(path.rfind('/') + 1);
    }
    const NamedTarget target = NamedReceiveTarget(settings, name);
    if (!MayReplace(target.path, host))
        return false;
    request.namedMode = true;
    request.targetPath = target.path;
    request.fileBeingReceived = target.fileName;
    return true;
}

} // namespace

int RunReceive(const ParsedCommand& parsed, TSettings& settings, TerminalHost& host) {
    if (auto dir = parsed.Value("dir"))
        settings.DirPath = CommandLinePath(*dir);
    ReceiveRequest request;
    if (auto name = parsed.Value("name")) {
        if (name->empty() || name->back() == '/') {
            host.Say("--name にファイル名がありません: " + *name);
            return kExitUsage;
        }
        if (!PrepareNamedTarget(*name, settings, request, host))
            return kExitFailed;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(settings.DirPath, ec)) {
        host.Say("受信フォルダーがありません: " + settings.DirPath);
        return kExitFailed;
    }
    // The job shows the reader prompt and sends DC1 at once: only --yes says the tape is set.
    if (settings.Reader == "Y" && !host.Yes()) {
        host.Refuse(kReaderPrompt, "--yes");
        return kExitFailed;
    }
    TerminalReceiveWindow window(host);
    SerialLine line(host, settings);
    const ReceiveOutcome outcome = ReceiveJob(host, window, line, settings).Run(request);
    if (outcome == ReceiveOutcome::Completed) {
        host.Tell(std::to_string(window.Programs()) + " プログラム、" +
                  GroupThousands(window.Lines()) + " 行を " +
                  (request.namedMode ? request.targetPath : settings.DirPath) + " に受信しました");
        return kExitCompleted;
    }
    host.Say(host.StopLine(kReceiveStopped));
    return kExitFailed;
}
