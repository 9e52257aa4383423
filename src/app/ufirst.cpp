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
    g.DataFolder = appData + QStringLiteral("\\Nivfold");
    // Without an application-data folder there is no Flash location, rather than one at the root
    // of the drive.
    g.FlashCookieFolder = appData.trimmed().isEmpty()
                              ? QString()
                              : appData + QStringLiteral("\\Macromedia\\Flash Player\\#SharedObjects");
    // Without a local application-data folder there is no Chrome profile, rather than one at the
    // root of the drive.
    const QString localAppData = SHGetSpecialFolderPath(ctx.machine, CSIDL_LOCAL_APPDATA);
    if (!localAppData.trimmed().isEmpty()) {
        g.ChromeProfileFolder = localAppData + QStringLiteral("\\Google\\Chrome\\User Data\\Default");
        g.ChromeCacheFolder = g.ChromeProfileFolder + QStringLiteral("\\Cache");
    }
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
    return skinFileFor(ctx, ctx.g.SkinName);
}

bool noticeDue(const AppContext& ctx) {
    return ctx.WindowsVersionClass >= 8 && ctx.WindowsVersionClass <= 10 && ctx.settings.VistaMsg;
}

} // namespace niv
