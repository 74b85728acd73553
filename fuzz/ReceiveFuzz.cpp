// Bytes from the receive line, through the receive job on a fake port, into the
// files of a reception in a scratch folder. The first two bytes choose the
// options: save mode (one file per program or the operator's named file), the
// receive code (automatic, ISO, EIA, ASCII), the start and end "%" lines, the
// O-to-":" rewrite, the program number in names, the blank rule, the mask, how
// many bytes one read brings and how the line ends (a stop key with or without
// saving, the device pulled, DSR dropping); the third whether the line brings two
// receptions in a row into the same folder, and where the tape is cut between
// them. The rest is the line.
//
// Checked after every reception:
//  - an earlier reception's file is left as it was, unless this reception wrote a
//    file of its name (a program of that name, or the operator's named file);
//  - the scratch folder holds the receive folder and the program folder alone;
//    the receive folder holds plain files only, the program folder the log only;
//  - every file name is the naming rules': the operator's named file, or the
//    file of the one program it holds, named after that program's line (its name
//    made safe, number, extension) or a numbered variant of that, or the unnamed
//    file of lines before any program; and every such name is safe (no
//    separator, wildcard or control character, no "."/"..", no trailing dot or
//    blank, no device name, at most 255 bytes);
//  - every file holds whole CR LF lines of what the reception saved, in order:
//    its content is a run of consecutive lines of that record;
//  - on a completed reception nothing is lost: the files hold every saved line
//    but blank lines before the first program;
//  - every program line listed has a file holding it, but the one in progress
//    when a reception is stopped (that file is removed by design); every program
//    line saved was listed, but a last one the end of the tape cut short (no line
//    feed before the end), which is kept as text of the file before it;
//  - no byte is invented: the saved characters are ones a reception keeps, and
//    leaving out blanks, "%" and line ends (which the rules add) and reading ":"
//    as "O", they are a subsequence of the received bytes decoded in the line's code.
#include "FuzzCheck.h"
#include "FuzzScratch.h"

#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialPort.h"
#include "settings/Settings.h"
#include "support/FakeSerialPort.h"
#include "support/FakeTransferHost.h"
#include "transfer/ReceiveJob.h"
#include "transfer/ReceiveNaming.h"
#include "transfer/ReceiveText.h"
#include "transfer/SerialLine.h"
#include "transfer/TapeCode.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace {

class RecordingWindow : public ReceiveWindow {
public:
    std::string saved;                 // every line the reception kept, each with CR LF
    std::vector<std::string> programs; // the program lines listed
    void AppendDataLine(std::string_view line) override {
        saved.append(line);
        saved.append("\r\n");
    }
    void ClearDataView() override {}
    void ListProgram(int, std::string_view line) override { programs.emplace_back(line); }
    void SetProgress(int) override {}
    void ShowReceivePanel() override {}
    void HideTransferPanel() override {}
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void RequestRelist() override {}
    void CloseMainWindow() override {}
};

enum class LineEnding { StopKey, DevicePulled, DsrDrops };

bool Digits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "NONAME_yyyymmdd_hhmmss" + extension, or a numbered variant of it.
bool UnnamedName(std::string_view name, std::string_view extension) {
    if (!name.starts_with("NONAME_") || !name.ends_with(extension))
        return false;
    std::string_view stamp = name.substr(7, name.size() - 7 - extension.size());
    if (stamp.size() < 15 || !Digits(stamp.substr(0, 8)) || stamp[8] != '_' ||
        !Digits(stamp.substr(9, 6)))
        return false;
    return stamp.size() == 15 || (stamp[15] == '_' && Digits(stamp.substr(16)));
}

// The lines of text, each ended by CR LF (aborts when the text is not such lines).
std::vector<std::string_view> CrLfLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find("\r\n");
        FUZZ_REQUIRE(end != std::string_view::npos);
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

// What the subsequence check compares: blanks, "%" and line ends left out, ":" as "O".
std::string Essential(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '%' || c == '\r' || c == '\n')
            continue;
        out.push_back(c == ':' ? 'O' : c);
    }
    return out;
}

struct Setup {
    TSettings settings;
    bool named = false;
    LineEnding ending = LineEnding::StopKey;
    size_t readChunk = 1;
    std::string extension;
    std::filesystem::path root, recvDir, progDir;
};

// A file of the receive folder: its inode tells a file written anew from one left alone.
struct Kept {
    std::uintmax_t inode = 0;
    std::string content;
};
using Folder = std::map<std::string, Kept>;

Folder Snapshot(const std::filesystem::path& dir) {
    Folder folder;
    for (const auto& name : FuzzScratch::RegularFiles(dir)) {
        struct stat st {};
        FUZZ_REQUIRE(::stat((dir / name).c_str(), &st) == 0);
        folder[name] = {std::uintmax_t(st.st_ino), FuzzScratch::Read(dir / name)};
    }
    return folder;
}

