#include "app/ufirst.h"

#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"

namespace niv {

namespace {

constexpr const char* kCategoryNames[CategoryCount] = {
    "IECache",  "IECookies", "IEHistory", "NSCache", "NSCookies", "NSHistory",
    "GCache",   "GCookies",  "GHistory",  "Otherc",  "Tempc",     "Recentc",
    "Recyclec", "Otherj",    "Mediac",    "ActiveX", "Urls",      "YourOwn"};

// A boolean setting: true when present as a non-zero DWORD. A value of another type is treated
// as missing, so it is rewritten with its default.
bool readFlag(TRegistry& reg, const QString& name, bool& value) {
    if (!reg.ValueExists(name) || reg.GetDataType(name) != REG_DWORD) return false;
    try {
        value = reg.ReadBool(name);
        return true;
    } catch (const PlatformError&) {
        return false;
    }
}

} // namespace

QString categoryValueName(Category category) {
    return QString::fromLatin1(kCategoryNames[category]);
}

void LoadSettings(AppContext& ctx) {
    SettingsCopy& s = ctx.settings;
    s.Confirms = true;
    s.VistaMsg = true;
    ctx.g.Wipe = false;
    ctx.g.Tempall = false;
    for (int c = CatIECache; c <= CatUrls; ++c)
        s.categories[c] = true;
    s.Lockedj = false;
    ctx.g.SkinName = QStringLiteral("skinsunset");

    TRegistry reg(ctx.machine);
    try {
        if (!reg.OpenKey(settingsKeyPath(), true)) return;

        const QString skin = QStringLiteral("Skin");
        if (reg.ValueExists(skin) &&
            (reg.GetDataType(skin) == REG_SZ || reg.GetDataType(skin) == REG_EXPAND_SZ))
            ctx.g.SkinName = reg.ReadString(skin);
        else
            reg.WriteString(skin, QStringLiteral("skinsunset"));

        // Each value in the order start-up reads it, with the default written when it is missing.
        struct Flag {
            const char* name;
            bool* memory;
            bool written;
        };
        const Flag flags[] = {
            {"Confirms", &s.Confirms, true},
            {"Wipe", &ctx.g.Wipe, true},
            {"Tempall", &ctx.g.Tempall, false},
            {"IECache", &s.categories[CatIECache], true},
            {"IECookies", &s.categories[CatIECookies], true},
            {"IEHistory", &s.categories[CatIEHistory], true},
            {"NSCache", &s.categories[CatNSCache], true},
            {"NSCookies", &s.categories[CatNSCookies], true},
            {"NSHistory", &s.categories[CatNSHistory], true},
            {"GCache", &s.categories[CatGCache], true},
            {"GCookies", &s.categories[CatGCookies], true},
            {"GHistory", &s.categories[CatGHistory], true},
            {"Otherc", &s.categories[CatOtherc], true},
            {"Tempc", &s.categories[CatTempc], true},
            {"Recentc", &s.categories[CatRecentc], true},
            {"Recyclec", &s.categories[CatRecyclec], true},
            {"Otherj", &s.categories[CatOtherj], true},
            {"Mediac", &s.categories[CatMediac], true},
            {"ActiveX", &s.categories[CatActiveX], true},
            {"Urls", &s.categories[CatUrls], true},
            {"YourOwn", &s.categories[CatYourOwn], true},
            {"VistaMsg", &s.VistaMsg, true},
            {"Lockedj", &s.Lockedj, false},
        };
        for (const Flag& f : flags) {
            const QString name = QString::fromLatin1(f.name);
            if (!readFlag(reg, name, *f.memory)) reg.WriteBool(name, f.written);
        }
    } catch (const PlatformError&) {
        // A registry that cannot be written leaves the defaults in memory for this run.
    }
    reg.CloseKey();
}

void SaveCleanupAllSelections(AppContext& ctx, const std::array<bool, CategoryCount>& boxes) {
    static constexpr Category order[] = {CatIECache,   CatIECookies, CatIEHistory, CatNSCache,  CatNSCookies,
                                         CatNSHistory, CatGCache,    CatGCookies,  CatGHistory, CatOtherc,
                                         CatRecentc,   CatTempc,     CatRecyclec,  CatOtherj,   CatMediac,
                                         CatActiveX,   CatUrls,      CatYourOwn};
    TRegistry reg(ctx.machine);
    try {
        if (!reg.OpenKey(settingsKeyPath(), true)) return;
        for (Category c : order)
            reg.WriteBool(categoryValueName(c), boxes[c]);
    } catch (const PlatformError&) {
        // Nothing written and no message, as for a key that cannot be opened.
    }
}

void ClassifySystem(AppContext& ctx) {
    ctx.g.WindowsFolder = GetWindowsFolder(ctx.machine);
    ctx.g.ExeFolder = exeFolderPath();
    ctx.g.IsWindowsXP = false;
    ctx.WindowsVersionClass = ClassifyWindowsVersion(ctx.machine);
    if (ctx.WindowsVersionClass == 7)
        ctx.g.IsWindowsXP = true;
    else if (ctx.WindowsVersionClass == 9)
        ctx.g.IsWindows7 = true;
    ctx.g.AutoCleanMode = false;
}

void ComputeFolders(AppContext& ctx) {
    GlobalVars& g = ctx.g;
    const QString appData = SHGetSpecialFolderPath(ctx.machine, CSIDL_APPDATA);
    g.DataFolder = appData + QStringLiteral("\\Nivfold");
    g.FlashCookieFolder = appData + QStringLiteral("\\Macromedia\\Flash Player\\#SharedObjects");
    g.ChromeProfileFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_LOCAL_APPDATA) +
                            QStringLiteral("\\Google\\Chrome\\User Data\\Default");
    g.ChromeCacheFolder = g.ChromeProfileFolder + QStringLiteral("\\Cache");
    g.PicturesFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_MYPICTURES);
    g.VideosFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_MYVIDEO);
    // The videos folder's last six characters give way to "Downloads".
    g.DownloadsFolder = g.VideosFolder.trimmed().isEmpty()
                            ? QString()
                            : g.VideosFolder.left(std::max<qsizetype>(0, g.VideosFolder.size() - 6)) +
                                  QStringLiteral("Downloads");
    g.DocumentsFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_PERSONAL);
    g.RecentFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_RECENT);

    g.SysLogPath = g.DataFolder + QStringLiteral("\\SysLog.txt");
    g.ScanLogPath = g.DataFolder + QStringLiteral("\\nvscan7.ini");
    g.OwnListPath = g.DataFolder + QStringLiteral("\\nvscanyo.ini");
    g.LockedBatchPath = g.DataFolder + QStringLiteral("\\compind.bat");
    g.TaskBatchPath = g.DataFolder + QStringLiteral("\\nivwipe-task.bat");
    g.TaskListPath = g.DataFolder + QStringLiteral("\\taskl.txt");
}

