#pragma once

#include "core/Uglobalvars.h"

#include <QString>
#include <QStringList>

namespace niv {

struct AppContext;

constexpr int kAolTrackFileSlots = 50;
// Past this many lines a track file's addresses are no longer read.
constexpr int kAolListLimit = 1500;

// The AOL unit's state, reached as ctx.unit<AolUnit>(): the track files found at start-up, filled
// from slot 1 without gaps.
struct AolUnit {
    PathList AolTrackFiles{kAolTrackFileSlots};
};

// Finds the track files of every AOL folder the drive scan recorded (scan-log section "AL13").
void LoadAolTrackFiles(AppContext& ctx);
// Appends the ".arl" files of one folder (ending in "\") to the free slots; a full list stops it.
void FindAolTrackFiles(AppContext& ctx, const QString& folder);
// Reads the first line of each track file and appends its addresses to `lines`. A file that cannot
// be read ends the reading with PlatformError "Cannot open file "<path>". <why>"; the lines read
// so far stay.
void ReadAolTrackFiles(AppContext& ctx, QStringList& lines);
// The addresses of one line: each "http://" entry, left to right, then each "AOL:" entry, as the
// 70 characters from its start followed by "...".
QStringList AolAddressesOf(const QString& line);
// Deletes every track file found, outright; a failed delete is ignored.
void DeleteAolTrackFiles(AppContext& ctx);
// The count label of a list of `lines` lines: "Count = 0" below two lines.
QString AolCountText(int lines);

} // namespace niv
