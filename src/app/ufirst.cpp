#include "app/ufirst.h"

#include "app/Uskins.h"

#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"

namespace niv {

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
    // Without an application-data folder there is no data folder and no Flash location, rather
    // than folders and files at the root of the drive.
    const bool hasAppData = !trimControls(appData).isEmpty();
    g.DataFolder = hasAppData ? appData + QStringLiteral("\\Nivfold") : QString();
    g.FlashCookieFolder =
        hasAppData ? appData + QStringLiteral("\\Macromedia\\Flash Player\\#SharedObjects") : QString();
    // Without a local application-data folder there is no Chrome profile, rather than one at the
    // root of the drive.
    const QString localAppData = SHGetSpecialFolderPath(ctx.machine, CSIDL_LOCAL_APPDATA);
    if (!trimControls(localAppData).isEmpty()) {
        g.ChromeProfileFolder = localAppData + QStringLiteral("\\Google\\Chrome\\User Data\\Default");
        g.ChromeCacheFolder = g.ChromeProfileFolder + QStringLiteral("\\Cache");
    }
    g.PicturesFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_MYPICTURES);
    g.VideosFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_MYVIDEO);
    // The videos folder's last six characters give way to "Downloads".
    g.DownloadsFolder = trimControls(g.VideosFolder).isEmpty()
                            ? QString()
                            : g.VideosFolder.left(std::max<qsizetype>(0, g.VideosFolder.size() - 6)) +
                                  QStringLiteral("Downloads");
    g.DocumentsFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_PERSONAL);
    g.RecentFolder = SHGetSpecialFolderPath(ctx.machine, CSIDL_RECENT);

    const auto inDataFolder = [&g](const char* name) {
        return g.DataFolder.isEmpty() ? QString() : g.DataFolder + u'\\' + QLatin1String(name);
    };
    g.SysLogPath = inDataFolder("SysLog.txt");
    g.ScanLogPath = inDataFolder("nvscan7.ini");
    g.OwnListPath = inDataFolder("nvscanyo.ini");
    g.LockedBatchPath = inDataFolder("compind.bat");
    g.TaskBatchPath = inDataFolder("nivwipe-task.bat");
    g.TaskListPath = inDataFolder("taskl.txt");
}

bool CreateDataFolder(AppContext& ctx) {
    if (ctx.g.DataFolder.isEmpty()) return false;
    if (DirectoryExists(ctx.machine, ctx.g.DataFolder)) return true;
    return CreateDir(ctx.machine, ctx.g.DataFolder);
}

QString NoDataFolderText() {
    return QStringLiteral(
        "Windows gives this user no application data folder, so Nivora has no folder for its scan log, "
        "your own cleanup list and its batch files. Nothing of these will be kept; set the user's "
        "\"AppData\" folder and run this program again.");
}

void WriteTaskListBatch(AppContext& ctx, const QString& batchPath) {
    DeleteFile(ctx.machine, ctx.g.TaskListPath);
    const QString text =
        QStringLiteral("tasklist >> \"") + ctx.g.TaskListPath + QStringLiteral("\"\r\nExit\r\n");
    WriteFileBytes(ctx.machine, batchPath, text.toUtf8());
}

void StartTaskListBatch(AppContext& ctx) {
    if (ctx.g.TaskBatchPath.isEmpty()) return;
    WriteTaskListBatch(ctx, ctx.g.TaskBatchPath);
    if (FileExists(ctx.machine, ctx.g.TaskBatchPath))
        ShellExecute(ctx.machine, QStringLiteral("open"), ctx.g.TaskBatchPath);
}

QString skinFileOf(const AppContext& ctx) {
    return skinFileFor(ctx, ctx.g.SkinName);
}

bool noticeDue(const AppContext& ctx) {
    return ctx.WindowsVersionClass >= 8 && ctx.WindowsVersionClass <= 10 && ctx.settings.VistaMsg;
}

} // namespace niv
