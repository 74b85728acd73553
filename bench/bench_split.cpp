// Splitting 100 MB holding 1,139 programs into one file per program, beside awk
// doing the same split on the same file (program line test, name before "(",
// lines beginning with "%" left out, CR LF after every line). The source is in the
// data view's document, as the split dialog finds it. Counters: programs, the time
// awk takes (seconds), the ratio of the split's time to it, and whether both wrote
// the same files (same names and sizes).
#include "BigNcFile.h"
#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "nctools/SplitByProgram.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

void EmptyFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

void BM_SplitByProgram(benchmark::State& state) {
    if (!fs::exists(bench::BigFileSource())) {
        state.SkipWithError("corpus folder not found");
        return;
    }
    const fs::path& file = bench::BigSplitFile();
    const fs::path ours =
        fs::temp_directory_path() / ("dravik-split-" + std::to_string(::getpid()));
    const fs::path theirs = ours.string() + "-awk";
    TextDocument doc;
    doc.SetText(ReadFileForView(file).text);
    int programs = 0;
    double splitSeconds = 0;
    double awkSeconds = 0;
    const std::string awk = "awk -v d='" + theirs.string() +
                            "' 'BEGIN { ORS = \"\\r\\n\" } "
                            "/^[O:L]/ { if (f) close(f); n = $0; sub(/\\(.*/, \"\", n); "
                            "f = d \"/\" n \".NC\" } "
                            "f && !/^%/ { print > f }' '" +
                            file.string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        EmptyFolder(ours);
        EmptyFolder(theirs);
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        SplitResult result = SplitByProgram(doc, ours, {}, ".NC");
        splitSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        programs = result.programs;
        state.PauseTiming();
        awkSeconds += bench::AnchorSeconds(awk);
        state.ResumeTiming();
    }
    const auto count = [](const fs::path& folder) {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    };
    // Both wrote the same split: every file of one is byte for byte the other's.
    bool same = count(ours) == count(theirs);
    for (const auto& entry : fs::directory_iterator(ours)) {
        same =
            same && fs::file_size(entry.path()) == fs::file_size(theirs / entry.path().filename());
    }
    state.counters["same_files"] = same ? 1 : 0;
    state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
    state.counters["programs"] = programs;
    state.counters["files"] = static_cast<double>(count(ours));
    state.counters["awk_files"] = static_cast<double>(count(theirs));
    state.counters["split_s"] = splitSeconds / static_cast<double>(state.iterations());
    state.counters["awk_s"] = awkSeconds / static_cast<double>(state.iterations());
    state.counters["split_x_awk"] = splitSeconds / awkSeconds;
    fs::remove_all(ours);
    fs::remove_all(theirs);
}
BENCHMARK(BM_SplitByProgram)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
