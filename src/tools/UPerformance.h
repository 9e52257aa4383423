#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace niv {

struct AppContext;
struct MemoryStatusEx;

// available div (total div 100), truncated; 0 when the total is below 100, where the divisor
// would be zero.
std::int64_t availablePercentage(std::int64_t available, std::int64_t total);

// The performance window's `Label1` to `Label6`: physical memory and page file in bytes, each pair
// with its percentage. The 64-bit counts are shown whole: the 32-bit record would stop at 4 GiB.
constexpr int kPerformanceLabels = 6;
using PerformanceLabelTexts = std::array<QString, kPerformanceLabels>;
PerformanceLabelTexts performanceLabelTexts(const MemoryStatusEx& status);

// The six label texts of the memory status at this moment; zeros when it cannot be had.
PerformanceLabelTexts currentPerformanceTexts(const AppContext& ctx);

// A defragmenter that exists, and the message shown before starting it.
struct Defragmenter {
    QString path;
    QString message;
};

// The first defragmenter present: "dfrg.msc" and "dfrgui.exe" in the system folder, then in the
// Windows folder; "defrag.exe" in the Windows folder, then in the system folder.
std::optional<Defragmenter> FindDefragmenter(AppContext& ctx);

// Shows the first defragmenter's message, then opens it (the shell's answer is not looked at);
// nothing at all when none is present.
void StartDefragmenter(AppContext& ctx);

QString defragExplanation();

} // namespace niv
