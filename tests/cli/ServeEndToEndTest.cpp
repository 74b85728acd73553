// End to end: the real `dravik-cli serve` as a child process serving three
// machines at once, each a pseudo-terminal with the NC controller simulator on
// a thread of its own as the controller; the last machine stands behind a serial
// device server (the real ser2net, raw TCP) where ser2net is installed. Raw, since
// ser2net reports the modem lines of a pseudo-terminal as off over RFC 2217, and a
// line without DSR is one the send job rightly refuses. The test talks to the
// server through its control socket as `dravik-cli queue` and `status` do.
#include "NcSim.h"
#include "Ser2Net.h"

#include "dnc/ControlSocket.h"
#include "dnc/MachineStatus.h"
#include "support/CliChild.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kMachines = 3;

// What the receive job saves of a punched program when it is written the way
// the job writes lines (blanks between words, CR LF): the same bytes.
std::string Program(int number, int lines) {
    std::string text =
        "%\r\nO" + std::to_string(number) + "(PART " + std::to_string(number) + ")\r\n";
    for (int i = 1; i <= lines; ++i)
        text += "N" + std::to_string(i) + " G01 X" + std::to_string(i) + ". Y" +
                std::to_string(number) + ". F200.\r\n";
    return text + "M30\r\n%\r\n";
}

// What the send job puts on the tape for a CR LF text, as the controller
// decodes it: the file's own "%" lines stand for the job's framing.
std::string AsSent(const std::string& text) {
    std::string sent = "%\n";
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        const std::string line = text.substr(start, end - start);
        if (line != "%")
            sent += line + "\n";
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return sent + "\n%";
}

// Waits for a condition that a running server brings about; false when it
// never comes. Real time passes here: the server is a real process.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (condition())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

class ServeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kMachines; ++i) {
            std::string error;
            auto opened = ncsim::SimLine::OpenPty(&error);
            ASSERT_TRUE(opened) << error;
            sims[i].emplace(std::move(*opened));
            fs::create_directory(home / Folder(i));
        }
        std::string ports;
        for (int i = 0; i < kMachines; ++i)
            ports += "COM" + std::to_string(i + 1) + "=" + Target(i) + "\r\n";
        home.Write("Dravik.INI", "[Setting]\r\nSpeed1=19200,8,N,1\r\nSpeed2=19200,8,N,1\r\n"
                                 "Signal1=Y\r\nStartChar=Y\r\nEndChar=Y\r\n"
                                 "[Options]\r\nAdd_No=N\r\n[Ports]\r\n" +
                                     ports);
        std::string machines;
        for (int i = 0; i < kMachines; ++i)
            machines += "[Machine:" + Name(i) + "]\r\nPort=COM" + std::to_string(i + 1) +
                        "\r\nFolder=" + Folder(i) + "\r\nRequest=Y\r\nRequestDelay=1\r\n";
        home.Write("Machines.ini", machines);
    }
    void TearDown() override {
        stop = true;
        for (std::thread& far : farEnds)
            if (far.joinable())
                far.join();
    }

    std::string Target(int i) {
        if (i != kMachines - 1 || !Ser2NetInstalled())
            return sims[i]->DeviceName();
        deviceServer.emplace(sims[i]->DeviceName(), Ser2Net::Kind::Raw);
        EXPECT_TRUE(deviceServer->Start()) << deviceServer->Log();
        return deviceServer->Target();
    }
    static std::string Name(int i) { return "M" + std::to_string(i + 1); }
    static std::string Folder(int i) { return "m" + std::to_string(i + 1); }
    fs::path In(int i, const std::string& name) const { return home / Folder(i) / name; }

    void StartServer() {
        server.emplace(std::vector<std::string>{"serve"}, home.path(), home.path(), -1,
                       std::vector<std::string>{"XDG_RUNTIME_DIR=" + home.path().string()});
        ASSERT_TRUE(Eventually([&] {
            const auto states = States();
            return states.size() == kMachines &&
                   std::all_of(states.begin(), states.end(), [](const MachineStatus& s) {
                       return s.state == MachineState::Listening;
                   });
        })) << Errors();
    }
    std::string Ask(const std::string& request) {
        std::string answer, error;
        AskServer(ControlSocketPath(home.path().string()), request, answer, &error);
        return answer;
    }
    std::vector<MachineStatus> States() {
        std::vector<MachineStatus> states;
        const std::string answer = Ask(StatusRequest());
        size_t start = 0;
        while (start < answer.size()) {
            const size_t end = answer.find('\n', start);
            MachineStatus status;
            if (DecodeStatus(std::string_view(answer).substr(start, end - start), status))
                states.push_back(status);
            start = end == std::string::npos ? answer.size() : end + 1;
        }
        return states;
    }
    MachineStatus StateOf(int i) {
        for (const MachineStatus& status : States())
            if (status.name == Name(i))
                return status;
        return {};
    }
    // Stops the server as systemd does; its exit code, or -1 when it did not end.
    int Terminate() {
        server->Signal(SIGTERM);
        return server->Wait();
    }
    // dravik-cli queue or status, as an operator runs it beside the server.
    struct ClientRun {
        int code;
        std::string out;
        std::string err;
    };
    ClientRun Client(const std::vector<std::string>& args) {
        CliChild child(args, home.path(), home.path(), -1,
                       {"XDG_RUNTIME_DIR=" + home.path().string()});
        const int code = child.Wait();
        return {code, child.Out(), child.Err()};
    }
    std::string Errors() const { return server ? server->Err() : std::string(); }
    std::string Log() const { return TempDir::Read(home / "Dravik.log"); }

    void Punching(int i, std::string text, ncsim::PunchOptions options = {}) {
        farEnds.emplace_back([this, i, text = std::move(text), options] {
            punched[i] = ncsim::Punch(*sims[i], text, options, &stop);
            ++finished;
        });
    }
    void Requesting(int i, std::string text) {
        farEnds.emplace_back([this, i, text = std::move(text)] {
            ncsim::ReceiveOptions answer;
            answer.start = '\x11';
            answer.startRepeatMs = 300;
            requests[i] = ncsim::Request(*sims[i], text, {}, answer, 20000, &stop);
            ++finished;
        });
    }
    void Receiving(int i) {
        farEnds.emplace_back([this, i] {
            ncsim::ReceiveOptions options;
            options.start = '\x11';
            options.startRepeatMs = 300;
            received[i] = ncsim::Receive(*sims[i], options, &stop);
            ++finished;
        });
    }
    // Waits for the controllers; one that waits for an answer that never comes
    // is stopped after a minute, so that the test fails instead of hanging.
    void JoinFarEnds() {
        Eventually([&] { return finished == int(farEnds.size()); }, 60s);
        stop = true;
        for (std::thread& far : farEnds)
            if (far.joinable())
                far.join();
        stop = false;
    }

    TempDir home;
    std::array<std::optional<ncsim::SimLine>, kMachines> sims;
    std::array<ncsim::PunchReport, kMachines> punched;
    std::array<ncsim::RequestReport, kMachines> requests;
    std::array<ncsim::ReceiveReport, kMachines> received;
    std::vector<std::thread> farEnds;
    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
    std::optional<Ser2Net> deviceServer;
    std::optional<CliChild> server;
};

