// ncsim: the NC controller simulator as a program (see NcSim.h). It prints the
// device to open ("ncsim: line /dev/pts/N") and serves one transfer, or one after
// another with --loop, until it is killed.
#include "NcSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

const char* const kUsage =
    "usage: ncsim [--device PATH] [--link PATH] receive|punch|request [options]\n"
    "  --device PATH      use this serial device instead of a new pseudo-terminal\n"
    "  --speed TEXT       the device's line: baud,data bits,parity,stop bits\n"
    "                     (default: --baud or 4800, 8 data bits, no parity, 1 stop bit)\n"
    "  --link PATH        make PATH a symbolic link to the pseudo-terminal\n"
    "  --code iso|eia|ascii   tape code (default iso)\n"
    "  --loop             serve one transfer after another\n"
    "  --fault drop|dc3|noise|silent  --fault-after N   fault after N bytes\n"
    "receive: --start none|dc1|percent  --start-repeat MS  --buffer-high N  --buffer-low N\n"
    "         --baud N (drain rate)  --bits N (bits per character, default 10)\n"
    "         --out FILE (decoded program)  --report FILE  --idle-timeout MS\n"
    "         --until-dc4 (a \"%\" does not end the reception)\n"
    "punch:   --file FILE  --leader N  --baud N (pace)  --wait-open  --delay MS\n"
    "         --write-timeout MS (a far end that takes nothing this long ends it)\n"
    "request: punch --file FILE (a request program), wait for the DC4 that closes\n"
    "         it, then receive the answer (--start, --out and --report as receive)\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Number(const std::map<std::string, std::string>& options, const std::string& key,
           int fallback) {
    auto it = options.find(key);
    return it == options.end() ? fallback : std::atoi(it->second.c_str());
}

std::string Text(const std::map<std::string, std::string>& options, const std::string& key) {
    auto it = options.find(key);
    return it == options.end() ? std::string() : it->second;
}

int RunReceive(ncsim::SimLine& line, const std::map<std::string, std::string>& o, bool loop,
               ncsim::TapeKind code, ncsim::Fault fault) {
    ncsim::ReceiveOptions options;
    options.code = code;
    std::string start = Text(o, "--start");
    options.start = start == "dc1" ? '\x11' : start == "percent" ? '%' : 0;
    // A pseudo-terminal shows when the PC opens the line; a device needs repeats.
    options.startRepeatMs = Number(o, "--start-repeat", o.count("--device") ? 1000 : 0);
    options.highMark = size_t(Number(o, "--buffer-high", 200));
    options.lowMark = size_t(Number(o, "--buffer-low", 100));
    options.baud = Number(o, "--baud", 0);
    options.bitsPerByte = Number(o, "--bits", 10);
    options.idleTimeoutMs = Number(o, "--idle-timeout", 0);
    options.endOnPercent = o.count("--until-dc4") == 0;
    options.fault = fault;
    options.faultAfter = size_t(Number(o, "--fault-after", 0));
    do {
        auto report = ncsim::Receive(line, options, &g_stop);
        if (report.end == ncsim::EndReason::Stopped && report.raw.empty())
            break;
        std::string summary = ncsim::DescribeReceive(report);
        std::cout << summary << std::flush;
        if (auto out = Text(o, "--out"); !out.empty())
            std::ofstream(out, std::ios::binary) << report.program;
        if (auto file = Text(o, "--report"); !file.empty())
            std::ofstream(file, std::ios::app) << summary;
        if (report.end == ncsim::EndReason::Dropped || report.end == ncsim::EndReason::Hangup)
            break;
    } while (loop && !g_stop);
    return 0;
}

