// A 100 KB program sent by the send job over a pseudo-terminal to ncsim, with
// ncsim modelling the 19200-baud 8N1 wire (1,920 bytes a second) that a
// pseudo-terminal lacks, so that bytes still on their way when it sends DC3 reach
// it after the DC3, as on a real line whose FIFO the PC cannot see.
// - At19200: the controller's buffer drains at the line's rate. Reported: the time
//   from the first byte until ncsim has drained the last one, against the line's
//   own time for the bytes it counted (bytes x 10 / 19200 s; "vs_line" should stay
//   within 1% of 1.0), and the CPU the job used as a share of one core, beside
//   the floor of this line and machine ("cpu_floor_pct": a bare loop of runs and
//   sleeps on the same port, the least any sender within the DC3 bound pays) and
//   the ratio of the two ("cpu_vs_floor").
// - At4800: the same on a 4800-baud line (a quarter of the program, the same
//   line time).
// - DrainAt90Percent: the controller works slower than the line (a drain of 90%
//   of it), so that it holds the sender with DC3/DC1 all through. Reported: the
//   DC3s and the bytes that reached ncsim after each ("after_dc3_avg",
//   "after_dc3_max": at most about 16), and the time against the drain's own time
//   ("vs_drain", within 1% of 1.0: the buffer never ran dry).
// One run of the three takes about three and a half minutes: ./bench_send
#include "SendBench.h"

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

// One send of the program to ncsim on a pseudo-terminal of its own.
SendRun SendToNcSim(const std::string& program, int lineBaud, int drainBaud) {
    std::string error;
    auto sim = ncsim::SimLine::OpenPty(&error);
    if (!sim)
        return {};
    return SendToController(
        *sim, BenchSettings(lineBaud),
        [&](const std::string&) { return OpenSerialDevice(sim->DeviceName()); }, program, drainBaud,
        lineBaud);
}

void RunPtyBenchmark(benchmark::State& state, int lineBaud, int drainBaud, const char* ratioName) {
    RunSendBenchmark(
        state, drainBaud, ratioName, "dravik-bench-send",
        [lineBaud, drainBaud](const std::string& program) {
            return SendToNcSim(program, lineBaud, drainBaud);
        },
        lineBaud);
}

void BM_SendToNcSimAt19200(benchmark::State& state) {
    RunPtyBenchmark(state, kLineBaud, kLineBaud, "vs_line");
}

void BM_SendToNcSimAt4800(benchmark::State& state) {
    RunPtyBenchmark(state, 4800, 4800, "vs_line");
}

void BM_SendToNcSimDrainAt90Percent(benchmark::State& state) {
    RunPtyBenchmark(state, kLineBaud, kLineBaud * 9 / 10, "vs_drain");
}

BENCHMARK(BM_SendToNcSimAt19200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendToNcSimAt4800)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendToNcSimDrainAt90Percent)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
