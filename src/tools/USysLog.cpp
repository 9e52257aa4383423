#include "tools/USysLog.h"

#include "core/AppContext.h"
#include "core/Maker.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/SysInfo.h"
#include "tools/UPerformance.h"
#include "tools/Ustartup.h"

#include <cmath>
#include <limits>

namespace niv {

namespace {

const QString kBlank = QStringLiteral(" ");

QString starRule() {
    return QString(75, u'*');
}

QString operatingSystemLine(std::uint8_t versionClass) {
    static const char* const kNames[] = {
        "Windows 95",   "Windows 98 (Non SE)", "Windows 98 SE", "Windows NT", "Windows ME",
        "Windows 2000", "Windows XP",          "Windows Vista", "Windows 7",  "Windows (Other)"};
    if (versionClass < 1 || versionClass > 10) return QStringLiteral("Operating System: Other.");
    return QStringLiteral("Operating System: You are running ") +
           QString::fromLatin1(kNames[versionClass - 1]);
}

// A memory line: the label padded to 40 characters, so every value starts in column 43.
QString memoryLine(const char* label, const QString& value) {
    return QString::fromLatin1(label).leftJustified(40) + QStringLiteral("= ") + value;
}

void addBlock(QStringList& out, const char* title, const char* note, const QStringList& entries) {
    out << starRule() << QString::fromLatin1(title) << QString::fromLatin1(note) << starRule() << kBlank;
    out << entries << kBlank;
}

} // namespace

std::int32_t GetMemoryMegabytes(const AppContext& ctx, int figure) {
    MemoryStatusEx status;
    if (!ctx.memoryStatus(status)) status = MemoryStatusEx{};
    std::uint64_t count = 0;
    switch (figure) {
    case TotalPhysical:
        count = status.totalPhys;
        break;
    case AvailablePhysical:
        count = status.availPhys;
        break;
    case TotalPageFile:
        count = status.totalPageFile;
        break;
    case AvailablePageFile:
        count = status.availPageFile;
        break;
    case TotalVirtual:
        count = status.totalVirtual;
        break;
    case AvailableVirtual:
        count = status.availVirtual;
        break;
    default:
        return -1;
    }
    // The default rounding mode sends halves to the even neighbour.
    const double megabytes = std::nearbyint(static_cast<double>(count) / 1048576.0);
    return static_cast<std::int32_t>(std::min<double>(megabytes, std::numeric_limits<std::int32_t>::max()));
}

SysLogFacts ReadSysLogFacts(AppContext& ctx) {
    SysLogFacts facts;
    const QDateTime now = ctx.now();
    facts.createdOn = FormatShortDate(ctx.machine, now.date()) + QStringLiteral(" ") +
                      FormatLongTime(ctx.machine, now.time());
    facts.versionClass = ClassifyWindowsVersion(ctx.machine);
    for (int figure = TotalPhysical; figure <= AvailableVirtual; ++figure)
        facts.megabytes[static_cast<std::size_t>(figure - 1)] = GetMemoryMegabytes(ctx, figure);
    return facts;
}

QStringList SysLogLines(const SysLogFacts& facts, const SysLogLists& lists) {
    const QString underscores(83, u'_');
    QStringList out{
        QStringLiteral("Instructions:"),
        QStringLiteral("------------"),
        QStringLiteral("Below is a log of everything running in the background on your PC, along with some"),
        QStringLiteral("other important stats. Email this to support to get a free review done on your PC."),
        kBlank,
        QStringLiteral("Your data below will be reviewed for:"),
        QStringLiteral("  - Spyware, adware, or viruses"),
        QStringLiteral("  - Performance improvements"),
        QStringLiteral("  - Extra programs running in the background"),
        QStringLiteral("  - Suggestions, cleanups, or recommendations will be emailed back to you"),
        QStringLiteral("  - Copy and paste this entire page and email it to ") + supportEmailAddress(),
        kBlank,
        QStringLiteral("Feel free to type any unusual things you see on your PC (if any):"),
        QStringLiteral("(You can explain things like popup windows occurring, unusual websites "),
        QStringLiteral("opening, system running really slow, etc. Please explain in detail if you are"),
        QStringLiteral("going to enter any information here.)"),
        kBlank,
        underscores,
        underscores,
        underscores,
        underscores,
        kBlank,
        starRule(),
        QStringLiteral("* Your Nivora System Log"),
        QStringLiteral("* Created On: ") + facts.createdOn,
        starRule(),
        kBlank,
        operatingSystemLine(facts.versionClass),
        kBlank,
    };
    const auto mb = [&](int figure) { return facts.megabytes[static_cast<std::size_t>(figure - 1)]; };
    const auto percent = [&](int available, int total) {
        return QString::number(availablePercentage(mb(available), mb(total))) + QStringLiteral("%");
    };
    const auto megs = [&](int figure) { return QString::number(mb(figure)) + QStringLiteral("m"); };
    out << memoryLine("Total RAM memory on your system", megs(TotalPhysical))
        << memoryLine("RAM memory currently available", megs(AvailablePhysical))
        << memoryLine("Percentage of RAM memory available", percent(AvailablePhysical, TotalPhysical))
        << kBlank << memoryLine("Maximum storage in swap file", megs(TotalPageFile))
        << memoryLine("Available swap file space", megs(AvailablePageFile))
        << memoryLine("Percentage of swap file available", percent(AvailablePageFile, TotalPageFile))
        << kBlank << memoryLine("Maximum virtual", QString::number(mb(TotalVirtual)))
        << memoryLine("Available virtual", QString::number(mb(AvailableVirtual)))
        << memoryLine("Percentage of virtual memory available", percent(AvailableVirtual, TotalVirtual))
        << kBlank;

    addBlock(out, "* Your system startup programs.", "* (For viewing what runs hidden during bootup)",
             lists.startupLog);
    addBlock(out, "* Your system startup BHO entries.", "* (For viewing what executes within your browser)",
             lists.helperObjects);
    addBlock(out, "* Your browser settings.",
             "* (For viewing your browser is not altered to point at spyware sites)", lists.browserPages);
    addBlock(out, "* Active tasks and processes.",
             "* (For identifying if any bad tasks or processes are currently active)", lists.runningTasks);
    out << starRule() << QStringLiteral("* End of log data.") << starRule() << kBlank;
    return out;
}

bool WriteSysLog(AppContext& ctx, const SysLogFacts& facts, const SysLogLists& lists) {
    const QString& path = ctx.g.SysLogPath;
    const QString text = SysLogLines(facts, lists).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    // The machine's ANSI code page is UTF-8. Written whole or not at all: a failure keeps the last
    // report as it was.
    if (path.isEmpty() || !WriteFileBytes(ctx.machine, path, text.toUtf8())) {
        const int error = path.isEmpty() ? ERROR_PATH_NOT_FOUND : ctx.machine.lastError();
        ctx.dialogs.messageDlg(MsgKind::Error,
                               QStringLiteral("Unable to write to ") + path + QStringLiteral(". ") +
                                   SysErrorMessage(error),
                               MsgButtons::Ok);
        return false;
    }
    if (ShellExecute(ctx.machine, QStringLiteral("open"), path) < 32)
        ctx.dialogs.showMessage(
            QStringLiteral("You cannot view this file so you need to open it manually. Open notepad or "
                           "wordpad, then go open the following report that was created: ") +
            path);
    return true;
}

bool ReviewSysLog(AppContext& ctx) {
    StartupUnit& startup = ctx.unit<StartupUnit>();
    startup.ListRunningTasks.clear();
    Load_Running_Tasks(ctx);
    // The date, version and memory are those of the moment before the scans, as the report states.
    const SysLogFacts facts = ReadSysLogFacts(ctx);
    ScanStartupPoints(ctx);
    ScanBHOs(ctx);
    ListBrowserPages(ctx);
    return WriteSysLog(ctx, facts,
                       {startup.ListLog, startup.ListBHO, startup.ListBrowserIE, startup.ListRunningTasks});
}

} // namespace niv
