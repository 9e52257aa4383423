#include "app/ULock.h"

#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"

namespace niv {

namespace {

// "Del C:\a b\x" becomes "Del "C:\a b\x""; a quoted or blank-free path stays as stored.
QString quotedCommand(const QString& command) {
    if (!command.startsWith(QStringLiteral("del "), Qt::CaseInsensitive)) return command;
    const QString path = command.mid(4);
    if (!path.contains(u' ') || path.startsWith(u'"')) return command;
    return command.left(4) + u'"' + path + u'"';
}

QString quoted(const QString& path) {
    return u'"' + path + u'"';
}

} // namespace

QByteArray lockedFileBatchText(const GlobalVars& g) {
    QString text;
    for (int slot = 1; slot <= kLockedFileSlots; ++slot) {
        const QString& command = g.LockedFileCommands[static_cast<std::size_t>(slot)];
        if (command.isEmpty()) break;
        text += quotedCommand(command) + QStringLiteral("\r\n");
    }
    text += QStringLiteral("Exit\r\n");
    return text.toUtf8(); // the machine's ANSI code page is UTF-8
}

bool WriteLockedFileBatch(AppContext& ctx, const QString& path) {
    return WriteFileBytes(ctx.machine, path, lockedFileBatchText(ctx.g));
}

void RegisterLockedFileBatch(AppContext& ctx) {
    const QString path = ctx.g.LockedBatchPath;
    // A batch that cannot be written leaves whatever file an earlier run left.
    if (!ctx.g.LockedFileCommands[1].isEmpty()) WriteLockedFileBatch(ctx, path);
    if (!FileExists(ctx.machine, path)) return;

    TRegistry reg(ctx.machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (!reg.OpenKey(runServicesKeyPath(), false) && !reg.OpenKey(runKeyPath(), false)) return;
        const QString value = QStringLiteral("Cleanup");
        if (ctx.settings.Lockedj)
            reg.WriteString(value, quoted(path));
        else if (reg.ValueExists(value))
            reg.DeleteValue(value);
    } catch (const PlatformError&) {
        // The program is closing: a start-up key that cannot be written stays as it was.
    }
    reg.CloseKey();
}

void SaveLockedChoice(AppContext& ctx, bool doLocked) {
    ctx.settings.Lockedj = doLocked;
    SaveSettingFlag(ctx, QStringLiteral("Lockedj"), doLocked, KeyOpen::CreateWhenMissing);
}

} // namespace niv
