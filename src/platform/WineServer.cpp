#include "WineServer.h"

#include "HostIO.h"
#include "Machine.h"

#include <QByteArray>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace niv {

namespace {

std::string hex(unsigned long long n) {
    return QByteArray::number(n, 16).toStdString();
}

// True when another process holds a lock on the file.
bool isLockHeld(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    bool held = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 0; // the whole file
        held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    }
    ::close(fd);
    return held;
}

// The folders that <machine>/wineserver names: the link's target, or the path written in the file,
// which for a relative one may lie in any of `tmpFolders`.
std::vector<std::string> debianServerFolders(const std::string& root,
                                             const std::vector<std::string>& tmpFolders) {
    const std::string entry = root + "/wineserver";
    if (host::isDirectory(entry)) return {entry};
    struct stat st {};
    if (::stat(entry.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    QByteArray text;
    if (!host::readFile(entry, text)) return {};
    const std::string folder = text.split('\n').value(0).trimmed().toStdString();
    if (folder.empty()) return {};
    if (folder[0] == '/') return {folder};
    std::vector<std::string> out;
    for (const std::string& tmp : tmpFolders)
        out.push_back(tmp + '/' + folder);
    return out;
}

// Where servers make their folders: Wine's own /tmp, and Debian's temporary folder, which
// follows the TMPDIR the server had.
std::vector<std::string> temporaryFolders() {
    std::vector<std::string> out{"/tmp", "/var/tmp"};
    const QByteArray tmp = qgetenv("TMPDIR");
    if (tmp.startsWith('/') && tmp != "/tmp" && tmp != "/var/tmp") out.insert(out.begin(), tmp.toStdString());
    return out;
}

// True when a process of this user works in a folder named `serverFolder` whose lock is held: a
// server found whatever path led it there, even in another mount namespace.
bool serverProcessRunning(const std::string& serverFolder) {
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    bool found = false;
    char cwd[4096];
    while (const dirent* e = ::readdir(proc)) {
        if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
        const std::string pid = std::string("/proc/") + e->d_name;
        const ssize_t n = ::readlink((pid + "/cwd").c_str(), cwd, sizeof cwd - 1);
        if (n <= 0) continue; // another user's process, or gone
        cwd[n] = '\0';
        const char* name = std::strrchr(cwd, '/');
        if (!name || serverFolder != name + 1) continue;
        struct stat st {};
        if (::stat(pid.c_str(), &st) != 0 || st.st_uid != ::getuid()) continue;
        if ((found = isLockHeld(pid + "/cwd/lock"))) break;
    }
    ::closedir(proc);
    return found;
}

} // namespace

bool wineServerRunning(const Machine& machine) {
    struct stat st {};
    if (::stat(machine.root().c_str(), &st) != 0) return false;
    const std::string serverFolder = "server-" + hex(st.st_dev) + '-' + hex(st.st_ino);
    const bool fixed = !machine.serverTmp().empty();
    const std::string wineTmp = fixed ? machine.serverTmp() : "/tmp";
    const std::vector<std::string> tmpFolders = fixed ? std::vector{wineTmp} : temporaryFolders();

    std::vector<std::string> locks{wineTmp + "/.wine-" + std::to_string(::getuid()) + '/' + serverFolder +
                                   "/lock"};
    for (const std::string& folder : debianServerFolders(machine.root(), tmpFolders)) {
        locks.push_back(folder + '/' + serverFolder + "/lock");
        locks.push_back(folder + "/lock");
    }
    for (const std::string& lock : locks)
        if (isLockHeld(lock)) return true;
    return serverProcessRunning(serverFolder);
}

QString wineServerMessage(const Machine& machine, ServerFound when) {
    const QString root = QString::fromStdString(machine.root());
    switch (when) {
    case ServerFound::AtStart:
        break;
    case ServerFound::BeforeChange:
        return QStringLiteral("The Windows programs of the machine %1 are running, so nothing was changed. "
                              "Close them (or run \"wineserver -k\") and try again.")
            .arg(root);
    case ServerFound::AfterChange:
        return QStringLiteral("The Windows programs of the machine %1 started while the change was being "
                              "saved, so the change may not last. Close them (or run \"wineserver -k\") and "
                              "try again.")
            .arg(root);
    }
    return QStringLiteral("The Windows programs of the machine %1 are running. Close them (or run "
                          "\"wineserver -k\") and start Nivora again.")
        .arg(root);
}

} // namespace niv
