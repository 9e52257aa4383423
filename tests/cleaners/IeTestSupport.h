#pragma once

#include "cleaners/uie.h"
#include "core/AppContext.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <QString>
#include <QStringList>

namespace niv::ietest {

inline QString q(const char* text) {
    return QString::fromUtf8(text);
}

inline QStringList qs(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << q(t);
    return out;
}

// The occupied slots of a list, in slot order.
inline QStringList filled(const PathList& list) {
    QStringList out;
    for (int slot = 1; slot <= list.count(); ++slot)
        if (!list[slot].isEmpty()) out << list[slot];
    return out;
}

inline const QString kShellFolders = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)");
inline const QString kUserShellFolders =
    q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders)");
inline const QString kCachePaths =
    q(R"(Software\Microsoft\Windows\CurrentVersion\Internet Settings\Cache\Paths)");
inline const QString kScanLog = q(R"(C:\Nivfold\nvscan7.ini)");

// The masks every discovery adds from the Windows folder.
inline const QStringList kWindowsCacheMasks = qs({R"(C:\WINDOWS\TEMPORARY INTERNET FILES\CACHE1\*.*)",
                                                  R"(C:\WINDOWS\TEMPORARY INTERNET FILES\CACHE2\*.*)",
                                                  R"(C:\WINDOWS\TEMPORARY INTERNET FILES\CACHE3\*.*)",
                                                  R"(C:\WINDOWS\TEMPORARY INTERNET FILES\CACHE4\*.*)"});
inline const QStringList kWindowsCookieMasks =
    qs({R"(C:\WINDOWS\COOKIES\*.*)", R"(C:\WINDOWS\TEMP\COOKIES\*.*)"});
inline const QStringList kWindowsHistoryMasks =
    qs({R"(C:\WINDOWS\HISTORY\*.*)", R"(C:\WINDOWS\TEMP\HISTORY\HISTORY.IE5\INDEX.DAT)"});
// The shell's default cookies folder of the test user, and its "Low" mask.
inline const QStringList kDefaultCookieMasks =
    qs({R"(C:\USERS\TESTER\APPDATA\ROAMING\MICROSOFT\WINDOWS\COOKIES\*.*)",
        R"(C:\USERS\TESTER\APPDATA\ROAMING\MICROSOFT\WINDOWS\COOKIES\LOW\*.*)"});

// A test machine with the program's scan log at a fixed place.
struct IeFixture : AppFixture {
    IeFixture() { ctx.g.ScanLogPath = kScanLog; }

    void shellFolder(const char* name, const char* value) {
        b.regString(HKEY_CURRENT_USER, kShellFolders, q(name), q(value));
    }
    void userShellFolder(const char* name, const char* value) {
        b.regString(HKEY_CURRENT_USER, kUserShellFolders, q(name), q(value), REG_EXPAND_SZ);
    }
    void scanLog(const char* text) { b.file(kScanLog, QByteArray(text)); }
    void sized(const char* path, std::int64_t size) { b.sizedFile(q(path), size); }
    bool exists(const char* path) const { return b.exists(q(path)); }
};

} // namespace niv::ietest
