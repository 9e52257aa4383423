// The drive scan over a large tree, against find walking the same tree. Prints each ratio
// (ours / theirs); the goal is 1.2 or less.
#include "app/AppContext.h"
#include "app/Uscandrv.h"
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

constexpr int kFolders = 2000;
constexpr int kFilesPerFolder = 100;

QTemporaryDir* g_dir = nullptr;
std::map<std::string, double> g_best;

std::string root() {
    return g_dir->path().toStdString();
}

std::string tree() {
    return root() + "/drive_c/tree";
}

void record(const std::string& name, double seconds) {
    auto it = g_best.find(name);
    if (it == g_best.end() || seconds < it->second) g_best[name] = seconds;
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
        for (int f = 0; f < kFilesPerFolder; ++f) touch(folder + "/file" + std::to_string(f) + ".tmp");
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

class NoDialogs : public niv::Dialogs {
public:
    int messageDlg(niv::MsgKind, const QString&, niv::MsgButtons) override { return niv::mrOk; }
    bool inputQuery(const QString&, const QString&, QString&) override { return false; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString browseForFolder(const QString&) override { return {}; }
};

class NoModal : public niv::ModalRunner {
public:
    int run(QDialog&, const QString&) override { return niv::mrCancel; }
};

class NoPump : public niv::MessagePump {
public:
    void processMessages() override {}
};

class NoClipboard : public niv::Clipboard {
public:
    bool hasText() const override { return false; }
    QString text() const override { return {}; }
    void clear() override {}
};

double timeCommand(const std::string& cmd) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) std::abort();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_FindPrintf(benchmark::State& state) {
    for (auto _ : state) {
        double s = timeCommand("find '" + tree() + "' -printf ''");
        state.SetIterationTime(s);
        record("find", s);
    }
}

void BM_FindTypeF(benchmark::State& state) {
    for (auto _ : state) {
        double s = timeCommand("find '" + tree() + "' -type f -printf ''");
        state.SetIterationTime(s);
        record("find -type f", s);
    }
}

void BM_ScanFolder(benchmark::State& state) {
    niv::Machine machine(niv::MachineSettings{root(), root() + "/prog", QStringLiteral("bench"), true});
    NoDialogs dialogs;
    NoModal modal;
    NoPump pump;
    NoClipboard clipboard;
    niv::AppContext ctx(machine, dialogs, modal, pump, clipboard);
    ctx.g.ScanLogPath = QStringLiteral("C:\\nvscan7.ini");
    std::int64_t folders = 0;
    const niv::ScanProgress progress = [&](const QString& folder) { folders += folder.isEmpty() ? 0 : 1; };
    for (auto _ : state) {
        folders = 0;
        auto start = std::chrono::steady_clock::now();
        niv::ScanFolder(ctx, QStringLiteral("C:\\tree"), progress);
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (folders < kFolders) std::abort();
        state.SetIterationTime(s);
        record("scan", s);
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
    auto ratio = [](const char* ours, const char* theirs) {
        if (!g_best.count(ours) || !g_best.count(theirs)) return;
        std::printf("%-6s / %-12s = %.2f (best %.3f s vs %.3f s)\n", ours, theirs, g_best[ours] / g_best[theirs],
                    g_best[ours], g_best[theirs]);
    };
    ratio("scan", "find");
    ratio("scan", "find -type f");
    benchmark::Shutdown();
    return 0;
}
