// Walking, counting and deleting a large tree through the platform layer, against du, find and rm
// on the same tree. Prints each ratio (ours / theirs); the goal is 1.2 or less.
#include "BenchTimes.h"
#include "platform/FileSys.h"
#include "platform/Machine.h"
#include "platform/Walk.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFolders = 2000;
constexpr int kFilesPerFolder = 100;

struct Tree {
    QTemporaryDir dir;
    std::string root() const { return dir.path().toStdString(); }
};

Tree* g_tree = nullptr;

void makeTree(const std::string& base) {
    char buf[4096] = {};
    for (int d = 0; d < kFolders; ++d) {
        std::string folder = base + "/f" + std::to_string(d / 100) + "/d" + std::to_string(d);
        ::mkdir((base + "/f" + std::to_string(d / 100)).c_str(), 0755);
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < kFilesPerFolder; ++f) {
            std::string file = folder + "/file" + std::to_string(f) + ".tmp";
            int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) std::abort();
            if (::write(fd, buf, static_cast<size_t>((d * 7 + f * 13) % 4096)) < 0) std::abort();
            ::close(fd);
        }
    }
}

niv::Machine makeMachine(const std::string& root) {
    return niv::Machine(niv::MachineSettings{root, root + "/prog", QStringLiteral("bench"), true});
}

void BM_DuSb(benchmark::State& state) {
    for (auto _ : state) {
        double s = bench::timeCommand("du -sb '" + g_tree->root() + "/drive_c/tree' > /dev/null");
        state.SetIterationTime(s);
        bench::record("du", s);
    }
}

void BM_FindPrintf(benchmark::State& state) {
    for (auto _ : state) {
        double s = bench::timeCommand("cd '" + g_tree->root() + "/drive_c/tree' && find . -printf '' ");
        state.SetIterationTime(s);
        bench::record("find", s);
    }
}

void BM_OurWalk(benchmark::State& state) {
    niv::Machine m = makeMachine(g_tree->root());
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const std::int64_t files = niv::countTree(m, QStringLiteral("C:\\tree")).files;
        double s = bench::secondsSince(start);
        if (files != kFolders * kFilesPerFolder) std::abort();
        state.SetIterationTime(s);
        state.counters["files"] = static_cast<double>(files);
        bench::record("walk", s);
    }
}

// A fresh copy of the tree to delete, built the same way as the original and flushed to disk.
void copyTree() {
    const std::string copy = g_tree->root() + "/drive_c/copy";
    if (std::system(("rm -rf '" + copy + "'").c_str()) != 0) std::abort();
    ::mkdir(copy.c_str(), 0755);
    makeTree(copy);
    ::sync();
}

// Each iteration deletes one copy with rm and one with ours, taking turns at going first, so that
// the disk's drift (writeback and discard of the copies before) falls on both alike.
std::vector<double> g_pairRatios;

void BM_DeleteVsRmRf(benchmark::State& state) {
    niv::Machine m = makeMachine(g_tree->root());
    bool oursFirst = false;
    for (auto _ : state) {
        double rm = 0, ours = 0;
        for (int turn = 0; turn < 2; ++turn) {
            copyTree();
            if ((turn == 0) == oursFirst) {
                auto start = std::chrono::steady_clock::now();
                if (niv::removeTree(m, QStringLiteral("C:\\copy"), true) != niv::ERROR_SUCCESS) std::abort();
                ours = bench::secondsSince(start);
            } else {
                rm = bench::timeCommand("rm -rf '" + g_tree->root() + "/drive_c/copy'");
            }
        }
        oursFirst = !oursFirst;
        state.SetIterationTime(ours);
        bench::record("rm", rm);
        bench::record("delete", ours);
        g_pairRatios.push_back(ours / rm);
        std::printf("pair: delete %.3f s, rm %.3f s, ratio %.2f\n", ours, rm, ours / rm);
    }
}

BENCHMARK(BM_DuSb)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindPrintf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OurWalk)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteVsRmRf)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Tree tree;
    g_tree = &tree;
    ::mkdir((tree.root() + "/drive_c").c_str(), 0755);
    ::mkdir((tree.root() + "/drive_c/tree").c_str(), 0755);
    std::printf("building %d files in %d folders...\n", kFolders * kFilesPerFolder, kFolders);
    makeTree(tree.root() + "/drive_c/tree");
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("walk", "du");
    bench::printRatio("walk", "find");
    bench::printRatio("delete", "rm");
    if (!g_pairRatios.empty()) {
        std::sort(g_pairRatios.begin(), g_pairRatios.end());
        const std::size_t n = g_pairRatios.size();
        std::printf("delete / rm per pair: median %.2f of %zu\n",
                    (g_pairRatios[(n - 1) / 2] + g_pairRatios[n / 2]) / 2, n);
    }
    benchmark::Shutdown();
    return 0;
}