int RunPunch(ncsim::SimLine& line, const std::map<std::string, std::string>& o, bool loop,
             ncsim::TapeKind code, ncsim::Fault fault) {
    std::string file = Text(o, "--file");
    if (file.empty())
        return Usage();
    std::string text = ReadFile(file);
    ncsim::PunchOptions options;
    options.code = code;
    options.leader = Number(o, "--leader", 0);
    options.baud = Number(o, "--baud", 0);
    options.bitsPerByte = Number(o, "--bits", 10);
    options.waitForOpen = o.count("--wait-open") > 0 || loop;
    options.startDelayMs = Number(o, "--delay", loop ? 500 : 0);
    options.writeTimeoutMs = Number(o, "--write-timeout", options.writeTimeoutMs);
    options.fault = fault;
    options.faultAfter = size_t(Number(o, "--fault-after", 0));
    do {
        auto report = ncsim::Punch(line, text, options, &g_stop);
        std::cout << "punched " << report.bytesSent << " bytes, DC3 seen " << report.dc3Seen
                  << ", characters without a code " << report.unsendable << std::endl;
        if (report.end != ncsim::EndReason::Dc4)
            break;
    } while (loop && !g_stop);
    return 0;
}

int RunRequest(ncsim::SimLine& line, const std::map<std::string, std::string>& o,
               ncsim::TapeKind code) {
    std::string file = Text(o, "--file");
    if (file.empty())
        return Usage();
    ncsim::PunchOptions punch;
    punch.code = code;
    punch.leader = Number(o, "--leader", 0);
    punch.baud = Number(o, "--baud", 0);
    punch.waitForOpen = o.count("--wait-open") > 0;
    ncsim::ReceiveOptions answer;
    answer.code = code;
    std::string start = Text(o, "--start");
    answer.start = start == "percent" ? '%' : start == "none" ? 0 : '\x11';
    // The server purges its line before it answers: the start is repeated.
    answer.startRepeatMs = Number(o, "--start-repeat", 500);
    auto report = ncsim::Request(line, ReadFile(file), punch, answer, 30000, &g_stop);
    if (!report.closed) {
        std::cerr << "ncsim: the request was not closed by DC4\n";
        return 1;
    }
    std::string summary = ncsim::DescribeReceive(report.answer);
    std::cout << summary << std::flush;
    if (auto out = Text(o, "--out"); !out.empty())
        std::ofstream(out, std::ios::binary) << report.answer.program;
    if (auto reportFile = Text(o, "--report"); !reportFile.empty())
        std::ofstream(reportFile, std::ios::app) << summary;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options;
    std::string command;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "receive" || arg == "punch" || arg == "request") {
            command = arg;
        } else if (arg == "--loop" || arg == "--wait-open" || arg == "--until-dc4") {
            options[arg] = "1";
        } else if (arg.rfind("--", 0) == 0 && i + 1 < argc) {
            options[arg] = argv[++i];
        } else {
            return Usage();
        }
    }
    auto code = ncsim::ParseTapeKind(options.count("--code") ? options["--code"] : "iso");
    auto fault = ncsim::ParseFault(options.count("--fault") ? options["--fault"] : "none");
    if (command.empty() || !code || !fault)
        return Usage();

    std::string speed = options.count("--speed")
                            ? options["--speed"]
                            : std::to_string(Number(options, "--baud", 4800)) + ",8,N,1";
    SpeedParse format = ParseSpeedString(speed);
    if (options.count("--device") && format.error != SpeedError::None)
        return Usage();
    // On a line of 7 data bits the UART carries the parity: ISO arrives as plain ASCII.
    if (format.format.dataBits == 7 && *code == ncsim::TapeKind::Eia)
        return Usage();
    if (format.format.dataBits == 7)
        code = ncsim::TapeKind::Ascii;
    std::string error;
    auto line = options.count("--device")
                    ? ncsim::SimLine::OpenDevice(options["--device"], format.format, &error)
                    : ncsim::SimLine::OpenPty(&error);
    if (!line) {
        std::cerr << "ncsim: " << error << "\n";
        return 1;
    }
    if (auto link = Text(options, "--link"); !link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(line->DeviceName().c_str(), link.c_str()) != 0) {
            std::perror(link.c_str());
            return 1;
        }
    }
    std::cout << "ncsim: line " << line->DeviceName() << std::endl;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    bool loop = options.count("--loop") > 0;
    if (command == "request")
        return RunRequest(*line, options, *code);
    return command == "receive" ? RunReceive(*line, options, loop, *code, *fault)
                                : RunPunch(*line, options, loop, *code, *fault);
}
