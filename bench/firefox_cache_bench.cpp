// Counting and deleting a Firefox cache of 100,000 files below its 16 hex folders, as the
// Firefox/Chrome scanner and cleaner do, against du and rm on the same files. Prints each ratio
// (ours / theirs); the goal is 1.1 or less.
#include "BenchFiles.h"
#include "BenchServices.h"
#include "BenchTimes.h"
#include "cleaners/unet.h"
#include "platform/FileSys.h"

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

QTemporaryDir* g_dir = nullptr;
std::int64_t g_bytes = 0;

std::string root() {
    return g_dir->path().toStdString();
}
std::string cacheFolder() {
    return root() + "/drive_c/FF/profile/CACHE";
}

// A fresh cache, flushed to disk.
void makeCache() {
    bench::run("rm -rf '" + cacheFolder() + "' && mkdir -p '" + cacheFolder() + "'");
    g_bytes = bench::makeHexCache(
        cacheFolder(), [](int f) { return "E" + std::to_string(f) + "d01"; },
        [](int h, int s, int f) { return static_cast<std::size_t>((h * 7 + s * 11 + f * 13) % 4096); });
}

// The program over the machine, its scan log naming the cache as the drive scan records it.
struct FirefoxProgram : bench::Program {
    FirefoxProgram() : bench::Program(root()) {
        ctx.g.ScanLogPath = QStringLiteral("C:\\nvscan7.ini");
        niv::WriteFileBytes(machine, ctx.g.ScanLogPath, "[P45]\r\nP1=C:\\FF\\profile\\CACHE\r\n");
    }
};

void BM_DuSb(benchmark::State& state) {
    for (auto _ : state) {
        const double s = bench::timeCommand("du -sb '" + cacheFolder() + "' > /dev/null");
        state.SetIterationTime(s);
        bench::record("du", s);
    }
}

// The scanner's whole start-up: scan-log lists and the six counts.
void BM_FirefoxCount(benchmark::State& state) {
    for (auto _ : state) {
        FirefoxProgram p;
        const auto start = std::chrono::steady_clock::now();
        niv::TFrmnet scanner(p.ctx);
        const double s = bench::secondsSince(start);
        if (p.ctx.g.Found[niv::CatNSCache].FoundFiles != kFiles ||
            p.ctx.g.Found[niv::CatNSCache].FoundBytes != g_bytes)
            std::abort();
        state.SetIterationTime(s);
        bench::record("count", s);
    }
}

void BM_RmRf(benchmark::State& state) {
    for (auto _ : state) {
        makeCache();
        const double s = bench::timeCommand("rm -rf '" + cacheFolder() + "'");
        state.SetIterationTime(s);
        bench::record("rm", s);
    }
    makeCache();
}

void BM_FirefoxDelete(benchmark::State& state) {
    for (auto _ : state) {
        makeCache();
        FirefoxProgram p;
        niv::TFrmnet scanner(p.ctx); // the lists
        const auto start = std::chrono::steady_clock::now();
        niv::DeleteFirefoxCache(p.ctx);
        const double s = bench::secondsSince(start);
        if (p.ctx.unit<niv::NetUnit>().DeletedFiles != kFiles) std::abort();
        state.SetIterationTime(s);
        bench::record("delete", s);
    }
    makeCache();
}

BENCHMARK(BM_DuSb)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirefoxCount)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RmRf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirefoxDelete)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    std::printf("building %d cache files below %d hex folders...\n", kFiles, bench::kHexFolders);
    makeCache();
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("count", "du");
    bench::printRatio("delete", "rm");
    benchmark::Shutdown();
    return 0;
}
