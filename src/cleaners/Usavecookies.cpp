#include "cleaners/Usavecookies.h"

#include "cleaners/uie.h"
#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/WinPath.h"
#include "platform/WriteScope.h"

namespace niv {

namespace {

const QString kSection = QStringLiteral("UCKK5");

QString keyOf(int number) {
    return QStringLiteral("CKK") + QString::number(number);
}

} // namespace

QStringList ReadKeptCookieList(AppContext& ctx) {
    QStringList names;
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kKeptCookieSlots; ++i) {
        const QString value = trimControls(ini.ReadString(kSection, keyOf(i), QString()));
        if (value.isEmpty()) break;
        names.append(value);
    }
    return names;
}

void WriteKeptCookieList(AppContext& ctx, const QStringList& names) {
    TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    WriteScope writes(ctx.machine);
    const int n = static_cast<int>(names.size());
    for (int k = 1; k <= n; ++k)
        ini.WriteString(kSection, keyOf(k), names[k - 1]);
    // A shorter list than before leaves no stale names behind it.
    for (int k = n + 1; k <= kKeptCookieSlots; ++k) {
        if (trimControls(ini.ReadString(kSection, keyOf(k), QString())).isEmpty()) break;
        ini.WriteString(kSection, keyOf(k), QString());
    }
    writes.commit();
}

std::vector<FoundCookie> FindCookieFiles(AppContext& ctx) {
    BuildCookieNameList(ctx);
    const PathList& table = ctx.unit<IeUnit>().CookieFileTable;
    std::vector<FoundCookie> found;
    for (int slot = 1; slot <= table.count() && !table[slot].isEmpty(); ++slot) {
        const QString& path = table[slot];
        const qsizetype cut = path.lastIndexOf(QLatin1Char('\\')) + 1;
        found.push_back({path.mid(cut), path.left(cut)});
    }
    return found;
}

QStringList ReadCookieFileLines(AppContext& ctx, const FoundCookie& cookie) {
    if (cookie.name == u"." || cookie.name == u"..") return {};
    const QString path = cookie.folder + cookie.name;
    QByteArray data;
    if (!ReadFileBytes(ctx.machine, path, data))
        throw PlatformError(QStringLiteral("Cannot read the file ") + path);
    // Lines end at CR LF or LF; a last line without an end is a line too.
    QString text = decodeAnsi(data);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace niv