// One reception of tape into a folder that holds earlier's files, and its checks.
void ReceiveAndCheck(const Setup& setup, std::string_view tape, const Folder& earlier) {
    const TSettings& settings = setup.settings;
    const bool named = setup.named;
    const LineEnding ending = setup.ending;
    const std::string& extension = setup.extension;
    const auto& recvDir = setup.recvDir;
    const auto& progDir = setup.progDir;
    SetProgramFolder(progDir);

    auto port = std::make_shared<FakePortState>();
    port->input.assign(tape.begin(), tape.end());
    port->readChunk = setup.readChunk;

    FakeTransferHost host;
    RecordingWindow window;
    SerialLine line(host, settings);
    line.SetPortOpener([&](const std::string&) {
        PortOpenResult result;
        result.port = std::make_unique<FakeSerialPort>(port);
        return result;
    });
    // When the tape has run out the line stays silent for a few reads (the closing
    // "%" ends a reception at the next read), then ends the chosen way; a key
    // stops whatever is still running after that.
    long silent = 0;
    host.onEvents = [&](FakeTransferHost& h) {
        ++h.now;
        if (!port->input.empty())
            return;
        ++silent;
        if (silent == 4) {
            if (ending == LineEnding::DevicePulled)
                port->gone = true;
            else if (ending == LineEnding::DsrDrops)
                port->modemBits &= ~kModemDsr;
            else
                h.pressed = true;
        }
        if (silent > 64)
            h.held = true;
        FUZZ_REQUIRE(silent < 100000);
    };

    ReceiveRequest request;
    request.namedMode = named;
    request.fileBeingReceived = "NAMED" + extension;
    request.targetPath = (recvDir / request.fileBeingReceived).string();
    ReceiveJob job(host, window, line, settings);
    const ReceiveOutcome outcome = job.Run(request);
    SetProgramFolder({});

    // Nothing outside the two folders; the program folder holds the log alone.
    std::set<std::string> top;
    for (const auto& entry : std::filesystem::directory_iterator(setup.root))
        top.insert(entry.path().filename().string());
    FUZZ_REQUIRE(top == std::set<std::string>{"prog", "recv"});
    for (const auto& name : FuzzScratch::RegularFiles(progDir))
        FUZZ_REQUIRE(name == "Dravik.log");

    // The name of a program's file, from its line and its place in the reception; a
    // variant skips the names that files of this and earlier receptions hold.
    auto programFileNamed = [&](std::string_view name, std::string_view programLine) {
        for (size_t i = 0; i < window.programs.size(); ++i) {
            if (window.programs[i] != programLine)
                continue;
            const std::string base = ProgramFileName(ProgramNameOf(programLine), int(i) + 1,
                                                     settings.Add_No == "Y", extension);
            if (name == base)
                return true;
            for (size_t v = 2; v <= window.programs.size() + earlier.size() + 2; ++v)
                if (name == NumberedVariant(base, int(v)))
                    return true;
        }
        return false;
    };
    const std::vector<std::string_view> record = CrLfLines(window.saved);
    const std::string savedFromLineStart = "\r\n" + window.saved;
    // Every program line saved was listed, but a last line that the end of the tape
    // cut short (no line feed before the closing "%", DC4 or DSR): it is kept as text.
    const size_t savedPrograms = size_t(std::count_if(record.begin(), record.end(), IsProgramLine));
    std::string_view lastText;
    for (auto l : record)
        if (l != "%")
            lastText = l;
    const bool cutProgram = savedPrograms == window.programs.size() + 1 && IsProgramLine(lastText);
    // A program whose file cannot be made is listed but stops the reception unsaved.
    const bool failedProgram =
        outcome == ReceiveOutcome::Stopped && savedPrograms + 1 == window.programs.size();
    FUZZ_REQUIRE(savedPrograms == window.programs.size() || cutProgram || failedProgram);
    std::set<std::string, std::less<>> filedLines;
    size_t filedBytes = 0;
    std::vector<std::string> contents;
    const Folder now = Snapshot(recvDir);
    for (const auto& entry : earlier) {
        const std::string& name = entry.first;
        const Kept& kept = entry.second;
        // An earlier reception's file stays as it was, unless this one made a file of its name.
        auto after = now.find(name);
        if (after != now.end() && after->second.inode == kept.inode)
            FUZZ_REQUIRE(after->second.content == kept.content);
        else
            FUZZ_REQUIRE(named ? name == request.fileBeingReceived
                               : std::any_of(window.programs.begin(), window.programs.end(),
                                             [&](const std::string& program) {
                                                 return programFileNamed(name, program);
                                             }));
    }
    for (const auto& entry : now) {
        const std::string& name = entry.first;
        const Kept& kept = entry.second;
        auto before = earlier.find(name);
        if (before != earlier.end() && before->second.inode == kept.inode)
            continue;
        FUZZ_REQUIRE(IsSafeName(name));
        contents.push_back(kept.content);
        const std::vector<std::string_view> lines = CrLfLines(contents.back());
        // One program to a file, named after it; lines before any program in the unnamed
        // file. A cut last line may stand at the end of either (it may repeat a program line).
        std::vector<std::string_view> programLines;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(programLines), IsProgramLine);
        auto namedAfter = [&](const std::vector<std::string_view>& held) {
            if (named)
                return name == request.fileBeingReceived;
            if (held.empty())
                return UnnamedName(name, extension);
            return held.size() == 1 && programFileNamed(name, held[0]);
        };
        bool nameFits = namedAfter(programLines);
        if (!nameFits && cutProgram && !programLines.empty() && programLines.back() == lastText &&
            (lines.back() == lastText ||
             (lines.size() > 1 && lines.back() == "%" && lines[lines.size() - 2] == lastText))) {
            programLines.pop_back();
            nameFits = namedAfter(programLines);
        }
        FUZZ_REQUIRE(nameFits);
        FUZZ_REQUIRE(lines.empty() ||
                     savedFromLineStart.find("\r\n" + contents.back()) != std::string::npos);
        for (auto l : lines) {
            filedBytes += l.empty() ? 0 : l.size() + 2;
            filedLines.emplace(l);
        }
    }

    // On completion every saved line but blank ones before the first program is filed.
    size_t recordBytes = 0;
    for (auto l : record)
        recordBytes += l.empty() ? 0 : l.size() + 2;
    FUZZ_REQUIRE(filedBytes <= recordBytes);
    if (outcome == ReceiveOutcome::Completed)
        FUZZ_REQUIRE(filedBytes == recordBytes);

    // Every program listed has its line in a file; a stop may remove the last one's.
    size_t mustHave = window.programs.size();
    if (outcome == ReceiveOutcome::Stopped && mustHave > 0)
        --mustHave;
    if (named && outcome == ReceiveOutcome::Stopped)
        mustHave = 0;
    for (size_t i = 0; i < mustHave; ++i)
        FUZZ_REQUIRE(filedLines.count(window.programs[i]) == 1);

    // No byte invented.
    for (char c : window.saved)
        FUZZ_REQUIRE(c == '\r' || c == '\n' || IsAllowedReceiveChar(static_cast<unsigned char>(c)));
    std::string decoded;
    const ReceiveCode code = line.CurrentReceiveCode();
    for (unsigned char c : tape)
        if (unsigned char d = DecodeByte(c, code))
            decoded.push_back(static_cast<char>(d));
    FUZZ_REQUIRE(IsSubsequence(Essential(window.saved), Essential(decoded)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzScratch scratch;
    if (size < 3)
        return 0;
    const std::uint8_t a = data[0];
    const std::uint8_t b = data[1];
    const std::uint8_t c = data[2];
    std::string_view tape(reinterpret_cast<const char*>(data) + 3, size - 3);

    scratch.Reset({"recv", "prog"});
    Setup setup;
    setup.root = scratch.Root();
    setup.recvDir = scratch.Root() / "recv";
    setup.progDir = scratch.Root() / "prog";
    setup.named = a & 0x01;
    TSettings& settings = setup.settings;
    settings.DirPath = setup.recvDir.string();
    settings.Port1 = "COM1";
    settings.Port2 = "COM2";
    settings.Speed2 = "9600,8,N,1";
    settings.R_Code = (a >> 1) & 0x03;
    settings.StartChar = (a & 0x08) ? "Y" : "N";
    settings.EndChar = (a & 0x10) ? "Y" : "N";
    settings.OChange = (a & 0x20) ? "Y" : "N";
    settings.Add_No = (a & 0x40) ? "Y" : "N";
    settings.Read_SP_Cut = (a & 0x80) ? "Y" : "N";
    static constexpr std::string_view kMasks[] = {"*.NC", "*", "*.*", "*.TXT"};
    settings.Mask = std::string(kMasks[b & 0x03]);
    settings.op5 = (b & 0x04) ? "Y" : "N";
    setup.ending = static_cast<LineEnding>(((b >> 3) & 0x03) % 3);
    settings.op6 = setup.ending == LineEnding::DsrDrops ? "Y" : "N";
    setup.readChunk = 1 + ((b >> 5) & 0x07) * 37;
    setup.extension = MaskExtension(settings.Mask);

    if (!(c & 0x01)) {
        ReceiveAndCheck(setup, tape, {});
        return 0;
    }
    const size_t cut = tape.size() * (c >> 1) / 128;
    ReceiveAndCheck(setup, tape.substr(0, cut), {});
    ReceiveAndCheck(setup, tape.substr(cut), Snapshot(setup.recvDir));
    return 0;
}
