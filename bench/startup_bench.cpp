// Start-up from program entry to the main window shown, on a machine with the fresh-machine
// contents. The splash and the notice are answered at once: their own display time (about half a
// second of letters) is by design and not measured.
#include "BenchServices.h"
#include "app/forms/TFrminit.h"
#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/MachineSetup.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_StartupToMainWindowShown(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/machine";
    const std::string program = QCoreApplication::applicationDirPath().toStdString();
    {
        niv::Machine fresh(niv::MachineSettings{root, program, QStringLiteral("bench"), true});
        if (!niv::createFreshMachine(fresh)) std::abort();
    }
    bench::QuietDialogs dialogs;
    bench::CloseAtOnce modal;
    bench::NoPump pump;
    bench::NoClipboard clipboard;
    for (auto _ : state) {
        niv::Machine machine(niv::MachineSettings{root, program, QStringLiteral("bench"), true});
        machine.registry().loadAll();
        niv::AppContext context(machine, dialogs, modal, pump, clipboard);
        niv::TFrminit window(context);
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_StartupToMainWindowShown)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
