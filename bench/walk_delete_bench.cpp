// Walking, counting and deleting a large tree through the platform layer, against du, find and rm
// on the same tree. Prints each ratio (ours / theirs); the goal is 1.2 or less.
#include "BenchTimes.h"
#include "platform/FileSys.h"
#include "platform/Machine.h"
#include "platform/Walk.h"

#include <QDir>
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

void BM_RmRf(benchmark::State& state) {
    for (auto _ : state) {
        copyTree();
        double s = bench::timeCommand("rm -rf '" + g_tree->root() + "/drive_c/copy'");
        state.SetIterationTime(s);
        bench::record("rm", s);
    }
}

void BM_OurDelete(benchmark::State& state) {
    niv::Machine m = makeMachine(g_tree->root());
    for (auto _ : state) {
        copyTree();
        auto start = std::chrono::steady_clock::now();
        if (niv::removeTree(m, QStringLiteral("C:\\copy"), true) != niv::ERROR_SUCCESS) std::abort();
        double s = bench::secondsSince(start);
        state.SetIterationTime(s);
        bench::record("delete", s);
    }
}

BENCHMARK(BM_DuSb)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindPrintf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OurWalk)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RmRf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OurDelete)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

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
    benchmark::Shutdown();
    return 0;
}
