// The cache viewer's listing of 100,000 Firefox cache files (all files shown) against
// `find -type f` on the same tree. Prints the ratio (ours / theirs); the goal is 1.2 or less.
#include "BenchFiles.h"
#include "BenchServices.h"
#include "BenchTimes.h"
#include "cleaners/Uviewer.h"

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

constexpr int kFiles = bench::kHexCacheFiles;
using bench::kHexFolders;
constexpr int kSubfolders = bench::kHexSubfolders;

QTemporaryDir* g_dir = nullptr;

std::string cacheFolder() {
    return g_dir->path().toStdString() + "/drive_c/FF/profile/CACHE";
}

void makeCache() {
    bench::run("mkdir -p '" + cacheFolder() + "'");
    bench::makeHexCache(
        cacheFolder(), [](int f) { return "E" + std::to_string(f) + (f % 3 ? "d01" : ".jpg"); },
        [](int, int, int) { return std::size_t{0}; });
}

void BM_Find(benchmark::State& state) {
    for (auto _ : state) {
        const double s = bench::timeCommand("find '" + cacheFolder() + "' -type f > /dev/null");
        state.SetIterationTime(s);
        bench::record("find", s);
    }
}

// The folders the Firefox scanner stores, each listed with "*.*" as the viewer does.
void BM_ViewerList(benchmark::State& state) {
    for (auto _ : state) {
        bench::Program p(g_dir->path().toStdString());
        int slot = 0;
        for (int h = 0; h < kHexFolders; ++h)
            for (int s = 0; s < kSubfolders; ++s)
                p.ctx.g.FirefoxCacheDirs[++slot] = QStringLiteral("C:\\FF\\profile\\CACHE\\%1\\%2\\")
                                                       .arg(QChar(u"0123456789ABCDEF"[h]))
                                                       .arg(10 + s);
        const auto start = std::chrono::steady_clock::now();
        const niv::ViewerList list = niv::FillViewerList(p.ctx, false);
        const double s = bench::secondsSince(start);
        if (list.lines.size() != kFiles) std::abort();
        state.SetIterationTime(s);
        bench::record("viewer", s);
    }
}

BENCHMARK(BM_Find)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerList)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    std::printf("building %d cache files below %d hex folders...\n", kFiles, kHexFolders);
    makeCache();
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("viewer", "find");
    benchmark::Shutdown();
    return 0;
}
