// Doubling X in every line of the 100 MB file, beside mawk doing the same in one
// run. The program's side is the whole of the H command's work: the file into the
// data view, the conversion, the output written, and the output read back into the
// view. Each iteration runs the program and then mawk, so that both see the same
// load. Counters: lines, both times (seconds, the fastest iteration of each) and
// x_mawk, the program's time as a share of mawk's.
#include "BigNcFile.h"
#include "files/FileLoading.h"
#include "files/TextDocument.h"
#include "nctools/AxisDoubling.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using bench::AnchorSeconds;
using bench::BigFile;

namespace {

// The rule in awk: the first X, its run of "0123456789.- ", the value without
// trailing blanks doubled with the decimals of the table.
const char* const kMawkScript = R"AWK(
{
    p = index($0, "X")
    if (p) {
        rest = substr($0, p + 1)
        if (match(rest, /^[0-9. -]+/)) {
            v = substr(rest, 1, RLENGTH)
            sub(/ +$/, "", v)
            if (v != "" && v != "-") {
                d = index(v, ".")
                if (d) { n = length(v) - d; if (n < 1) n = 1; f = "%." n "f" } else f = "%d"
                $0 = substr($0, 1, p) sprintf(f, v * 2) substr(rest, length(v) + 1)
            }
        }
    }
    print
}
)AWK";

void BM_DoubleXInEveryLine(benchmark::State& state) {
    if (!fs::exists(bench::BigFileSource())) {
        state.SkipWithError("corpus folder not found");
        return;
    }
    const fs::path& file = BigFile();
    const fs::path dir = file.parent_path();
    const std::string outputName = file.stem().string() + "_2.NC";
    const fs::path script = dir / ("dravik-bench-" + std::to_string(::getpid()) + ".awk");
    const fs::path mawkOut = dir / ("dravik-bench-" + std::to_string(::getpid()) + ".awk.out");
    std::ofstream(script) << kMawkScript;
    const std::string mawk = "mawk -v ORS='\\r\\n' -f '" + script.string() + "' '" + file.string() +
                             "' > '" + mawkOut.string() + "'";
    double programS = 1e9;
    double mawkS = 1e9;
    size_t lines = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        TextDocument view;
        view.SetText(ReadFileForView(file).text);
        DoublingOutcome outcome =
            DoubleAxisToFile(view, {'X', dir.string(), file.filename().string(), outputName}, {});
        if (outcome.status != DoublingOutcome::Status::Done) {
            state.SkipWithError(outcome.error.c_str());
            break;
        }
        view.SetText(ReadFileForView(dir / outputName).text);
        lines = view.LineCount();
        programS = std::min(
            programS,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        mawkS = std::min(mawkS, AnchorSeconds(mawk));
        state.ResumeTiming();
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["program_s"] = programS;
    state.counters["mawk_s"] = mawkS;
    state.counters["x_mawk"] = programS / mawkS;
    fs::remove(dir / outputName);
    fs::remove(script);
    fs::remove(mawkOut);
}
BENCHMARK(BM_DoubleXInEveryLine)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
