#pragma once

#include "platform/Walk.h"
#include "platform/WinTypes.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace niv {

struct AppContext;

// One line of the duplicate list: the file name, the marker "   Path:", then the folder without a
// closing separator.
QString DupLine(const QString& folder, const QString& name);
// The path of a list line: the folder part, "\", the name part, trimmed at both ends as a whole.
QString DupLineToPath(const QString& line);

// The three time labels of a file, texts included.
struct DupTimeLabels {
    QString created, written, accessed;
};
// For a found file, sets the labels and gives its size; -1 when it cannot be found, the labels
// left as they were.
std::int64_t ShowDupFileTimes(AppContext& ctx, const QString& path, DupTimeLabels& labels);
// "Byte Size: " and the size; blank for -1.
QString DupSizeText(std::int64_t size);

// --- the two scans ---

// Progress texts for the window's two spare labels while a scan runs.
using DupProgress = std::function<void(const QString& label3, const QString& label4)>;

struct DupScanControl {
    DupProgress progress;
    const std::atomic<bool>* stop = nullptr; // set to end the scan early
};

// What a scan saw of a listed file: which file it was, its size and its last-write time.
struct DupSeen {
    FileId id;
    std::int64_t size = 0;
    FileTime lastWrite = 0;
};

struct DupScanResult {
    QStringList lines;         // the list's lines, each group of duplicates together
    std::vector<DupSeen> seen; // what the scan saw of each line's file, line by line
    bool stopped = false;      // ended early: `lines` is empty
    std::int64_t files = 0;
    std::int64_t groups = 0;
};

// Both scans walk the drive (a letter) without entering links or other file systems, look at
// regular files only, and skip the recycle bin. Two names of one file (hard links, a folder mounted
// twice) are never a pair: the file is listed once at most. Window messages go through meanwhile.
// Folders the host has no handle left to open are passed over and counted in a message
// (DupPassedOverText) once the walk ends.
//
// Files whose names are equal but for case.
DupScanResult ScanDuplicateNames(AppContext& ctx, QChar drive, const DupScanControl& control);
// Files of equal content: equal size, then an equal quick hash of the first 4 KiB, then an equal
// strong hash of all the open file holds. Empty files are left out, and so is a file whose size or
// last-write time changed since the walk listed it.
DupScanResult ScanDuplicatePatterns(AppContext& ctx, QChar drive, const DupScanControl& control);

// --- the list's buttons ---

QString DupPassedOverText(std::int64_t folders);
QString DupEmptyDeleteText();
QString DupEmptyViewText();
QString DupFileNotFoundText();
QString DupNoViewerText();
QString DupRecycleRefusedText(const QString& path);
QString DupChangedText();

enum class DupAction {
    Done,     // recycled or shown
    NotFound, // the file is gone
    Changed,  // another file, or the file changed, since the scan saw it: left as it is
    Refused,  // the bin refused it, or nothing could show it
};
// Recycles the file of a line without asking, when it is still the file the scan saw, unchanged: a
// copy rewritten since may no longer be a copy.
DupAction RecycleDupLine(AppContext& ctx, const QString& line, const DupSeen& seen);
// Opens the file of a line with its default program; runnable types are refused.
DupAction ViewDupLine(AppContext& ctx, const QString& line);

} // namespace niv