TEST_F(ServeEndToEnd, EveryMachinesPunchIsSavedInItsFolderByteForByte) {
    StartServer();
    for (int i = 0; i < kMachines; ++i)
        Punching(i, Program(100 + i, 200 * (i + 1)));
    JoinFarEnds();
    for (int i = 0; i < kMachines; ++i) {
        const fs::path saved = In(i, "O" + std::to_string(100 + i) + ".NC");
        EXPECT_TRUE(Eventually([&] { return fs::exists(saved); })) << saved << Errors();
        EXPECT_TRUE(Eventually([&] {
            return TempDir::Read(saved) == Program(100 + i, 200 * (i + 1));
        })) << saved;
        // Nothing lands in another machine's folder.
        EXPECT_EQ(std::distance(fs::directory_iterator(home / Folder(i)), {}), 2) << Folder(i);
        EXPECT_NE(Log().find("[" + Name(i) + "] " + saved.string()), std::string::npos) << Log();
    }
    EXPECT_EQ(Terminate(), 0) << Errors();
    // One line per entry on standard error as well, for the journal.
    EXPECT_NE(Errors().find("受信　　完了"), std::string::npos) << Errors();
}

TEST_F(ServeEndToEnd, RequestsAreAnsweredAndAQueuedFileGoesWhenTheControllerStartsIt) {
    // The office's copy differs from the request's name in letter case only.
    const std::string wanted = "%\r\nO1234(WANTED)\r\nG00 X0. Y0.\r\nG01 X5. F100.\r\nM30\r\n%\r\n";
    home.Write(Folder(0) + "/o1234.nc", wanted);
    const std::string queued = "%\r\nO4321(QUEUED)\r\nG01 Z-1. F50.\r\nM30\r\n%\r\n";
    home.Write(Folder(2) + "/O4321.NC", queued);
    StartServer();

    Requesting(0, "%\nO9999(REQ O1234)\nM30\n%\n");
    Requesting(1, "%\nO9999(PRG=5555)\nM30\n%\n");
    EXPECT_EQ(Ask(QueueRequest(Name(2), {"O4321.NC"})), "ok\t1\n");
    Receiving(2);
    JoinFarEnds();

    ASSERT_TRUE(requests[0].closed) << Errors();
    EXPECT_EQ(requests[0].answer.program, AsSent(wanted)) << Errors();
    ASSERT_TRUE(requests[1].closed) << Errors();
    EXPECT_EQ(requests[1].answer.program, AsSent("O9999(NOT FOUND O5555)\r\nM30\r\n")) << Errors();
    EXPECT_EQ(received[2].program, AsSent(queued)) << Errors();
    EXPECT_TRUE(requests[0].answer.parityErrors.empty());

    // A request is no program of the machine's: nothing saved under its number.
    EXPECT_FALSE(fs::exists(In(0, "O9999.NC")));
    EXPECT_FALSE(fs::exists(In(1, "O9999.NC")));
    EXPECT_TRUE(Eventually([&] { return StateOf(2).queued == 0; }));
    const std::string log = Log();
    EXPECT_NE(log.find("要求　　受付"), std::string::npos) << log;
    EXPECT_NE(log.find("[M2] O5555 (NOT FOUND)"), std::string::npos) << log;
    EXPECT_NE(log.find("送信　　完了"), std::string::npos) << log;
    EXPECT_EQ(Terminate(), 0) << Errors();
}

