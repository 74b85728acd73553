// A 4 MB program received by the receive job over a pseudo-terminal from ncsim,
// which punches it paced at 11,520 bytes a second (the rate of 115,200 baud 8N1;
// the line is opened at 19200, which a pseudo-terminal ignores). The file written
// must equal the expected reformatted text byte for byte; reported: the bytes and
// lines, the time against the punch's own time ("vs_line"), and the CPU the job
// used as a share of one core. One run takes about six minutes: ./bench_receive
#include "BenchHost.h"
#include "NcSim.h"

#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "transfer/ReceiveJob.h"
#include "transfer/SerialLine.h"
#include "transfer/TransferHost.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

constexpr int kBaud = 115200;
constexpr size_t kProgramBytes = 4u << 20;

class ReceiveBenchHost : public BenchHost {
public:
    void Sleep(int) override {} // the 3000 ms before closing is not the job's work
};

// The data view side: lines counted, nothing kept.
class BenchWindow : public ReceiveWindow {
public:
    size_t lines = 0;
    void AppendDataLine(std::string_view) override { ++lines; }
    void ClearDataView() override {}
    void ListProgram(int, std::string_view) override {}
    void SetProgress(int) override {}
    void ShowReceivePanel() override {}
    void HideTransferPanel() override {}
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void RequestRelist() override {}
    void CloseMainWindow() override {}
};

// The tape text (words run together, as controllers punch them) and the file the
// reception must write (words separated by one blank, CR LF line ends).
struct Program {
    std::string tape;
    std::string file;
};

Program MakeProgram() {
    Program p;
    p.tape = "O1000(BENCH 4MB)\n";
    p.file = "O1000(BENCH 4MB)\r\n";
    char words[4][24];
    for (int n = 1; p.tape.size() < kProgramBytes; ++n) {
        std::snprintf(words[0], sizeof words[0], "N%d", n);
        std::snprintf(words[1], sizeof words[1], "G1X%d.%03d", n % 500, n * 7 % 1000);
        std::snprintf(words[2], sizeof words[2], "Y-%d.%03d", n % 300, n * 13 % 1000);
        std::snprintf(words[3], sizeof words[3], "F1200");
        p.tape += std::string(words[0]) + words[1] + words[2] + words[3] + "\n";
        std::string g1 = words[1];
        p.file += std::string(words[0]) + " G1 " + g1.substr(2) + " " + words[2] + " " + words[3] +
                  "\r\n";
    }
    p.tape += "M30\n";
    p.file += "M30\r\n";
    return p;
}

double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_Receive4MBFromNcSimAt115200(benchmark::State& state) {
    auto folder = std::filesystem::temp_directory_path() / "dravik-bench-receive";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    SetProgramFolder(folder); // the log goes there
    const Program program = MakeProgram();
    for (auto _ : state) {
        std::string error;
        auto sim = ncsim::SimLine::OpenPty(&error);
        if (!sim) {
            state.SkipWithError(error.c_str());
            return;
        }
        ncsim::PunchOptions options;
        options.baud = kBaud;
        options.bitsPerByte = 10;
        options.leader = 20;
        options.waitForOpen = true;
        ncsim::PunchReport punched;
        double punchSeconds = 0;
        std::thread far([&] {
            auto begin = std::chrono::steady_clock::now();
            punched = ncsim::Punch(*sim, program.tape, options);
            punchSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        });

        TSettings settings;
        settings.DirPath = folder.string();
        settings.Port2 = "COM2";
        settings.Speed2 = "19200,8,N,1";
        settings.Ports = {{"COM2", sim->DeviceName()}};
        settings.EndChar = "N";
        ReceiveBenchHost host;
        BenchWindow window;
        SerialLine line(host, settings);
        ReceiveRequest request{true, (folder / "BENCH.NC").string(), "BENCH.NC", false};

        const double cpu0 = ThreadCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        ReceiveOutcome outcome = ReceiveJob(host, window, line, settings).Run(request);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = ThreadCpuSeconds() - cpu0;
        far.join();
        if (outcome != ReceiveOutcome::Completed) {
            state.SkipWithError("the reception did not complete");
            return;
        }
        if (ReadAll(folder / "BENCH.NC") != program.file) {
            state.SkipWithError("the file differs from the expected text");
            return;
        }
        const double lineSeconds = double(punched.bytesSent) / (kBaud / 10.0);
        state.SetIterationTime(wall);
        state.counters["bytes"] = double(punched.bytesSent);
        state.counters["lines"] = double(window.lines);
        state.counters["line_s"] = lineSeconds;
        state.counters["elapsed_s"] = wall;
        state.counters["vs_line"] = punchSeconds / lineSeconds;
        state.counters["cpu_s"] = cpu;
        state.counters["cpu_pct"] = 100 * cpu / wall;
    }
    SetProgramFolder({});
    std::filesystem::remove_all(folder);
}

BENCHMARK(BM_Receive4MBFromNcSimAt115200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