bool CreateDataFolder(AppContext& ctx) {
    if (DirectoryExists(ctx.machine, ctx.g.DataFolder)) return true;
    return CreateDir(ctx.machine, ctx.g.DataFolder);
}

void WriteTaskListBatch(AppContext& ctx, const QString& batchPath) {
    DeleteFile(ctx.machine, ctx.g.TaskListPath);
    const QString text =
        QStringLiteral("tasklist >> \"") + ctx.g.TaskListPath + QStringLiteral("\"\r\nExit\r\n");
    WriteFileBytes(ctx.machine, batchPath, text.toUtf8());
}

void StartTaskListBatch(AppContext& ctx) {
    WriteTaskListBatch(ctx, ctx.g.TaskBatchPath);
    if (FileExists(ctx.machine, ctx.g.TaskBatchPath))
        ShellExecute(ctx.machine, QStringLiteral("open"), ctx.g.TaskBatchPath);
}

QString skinFileOf(const AppContext& ctx) {
    return includeTrailingBackslash(ctx.g.ExeFolder) + ctx.g.SkinName + QStringLiteral(".jpg");
}

bool noticeDue(const AppContext& ctx) {
    return ctx.WindowsVersionClass >= 8 && ctx.WindowsVersionClass <= 10 && ctx.settings.VistaMsg;
}

} // namespace niv
