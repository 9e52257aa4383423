// The messenger list over 50,000 Yahoo logs in one archive folder, against `find -name` on the same
// folder. Prints the best time and the ratio (ours / theirs); the goal is under 2 s.
#include "BenchServices.h"
#include "BenchTimes.h"
#include "cleaners/UIM.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

constexpr int kLogs = 50000;

QTemporaryDir* g_dir = nullptr;

std::string archive() {
    return g_dir->path().toStdString() + "/drive_c/Yahoo/Profiles/user/Archive";
}

void makeLogs() {
    bench::run("mkdir -p '" + archive() + "'");
    for (int i = 0; i < kLogs; ++i) {
        const std::string file = archive() + "/" + std::to_string(20000000 + i) + "-user.dat";
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) std::abort();
        ::close(fd);
    }
    const std::string log = g_dir->path().toStdString() + "/drive_c/nvscan7.ini";
    const std::string text = "[YH25]\r\nP1=C:\\Yahoo\\Profiles\\user\\Archive\\\r\n";
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    ::close(fd);
}

void BM_Find(benchmark::State& state) {
    for (auto _ : state) {
        const double s =
            bench::timeCommand("find '" + archive() + "' -maxdepth 1 -iname '*.dat' > /dev/null");
        state.SetIterationTime(s);
        bench::record("find", s);
    }
}

void BM_MessengerList(benchmark::State& state) {
    for (auto _ : state) {
        bench::Program p(g_dir->path().toStdString());
        p.ctx.g.ScanLogPath = QStringLiteral("C:\\nvscan7.ini");
        const auto start = std::chrono::steady_clock::now();
        const QStringList lines = niv::FillInstantMessageList(p.ctx);
        const double s = bench::secondsSince(start);
        if (lines.size() != kLogs) std::abort();
        state.SetIterationTime(s);
        bench::record("messenger", s);
    }
}

BENCHMARK(BM_Find)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MessengerList)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    std::printf("building %d Yahoo logs in one folder...\n", kLogs);
    makeLogs();
    benchmark::RunSpecifiedBenchmarks();
    bench::printRatio("messenger", "find");
    benchmark::Shutdown();
    return 0;
}
