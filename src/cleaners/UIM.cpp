#include "cleaners/UIM.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

namespace niv {

namespace {

// One messenger whose users are subkeys of a current-user key, each naming its log folder.
struct RegistrySource {
    const char* tag;
    const char* usersKey;
    const char* pathValue;
    const char* pattern; // behind the folder
};

constexpr RegistrySource kRegistrySources[] = {
    {"AIM6   :", "Software\\America Online\\AIM6\\Users",
     "aol.aimcc.plugin.{61693132-6952-447a-5233-3543796c5a6e}.prefs.logfilepath", "\\*.html"},
    {"MSN    :", "Software\\Microsoft\\MSNMessenger\\PerPassportSettings", "MessageLogPath", "\\*.xml"},
};

// One messenger whose log folders the drive scan recorded in a scan-log section.
struct ScanLogSource {
    const char* tag;
    const char* section;
    const char* pattern; // behind the folder, which ends in "\"
};

constexpr ScanLogSource kScanLogSources[] = {
    {"YAHOO  :", "YH25", "*.DAT"},
    {"AIMPRO :", "APRO25", "*.HTM"},
};

constexpr int kScanLogFolders = 25;

void addRegistrySource(AppContext& ctx, const RegistrySource& source, QStringList& lines) {
    const QString usersKey = QString::fromLatin1(source.usersKey);
    TRegistry reg(ctx.machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKey(usersKey, false)) return;
    const QStringList names = reg.GetKeyNames().mid(0, kImSubkeySlots);
    reg.CloseKey();
    for (const QString& name : names) {
        if (!reg.OpenKey(usersKey + u'\\' + name, false)) continue;
        QString folder;
        // A value of another type names no folder; the other users are still listed.
        try {
            folder = reg.ReadString(QString::fromLatin1(source.pathValue));
        } catch (const std::exception&) {
        }
        if (!folder.isEmpty())
            AddImLine(ctx, QString::fromLatin1(source.tag), folder + QString::fromLatin1(source.pattern),
                      lines);
        reg.CloseKey();
    }
}

void addScanLogSource(AppContext& ctx, const ScanLogSource& source, QStringList& lines) {
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kScanLogFolders; ++i) {
        const QString folder = trimControls(
            ini.ReadString(QString::fromLatin1(source.section), QStringLiteral("P%1").arg(i), QString()));
        if (folder.isEmpty()) break;
        ScanImFolder(ctx, folder, QString::fromLatin1(source.tag), QString::fromLatin1(source.pattern),
                     lines);
    }
}

} // namespace

QStringList FillInstantMessageList(AppContext& ctx) {
    QStringList lines;
    for (const RegistrySource& source : kRegistrySources)
        addRegistrySource(ctx, source, lines);
    for (const ScanLogSource& source : kScanLogSources)
        addScanLogSource(ctx, source, lines);
    return lines;
}

// Every entry of the pattern's own folder that its name mask matches, hidden and system ones and
// folders included, in the search's order; the folder is listed once however many match.
void AddImLine(AppContext& ctx, const QString& tag, const QString& pattern, QStringList& lines) {
    const QString folder = extractFilePath(pattern);
    WalkOptions options;
    options.sorted = true;
    // A folder that cannot be searched adds no line.
    static_cast<void>(walkMask(ctx.machine, pattern, options, [&](WalkEntry& e) {
        lines.append(tag + folder + e.name());
        return WalkStep::Continue;
    }));
}

void ScanImFolder(AppContext& ctx, const QString& folder, const QString& tag, const QString& pattern,
                  QStringList& lines) {
    AddImLine(ctx, tag, folder + pattern, lines);
}

QString ImLinePath(const QString& line) {
    return line.mid(kImTagLength);
}

std::optional<QString> ViewImLog(AppContext& ctx, const QString& line) {
    const QString path = ImLinePath(line);
    if (winUpper(extractFileExt(path)) == u".DAT")
        return QStringLiteral(
            "This Yahoo IM appears to be unreadable, but it does contain your instant message logs "
            "from Yahoo IM. In order to read this instant message log, you would need to get a Yahoo "
            "instant message reader off the internet as this file has encrypted data. You can however "
            "still delete this IM log file using the buttons below.");
    // A log folder can hold anything; viewing must never start a program.
    if (opensByRunning(ctx.machine, path, Spelling::Exact) ||
        ShellExecute(ctx.machine, QStringLiteral("open"), path, {}, {}, Spelling::Exact) < 32)
        return QStringLiteral(
            "An error occurred trying to open this log for viewing. You can view this log manually by "
            "just going to the folder and opening the log file.");
    return std::nullopt;
}

bool DeleteImLog(AppContext& ctx, const QString& path) {
    return DeleteFile(ctx.machine, path, Spelling::Exact);
}

QString NoImLogsText() {
    return QStringLiteral("There are no instant messages or old instant messages found in your list.");
}

QString ImNotDeletedText(const QString& path) {
    return QStringLiteral("Instant Message ") + path + QStringLiteral(" could not be deleted. ") +
           QStringLiteral("Make sure you have access to your hard drive as it appears ") +
           QStringLiteral("that you may not have access or authority to delete this on your system.");
}

} // namespace niv
