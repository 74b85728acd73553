// What the end-to-end send tests put around the real port and the host: a port
// that counts the bytes the job has written, and a host whose drains (4000 ms at
// the end, 100 ms after a stop's DC4) are not slept but last until the far end
// has read what was written, which is what the real wait achieves before the
// close discards the rest.
#pragma once

#include "platform/SerialPort.h"
#include "support/FakeTransferHost.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

class CountingPort : public ForwardingSerialPort {
public:
    CountingPort(std::unique_ptr<SerialPort> port, std::atomic<size_t>& written, bool paced)
        : ForwardingSerialPort(std::move(port)), written_(written), paced_(paced) {}
    // Unpaced, the port claims to count its whole queue: the line's rate is left out.
    int BytesInFlight() override { return paced_ ? ForwardingSerialPort::BytesInFlight() : 0; }
    WriteResult WriteFile(unsigned char byte) override {
        WriteResult result = ForwardingSerialPort::WriteFile(byte);
        if (result == WriteResult::Written)
            ++written_;
        return result;
    }
    WriteResult WriteBytes(const unsigned char* data, size_t size, size_t& written) override {
        WriteResult result = ForwardingSerialPort::WriteBytes(data, size, written);
        written_ += written;
        return result;
    }

private:
    std::atomic<size_t>& written_;
    bool paced_;
};

class DrainingHost : public FakeTransferHost {
public:
    std::function<bool()> drained;
    void Sleep(int ms) override {
        FakeTransferHost::Sleep(ms);
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ms >= 100 && drained && !drained() && std::chrono::steady_clock::now() < limit)
            std::this_thread::yield();
    }
};
