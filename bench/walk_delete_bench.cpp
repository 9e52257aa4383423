// Walking, counting and deleting a large tree through the platform layer, against du, find and rm
// on the same tree. Prints each ratio (ours / theirs); the goal is 1.2 or less.
#include "BenchTimes.h"
#include "platform/FileSys.h"
#include "platform/Machine.h"

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

// Counts every file and its bytes below `folder`, never entering links.
void walk(niv::Machine& m, const QString& folder, std::int64_t& files, std::int64_t& bytes) {
    niv::SearchRec rec;
    if (niv::FindFirst(m, folder + QStringLiteral("*.*"), niv::faAnyFile, rec) != 0) return;
    do {
        if (rec.Name == u"." || rec.Name == u"..") continue;
        if (rec.m_baseAttr & niv::faDirectory) {
            if (!(rec.m_baseAttr & niv::faReparsePoint)) walk(m, folder + rec.Name + u'\\', files, bytes);
        } else {
            ++files;
            bytes += rec.Size();
        }
    } while (niv::FindNext(rec) == 0);
}

// Deletes every file and folder below `folder` one by one, as the cleaners do.
void deleteTree(niv::Machine& m, const QString& folder) {
    niv::SearchRec rec;
    if (niv::FindFirst(m, folder + QStringLiteral("*.*"), niv::faAnyFile, rec) != 0) return;
    do {
        if (rec.Name == u"." || rec.Name == u"..") continue;
        const QString path = folder + rec.Name;
        if ((rec.m_baseAttr & niv::faDirectory) && !(rec.m_baseAttr & niv::faReparsePoint)) {
            deleteTree(m, path + u'\\');
            niv::RemoveDir(m, path);
        } else if (!niv::DeleteFile(m, path)) {
            std::abort();
        }
    } while (niv::FindNext(rec) == 0);
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
        std::int64_t files = 0, bytes = 0;
        auto start = std::chrono::steady_clock::now();
        walk(m, QStringLiteral("C:\\tree\\"), files, bytes);
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
        deleteTree(m, QStringLiteral("C:\\copy\\"));
        niv::RemoveDir(m, QStringLiteral("C:\\copy"));
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
