// Listing a folder of 10,000 NC files with the default settings (every file, sorted
// by name, two columns), beside `ls -l` on the same folder. The cache is warm (the
// first round is not timed by the figures that matter), ls writes to /dev/null, and
// both sort by the same collation: the locale of the environment (LC_ALL).
//   BM_ListDirectory        the listing alone (scan, sort, rows, path line)
//   BM_ListDirectoryOnList  the same shown in the file list widget, offscreen
//   BM_LsLong               ls -l
// Target: the listing under 2 x ls -l. Run: ./bench_listing
#include "files/Listing.h"
#include "files/qt/FileListBox.h"
#include "files/qt/WidgetListingView.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QLabel>
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

constexpr int kFiles = 10000;

// The folder, made once: NC programs of 200 bytes to 20 KB under O-number names,
// in a random order of creation so that the enumeration is not already sorted.
const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / "dravik-bench-listing";
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        std::vector<int> numbers(kFiles);
        for (int i = 0; i < kFiles; ++i)
            numbers[static_cast<size_t>(i)] = 1000 + i;
        std::mt19937 random(42);
        std::shuffle(numbers.begin(), numbers.end(), random);
        for (int number : numbers) {
            std::ofstream out(path / ("O" + std::to_string(number) + ".NC"), std::ios::binary);
            out << "%\r\nO" << number << "(PART " << number << ")\r\n";
            int blocks = 10 + number % 1000;
            for (int n = 1; n <= blocks; ++n)
                out << "N" << n << " G01 X" << n % 97 << ".5 Y-" << n % 31 << ".25 F300\r\n";
            out << "M30\r\n%\r\n";
        }
        return path;
    }();
    return folder;
}

TSettings DefaultSettings() {
    TSettings settings;
    settings.DirPath = Folder().string();
    return settings; // ALL-Files "Y", FileSort "N", SortMuki "D", ListColumn 2
}

class NoView : public ListingView {
public:
    void ShowScanStart(const std::string&) override {}
    void ProcessPendingEvents() override {}
    void ShowRows(const std::string&, const std::string&, int) override {}
    int CurrentRow() const override { return -1; }
    int RowsPerColumn() const override { return 20; }
    void DriveChanged() override {}
    void FocusList() override {}
};

void BM_ListDirectory(benchmark::State& state) {
    TSettings settings = DefaultSettings();
    FileListModel model;
    NoView view;
    for (auto _ : state) {
        ListDirectory(model, settings, view, false, false, false);
        benchmark::DoNotOptimize(model.rows.data());
    }
    state.counters["rows"] = static_cast<double>(model.rows.size());
}

void BM_ListDirectoryOnList(benchmark::State& state) {
    TSettings settings = DefaultSettings();
    FileListModel model;
    FileListBox list;
    QLabel path, detail;
    list.resize(616, 338);
    list.SetModel(&model);
    list.show();
    WidgetListingView view(&list, &path, &detail);
    for (auto _ : state) {
        ListDirectory(model, settings, view, false, true, false);
        QCoreApplication::processEvents(); // the one repaint
    }
    state.counters["rows"] = static_cast<double>(model.rows.size());
}

void BM_LsLong(benchmark::State& state) {
    std::string command = "ls -l '" + Folder().string() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("ls failed");
    }
}

BENCHMARK(BM_ListDirectory)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);
BENCHMARK(BM_ListDirectoryOnList)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);
BENCHMARK(BM_LsLong)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.2);

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, ""); // QApplication may have set its own
    benchmark::Initialize(&argc, argv);
    Folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
