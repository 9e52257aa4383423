// The duplicate scan against jdupes, fdupes and rmlint on one tree, checking that all find the same
// duplicate sets; and the thumbnail search of a whole drive against find. Prints each ratio (ours /
// theirs); the goals are below 1.0 against jdupes and 1.2 or less against find.
#include "BenchServices.h"
#include "BenchTimes.h"
#include "core/AppContext.h"
#include "tools/UPicCache.h"
#include "tools/Udups.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 200;
constexpr int kCopyEvery = 10;   // about one file in ten is a copy of an earlier one
constexpr int kLargeFiles = 24;  // of 8 to 40 MB; a third copied, a third differing only at the end
constexpr int kThumbsEvery = 50; // a thumbnail cache in one folder of 50

QTemporaryDir* g_dir = nullptr;

std::string root() {
    return g_dir->path().toStdString();
}

std::string drive() {
    return root() + "/drive_c";
}

void write(const std::string& path, const std::string& data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) std::abort();
    ::close(fd);
}

std::string randomBytes(std::mt19937_64& rng, std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t v = rng();
        std::memcpy(&data[i], &v, std::min<std::size_t>(8, size - i));
    }
    return data;
}

void makeTree() {
    std::mt19937_64 rng(19);
    std::vector<std::string> written; // small originals, for copies
    for (int d = 0; d < kFolders; ++d) {
        const std::string group = drive() + "/g" + std::to_string(d / 50);
        const std::string folder = group + "/Folder " + std::to_string(d);
        ::mkdir(group.c_str(), 0755);
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const std::string path = folder + "/file" + std::to_string(f) + ".dat";
            if (!written.empty() && rng() % kCopyEvery == 0) {
                std::ifstream in(written[rng() % written.size()], std::ios::binary);
                write(path, std::string(std::istreambuf_iterator<char>(in), {}));
            } else {
                write(path, randomBytes(rng, 64 + rng() % 8192));
                written.push_back(path);
            }
        }
        if (d % kThumbsEvery == 0) write(folder + "/Thumbs.db", randomBytes(rng, 4096 + d));
    }
    const std::string large = drive() + "/large";
    ::mkdir(large.c_str(), 0755);
    for (int i = 0; i < kLargeFiles; ++i) {
        std::string data = randomBytes(rng, (8u + rng() % 33u) << 20);
        write(large + "/big" + std::to_string(i) + ".iso", data);
        if (i % 3 == 1) write(large + "/copy of big" + std::to_string(i) + ".iso", data);
        if (i % 3 == 2) {
            data[data.size() - 1] ^= 1;
            write(large + "/almost big" + std::to_string(i) + ".iso", data);
        }
    }
    ::sync();
}

using Sets = std::set<std::set<std::string>>;

// Groups of host paths separated by blank lines, as fdupes and jdupes print them.
Sets readGroups(const std::string& file) {
    Sets sets;
    std::ifstream in(file);
    std::set<std::string> group;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            if (group.size() > 1) sets.insert(group);
            group.clear();
        } else {
            group.insert(line);
        }
    }
    if (group.size() > 1) sets.insert(group);
    return sets;
}

Sets g_ours;

std::string hostOf(const QString& winPath) {
    QString rest = winPath.mid(2);
    rest.replace(u'\\', u'/');
    return drive() + rest.toStdString();
}

void checkSame(const char* tool, const std::string& output) {
    const Sets theirs = readGroups(output);
    if (theirs != g_ours) {
        std::printf("%s found %zu duplicate sets, we found %zu: NOT THE SAME\n", tool, theirs.size(),
                    g_ours.size());
        std::abort();
    }
}

void BM_DuplicatePatterns(benchmark::State& state) {
    bench::Program program(root());
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const niv::DupScanResult r = niv::ScanDuplicatePatterns(program.ctx, u'c', {});
        const double s = bench::secondsSince(start);
        state.SetIterationTime(s);
        bench::record("dups", s);
        // The list's groups back into host paths; a group ends where the size changes or the content
        // of the next line's file differs, so regroup by the scan's own result order.
        g_ours.clear();
        std::set<std::string> group;
        std::string lastContent;
        for (const QString& line : r.lines) {
            const std::string path = hostOf(niv::DupLineToPath(line));
            std::ifstream in(path, std::ios::binary);
            std::string content(std::istreambuf_iterator<char>(in), {});
            if (!group.empty() && content != lastContent) {
                g_ours.insert(group);
                group.clear();
            }
            group.insert(path);
            lastContent = std::move(content);
        }
        if (group.size() > 1) g_ours.insert(group);
        state.counters["groups"] = static_cast<double>(r.groups);
        state.counters["files"] = static_cast<double>(r.files);
    }
}

void runTool(benchmark::State& state, const char* name, const std::string& cmd, const std::string& out) {
    for (auto _ : state) {
        const double s = bench::timeCommand(cmd);
        state.SetIterationTime(s);
        bench::record(name, s);
    }
    checkSame(name, out);
}

void BM_Jdupes(benchmark::State& state) {
    const std::string out = root() + "/jdupes.txt";
    runTool(state, "jdupes", "jdupes -r -q '" + drive() + "' > '" + out + "'", out);
}

void BM_Fdupes(benchmark::State& state) {
    const std::string out = root() + "/fdupes.txt";
    runTool(state, "fdupes", "fdupes -r -q '" + drive() + "' > '" + out + "'", out);
}

void BM_Rmlint(benchmark::State& state) {
    const std::string out = root() + "/rmlint.txt";
    runTool(state, "rmlint",
            "cd '" + root() + "' && rmlint -T df -o fdupes:'" + out + "' '" + drive() + "' >/dev/null 2>&1",
            out);
}

void BM_ThumbnailSearch(benchmark::State& state) {
    bench::Program program(root());
    for (auto _ : state) {
        int found = 0;
        niv::MediaSearchHooks hooks;
        hooks.found = [&](const QString&, std::int64_t, niv::FileId) { ++found; };
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t passedOver =
            niv::SearchMediaFolder(program.ctx, QStringLiteral("c:"), niv::MediaClass::PicCache, hooks);
        const double s = bench::secondsSince(start);
        if (passedOver != 0 || found != kFolders / kThumbsEvery) std::abort();
        state.SetIterationTime(s);
        bench::record("thumbs", s);
    }
}

void BM_FindThumbs(benchmark::State& state) {
    for (auto _ : state) {
        const double s = bench::timeCommand("find '" + drive() + "' -iname thumbs.db > /dev/null");
        state.SetIterationTime(s);
        bench::record("find", s);
    }
}

BENCHMARK(BM_DuplicatePatterns)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jdupes)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fdupes)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rmlint)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailSearch)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindThumbs)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir(QStringLiteral("/var/tmp/nivora-finders-XXXXXX"));
    g_dir = &dir;
    ::mkdir(drive().c_str(), 0755);
    std::printf("building %d files in %d folders and %d large files...\n", kFolders * kFilesPerFolder,
                kFolders, kLargeFiles);
    makeTree();
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("dups", "jdupes");
    bench::printRatio("dups", "fdupes");
    bench::printRatio("dups", "rmlint");
    bench::printRatio("thumbs", "find");
    benchmark::Shutdown();
    return 0;
}
