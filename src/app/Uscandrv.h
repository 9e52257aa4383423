#pragma once

#include <QString>

#include <functional>

namespace niv {

struct AppContext;

// Receives the folder the drive scan is walking ("" when a listing ends); the drive-scan window
// shows it in `Lblfiles`.
using ScanProgress = std::function<void(const QString&)>;

// Writes the blank scan log (`ctx.g.ScanLogPath`) when the file does not exist, key by key:
// P1..P25 of K17, L44, H53, HI24, MM20 and AL13 (the six sections in turn for each number), then
// P1..P400 of P45, then CKK1..CKK200 of UCKK5, all empty. An existing file is left unchanged.
// A refused write raises PlatformError and ends the skeleton; what was written stays.
void WriteScanLogSkeleton(AppContext& ctx);

// Records one path in the scan-log section named by `code`:
// - "FFCK", "FFFH", "FFPL", "FFPL2", "FFPL3": key P0 of the section of that name, overwritten;
// - "I", "M", "A", "Y", "R", "K", "H", "L": the 25-slot lists HI24, MM20, AL13, YH25, APRO25, K17,
//   H53 and L44. The path goes into the first free slot unless an equal one (upper-cased, trimmed)
//   comes first; a full list drops it after the K47 box.
// Any other code records nothing. A refused write raises PlatformError.
void AddScanLogEntry(AppContext& ctx, const QString& value, const QString& code);

// Records a Firefox cache folder in the 400-slot list P45, as above; a full list shows the E147 box.
void AddScanCacheDir(AppContext& ctx, const QString& value);

// Walks `folder` (no trailing "\"; a drive root as "C:") and every folder below it, never entering
// links, and records what the matching rules find. Folders that cannot be entered are skipped;
// those the host had no handle left for are counted in a message once the walk ends.
// `progress` gets the folder being walked. A refused scan-log write raises PlatformError and ends
// the walk.
void ScanFolder(AppContext& ctx, const QString& folder, const ScanProgress& progress = {});

} // namespace niv
