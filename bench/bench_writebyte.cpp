// WriteByte through a pseudo-terminal, with the far end played here on the master:
// - FullSpeed: the far end reads everything at once; bytes a second and CPU
//   seconds per megabyte of the sending thread. The port here counts its whole
//   queue, so the pacing to the line's rate is left out: this measures what
//   WriteByte itself costs, not the line.
// - Paced19200: the far end drains a 256-byte buffer at 1,920 bytes a second
//   (19200 baud, 10 bits a character), sends DC3 above 200 waiting bytes and DC1
//   at 100 or fewer. "starved_ms" is how long its buffer stood empty although it
//   had sent DC1 (the line idle for want of data: should be 0); "cpu_pct" is the
//   sending thread's share of one core (target: under 2).
// Run: ./bench_writebyte   (Paced19200 takes about 10 seconds.)
#include "BenchHost.h"
#include "platform/SerialPort.h"
#include "settings/Settings.h"
#include "transfer/SerialLine.h"
#include "transfer/TransferHost.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Pty {
    int master = -1;
    int slave = -1; // kept open, so the master never reads EIO between opens
    std::string path;
    Pty() {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            path = name;
        }
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
};

double ThreadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A line of milling blocks repeated: what WriteByte sees in a real send.
const std::string kBlock = "N120G01X-12.345Y67.890F1200\n";

// A pseudo-terminal port that reports nothing on its way beyond its queue.
class UnpacedPort : public ForwardingSerialPort {
public:
    using ForwardingSerialPort::ForwardingSerialPort;
    int BytesInFlight() override { return 0; }
};

struct Sender {
    TSettings settings;
    BenchHost host;
    SerialLine line{host, settings};

    Sender(const std::string& device, bool paced) {
        settings.Speed1 = "19200,8,N,1";
        settings.Signal1 = "N";
        line.SetPortOpener([device, paced](const std::string&) {
            PortOpenResult opened = OpenSerialDevice(device);
            if (opened.port && !paced) {
                opened.port = std::make_unique<UnpacedPort>(std::move(opened.port));
            }
            return opened;
        });
    }
    bool Open() {
        if (!line.OpenLine(1)) {
            return false;
        }
        line.GrantSending();
        line.SetReceiveCode(kIsoCode);
        return true;
    }
    void Send(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            line.WriteByte(static_cast<unsigned char>(kBlock[i % kBlock.size()]));
        }
    }
};

void BM_WriteByteFullSpeed(benchmark::State& state) {
    const size_t count = 4 << 20;
    for (auto _ : state) {
        Pty pty;
        Sender sender(pty.path, false);
        if (pty.master < 0 || !sender.Open()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        std::atomic<size_t> received{0};
        std::thread far([&] {
            char buffer[65536];
            while (received < count) {
                pollfd p{pty.master, POLLIN, 0};
                if (::poll(&p, 1, 1000) <= 0) {
                    break;
                }
                ssize_t n = ::read(pty.master, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                received += size_t(n);
            }
        });
        const double cpu0 = ThreadCpuSeconds();
        const auto wall0 = Clock::now();
        sender.Send(count);
        const double cpu = ThreadCpuSeconds() - cpu0;
        far.join();
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        state.SetIterationTime(wall);
        state.counters["bytes_per_s"] = double(received) / wall;
        state.counters["cpu_s_per_MB"] = cpu / (double(count) / 1e6);
    }
}

// The controller's side at 19200 baud: a buffer that drains by the clock.
struct PacedFarEnd {
    int fd;
    size_t expected;
    double rate = 1920;
    size_t highMark = 200;
    size_t lowMark = 100;
    double starvedSeconds = 0;
    size_t dc3Sent = 0;
    size_t received = 0;

    void Run() {
        double waiting = 0; // bytes in the buffer
        bool stopped = false;
        bool started = false;
        auto last = Clock::now();
        char buffer[4096];
        while (received < expected || waiting > 0) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 1);
            if (p.revents & POLLIN) {
                ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n > 0) {
                    received += size_t(n);
                    waiting += double(n);
                    started = true;
                }
            }
            auto now = Clock::now();
            double drain = std::chrono::duration<double>(now - last).count() * rate;
            last = now;
            if (started && received < expected && !stopped && drain > waiting) {
                starvedSeconds += (drain - waiting) / rate;
            }
            waiting = std::max(0.0, waiting - drain);
            if (!stopped && waiting > double(highMark)) {
                Control(0x93);
                stopped = true;
                ++dc3Sent;
            } else if (stopped && waiting <= double(lowMark)) {
                Control(0x11);
                stopped = false;
            }
        }
    }
    void Control(char c) { (void)!::write(fd, &c, 1); }
};

void BM_WriteBytePaced19200(benchmark::State& state) {
    const size_t count = 19200; // ten seconds of line time
    for (auto _ : state) {
        Pty pty;
        Sender sender(pty.path, true);
        if (pty.master < 0 || !sender.Open()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        PacedFarEnd farEnd{pty.master, count};
        std::thread far([&] { farEnd.Run(); });
        const double cpu0 = ThreadCpuSeconds();
        const auto wall0 = Clock::now();
        sender.Send(count);
        const double sendWall = std::chrono::duration<double>(Clock::now() - wall0).count();
        const double cpu = ThreadCpuSeconds() - cpu0;
        far.join();
        const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
        state.SetIterationTime(wall);
        state.counters["bytes_per_s"] = double(farEnd.received) / wall;
        state.counters["line_s"] = double(count) / farEnd.rate;
        state.counters["elapsed_s"] = wall;
        state.counters["starved_ms"] = farEnd.starvedSeconds * 1000;
        state.counters["dc3"] = double(farEnd.dc3Sent);
        state.counters["cpu_pct"] = 100 * cpu / sendWall;
        state.counters["cpu_s_per_MB"] = cpu / (double(count) / 1e6);
    }
}

BENCHMARK(BM_WriteByteFullSpeed)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBytePaced19200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
