// The cache viewer's listing of 100,000 Firefox cache files (all files shown) against
// `find -type f` on the same tree. Prints the ratio (ours / theirs); the goal is 1.2 or less.
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

constexpr int kHexFolders = 16;
constexpr int kSubfolders = 10;
constexpr int kFilesPerSubfolder = 625;
constexpr int kFiles = kHexFolders * kSubfolders * kFilesPerSubfolder;

QTemporaryDir* g_dir = nullptr;

std::string cacheFolder() {
    return g_dir->path().toStdString() + "/drive_c/FF/profile/CACHE";
}

void makeCache() {
    for (int h = 0; h < kHexFolders; ++h) {
        const std::string hex = cacheFolder() + '/' + "0123456789ABCDEF"[h];
        bench::run("mkdir -p '" + hex + "'");
        for (int s = 0; s < kSubfolders; ++s) {
            const std::string sub = hex + "/" + std::to_string(10 + s);
            ::mkdir(sub.c_str(), 0755);
            for (int f = 0; f < kFilesPerSubfolder; ++f) {
                const std::string file = sub + "/E" + std::to_string(f) + (f % 3 ? "d01" : ".jpg");
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (fd < 0) std::abort();
                ::close(fd);
            }
        }
    }
    ::sync();
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
