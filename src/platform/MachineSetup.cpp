#include "MachineSetup.h"

#include "FileSys.h"
#include "Registry.h"

#include <QByteArray>

#include <cerrno>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {

void raiseOpenFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

EnvReader processEnvironment() {
    return [](const char* name) { return QString::fromLocal8Bit(qgetenv(name)); };
}

MachineChoice chooseMachine(const EnvReader& env) {
    const QString prefix = env("WINEPREFIX");
    if (!prefix.isEmpty()) return {prefix.toStdString(), false};
    const QString home = env("HOME");
    if (!home.isEmpty()) {
        const std::string wine = home.toStdString() + "/.wine";
        struct stat st {};
        if (::stat(wine.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return {wine, false};
    }
    QString data = env("XDG_DATA_HOME");
    if (data.isEmpty()) data = home + QStringLiteral("/.local/share");
    const std::string root = data.toStdString() + "/nivora/machine";
    struct stat st {};
    return {root, !(::stat(root.c_str(), &st) == 0 && S_ISDIR(st.st_mode))};
}

QString machineUserName(const EnvReader& env) {
    const QString user = env("USER");
    return user.isEmpty() ? QStringLiteral("user") : user;
}

namespace {

bool makeHostFolders(const std::string& path) {
    std::string cur;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (path[i] == '/' && i > 0)) {
            cur = path.substr(0, i);
            if (::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// Profile folders of the Vista layout, relative to C:\users\<user>\.
struct ShellFolder {
    const char* value;   // the value name under Shell Folders / User Shell Folders
    const char* subPath; // below the profile folder
};

constexpr ShellFolder kShellFolders[] = {
    {"AppData", "AppData\\Roaming"},
    {"Cache", "AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"},
    {"Cookies", "AppData\\Roaming\\Microsoft\\Windows\\Cookies"},
    {"Desktop", "Desktop"},
    {"Favorites", "Favorites"},
    {"History", "AppData\\Local\\Microsoft\\Windows\\History"},
    {"Local AppData", "AppData\\Local"},
    {"My Music", "Music"},
    {"My Pictures", "Pictures"},
    {"My Video", "Videos"},
    {"Personal", "Documents"},
    {"Programs", "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
    {"Recent", "AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {"SendTo", "AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
    {"Start Menu", "AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
    {"Startup", "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {"Templates", "AppData\\Roaming\\Microsoft\\Windows\\Templates"},
};

} // namespace

bool createFreshMachine(Machine& machine) {
    const std::string root = machine.root();
    if (!makeHostFolders(root + "/drive_c") || !makeHostFolders(root + "/dosdevices")) return false;
    const std::string cLink = root + "/dosdevices/c:";
    struct stat st {};
    if (::lstat(cLink.c_str(), &st) != 0 && ::symlink("../drive_c", cLink.c_str()) != 0) return false;

    const QString profile = QStringLiteral("C:\\users\\") + machine.userName();
    QStringList folders = {
        QStringLiteral("C:\\windows\\system32"), QStringLiteral("C:\\windows\\temp"),
        QStringLiteral("C:\\Program Files"),     QStringLiteral("C:\\ProgramData"),
        QStringLiteral("C:\\users\\Public"),     profile + QStringLiteral("\\AppData\\Local\\Temp"),
        profile + QStringLiteral("\\Downloads")};
    for (const ShellFolder& f : kShellFolders)
        folders.append(profile + u'\\' + QString::fromLatin1(f.subPath));
    for (const QString& folder : folders)
        if (!ForceDirectories(machine, folder)) return false;

    TRegistry reg(machine);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion"), true)) return false;
    reg.WriteString(QStringLiteral("CurrentVersion"), QStringLiteral("6.1"));
    reg.WriteString(QStringLiteral("CurrentBuildNumber"), QStringLiteral("7601"));
    reg.WriteString(QStringLiteral("CSDVersion"), QStringLiteral("Service Pack 1"));
    reg.WriteString(QStringLiteral("ProductName"), QStringLiteral("Microsoft Windows 7"));
    reg.WriteString(QStringLiteral("SystemRoot"), QStringLiteral("C:\\windows"));
    reg.CloseKey();

    reg.SetRootKey(HKEY_CURRENT_USER);
    const QString explorer = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\");
    if (!reg.OpenKey(explorer + QStringLiteral("Shell Folders"), true)) return false;
    for (const ShellFolder& f : kShellFolders)
        reg.WriteString(QString::fromLatin1(f.value), profile + u'\\' + QString::fromLatin1(f.subPath));
    reg.CloseKey();
    if (!reg.OpenKey(explorer + QStringLiteral("User Shell Folders"), true)) return false;
    for (const ShellFolder& f : kShellFolders)
        reg.WriteExpandString(QString::fromLatin1(f.value),
                              QStringLiteral("%USERPROFILE%\\") + QString::fromLatin1(f.subPath));
    reg.CloseKey();
    if (!reg.OpenKey(QStringLiteral("Environment"), true)) return false;
    reg.WriteExpandString(QStringLiteral("TEMP"), QStringLiteral("%USERPROFILE%\\AppData\\Local\\Temp"));
    reg.WriteExpandString(QStringLiteral("TMP"), QStringLiteral("%USERPROFILE%\\AppData\\Local\\Temp"));
    reg.CloseKey();
    return true;
}

} // namespace niv
