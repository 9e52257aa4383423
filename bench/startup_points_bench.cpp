// The start-up points scan over a machine with 10,000 services and 1,000 Run values, the hives
// already loaded as at program start; against grep reading the same hive file for its ImagePath
// lines. The goal is under 100 ms.
#include "BenchServices.h"
#include "BenchTimes.h"
#include "platform/Registry.h"
#include "tools/Ustartup.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kServices = 10000;
constexpr int kRunValues = 1000;

QTemporaryDir* g_dir = nullptr;

std::string root() {
    return g_dir->path().toStdString();
}

// system.reg and user.reg in Wine's format; half the Run values in each hive.
void makeHives() {
    std::ofstream system(root() + "/system.reg");
    system << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    for (int i = 0; i < kServices; ++i)
        system << "[System\\\\CurrentControlSet\\\\Services\\\\svc" << i << "] 1000000000\n"
               << "\"ImagePath\"=str(2):\"%SystemRoot%\\\\system32\\\\drivers\\\\svc" << i << ".sys\"\n"
               << "\"Start\"=dword:00000003\n\n";
    std::ofstream user(root() + "/user.reg");
    user << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n";
    for (std::ofstream* hive : {&system, &user}) {
        *hive << "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run] 1000000000\n";
        for (int i = 0; i < kRunValues / 2; ++i)
            *hive << "\"app" << i << "\"=\"C:\\\\Program Files\\\\App" << i << "\\\\app.exe /background\"\n";
        *hive << "\n";
    }
    if (!system || !user) std::abort();
}

void BM_GrepImagePath(benchmark::State& state) {
    for (auto _ : state) {
        const double s = bench::timeCommand("grep -c ImagePath '" + root() + "/system.reg' >/dev/null");
        state.SetIterationTime(s);
        bench::record("grep", s);
    }
}

void BM_ScanStartupPoints(benchmark::State& state) {
    bench::Program program(root());
    niv::AppContext& ctx = program.ctx;
    ctx.g.WindowsFolder = QStringLiteral("C:\\windows");
    program.machine.registry().loadAll();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        niv::ScanStartupPoints(ctx);
        const double s = bench::secondsSince(start);
        const niv::StartupUnit& u = ctx.unit<niv::StartupUnit>();
        if (u.ListServices.size() != kServices || u.ListStartup.size() != kRunValues) std::abort();
        state.SetIterationTime(s);
        bench::record("scan", s);
    }
}

BENCHMARK(BM_GrepImagePath)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanStartupPoints)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    ::mkdir((root() + "/drive_c").c_str(), 0755);
    ::mkdir((root() + "/drive_c/windows").c_str(), 0755);
    makeHives();
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("scan", "grep");
    benchmark::Shutdown();
    return 0;
}
