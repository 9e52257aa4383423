#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class QDate;
class QTime;

namespace niv {

class Machine;

// --- version ---

constexpr int VER_PLATFORM_WIN32_WINDOWS = 1; // Windows 95, 98, ME
constexpr int VER_PLATFORM_WIN32_NT = 2;

// What GetVersionEx reports.
struct OsVersionInfo {
    int platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    QString csdVersion; // service-pack text
};

// Fills `info` from the machine's registry. NT: HKLM "Software\Microsoft\Windows NT\CurrentVersion"
// with the DWORDs "CurrentMajorVersionNumber"/"CurrentMinorVersionNumber" when present, else the
// text "CurrentVersion" ("6.1"); "CurrentBuildNumber"; "CSDVersion". Without those, Windows 9x
// when HKLM "Software\Microsoft\Windows\CurrentVersion" has "VersionNumber" ("4.10.2222"), its
// "SubVersionNumber" (" A ") being the service-pack text. False when neither is there.
bool GetVersionEx(Machine& machine, OsVersionInfo& info);

// --- memory ---

// MEMORYSTATUSEX: 64-bit byte counts.
struct MemoryStatusEx {
    std::uint32_t memoryLoad = 0; // percent of physical memory in use
    std::uint64_t totalPhys = 0;
    std::uint64_t availPhys = 0;
    std::uint64_t totalPageFile = 0; // RAM plus swap
    std::uint64_t availPageFile = 0;
    std::uint64_t totalVirtual = 0; // the user address space of a 64-bit process
    std::uint64_t availVirtual = 0;
    std::uint64_t availExtendedVirtual = 0; // always 0
};

// MEMORYSTATUS: the same counts in 32 bits, each clamped at 0xFFFFFFFF as Windows does on a
// computer with more memory than that.
struct MemoryStatus {
    std::uint32_t memoryLoad = 0;
    std::uint32_t totalPhys = 0;
    std::uint32_t availPhys = 0;
    std::uint32_t totalPageFile = 0;
    std::uint32_t availPageFile = 0;
    std::uint32_t totalVirtual = 0;
    std::uint32_t availVirtual = 0;
};

// User address space of a 64-bit process on Windows 8.1 and later: 0x10000 to 0x7FFFFFFEFFFF.
constexpr std::uint64_t kUserAddressSpace = 0x7FFFFFFEFFFFULL + 1 - 0x10000ULL;

// The memory status from the text of /proc/meminfo (MemTotal, MemAvailable or MemFree + Buffers
// + Cached, SwapTotal, SwapFree) and the bytes of address space the process uses. False (and all
// zeros) when MemTotal is missing.
bool memoryStatusFromMeminfo(const QByteArray& meminfo, std::uint64_t usedVirtual, MemoryStatusEx& status);
MemoryStatus clampMemoryStatus(const MemoryStatusEx& status);

// The host's memory status (/proc/meminfo, and VmSize of /proc/self/status).
bool GlobalMemoryStatusEx(MemoryStatusEx& status);
void GlobalMemoryStatus(MemoryStatus& status);

// --- date and time ---

// A date or time written by a Windows format picture (GetDateFormat, GetTimeFormat) with English
// names: d dd ddd dddd, M MM MMM MMMM, y yy yyyy, g; h hh H HH m mm s ss t tt; 'quoted text'.
QString formatDatePicture(const QString& picture, const QDate& date);
QString formatTimePicture(const QString& picture, const QTime& time);

// The user's short date and long time: the pictures "sShortDate" and "sTimeFormat" of HKCU
// "Control Panel\International", or those of English (United States), "M/d/yyyy" and
// "h:mm:ss tt", when a picture is missing or blank.
QString FormatShortDate(Machine& machine, const QDate& date);
QString FormatLongTime(Machine& machine, const QTime& time);

} // namespace niv
