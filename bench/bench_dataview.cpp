// Opening a 100 MB NC program in the data view and jumping to its last line, beside
// `wc -l` on the same file. The file is the largest corpus program repeated into a
// temporary file. Counters: lines, the resident memory the open view holds (MB and
// as a multiple of the file size), and the time `wc -l` takes (seconds).
#include "files/FileLoading.h"
#include "files/qt/DataView.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t kTarget = 100u * 1024 * 1024;

fs::path Corpus() {
    return fs::path(DRAVIK_SOURCE_DIR) / ".." / "shared" / "corpus" /
           "35_camotics_la_peinture_4M.gc";
}

// The temporary 100 MB file, made once and removed at exit.
const fs::path& BigFile() {
    static fs::path path;
    if (path.empty()) {
        std::ifstream in(Corpus(), std::ios::binary);
        std::string piece{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        path = fs::temp_directory_path() / ("dravik-bench-" + std::to_string(::getpid()) + ".nc");
        std::ofstream out(path, std::ios::binary);
        for (size_t written = 0; !piece.empty() && written < kTarget; written += piece.size())
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        std::atexit([] { fs::remove(path); });
    }
    return path;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

double WcSeconds(const fs::path& file, long long* lines) {
    auto start = std::chrono::steady_clock::now();
    std::string command = "wc -l < '" + file.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe && std::fscanf(pipe, "%lld", lines) != 1)
        *lines = -1;
    if (pipe)
        ::pclose(pipe);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_OpenAndJumpToLastLine(benchmark::State& state) {
    if (!fs::exists(Corpus())) {
        state.SkipWithError("corpus folder not found");
        return;
    }
    const fs::path& file = BigFile();
    const double fileMb = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
    DataView view;
    view.resize(350, 240);
    long heldKb = 0;
    for (auto _ : state) {
        view.Clear();
        long before = ResidentKb();
        ViewFileText text = ReadFileForView(file);
        view.SetText(std::move(text.text));
        view.SelectLine(view.LineCount() - 1);
        benchmark::DoNotOptimize(view.LineText(view.LineCount() - 1).data());
        heldKb = ResidentKb() - before;
    }
    long long wcLines = 0;
    state.counters["file_MB"] = fileMb;
    state.counters["lines"] = static_cast<double>(view.LineCount());
    state.counters["held_MB"] = static_cast<double>(heldKb) / 1024.0;
    state.counters["held_x_file"] = static_cast<double>(heldKb) / 1024.0 / fileMb;
    state.counters["wc_l_s"] = WcSeconds(file, &wcLines);
    state.counters["wc_l_lines"] = static_cast<double>(wcLines);
}
BENCHMARK(BM_OpenAndJumpToLastLine)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
