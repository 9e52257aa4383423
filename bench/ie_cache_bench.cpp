// Counting and deleting an Internet Explorer cache of 100,000 files in 100 Content.IE5 folders
// through the unit's path lists, against du and rm on the same files. Prints each ratio (ours /
// theirs); the goal is 1.2 or less. With "Wipe" on, each file is also overwritten and flushed
// before its delete; that is set against shred doing the same (one pass of zeros, then unlink).
//
// IE_BENCH_FILES sets the size of the cache (default 100000, for profiling smaller sets);
// IE_BENCH_WIPE_FILES how many of them the two wipe runs use (default: all).
#include "BenchFiles.h"
#include "BenchServices.h"
#include "BenchTimes.h"
#include "cleaners/uie.h"

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
int g_filesPerFolder = 1000;
int g_files = kFolders * g_filesPerFolder;

QTemporaryDir* g_dir = nullptr;
std::int64_t g_bytes = 0;

std::string root() {
    return g_dir->path().toStdString();
}
std::string cacheFolder() {
    return root() +
           "/drive_c/users/bench/AppData/Local/Microsoft/Windows/Temporary Internet Files/Content.IE5";
}

// A fresh cache of `files` files (the first ones of the full layout), flushed to disk.
void makeCache(int files = g_files) {
    bench::run("rm -rf '" + cacheFolder() + "' && mkdir -p '" + cacheFolder() + "'");
    std::int64_t bytes = 0;
    for (int d = 0; d < kFolders; ++d) {
        char name[16];
        std::snprintf(name, sizeof name, "/Q%02dW3E4R", d);
        const std::string folder = cacheFolder() + name;
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < g_filesPerFolder && d * g_filesPerFolder + f < files; ++f) {
            const auto size = static_cast<std::size_t>((d * 7 + f * 13) % 4096);
            bench::writeFile(folder + "/page" + std::to_string(f) + "[1].htm", size);
            bytes += static_cast<std::int64_t>(size);
        }
    }
    if (files == g_files) g_bytes = bytes;
    ::sync();
}

void BM_DuSb(benchmark::State& state) {
    for (auto _ : state) {
        const double s = bench::timeCommand("du -sb '" + cacheFolder() + "' > /dev/null");
        state.SetIterationTime(s);
        bench::record("du", s);
    }
}

// The whole start-up discovery and count.
void BM_IeCount(benchmark::State& state) {
    for (auto _ : state) {
        bench::Program p(root());
        const auto start = std::chrono::steady_clock::now();
        niv::TFrmie frm(p.ctx);
        const double s = bench::secondsSince(start);
        if (p.ctx.g.Found[niv::CatIECache].FoundFiles != g_files ||
            p.ctx.g.Found[niv::CatIECache].FoundBytes != g_bytes)
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

void cleanWith(benchmark::State& state, bool wipe, int files, const char* name) {
    for (auto _ : state) {
        makeCache(files);
        bench::Program p(root());
        niv::TFrmie frm(p.ctx); // the path lists
        p.ctx.g.Wipe = wipe;
        const auto start = std::chrono::steady_clock::now();
        niv::DeleteIECache(p.ctx);
        const double s = bench::secondsSince(start);
        if (p.ctx.unit<niv::IeUnit>().DeletedFiles != files) std::abort();
        state.SetIterationTime(s);
        bench::record(name, s);
    }
    makeCache();
}

void BM_IeDelete(benchmark::State& state) {
    cleanWith(state, false, g_files, "delete");
}

int wipeFiles() {
    const char* env = std::getenv("IE_BENCH_WIPE_FILES");
    const int n = env ? std::atoi(env) : g_files;
    return n > 0 && n <= g_files ? n : g_files;
}

void BM_IeDeleteWipe(benchmark::State& state) {
    cleanWith(state, true, wipeFiles(), "delete+wipe");
}

void BM_ShredZeroUnlink(benchmark::State& state) {
    for (auto _ : state) {
        makeCache(wipeFiles());
        const double s = bench::timeCommand("find '" + cacheFolder() +
                                            "' -type f -exec shred -n 0 -z -u --remove=unlink {} +");
        state.SetIterationTime(s);
        bench::record("shred", s);
    }
    makeCache();
}

BENCHMARK(BM_DuSb)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IeCount)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RmRf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IeDelete)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShredZeroUnlink)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IeDeleteWipe)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (const char* env = std::getenv("IE_BENCH_FILES"); env && std::atoi(env) >= kFolders) {
        g_filesPerFolder = std::atoi(env) / kFolders;
        g_files = kFolders * g_filesPerFolder;
    }
    QTemporaryDir dir;
    g_dir = &dir;
    std::printf("building %d cache files in %d Content.IE5 folders...\n", g_files, kFolders);
    makeCache();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("Wipe off:\n");
    bench::printRatio("count", "du");
    bench::printRatio("delete", "rm");
    std::printf("Wipe on (%d files):\n", wipeFiles());
    bench::printRatio("delete+wipe", "shred");
    if (wipeFiles() == g_files) bench::printRatio("delete+wipe", "rm");
    benchmark::Shutdown();
    return 0;
}