TEST_F(ServeEndToEnd, ChatterOnAnIdleLineNeverHoldsBackTheQueue) {
    const std::string queued = "%\r\nO4321(QUEUED)\r\nM30\r\n%\r\n";
    home.Write(Folder(0) + "/O4321.NC", queued);
    home.Write(Folder(1) + "/O4321.NC", queued);
    StartServer();
    // M1's controller, switched to read too early, says DC1; M2's line brings a
    // byte of noise that starts no tape.
    ASSERT_TRUE(sims[0]->Write("\x11"));
    ASSERT_TRUE(sims[1]->Write("\xff"));
    std::this_thread::sleep_for(300ms); // the server takes the bytes in
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Ask(QueueRequest(Name(i), {"O4321.NC"})), "ok\t1\n");
        Receiving(i);
    }
    JoinFarEnds();
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(received[i].program, AsSent(queued)) << Name(i) << Errors();
    EXPECT_EQ(Terminate(), 0) << Errors();
}

TEST_F(ServeEndToEnd, AReplacedProgramIsKeptAsAVersion) {
    const std::string old = "%\r\nO200(OLD)\r\nM30\r\n%\r\n";
    home.Write(Folder(0) + "/O200.NC", old);
    StartServer();
    Punching(0, Program(200, 5));
    JoinFarEnds();
    ASSERT_TRUE(Eventually([&] { return TempDir::Read(In(0, "O200.NC")) == Program(200, 5); }))
        << Errors();
    ASSERT_TRUE(Eventually([&] { return fs::exists(home / Folder(0) / ".versions"); }));
    std::vector<fs::path> versions;
    for (const auto& entry : fs::directory_iterator(home / Folder(0) / ".versions"))
        versions.push_back(entry.path());
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_EQ(TempDir::Read(versions[0]), old);
    EXPECT_EQ(versions[0].filename().string().rfind("O200.NC.", 0), 0u) << versions[0];
    EXPECT_NE(Log().find("版保存　変更"), std::string::npos) << Log();
    EXPECT_EQ(Terminate(), 0) << Errors();
}

TEST_F(ServeEndToEnd, ALineLostMidReceptionLeavesTheOtherMachinesReceiving) {
    StartServer();
    ncsim::PunchOptions dropping;
    dropping.fault = ncsim::Fault::DropLine;
    dropping.faultAfter = 600;
    ncsim::PunchOptions paced;
    paced.baud = 19200;
    Punching(0, Program(300, 100), dropping);
    Punching(1, Program(301, 100), paced);
    Punching(2, Program(302, 100), paced);
    JoinFarEnds();
    EXPECT_EQ(punched[0].end, ncsim::EndReason::Dropped);
    for (int i = 1; i < kMachines; ++i) {
        const fs::path saved = In(i, "O" + std::to_string(300 + i) + ".NC");
        EXPECT_TRUE(Eventually([&] { return TempDir::Read(saved) == Program(300 + i, 100); }))
            << saved << Errors();
    }
    EXPECT_TRUE(Eventually([&] { return StateOf(0).state == MachineState::Down; })) << Errors();
    EXPECT_FALSE(StateOf(0).reason.empty());
    // The program cut off is not left behind as if it were whole.
    EXPECT_FALSE(fs::exists(In(0, "O300.NC")));
    EXPECT_NE(StateOf(1).state, MachineState::Down);
    EXPECT_EQ(Terminate(), 0) << Errors();
}

