// The server of many machines at the size of a large shop: `dravik-cli serve`
// (the real program, a child process) with 128 machines on pseudo-terminals,
// all receiving a 100 KB program punched by ncsim at 4800 baud at once, then all
// idle for 10 s. Reported: whether every file is identical, the server's CPU
// while receiving and while idle as a share of one core, and its peak memory per
// machine. One run takes about four minutes: ./bench_server
#include "NcSim.h"

#include "dnc/ControlSocket.h"
#include "dnc/MachineStatus.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kMachines = 128;
constexpr int kBaud = 4800;
constexpr size_t kProgramBytes = 100 * 1024;
constexpr int kIdleSeconds = 10;

// A program as the receive job writes it (blanks between words, CR LF), so that
// the saved file must equal the punched text byte for byte.
std::string MakeProgram(int machine) {
    std::string text = "%\r\nO" + std::to_string(1000 + machine) + "(BENCH)\r\n";
    for (int n = 1; text.size() < kProgramBytes - 12; ++n)
        text += "N" + std::to_string(n) + " G01 X" + std::to_string(n % 500) + ". Y" +
                std::to_string(machine) + ". F300.\r\n";
    return text + "M30\r\n%\r\n";
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// User and system time of a process, all its threads, in seconds.
double CpuSeconds(pid_t pid) {
    std::string stat = Read("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    unsigned long utime = 0, stime = 0;
    // Fields after the name: state is field 3; utime and stime are 14 and 15.
    std::sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                &utime, &stime);
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

// The peak resident memory of a process in KB (VmHWM).
long PeakKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

pid_t StartServer(const fs::path& home) {
    const std::string homeVar = "DRAVIK_HOME=" + home.string();
    const std::string runtimeVar = "XDG_RUNTIME_DIR=" + home.string();
    const std::string err = (home / "serve-err.txt").string();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    const int out = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(out, 2);
    char* argv[] = {const_cast<char*>(DRAVIK_CLI_EXE), const_cast<char*>("serve"), nullptr};
    char* envp[] = {const_cast<char*>(homeVar.c_str()), const_cast<char*>(runtimeVar.c_str()),
                    const_cast<char*>("LC_ALL=C.UTF-8"), nullptr};
    ::execve(DRAVIK_CLI_EXE, argv, envp);
    ::_exit(127);
}

int CountListening(const fs::path& home) {
    std::string answer, error;
    if (!AskServer(ControlSocketPath(home.string()), StatusRequest(), answer, &error))
        return 0;
    int listening = 0;
    size_t start = 0;
    while (start < answer.size()) {
        const size_t end = answer.find('\n', start);
        MachineStatus status;
        if (DecodeStatus(std::string_view(answer).substr(start, end - start), status) &&
            status.state == MachineState::Listening)
            ++listening;
        start = end == std::string::npos ? answer.size() : end + 1;
    }
    return listening;
}

void BM_Serve128Machines(benchmark::State& state) {
    rlimit files{4096, 4096};
    ::setrlimit(RLIMIT_NOFILE, &files);
    const fs::path home =
        fs::temp_directory_path() / ("bench-server-" + std::to_string(::getpid()));
    fs::create_directories(home);
    std::vector<ncsim::SimLine> lines;
    std::string ports, machines;
    for (int i = 0; i < kMachines; ++i) {
        std::string error;
        auto line = ncsim::SimLine::OpenPty(&error);
        if (!line) {
            state.SkipWithError(error.c_str());
            return;
        }
        lines.push_back(std::move(*line));
        const std::string name = "M" + std::to_string(i + 1);
        fs::create_directory(home / name);
        ports += "COM" + std::to_string(i + 1) + "=" + lines.back().DeviceName() + "\r\n";
        machines += "[Machine:" + name + "]\r\nPort=COM" + std::to_string(i + 1) +
                    "\r\nFolder=" + name + "\r\n";
    }
    std::ofstream(home / "Dravik.INI", std::ios::binary)
        << "[Setting]\r\nSpeed1=4800,8,N,1\r\nSpeed2=4800,8,N,1\r\nStartChar=Y\r\nEndChar=Y\r\n"
           "[Options]\r\nAdd_No=N\r\n[Ports]\r\n"
        << ports;
    std::ofstream(home / "Machines.ini", std::ios::binary) << machines;

    for (auto _ : state) {
        const pid_t server = StartServer(home);
        const auto limit = Clock::now() + std::chrono::seconds(60);
        while (CountListening(home) < kMachines && Clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));

        const double cpu0 = CpuSeconds(server);
        const auto t0 = Clock::now();
        std::vector<std::thread> punches;
        for (int i = 0; i < kMachines; ++i) {
            punches.emplace_back([&lines, i] {
                ncsim::PunchOptions options;
                options.baud = kBaud;
                ncsim::Punch(lines[size_t(i)], MakeProgram(i), options);
            });
        }
        for (std::thread& punch : punches)
            punch.join();
        int identical = 0;
        const auto saveLimit = Clock::now() + std::chrono::seconds(60);
        while (identical < kMachines && Clock::now() < saveLimit) {
            identical = 0;
            for (int i = 0; i < kMachines; ++i) {
                const fs::path file =
                    home / ("M" + std::to_string(i + 1)) / ("O" + std::to_string(1000 + i) + ".NC");
                identical += Read(file) == MakeProgram(i) ? 1 : 0;
            }
            if (identical < kMachines)
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        const double cpu1 = CpuSeconds(server);
        const auto t1 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
        const double cpu2 = CpuSeconds(server);
        const auto t2 = Clock::now();
        const long peakKb = PeakKb(server);
        ::kill(server, SIGTERM);
        int status = 0;
        ::waitpid(server, &status, 0);

        const double receiving = std::chrono::duration<double>(t1 - t0).count();
        const double idle = std::chrono::duration<double>(t2 - t1).count();
        state.counters["files_identical"] = identical;
        state.counters["receive_s"] = receiving;
        state.counters["cpu_receiving_pct"] = 100.0 * (cpu1 - cpu0) / receiving;
        state.counters["cpu_idle_pct"] = 100.0 * (cpu2 - cpu1) / idle;
        state.counters["peak_kb_per_machine"] = double(peakKb) / kMachines;
        state.counters["exit_code"] = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        state.SetIterationTime(receiving);
    }
    fs::remove_all(home);
}

BENCHMARK(BM_Serve128Machines)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
