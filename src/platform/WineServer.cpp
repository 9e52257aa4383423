#include "WineServer.h"

#include "HostIO.h"
#include "Machine.h"

#include <QByteArray>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The folder that <machine>/wineserver names: the link's target or the path written in the file.
std::string debianServerFolder(const std::string& root, const std::string& tmpFolder) {
    const std::string entry = root + "/wineserver";
    if (host::isDirectory(entry)) return entry;
    struct stat st {};
    if (::stat(entry.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::string();
    QByteArray text;
    if (!host::readFile(entry, text)) return std::string();
    const std::string folder = text.split('\n').value(0).trimmed().toStdString();
    if (folder.empty()) return std::string();
    return folder[0] == '/' ? folder : tmpFolder + '/' + folder;
}

// Where Debian's Wine makes its server folder.
std::string temporaryFolder() {
    const QByteArray tmp = qgetenv("TMPDIR");
    return tmp.startsWith('/') ? tmp.toStdString() : std::string("/tmp");
}

bool serverRunning(const Machine& machine, const std::string& wineTmp, const std::string& debianTmp) {
    struct stat st {};
    if (::stat(machine.root().c_str(), &st) != 0) return false;
    const std::string serverFolder = "server-" + hex(st.st_dev) + '-' + hex(st.st_ino);

    std::vector<std::string> locks{wineTmp + "/.wine-" + std::to_string(::getuid()) + '/' + serverFolder +
                                   "/lock"};
    const std::string debian = debianServerFolder(machine.root(), debianTmp);
    if (!debian.empty()) {
        locks.push_back(debian + '/' + serverFolder + "/lock");
        locks.push_back(debian + "/lock");
    }
    for (const std::string& lock : locks)
        if (isLockHeld(lock)) return true;
    return false;
}

} // namespace

bool wineServerRunning(const Machine& machine) {
    if (!machine.serverTmp().empty()) return serverRunning(machine, machine.serverTmp(), machine.serverTmp());
    // Wine itself always uses /tmp; only Debian's folder follows $TMPDIR.
    return serverRunning(machine, "/tmp", temporaryFolder());
}

QString wineServerMessage(const Machine& machine) {
    return QStringLiteral("The Windows programs of the machine %1 are running. Close them (or run "
                          "\"wineserver -k\") and start Nivora again.")
        .arg(QString::fromStdString(machine.root()));
}

} // namespace niv
