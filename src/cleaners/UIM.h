#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace niv {

struct AppContext;

// Each line of the messenger-log list is an 8-character source tag followed by a log's full path.
constexpr int kImTagLength = 8;
// How many user subkeys of one messenger's registry key are read; later ones are not listed.
constexpr int kImSubkeySlots = 300;

// The lines of every messenger's logs, in source order: AIM 6 and MSN Messenger from the current
// user's registry, Yahoo! Messenger and AIM Pro from the folders the drive scan recorded.
QStringList FillInstantMessageList(AppContext& ctx);
// Adds tag + folder + name for every entry the pattern matches in its own folder (hidden and
// system entries too, no subfolders).
void AddImLine(AppContext& ctx, const QString& tag, const QString& pattern, QStringList& lines);
// Adds one line per entry of `folder` (ending in "\") that matches `pattern`.
void ScanImFolder(AppContext& ctx, const QString& folder, const QString& tag, const QString& pattern,
                  QStringList& lines);

// The log path a line holds: its text after the tag.
QString ImLinePath(const QString& line);

// Opens the line's log with its default program; gives the message to show when that is not done.
// Yahoo logs are encrypted and never opened; programs and scripts are refused, never run.
std::optional<QString> ViewImLog(AppContext& ctx, const QString& line);
// Deletes the log outright; false when it could not be deleted.
bool DeleteImLog(AppContext& ctx, const QString& path);

// The texts of the window.
QString NoImLogsText();
QString ImNotDeletedText(const QString& path);

} // namespace niv
