#include "tools/UPerformance.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"

#include <algorithm>
#include <limits>

namespace niv {

std::int64_t availablePercentage(std::int64_t available, std::int64_t total) {
    const std::int64_t hundredth = total / 100;
    return hundredth == 0 ? 0 : available / hundredth;
}

namespace {

// Byte counts beyond the signed range wrap nowhere: no host has that much memory.
std::int64_t bytes(std::uint64_t count) {
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(count, std::numeric_limits<std::int64_t>::max()));
}

QString percentText(std::uint64_t available, std::uint64_t total) {
    return QString::number(availablePercentage(bytes(available), bytes(total))) + QStringLiteral("%");
}

} // namespace

PerformanceLabelTexts performanceLabelTexts(const MemoryStatusEx& s) {
    return {
        QStringLiteral("Total RAM memory on your system = ") + QString::number(s.totalPhys),
        QStringLiteral("RAM memory currently available  = ") + QString::number(s.availPhys),
        QStringLiteral("Percentage of RAM memory available = ") + percentText(s.availPhys, s.totalPhys),
        QStringLiteral("Maximum storage in swap file = ") + QString::number(s.totalPageFile),
        QStringLiteral("Available swap file space = ") + QString::number(s.availPageFile),
        QStringLiteral("Percentage of swap file available  = ") +
            percentText(s.availPageFile, s.totalPageFile),
    };
}

PerformanceLabelTexts currentPerformanceTexts(const AppContext& ctx) {
    MemoryStatusEx status;
    if (!ctx.memoryStatus(status)) status = MemoryStatusEx{};
    return performanceLabelTexts(status);
}

std::optional<Defragmenter> FindDefragmenter(AppContext& ctx) {
    const QString system = GetSystemFolder(ctx.machine);
    const QString windows = GetWindowsFolder(ctx.machine);
    const QString defragButton = QStringLiteral(
        "A window will now open, click the defragment button on the next window to start. Please be "
        "patient as this takes some time to defragment, but this can greatly help your pc performance "
        "if done regularly.");
    const QString okButton = QStringLiteral(
        "A window will now open, click the OK button on the next window to start. Please be patient as "
        "this takes some time to defragment, but this can greatly help your pc performance if done "
        "regularly.");
    const struct {
        const QString& folder;
        const char* name;
        const QString& message;
    } candidates[] = {
        {system, "dfrg.msc", defragButton},   {windows, "dfrg.msc", defragButton},
        {system, "dfrgui.exe", defragButton}, {windows, "dfrgui.exe", defragButton},
        {windows, "defrag.exe", okButton},    {system, "defrag.exe", okButton},
    };
    for (const auto& c : candidates) {
        const QString path = c.folder + QStringLiteral("\\") + QString::fromLatin1(c.name);
        if (FileExists(ctx.machine, path)) return Defragmenter{path, c.message};
    }
    return std::nullopt;
}

void StartDefragmenter(AppContext& ctx) {
    const std::optional<Defragmenter> found = FindDefragmenter(ctx);
    if (!found) return;
    ctx.dialogs.showMessage(found->message);
    ShellExecute(ctx.machine, QStringLiteral("open"), found->path);
}

QString defragExplanation() {
    return QStringLiteral(
        "You should always run the Windows defrag at least every two weeks. The more you use your pc, "
        "the disk data becomes more fragmented, but defrag will help eliminate this and help your "
        "computer perform much better. (In other words, it simply makes your disk data much better "
        "organized so it has faster access). Always run the defrag every two weeks, or if you are a "
        "heavy computer user, run defrag every week as it never hurts to run it often, and this will "
        "greatly improve your pc data access. You may also want to reboot your computer occasionally "
        "if you always leave it on, you should see your available memory totals much higher and you "
        "should see a performance increase after rebooting.");
}

} // namespace niv
