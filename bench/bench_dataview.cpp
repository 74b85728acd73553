// Opening a 100 MB NC program in the data view and jumping to its last line, beside
// `wc -l` on the same file. The file is the largest corpus program repeated into a
// temporary file. Counters: lines, the resident memory the open view holds (MB and
// as a multiple of the file size), and the time `wc -l` takes (seconds).
#include "BigNcFile.h"
#include "files/FileLoading.h"
#include "files/qt/DataView.h"

#include <QApplication>
#include <benchmark/benchmark.h>

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
    state.counters["wc_l_s"] = AnchorSeconds("wc -l < '" + file.string() + "'", &wcLines);
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
