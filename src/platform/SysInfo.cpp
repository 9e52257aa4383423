#include "SysInfo.h"

#include "HostIO.h"
#include "Machine.h"
#include "Registry.h"

#include <QDate>
#include <QStringList>
#include <QTime>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace niv {

// --- version ---

namespace {

const QString kNtVersionKey = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
const QString kVersionKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");

// A REG_DWORD, or nothing when the value is missing or of another type.
std::optional<std::uint32_t> readDword(Machine& machine, const QString& key, const QString& name) {
    machine.registry().checkFile(HKEY_LOCAL_MACHINE);
    const RegValue* value = machine.registry().findValue(HKEY_LOCAL_MACHINE, key, name);
    if (!value || value->type != REG_DWORD || value->data.size() < 4) return std::nullopt;
    return qFromLittleEndian<std::uint32_t>(value->data.constData());
}

// A REG_SZ or REG_EXPAND_SZ text up to its first NUL, or nothing for a missing value or another
// type.
std::optional<QString> readText(Machine& machine, const QString& key, const QString& name,
                                RegRoot root = HKEY_LOCAL_MACHINE) {
    machine.registry().checkFile(root);
    const RegValue* value = machine.registry().findValue(root, key, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(value->data.constData()),
                                      value->data.size() / 2);
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

std::uint32_t numberPart(const QStringList& parts, int index) {
    return parts.value(index).trimmed().toUInt();
}

} // namespace

bool GetVersionEx(Machine& machine, OsVersionInfo& info) {
    info = OsVersionInfo{};
    const auto major = readDword(machine, kNtVersionKey, QStringLiteral("CurrentMajorVersionNumber"));
    const auto version = readText(machine, kNtVersionKey, QStringLiteral("CurrentVersion"));
    if (major || version) {
        info.platformId = VER_PLATFORM_WIN32_NT;
        if (major) {
            info.majorVersion = *major;
            info.minorVersion =
                readDword(machine, kNtVersionKey, QStringLiteral("CurrentMinorVersionNumber")).value_or(0);
        } else {
            const QStringList parts = version->split(u'.');
            info.majorVersion = numberPart(parts, 0);
            info.minorVersion = numberPart(parts, 1);
        }
        info.buildNumber = numberPart(
            {readText(machine, kNtVersionKey, QStringLiteral("CurrentBuildNumber")).value_or(QString())}, 0);
        info.csdVersion = readText(machine, kNtVersionKey, QStringLiteral("CSDVersion")).value_or(QString());
        return true;
    }
    if (const auto v9x = readText(machine, kVersionKey, QStringLiteral("VersionNumber"))) {
        // "4.10.2222": major, minor, build.
        const QStringList parts = v9x->split(u'.');
        info.platformId = VER_PLATFORM_WIN32_WINDOWS;
        info.majorVersion = numberPart(parts, 0);
        info.minorVersion = numberPart(parts, 1);
        info.buildNumber = numberPart(parts, 2);
        info.csdVersion =
            readText(machine, kVersionKey, QStringLiteral("SubVersionNumber")).value_or(QString());
        return true;
    }
    return false;
}

// --- memory ---

namespace {

// The number of a "Name:   123 kB" line, in bytes; nothing when the line is missing.
std::optional<std::uint64_t> meminfoBytes(const QByteArray& text, const QByteArray& name) {
    const QByteArray key = name + ':';
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith(key)) continue;
        const QList<QByteArray> parts = line.mid(key.size()).simplified().split(' ');
        bool ok = false;
        const std::uint64_t value = parts.value(0).toULongLong(&ok);
        if (!ok) return std::nullopt;
        const bool kilo = parts.size() > 1 && parts.at(1).toLower() == "kb";
        return kilo ? value * 1024 : value;
    }
    return std::nullopt;
}

std::uint32_t clamp32(std::uint64_t v) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFFULL));
}

} // namespace

bool memoryStatusFromMeminfo(const QByteArray& meminfo, std::uint64_t usedVirtual, MemoryStatusEx& status) {
    status = MemoryStatusEx{};
    const auto total = meminfoBytes(meminfo, "MemTotal");
    if (!total || *total == 0) return false;
    std::uint64_t avail = 0;
    if (const auto a = meminfoBytes(meminfo, "MemAvailable")) {
        avail = *a;
    } else {
        // Kernels before 3.14 lack MemAvailable.
        avail = meminfoBytes(meminfo, "MemFree").value_or(0) + meminfoBytes(meminfo, "Buffers").value_or(0) +
                meminfoBytes(meminfo, "Cached").value_or(0);
    }
    avail = std::min(avail, *total);
    const std::uint64_t swapTotal = meminfoBytes(meminfo, "SwapTotal").value_or(0);
    const std::uint64_t swapFree = std::min(meminfoBytes(meminfo, "SwapFree").value_or(0), swapTotal);

    status.totalPhys = *total;
    status.availPhys = avail;
    status.memoryLoad = static_cast<std::uint32_t>((*total - avail) * 100 / *total);
    status.totalPageFile = *total + swapTotal;
    status.availPageFile = avail + swapFree;
    status.totalVirtual = kUserAddressSpace;
    status.availVirtual = kUserAddressSpace - std::min(usedVirtual, kUserAddressSpace);
    return true;
}

