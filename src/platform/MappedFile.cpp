#include "platform/MappedFile.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The live mappings, read by the SIGBUS handler without a lock: each slot holds a
// range while it is mapped and 0 otherwise.
struct Range {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
};
constexpr size_t kSlots = 64;
std::array<Range, kSlots> g_ranges;
struct sigaction g_previous {};

// A page of a mapped file past its (new) end becomes a page of zeros, and the
// access that faulted runs again and reads them.
void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (const Range& range : g_ranges) {
        const uintptr_t begin = range.begin.load(std::memory_order_acquire);
        if (begin != 0 && address >= begin && address < range.end.load()) {
            const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
            void* at = reinterpret_cast<void*>(address & ~(page - 1));
            if (::mmap(at, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
                MAP_FAILED)
                return;
        }
    }
    // Not ours: what the process did before.
    if (g_previous.sa_flags & SA_SIGINFO && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void InstallHandlerOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &g_previous);
    });
}

void Register(const char* data, size_t size) {
    const auto begin = reinterpret_cast<uintptr_t>(data);
    for (Range& range : g_ranges) {
        uintptr_t expected = 0;
        if (range.begin.load() == 0) {
            range.end.store(begin + size);
            if (range.begin.compare_exchange_strong(expected, begin))
                return;
        }
    }
    // More than kSlots files mapped at once: this one goes unguarded.
}

void Unregister(const char* data) {
    const auto begin = reinterpret_cast<uintptr_t>(data);
    for (Range& range : g_ranges) {
        uintptr_t expected = begin;
        if (range.begin.compare_exchange_strong(expected, 0))
            return;
    }
}

} // namespace

MappedFile::MappedFile(MappedFile&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        Unmap();
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

MappedFile::~MappedFile() {
    Unmap();
}

bool MappedFile::Map(int fd, size_t size) {
    Unmap();
    if (size == 0)
        return true;
    InstallHandlerOnce();
    // MAP_POPULATE maps the cached pages in one go instead of one fault per page.
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (at == MAP_FAILED)
        return false;
    data_ = static_cast<const char*>(at);
    size_ = size;
    Register(data_, size_);
    return true;
}

void MappedFile::Unmap() {
    if (!data_)
        return;
    Unregister(data_);
    ::munmap(const_cast<char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}
