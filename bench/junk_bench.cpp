// The junk unit's temp walk and count with "Tempall" on over 50,000 entries, against du -sb on the
// same tree; and recycling 10,000 temp files, against gio trash on a copy of the same files (its
// trash kept in the benchmark's own folder). Prints each ratio (ours / theirs); the goals are 1.1
// or less for the count and 1.0 or less for recycling.
#include "BenchFiles.h"
#include "BenchServices.h"
#include "BenchTimes.h"
#include "cleaners/unon.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 499; // with its folder, 500 entries each
constexpr int kRecycled = 10000;

QTemporaryDir* g_dir = nullptr;

std::string root() {
    return g_dir->path().toStdString();
}
std::string tempFolder() {
    return root() + "/drive_c/users/bench/AppData/Local/Temp";
}
std::string copyFolder() {
    return root() + "/copy";
}

void makeTree() {
    bench::run("rm -rf '" + tempFolder() + "' && mkdir -p '" + tempFolder() + "'");
    for (int d = 0; d < kFolders; ++d) {
        const std::string folder = tempFolder() + "/dir" + std::to_string(d);
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < kFilesPerFolder; ++f)
            bench::writeFile(folder + "/f" + std::to_string(f) + ".tmp",
                             static_cast<size_t>((d * 7 + f * 13) % 4096));
    }
    ::sync();
}

// `kRecycled` flat files in `folder`.
void makeFlat(const std::string& folder) {
    bench::run("rm -rf '" + folder + "' && mkdir -p '" + folder + "'");
    for (int f = 0; f < kRecycled; ++f)
        bench::writeFile(folder + "/f" + std::to_string(f) + ".tmp", static_cast<size_t>((f * 13) % 4096));
    ::sync();
}

void BM_DuSb(benchmark::State& state) {
    for (auto _ : state) {
        const double s = bench::timeCommand("du -sb '" + tempFolder() + "' > /dev/null");
        state.SetIterationTime(s);
        bench::record("du", s);
    }
}

void BM_TempCount(benchmark::State& state) {
    for (auto _ : state) {
        bench::Program p(root());
        const auto start = std::chrono::steady_clock::now();
        niv::ScanTempFolder(p.ctx, QStringLiteral("*.*"),
                            QStringLiteral("C:\\users\\bench\\AppData\\Local\\Temp\\"), false);
        const double s = bench::secondsSince(start);
        if (p.ctx.unit<niv::NonUnit>().PassFiles != kFolders * (kFilesPerFolder + 1)) std::abort();
        state.SetIterationTime(s);
        bench::record("count", s);
    }
}

void BM_GioTrash(benchmark::State& state) {
    for (auto _ : state) {
        makeFlat(copyFolder());
        const double s = bench::timeCommand("cd '" + copyFolder() + "' && XDG_DATA_HOME='" + root() +
                                            "/xdg' find . -type f -exec gio trash {} +");
        state.SetIterationTime(s);
        bench::record("gio trash", s);
        // Emptied after each run, as the recycle bin is below: both then make their files where
        // as many were just freed.
        bench::run("rm -rf '" + root() + "/xdg/Trash'");
    }
}

void BM_TempRecycle(benchmark::State& state) {
    for (auto _ : state) {
        makeFlat(tempFolder());
        bench::Program p(root());
        niv::NonUnit& non = p.ctx.unit<niv::NonUnit>();
        non.TempFolder = QStringLiteral("C:\\users\\bench\\AppData\\Local\\Temp\\");
        non.ProgramDrive = QStringLiteral("C:");
        p.ctx.g.Tempall = true;
        const auto start = std::chrono::steady_clock::now();
        niv::CleanTempFiles(p.ctx);
        const double s = bench::secondsSince(start);
        if (non.DeletedFiles != kRecycled) std::abort();
        state.SetIterationTime(s);
        bench::record("recycle", s);
        niv::EmptyRecycleBin(p.ctx);
    }
}

BENCHMARK(BM_DuSb)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TempCount)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GioTrash)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TempRecycle)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    std::printf("building %d temp entries in %d folders...\n", kFolders * (kFilesPerFolder + 1), kFolders);
    makeTree();
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("count", "du");
    bench::printRatio("recycle", "gio trash");
    benchmark::Shutdown();
    return 0;
}