TEST_F(ServeEndToEnd, SigtermDuringAReceptionKeepsTheFinishedProgramAndLogsTheStop) {
    StartServer();
    ncsim::PunchOptions slow;
    slow.baud = 2400; // the second program takes long enough to be cut
    std::string tape = Program(400, 3);
    tape.resize(tape.size() - 3); // one tape: the first program's end is the second's start
    tape += Program(401, 2000).substr(3);
    Punching(0, tape, slow);
    ASSERT_TRUE(Eventually([&] { return StateOf(0).subject == "O401"; })) << Errors();
    EXPECT_EQ(Terminate(), 0) << Errors();
    stop = true;
    JoinFarEnds();
    EXPECT_EQ(TempDir::Read(In(0, "O400.NC")), Program(400, 3));
    EXPECT_FALSE(fs::exists(In(0, "O401.NC")));
    EXPECT_NE(Log().find("受信　　中止"), std::string::npos) << Log();
    EXPECT_NE(Errors().find("serve: 停止しました"), std::string::npos) << Errors();
}

TEST_F(ServeEndToEnd, TheCommandsQueueClearAndShowAndAReloadKeepsARunningReception) {
    home.Write(Folder(1) + "/O4321.NC", "%\r\nO4321\r\nM30\r\n%\r\n");
    StartServer();
    ClientRun status = Client({"status"});
    EXPECT_EQ(status.code, 0) << status.err;
    for (int i = 0; i < kMachines; ++i)
        EXPECT_NE(status.out.find(Name(i) + "   listening"), std::string::npos) << status.out;

    EXPECT_EQ(Client({"queue", "M9", "O4321.NC"}).code, 1);
    EXPECT_EQ(Client({"queue", Name(1), "NOSUCH.NC"}).code, 1);
    EXPECT_EQ(Client({"queue", Name(1), "o4321.nc", "O4321.NC"}).code, 0);
    // The first waits for the controller's start; clearing takes both back.
    ASSERT_TRUE(Eventually([&] { return StateOf(1).state == MachineState::Waiting; }));
    EXPECT_EQ(Client({"queue", Name(1), "--clear"}).code, 0);
    EXPECT_TRUE(Eventually([&] {
        const MachineStatus m2 = StateOf(1);
        return m2.state == MachineState::Listening && m2.queued == 0;
    }));
    EXPECT_NE(Log().find("送信　　中止"), std::string::npos) << Log();

    // A reception runs while the table changes: M1's settings, M3 gone, M4 new.
    ncsim::PunchOptions slow;
    slow.baud = 4800;
    Punching(0, Program(500, 300), slow);
    ASSERT_TRUE(Eventually([&] { return StateOf(0).state == MachineState::Receiving; }));
    home.Write("Machines.ini", "[Machine:M1]\r\nPort=COM1\r\nFolder=m1\r\nRequestDelay=3\r\n"
                               "[Machine:M2]\r\nPort=COM2\r\nFolder=m2\r\n"
                               "[Machine:M4]\r\nPort=/nonexistent/ttyUSB9\r\nFolder=m3\r\n");
    server->Signal(SIGHUP);
    ASSERT_TRUE(Eventually([&] {
        const auto states = States();
        return states.size() == 3 && states[2].name == "M4";
    })) << Errors();
    EXPECT_EQ(StateOf(0).state, MachineState::Receiving);
    JoinFarEnds();
    EXPECT_TRUE(Eventually([&] { return TempDir::Read(In(0, "O500.NC")) == Program(500, 300); }))
        << Errors();
    EXPECT_EQ(Log().find("受信　　中止"), std::string::npos) << Log();

    // M4's line is not there: the status says so and fails.
    ASSERT_TRUE(Eventually([&] { return StateOf(2).state == MachineState::Down; }));
    status = Client({"status"});
    EXPECT_EQ(status.code, 1);
    EXPECT_NE(status.out.find("M4   down"), std::string::npos) << status.out;
    EXPECT_EQ(status.out.find("M3"), std::string::npos) << status.out;
    EXPECT_EQ(Terminate(), 0) << Errors();
}

} // namespace
