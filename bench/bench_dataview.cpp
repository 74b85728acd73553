// Opening a 100 MB NC program in the data view and jumping to its last line, beside
// `wc -l` on the same file. The file is the largest corpus program repeated into a
// temporary file. Each iteration runs the program and then `wc -l`, so that both see
// the same load. Counters: lines, the resident memory the open view holds (MB and as
// a multiple of the file size), both times (seconds, the fastest iteration of each)
// and x_wc_l, the program's time as a multiple of `wc -l`'s.
#include "BigNcFile.h"
#include "files/FileLoading.h"
#include "files/qt/DataView.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using bench::AnchorSeconds;
using bench::BigFile;
using bench::ResidentKb;

namespace {

void BM_OpenAndJumpToLastLine(benchmark::State& state) {
    if (!fs::exists(bench::BigFileSource())) {
        state.SkipWithError("corpus folder not found");
        return;
    }
    const fs::path& file = BigFile();
    const double fileMb = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
    DataView view;
    view.resize(350, 240);
    long heldKb = 0;
    long long wcLines = 0;
    double programS = 1e9;
    double wcS = 1e9;
    for (auto _ : state) {
        view.Clear();
        long before = ResidentKb();
        auto start = std::chrono::steady_clock::now();
        ViewFileText text = ReadFileForView(file);
        view.SetText(std::move(text.text));
        view.SelectLine(view.LineCount() - 1);
        benchmark::DoNotOptimize(view.LineText(view.LineCount() - 1).data());
        programS = std::min(
            programS,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        heldKb = ResidentKb() - before;
        state.PauseTiming();
        wcS = std::min(wcS, AnchorSeconds("wc -l < '" + file.string() + "'", &wcLines));
        state.ResumeTiming();
    }
    state.counters["file_MB"] = fileMb;
    state.counters["lines"] = static_cast<double>(view.LineCount());
    state.counters["held_MB"] = static_cast<double>(heldKb) / 1024.0;
    state.counters["held_x_file"] = static_cast<double>(heldKb) / 1024.0 / fileMb;
    state.counters["program_s"] = programS;
    state.counters["wc_l_s"] = wcS;
    state.counters["x_wc_l"] = programS / wcS;
    state.counters["wc_l_lines"] = static_cast<double>(wcLines);
}
BENCHMARK(BM_OpenAndJumpToLastLine)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
