// The 100 KB program of bench_send sent by the send job over the network: the
// real ser2net (RFC 2217, on this machine) in front of a pseudo-terminal whose
// other side is ncsim, modelling the 19200-baud 8N1 wire. The port is reached as
// an operator names it, COM9=rfc2217://127.0.0.1:PORT in section Ports.
// - At19200: ncsim drains at the line's rate. Reported: "vs_line", the time from
//   the first byte until ncsim has drained the last one against the line's own
//   time (within 1 % of 1.0), and the CPU of the job as a share of one core,
//   beside the floor of the same line ("cpu_floor_pct", "cpu_vs_floor": see
//   bench_send).
// - DrainAt90Percent: the controller holds the sender with DC3/DC1 all through.
//   Reported: the bytes that reached ncsim after each DC3 ("after_dc3_max", at
//   most 16 plus the line's rate times the round trip, "after_dc3_bound"), with
//   the round trip through ser2net measured by a purge ("rtt_ms").
// ser2net must be installed (/usr/sbin/ser2net). About two and a half minutes: ./bench_network
#include "SendBench.h"
#include "Ser2Net.h"

#include "files/TextDocument.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
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

// The time of one purge, which the server answers: one round trip through it.
double RoundTripMs(const PortMap& ports) {
    PortOpenResult opened = OpenPort("COM9", ports);
    if (!opened.port)
        return 0;
    constexpr int kPurges = 20;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kPurges; ++i)
        opened.port->PurgeComm();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
               .count() /
           kPurges;
}

// One send of the program to ncsim behind ser2net, reached as COM9.
SendRun SendOverNetwork(const std::string& program, int drainBaud) {
    std::string error;
    auto sim = ncsim::SimLine::OpenPty(&error);
    if (!sim)
        return {};
    Ser2Net server(sim->DeviceName(), Ser2Net::Kind::Rfc2217);
    if (!server.Start())
        return {};
    TSettings settings = BenchSettings();
    settings.Port1 = "COM9";
    settings.Ports = {{"COM9", server.Target()}};
    const double rttMs = RoundTripMs(settings.Ports);
    SendRun run = SendToController(*sim, settings, nullptr, program, drainBaud);
    run.counters["rtt_ms"] = rttMs;
    run.counters["after_dc3_bound"] = 16 + kLineBaud / 10.0 * rttMs / 1000;
    return run;
}

void RunNetworkBenchmark(benchmark::State& state, int drainBaud, const char* ratioName) {
    if (!Ser2NetInstalled()) {
        state.SkipWithError("ser2net is not installed");
        return;
    }
    RunSendBenchmark(
        state, drainBaud, ratioName, "dravik-bench-network",
        [drainBaud](const std::string& program) { return SendOverNetwork(program, drainBaud); });
}

void BM_SendOverRfc2217At19200(benchmark::State& state) {
    RunNetworkBenchmark(state, kLineBaud, "vs_line");
}

void BM_SendOverRfc2217DrainAt90Percent(benchmark::State& state) {
    RunNetworkBenchmark(state, kLineBaud * 9 / 10, "vs_drain");
}

BENCHMARK(BM_SendOverRfc2217At19200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_SendOverRfc2217DrainAt90Percent)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
