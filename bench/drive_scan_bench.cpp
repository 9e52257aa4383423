// The drive scan over a large tree, against find walking the same tree. Prints each ratio
// (ours / theirs); the goal is 1.2 or less.
#include "BenchServices.h"
#include "BenchTimes.h"
#include "app/Uscandrv.h"
#include "core/AppContext.h"
#include "platform/Machine.h"

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

constexpr int kFolders = 2000;
constexpr int kFilesPerFolder = 100;

QTemporaryDir* g_dir = nullptr;

std::string root() {
    return g_dir->path().toStdString();
}

std::string tree() {
    return root() + "/drive_c/tree";
}

void touch(const std::string& file) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    ::close(fd);
}

// 2000 folders of 100 empty files, and one Firefox profile so the rules have something to record.
void makeTree(const std::string& base) {
    for (int d = 0; d < kFolders; ++d) {
        const std::string group = base + "/f" + std::to_string(d / 100);
        const std::string folder = group + "/d" + std::to_string(d);
        ::mkdir(group.c_str(), 0755);
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < kFilesPerFolder; ++f)
            touch(folder + "/file" + std::to_string(f) + ".tmp");
    }
    std::string profile = base;
    for (const char* part : {"/Mozilla", "/Firefox", "/Profiles", "/ab12.default", "/cache2"}) {
        profile += part;
        ::mkdir(profile.c_str(), 0755);
    }
    profile.resize(profile.size() - std::string("/cache2").size());
    for (const char* name : {"cookies.sqlite", "places.sqlite", "formhistory.sqlite", "webappsstore.sqlite"})
        touch(profile + "/" + name);
}

void BM_FindPrintf(benchmark::State& state) {
    for (auto _ : state) {
        double s = bench::timeCommand("find '" + tree() + "' -printf ''");
        state.SetIterationTime(s);
        bench::record("find", s);
    }
}

void BM_FindTypeF(benchmark::State& state) {
    for (auto _ : state) {
        double s = bench::timeCommand("find '" + tree() + "' -type f -printf ''");
        state.SetIterationTime(s);
        bench::record("find -type f", s);
    }
}

void BM_ScanFolder(benchmark::State& state) {
    bench::Program program(root());
    niv::AppContext& ctx = program.ctx;
    ctx.g.ScanLogPath = QStringLiteral("C:\\nvscan7.ini");
    std::int64_t folders = 0;
    const niv::ScanProgress progress = [&](const QString& folder) { folders += folder.isEmpty() ? 0 : 1; };
    for (auto _ : state) {
        folders = 0;
        auto start = std::chrono::steady_clock::now();
        niv::ScanFolder(ctx, QStringLiteral("C:\\tree"), progress);
        double s = bench::secondsSince(start);
        if (folders < kFolders) std::abort();
        state.SetIterationTime(s);
        bench::record("scan", s);
    }
}

BENCHMARK(BM_FindPrintf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTypeF)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFolder)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    ::mkdir((root() + "/drive_c").c_str(), 0755);
    ::mkdir(tree().c_str(), 0755);
    std::printf("building %d files in %d folders...\n", kFolders * kFilesPerFolder, kFolders);
    makeTree(tree());
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("scan", "find");
    bench::printRatio("scan", "find -type f");
    benchmark::Shutdown();
    return 0;
}
