#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace niv {

struct AppContext;

// Selectors of GetMemoryMegabytes.
enum MemoryFigure : int {
    TotalPhysical = 1,
    AvailablePhysical,
    TotalPageFile,
    AvailablePageFile,
    TotalVirtual,
    AvailableVirtual,
};

// One figure of the memory status in megabytes, rounded to the nearest (halves to even); 0 when
// the status cannot be had, -1 for an unknown selector.
std::int32_t GetMemoryMegabytes(const AppContext& ctx, int figure);

// What the report states about the machine, read before the start-up scans run.
struct SysLogFacts {
    QString createdOn; // the user's short date, a blank and the long time
    std::uint8_t versionClass = 0;
    std::array<std::int32_t, 6> megabytes{}; // selectors 1 to 6
};

// The lists the report copies, each line unchanged: the start-up log, the browser helper objects,
// the browser settings and the running tasks, as the start-up scans left them.
struct SysLogLists {
    QStringList startupLog;
    QStringList helperObjects;
    QStringList browserPages;
    QStringList runningTasks;
};

// The date and time from the context's clock, the version class and the six memory figures.
SysLogFacts ReadSysLogFacts(AppContext& ctx);

// The report's lines, without line ends.
QStringList SysLogLines(const SysLogFacts& facts, const SysLogLists& lists);

// Writes the report to `SysLogPath` in one piece and opens it. When it cannot be written the
// error box says so and nothing is opened (false); when nothing opens it, the user is told where
// it is (true: the report is there).
bool WriteSysLog(AppContext& ctx, const SysLogFacts& facts, const SysLogLists& lists);

// The "Review Spyware" road: reload the running tasks, read the facts, run the start-up,
// helper-object and browser-page scans, then write and open the report with their lists.
bool ReviewSysLog(AppContext& ctx);

} // namespace niv
