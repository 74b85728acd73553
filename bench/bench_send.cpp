// A 100 KB program sent by the send job over a pseudo-terminal to ncsim, with
// ncsim modelling the 19200-baud 8N1 wire (1,920 bytes a second) that a
// pseudo-terminal lacks, so that bytes still on their way when it sends DC3 reach
// it after the DC3, as on a real line whose FIFO the PC cannot see.
// - At19200: the controller's buffer drains at the line's rate. Reported: the time
//   from the first byte until ncsim has drained the last one, against the line's
//   own time for the bytes it counted (bytes x 10 / 19200 s; "vs_line" should stay
//   within 1% of 1.0), and the CPU the job used as a share of one core.
// - At4800: the same on a 4800-baud line (a quarter of the program, the same
//   line time): the CPU share must not grow on the faster line.
// - DrainAt90Percent: the controller works slower than the line (a drain of 90%
//   of it), so that it holds the sender with DC3/DC1 all through. Reported: the
//   DC3s and the bytes that reached ncsim after each ("after_dc3_avg",
//   "after_dc3_max": at most about 16), and the time against the drain's own time
//   ("vs_drain", within 1% of 1.0: the buffer never ran dry).
// One run of the three takes about three minutes: ./bench_send
#include "BenchHost.h"
#include "NcSim.h"

#include "files/TextDocument.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "transfer/SendJob.h"
#include "transfer/SerialLine.h"
#include "transfer/TransferHost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>

namespace {

constexpr int kLineBaud = 19200;
constexpr int kSlowBaud = 4800;

class SendBenchHost : public BenchHost {
public:
    explicit SendBenchHost(const std::atomic<bool>& farDone) : farDone_(farDone) {}
    // The 4000 ms drain ends as soon as the simulated controller has all it needs;
    // every other sleep is one sleep, as the window's is.
    void Sleep(int ms) override {
        if (ms < 4000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return;
        }
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!farDone_ && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    const std::atomic<bool>& farDone_;
};

class BenchWindow : public SendWindow {
public:
    TextDocument document;
    const TextDocument& DataView() const override { return document; }
    void ClearDataView() override { document.Clear(); }
    void SelectDataLine(size_t) override {}
    bool LoadFileIntoView(const std::string&) override { return false; }
    void SetProgressRange(int64_t) override {}
    void SetProgress(int64_t) override {}
    void SetRemainingText(const std::string&) override {}
    void StartEstimateTimer() override {}
    void StopEstimateTimer() override {}
    void HighlightQueueEntry(int) override {}
    void SuspendScreenSaver() override {}
    void HideTransferPanel() override {}
    void EnableFileList() override {}
    void StartReturnToIdle(int) override {}
    void ClearMarks() override {}
    void CloseMainWindow() override {}
};

// About kilobytes KB of milling blocks with CR LF line ends.
std::string Program(size_t kilobytes) {
    std::string text = "%\r\nO1000(BENCH)\r\n";
    for (int n = 1; text.size() < kilobytes * 1024; ++n) {
        char block[64];
        std::snprintf(block, sizeof block, "N%dG1X%d.%03dY-%d.%03dF1200\r\n", n, n % 500,
                      n * 7 % 1000, n % 300, n * 13 % 1000);
        text += block;
    }
    return text + "M30\r\n%\r\n";
}

double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct SendRun {
    bool ok = false;
    ncsim::ReceiveReport report;
    double cpuPct = 0;
};

// One send of the program to ncsim over a line of lineBaud, whose buffer drains at drainBaud.
SendRun SendToNcSim(const std::string& program, int lineBaud, int drainBaud) {
    SendRun run;
    std::string error;
    auto sim = ncsim::SimLine::OpenPty(&error);
    if (!sim)
        return run;
    ncsim::ReceiveOptions options;
    options.baud = drainBaud;
    options.lineBaud = lineBaud;
    options.bitsPerByte = 10;
    options.highMark = 200;
    options.lowMark = 100;
    std::atomic<bool> farDone{false};
    std::thread far([&] {
        run.report = ncsim::Receive(*sim, options);
        farDone = true;
    });

    TSettings settings;
    settings.Speed1 = std::to_string(lineBaud) + ",8,N,1";
    settings.Signal1 = "N";
    settings.StartChar = "Y";
    settings.EndChar = "Y";
    SendBenchHost host(farDone);
    BenchWindow window;
    window.document.SetText(program);
    SerialLine line(host, settings);
    line.SetPortOpener([&](const std::string&) { return OpenSerialDevice(sim->DeviceName()); });
    SendCounters counters;
    SendJob job(host, window, line, settings, counters);
    SendRequest request;
    request.fileBeingSent = "BENCH.NC";

    const double cpu0 = ThreadCpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    SendOutcome outcome = job.Run(request);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = ThreadCpuSeconds() - cpu0;
    far.join();
    run.ok = outcome == SendOutcome::Completed && run.report.end == ncsim::EndReason::Percent;
    run.cpuPct = 100 * cpu / wall;
    return run;
}

void ReportDc3(benchmark::State& state, const ncsim::ReceiveReport& report) {
    state.counters["dc3"] = double(report.bytesAfterDc3.size());
    size_t most = 0, sum = 0;
    for (size_t n : report.bytesAfterDc3) {
        most = std::max(most, n);
        sum += n;
    }
    state.counters["after_dc3_max"] = double(most);
    state.counters["after_dc3_avg"] =
        report.bytesAfterDc3.empty() ? 0 : double(sum) / double(report.bytesAfterDc3.size());
}

void RunSendBenchmark(benchmark::State& state, int lineBaud, int drainBaud, const char* ratioName) {
    auto folder = std::filesystem::temp_directory_path() / "dravik-bench-send";
    std::filesystem::create_directories(folder);
    SetProgramFolder(folder); // the log goes there
    // About 53 s of line time at any rate.
    const std::string program = Program(size_t(100) * lineBaud / kLineBaud);
    for (auto _ : state) {
        SendRun run = SendToNcSim(program, lineBaud, drainBaud);
        if (!run.ok) {
            state.SkipWithError("the send did not complete");
            break;
        }
        const ncsim::ReceiveReport& report = run.report;
        const double ownSeconds = double(report.raw.size()) * 10 / drainBaud;
        state.SetIterationTime(report.drainedSeconds);
        state.counters["bytes"] = double(report.raw.size());
        state.counters["own_s"] = ownSeconds;
        state.counters["elapsed_s"] = report.drainedSeconds;
        state.counters[ratioName] = report.drainedSeconds / ownSeconds;
        state.counters["cpu_pct"] = run.cpuPct;
        ReportDc3(state, report);
    }
    SetProgramFolder({});
}

void BM_SendToNcSimAt19200(benchmark::State& state) {
    RunSendBenchmark(state, kLineBaud, kLineBaud, "vs_line");
}

void BM_SendToNcSimAt4800(benchmark::State& state) {
    RunSendBenchmark(state, kSlowBaud, kSlowBaud, "vs_line");
}

void BM_SendToNcSimDrainAt90Percent(benchmark::State& state) {
    RunSendBenchmark(state, kLineBaud, kLineBaud * 9 / 10, "vs_drain");
}

BENCHMARK(BM_SendToNcSimAt19200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendToNcSimAt4800)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendToNcSimDrainAt90Percent)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
