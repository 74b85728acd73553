// What the send benchmarks share: the 100 KB program, a host whose final drain
// ends once the simulated controller has all it needs, a window without display,
// the CPU clock of the sending thread, the DC3 counters and the CPU floor of the line.
#pragma once

#include "BenchHost.h"
#include "NcSim.h"

#include "files/TextDocument.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "settings/Settings.h"
#include "transfer/HeadlessSendWindow.h"
#include "transfer/SendJob.h"
#include "transfer/SerialLine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

inline constexpr int kLineBaud = 19200;

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

// About kilobytes KB of milling blocks with CR LF line ends.
inline std::string Program(size_t kilobytes = 100) {
    std::string text = "%\r\nO1000(BENCH)\r\n";
    for (int n = 1; text.size() < kilobytes * 1024; ++n) {
        char block[64];
        std::snprintf(block, sizeof block, "N%dG1X%d.%03dY-%d.%03dF1200\r\n", n, n % 500,
                      n * 7 % 1000, n % 300, n * 13 % 1000);
        text += block;
    }
    return text + "M30\r\n%\r\n";
}

inline double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

inline void ReportDc3(benchmark::State& state, const ncsim::ReceiveReport& report) {
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

// The settings of the benchmarks' send line: 8N1 (19200 unless given), the PC starts.
inline TSettings BenchSettings(int lineBaud = kLineBaud) {
    TSettings settings;
    settings.Speed1 = std::to_string(lineBaud) + ",8,N,1";
    settings.Signal1 = "N";
    settings.StartChar = "Y";
    settings.EndChar = "Y";
    return settings;
}

// The floor of a send's CPU on this line and machine: a bare loop that writes,
// through the same port, runs of what the line drains between two wake-ups
// within the DC3 bound (the bound less the reserve the send keeps), and sleeps
// until the next one is due watching the line, as a sender that must hear a DC3
// at once does. No handshake, no modem lines, no text: what any sender must pay
// for its wake-ups and writes. About ten seconds of
// bytes (from tape, the bytes the send put on the line), drained by ncsim at
// the line's rate. The CPU of the loop as a share of one core; 0 when it failed.
inline double FloorCpuPct(ncsim::SimLine& sim, const PortOpenResult& opened,
                          const std::string& tape, int lineBaud) {
    if (!opened.port)
        return 0;
    const std::chrono::nanoseconds character(1'000'000'000LL * 10 / lineBaud);
    const auto reserve = std::chrono::nanoseconds(std::chrono::milliseconds(kLineReserveMs));
    const int run =
        kBytesInFlightBound - int((reserve + character - std::chrono::nanoseconds(1)) / character);
    const size_t size = std::min(tape.size(), size_t(lineBaud) / 10 * 10);
    ncsim::ReceiveOptions options;
    options.baud = lineBaud;
    options.lineBaud = lineBaud;
    options.endOnPercent = false;
    std::atomic<bool> stop{false};
    std::thread far([&] { ncsim::Receive(sim, options, &stop); });
    const auto* bytes = reinterpret_cast<const unsigned char*>(tape.data());
    const double cpu0 = ThreadCpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    auto due = wall0;
    const int fd = opened.port->PollHandle();
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < size;) {
        size_t written = 0;
        const size_t n = std::min(size - done, size_t(run));
        ok = opened.port->WriteBytes(bytes + done, n, written) == WriteResult::Written;
        done += written;
        due += character * static_cast<long long>(written);
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(
            due - std::chrono::steady_clock::now());
        if (wait.count() > 0 && WaitForPortInput(fd, wait)) {
            unsigned char input[64];
            size_t count = 0;
            opened.port->ReadFile(input, sizeof input, count, false);
        }
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = ThreadCpuSeconds() - cpu0;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop = true;
    far.join();
    return ok ? 100 * cpu / wall : 0;
}

struct SendRun {
    bool ok = false;
    ncsim::ReceiveReport report;
    double cpuPct = 0;
    std::map<std::string, double> counters; // what a benchmark reports besides
};

// One send of program by the send job to the controller that sim plays, whose
// buffer drains at drainBaud. opener, when given, replaces how the port opens.
inline SendRun SendToController(ncsim::SimLine& sim, const TSettings& settings,
                                const SerialLine::PortOpener& opener, const std::string& program,
                                int drainBaud, int lineBaud = kLineBaud) {
    SendRun run;
    ncsim::ReceiveOptions options;
    options.baud = drainBaud;
    options.lineBaud = lineBaud;
    options.bitsPerByte = 10;
    options.highMark = 200;
    options.lowMark = 100;
    std::atomic<bool> farDone{false};
    std::thread far([&] {
        run.report = ncsim::Receive(sim, options);
        farDone = true;
    });
    SendBenchHost host(farDone);
    HeadlessSendWindow window;
    window.Document().SetText(program);
    SerialLine line(host, settings);
    if (opener)
        line.SetPortOpener(opener);
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
    if (run.ok) {
        const double floor = FloorCpuPct(
            sim, opener ? opener(settings.Port1) : OpenPort(settings.Port1, settings.Ports),
            run.report.raw, lineBaud);
        run.counters["cpu_floor_pct"] = floor;
        if (floor > 0)
            run.counters["cpu_vs_floor"] = run.cpuPct / floor;
    }
    return run;
}

// Sends the program once per iteration; reports the time against the drain's
// own time (as ratioName), the CPU and the DC3s. The log goes to a folder of its own.
inline void RunSendBenchmark(benchmark::State& state, int drainBaud, const char* ratioName,
                             const char* folderName,
                             const std::function<SendRun(const std::string& program)>& send,
                             int lineBaud = kLineBaud) {
    auto folder = std::filesystem::temp_directory_path() / folderName;
    std::filesystem::create_directories(folder);
    SetProgramFolder(folder);
    // About 53 s of line time at any rate.
    const std::string program = Program(size_t(100) * lineBaud / kLineBaud);
    for (auto _ : state) {
        SendRun run = send(program);
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
        for (const auto& [name, value] : run.counters)
            state.counters[name] = value;
    }
    SetProgramFolder({});
}