MemoryStatus clampMemoryStatus(const MemoryStatusEx& s) {
    MemoryStatus out;
    out.memoryLoad = s.memoryLoad;
    out.totalPhys = clamp32(s.totalPhys);
    out.availPhys = clamp32(s.availPhys);
    out.totalPageFile = clamp32(s.totalPageFile);
    out.availPageFile = clamp32(s.availPageFile);
    out.totalVirtual = clamp32(s.totalVirtual);
    out.availVirtual = clamp32(s.availVirtual);
    return out;
}

bool GlobalMemoryStatusEx(MemoryStatusEx& status) {
    QByteArray meminfo, self;
    host::readFile("/proc/meminfo", meminfo);
    host::readFile("/proc/self/status", self);
    return memoryStatusFromMeminfo(meminfo, meminfoBytes(self, "VmSize").value_or(0), status);
}

void GlobalMemoryStatus(MemoryStatus& status) {
    MemoryStatusEx ex;
    GlobalMemoryStatusEx(ex);
    status = clampMemoryStatus(ex);
}

// --- date and time ---

namespace {

const char* const kDayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

QString number(int value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// Walks a picture: quoted text is copied without its quotes ('' inside quotes is one quote), a run
// of one of the picture letters goes to `field` with its length, anything else is copied.
template <class Field> QString expandPicture(const QString& picture, const QString& letters, Field field) {
    QString out;
    for (qsizetype i = 0; i < picture.size();) {
        const QChar c = picture.at(i);
        if (c == u'\'') {
            for (++i; i < picture.size(); ++i) {
                if (picture.at(i) != u'\'') {
                    out += picture.at(i);
                } else if (i + 1 < picture.size() && picture.at(i + 1) == u'\'') {
                    out += u'\'';
                    ++i;
                } else {
                    break;
                }
            }
            ++i;
            continue;
        }
        qsizetype run = 1;
        if (letters.contains(c))
            while (i + run < picture.size() && picture.at(i + run) == c)
                ++run;
        out += letters.contains(c) ? field(c.unicode(), int(run)) : QString(c);
        i += run;
    }
    return out;
}

QString userPicture(Machine& machine, const char* name, const char* fallback) {
    const QString text = readText(machine, QStringLiteral("Control Panel\\International"),
                                  QString::fromLatin1(name), HKEY_CURRENT_USER)
                             .value_or(QString());
    return text.trimmed().isEmpty() ? QString::fromLatin1(fallback) : text;
}

} // namespace

QString formatDatePicture(const QString& picture, const QDate& date) {
    return expandPicture(picture, QStringLiteral("dMyg"), [&](char16_t c, int run) {
        switch (c) {
        case u'd':
            if (run >= 3) {
                const QString name = QString::fromLatin1(kDayNames[date.dayOfWeek() - 1]);
                return run == 3 ? name.left(3) : name;
            }
            return number(date.day(), run);
        case u'M':
            if (run >= 3) {
                const QString name = QString::fromLatin1(kMonthNames[date.month() - 1]);
                return run == 3 ? name.left(3) : name;
            }
            return number(date.month(), run);
        case u'y':
            return run >= 3 ? number(date.year(), 1) : number(date.year() % 100, run);
        default:
            return QStringLiteral("A.D.");
        }
    });
}

QString formatTimePicture(const QString& picture, const QTime& time) {
    return expandPicture(picture, QStringLiteral("hHmst"), [&](char16_t c, int run) {
        const int width = std::min(run, 2);
        switch (c) {
        case u'h':
            return number(time.hour() % 12 == 0 ? 12 : time.hour() % 12, width);
        case u'H':
            return number(time.hour(), width);
        case u'm':
            return number(time.minute(), width);
        case u's':
            return number(time.second(), width);
        default: {
            const QString marker = time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            return run == 1 ? marker.left(1) : marker;
        }
        }
    });
}

QString FormatShortDate(Machine& machine, const QDate& date) {
    return formatDatePicture(userPicture(machine, "sShortDate", "M/d/yyyy"), date);
}

QString FormatLongTime(Machine& machine, const QTime& time) {
    return formatTimePicture(userPicture(machine, "sTimeFormat", "h:mm:ss tt"), time);
}

} // namespace niv
