// A SerialPort for tests: modem lines that move, an output queue count, input
// bytes handed out one per read (or a chunk), and failures on demand. The state is shared,
// so a test still sees it after the line took the port over.
#pragma once

#include "platform/LineRate.h"
#include "platform/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

struct FakePortState {
    Dcb dcb;
    CommTimeouts timeouts;
    bool failGetState = false;
    bool failSetState = false;
    bool failGetTimeouts = false;
    bool failSetTimeouts = false;
    bool failPurge = false;
    int purges = 0;
    int setups = 0;
    bool modemReadable = true;
    unsigned modemBits = kModemCts | kModemDsr | kModemRlsd;
    int modemQueries = 0;
    int outputQueue = 0;
    std::deque<int> outputQueueSequence; // counts handed out first, one per query
    int queueQueries = 0;
    int inFlight = 0;                 // BytesInFlight: bytes on their way by the line's rate
    std::deque<int> inFlightSequence; // counts handed out first, one per query
    // When set, the bytes in flight follow the configured line's rate on this clock
    // (milliseconds), as a real port's do, instead of inFlight.
    std::function<std::int64_t()> lineClockMs;
    UnsentBytes wire;
    int idleWrites = 0;   // writes that found the wire idle after the first byte
    int mostInFlight = 0; // the most bytes the wire held just after a write
    std::deque<unsigned char> input;
    size_t readChunk = 1;        // input bytes one read hands out at most
    std::vector<bool> readWaits; // the wait argument of every read
    std::vector<unsigned char> written;
    std::vector<size_t> runs; // the size of every WriteBytes call
    // When set, PollHandle gives this number, and the line's sleeps on it are the host's.
    int pollHandle = -1;
    int writeBlocks = 0; // WouldBlock answers before writes succeed
    bool gone = false;   // the device was pulled: everything fails with EIO
    bool discarded = false;
    bool closed = false;
};

class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(std::shared_ptr<FakePortState> state) : s_(std::move(state)) {}
    ~FakeSerialPort() override { s_->closed = true; }

    bool GetCommState(Dcb& dcb) override {
        dcb = s_->dcb;
        return !s_->failGetState;
    }
    bool SetCommState(const Dcb& dcb) override {
        if (s_->failSetState) {
            return false;
        }
        s_->dcb = dcb;
        s_->wire.SetCharacterTime(CharacterTime(dcb));
        return true;
    }
    bool GetCommTimeouts(CommTimeouts& timeouts) override {
        timeouts = s_->timeouts;
        return !s_->failGetTimeouts;
    }
    bool SetCommTimeouts(const CommTimeouts& timeouts) override {
        if (s_->failSetTimeouts) {
            return false;
        }
        s_->timeouts = timeouts;
        return true;
    }
    bool SetupComm(int, int) override {
        ++s_->setups;
        return true;
    }
    bool PurgeComm() override {
        ++s_->purges;
        return !s_->failPurge;
    }
    bool GetCommModemStatus(unsigned& bits) override {
        ++s_->modemQueries;
        if (s_->gone || !s_->modemReadable) {
            return false;
        }
        bits = s_->modemBits;
        return true;
    }
    bool ClearCommError(int& outputQueue) override {
        ++s_->queueQueries;
        if (s_->gone) {
            return false;
        }
        if (!s_->outputQueueSequence.empty()) {
            outputQueue = s_->outputQueueSequence.front();
            s_->outputQueueSequence.pop_front();
        } else {
            outputQueue = s_->outputQueue;
        }
        return true;
    }
    int BytesInFlight() override {
        if (s_->inFlightSequence.empty()) {
            return s_->lineClockMs ? s_->wire.Count(LineNow()) : s_->inFlight;
        }
        int count = s_->inFlightSequence.front();
        s_->inFlightSequence.pop_front();
        return count;
    }
    ReadResult ReadFile(unsigned char* buffer, size_t size, size_t& count, bool wait) override {
        s_->readWaits.push_back(wait);
        count = 0;
        if (s_->gone) {
            return ReadResult::Failed;
        }
        while (count < size && count < s_->readChunk && !s_->input.empty()) {
            buffer[count++] = s_->input.front();
            s_->input.pop_front();
        }
        return count > 0 ? ReadResult::Byte : ReadResult::Nothing;
    }
    WriteResult WriteFile(unsigned char byte) override {
        if (s_->gone) {
            return WriteResult::Failed;
        }
        if (s_->writeBlocks > 0) {
            --s_->writeBlocks;
            return WriteResult::WouldBlock;
        }
        if (s_->lineClockMs) {
            const auto now = LineNow();
            if (!s_->written.empty() && s_->wire.Count(now) == 0) {
                ++s_->idleWrites;
            }
            s_->wire.Written(now);
            s_->mostInFlight = std::max(s_->mostInFlight, s_->wire.Count(now));
        }
        s_->written.push_back(byte);
        return WriteResult::Written;
    }
    // The run is recorded, then written byte by byte as WriteFile would.
    WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written) override {
        s_->runs.push_back(size);
        return SerialPort::WriteBytes(data, size, written);
    }
    bool WaitWritable(int) override { return s_->writeBlocks == 0; }
    int PollHandle() const override { return s_->pollHandle; }
    void DiscardOutput() override { s_->discarded = true; }
    int LastError() const override { return s_->gone ? EIO : 0; }

private:
    UnsentBytes::Clock::time_point LineNow() const {
        return UnsentBytes::Clock::time_point{} + std::chrono::milliseconds(s_->lineClockMs());
    }

    std::shared_ptr<FakePortState> s_;
};
