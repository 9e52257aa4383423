// Counting and deleting an Internet Explorer cache of 100,000 files in 100 Content.IE5 folders
// through the unit's path lists, against du and rm on the same files. Prints each ratio (ours /
// theirs); the goal is 1.2 or less. With "Wipe" on, each file is also overwritten and flushed
// before its delete; that is set against shred doing the same (one pass of zeros, then unlink).
//
// IE_BENCH_FILES sets the size of the cache (default 100000, for profiling smaller sets);
// IE_BENCH_WIPE_FILES how many of them the two wipe runs use (default: all).
#include "app/AppContext.h"
#include "cleaners/uie.h"
#include "platform/Machine.h"
#include "platform/widgets/Clipboard.h"
#include "platform/widgets/MessagePump.h"
#include "platform/widgets/ModalRunner.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFolders = 100;
int g_filesPerFolder = 1000;
int g_files = kFolders * g_filesPerFolder;

struct NoDialogs : niv::Dialogs {
    int messageDlg(niv::MsgKind, const QString&, niv::MsgButtons) override { std::abort(); }
    bool inputQuery(const QString&, const QString&, QString&) override { return false; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&) override { return {}; }
};
struct NoModal : niv::ModalRunner {
    int run(QDialog&, const QString&) override { return niv::mrOk; }
};
struct NoPump : niv::MessagePump {
    void processMessages() override {}
};
struct NoClipboard : niv::Clipboard {
    bool hasText() const override { return false; }
    QString text() const override { return {}; }
    void clear() override {}
};

QTemporaryDir* g_dir = nullptr;
std::int64_t g_bytes = 0;
std::map<std::string, double> g_best;

std::string root() {
    return g_dir->path().toStdString();
}
std::string cacheFolder() {
    return root() + "/drive_c/users/bench/AppData/Local/Microsoft/Windows/Temporary Internet Files/Content.IE5";
}

void record(const std::string& name, double seconds) {
    auto it = g_best.find(name);
    if (it == g_best.end() || seconds < it->second) g_best[name] = seconds;
}

void run(const std::string& cmd) {
    if (std::system(cmd.c_str()) != 0) std::abort();
}

double timeCommand(const std::string& cmd) {
    auto start = std::chrono::steady_clock::now();
    run(cmd);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A fresh cache of `files` files (the first ones of the full layout), flushed to disk.
void makeCache(int files = g_files) {
    run("rm -rf '" + cacheFolder() + "' && mkdir -p '" + cacheFolder() + "'");
    static const char buf[4096] = {};
    std::int64_t bytes = 0;
    for (int d = 0; d < kFolders; ++d) {
        char name[16];
        std::snprintf(name, sizeof name, "/Q%02dW3E4R", d);
        const std::string folder = cacheFolder() + name;
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < g_filesPerFolder && d * g_filesPerFolder + f < files; ++f) {
            const std::string file = folder + "/page" + std::to_string(f) + "[1].htm";
            int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) std::abort();
            const auto size = static_cast<size_t>((d * 7 + f * 13) % 4096);
            if (::write(fd, buf, size) != static_cast<ssize_t>(size)) std::abort();
            ::close(fd);
            bytes += static_cast<std::int64_t>(size);
        }
    }
    if (files == g_files) g_bytes = bytes;
    ::sync();
}

struct Program {
    niv::Machine machine{niv::MachineSettings{root(), root() + "/prog", QStringLiteral("bench"), true}};
    NoDialogs dialogs;
    NoModal modal;
    NoPump pump;
    NoClipboard clipboard;
    niv::AppContext ctx{machine, dialogs, modal, pump, clipboard};
};

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DuSb(benchmark::State& state) {
    for (auto _ : state) {
        const double s = timeCommand("du -sb '" + cacheFolder() + "' > /dev/null");
        state.SetIterationTime(s);
        record("du", s);
    }
}

// The whole start-up discovery and count.
void BM_IeCount(benchmark::State& state) {
    for (auto _ : state) {
        Program p;
        const auto start = std::chrono::steady_clock::now();
        niv::TFrmie frm(p.ctx);
        const double s = seconds(start);
        if (p.ctx.ie.Cache.FoundFiles != g_files || p.ctx.ie.Cache.FoundBytes != g_bytes) std::abort();
        state.SetIterationTime(s);
        record("count", s);
    }
}

void BM_RmRf(benchmark::State& state) {
    for (auto _ : state) {
        makeCache();
        const double s = timeCommand("rm -rf '" + cacheFolder() + "'");
        state.SetIterationTime(s);
        record("rm", s);
    }
    makeCache();
}

void cleanWith(benchmark::State& state, bool wipe, int files, const char* name) {
    for (auto _ : state) {
        makeCache(files);
        Program p;
        niv::TFrmie frm(p.ctx); // the path lists
        p.ctx.g.Wipe = wipe;
        const auto start = std::chrono::steady_clock::now();
        niv::DeleteIECache(p.ctx);
        const double s = seconds(start);
        if (p.ctx.ie.DeletedFiles != files) std::abort();
        state.SetIterationTime(s);
        record(name, s);
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
        const double s =
            timeCommand("find '" + cacheFolder() + "' -type f -exec shred -n 0 -z -u --remove=unlink {} +");
        state.SetIterationTime(s);
        record("shred", s);
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
    auto ratio = [](const char* ours, const char* theirs) {
        if (!g_best.count(ours) || !g_best.count(theirs)) return;
        std::printf("%-12s / %-6s = %.2f (best %.3f s vs %.3f s)\n", ours, theirs, g_best[ours] / g_best[theirs],
                    g_best[ours], g_best[theirs]);
    };
    std::printf("Wipe off:\n");
    ratio("count", "du");
    ratio("delete", "rm");
    std::printf("Wipe on (%d files):\n", wipeFiles());
    ratio("delete+wipe", "shred");
    if (wipeFiles() == g_files) ratio("delete+wipe", "rm");
    benchmark::Shutdown();
    return 0;
}
