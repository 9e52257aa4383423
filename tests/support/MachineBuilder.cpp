#include "support/MachineBuilder.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace niv {

namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr std::int64_t kEpochDelta = 11644473600LL; // seconds from 1601 to 1970

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool mkdirs(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (path.empty() || path == "/") return false;
    if (!mkdirs(parentOf(path))) return false;
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool writeHost(const std::string& path, const QByteArray& content) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        left -= n;
    }
    return ::close(fd) == 0 && left == 0;
}

void removeTree(const std::string& dir) {
    ::chmod(dir.c_str(), 0755);
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
            const std::string p = dir + '/' + e->d_name;
            struct stat st {};
            if (::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                removeTree(p);
            else
                ::unlink(p.c_str());
        }
        ::closedir(d);
    }
    ::rmdir(dir.c_str());
}

} // namespace

MachineBuilder::MachineBuilder(const QString& userName) {
    if (!m_temp.isValid()) {
        fail("cannot create a temporary folder", m_temp.path().toStdString());
        return;
    }
    const std::string base = m_temp.path().toStdString();
    m_root = base + "/machine";
    m_programFolder = base + "/program";
    m_outside = base + "/outside";
    for (const std::string& dir : {m_root + "/drive_c", m_root + "/dosdevices", m_programFolder, m_outside})
        if (!mkdirs(dir)) fail("mkdir", dir);
    if (::symlink("../drive_c", (m_root + "/dosdevices/c:").c_str()) != 0)
        fail("symlink", m_root + "/dosdevices/c:");
    if (!writeHost(m_programFolder + "/index_t.htm", "<html><body>Help</body></html>\r\n"))
        fail("write", m_programFolder + "/index_t.htm");
    if (!writeHost(m_programFolder + "/download.htm", "<html><body>Download</body></html>\r\n"))
        fail("write", m_programFolder + "/download.htm");

    MachineSettings settings;
    settings.root = m_root;
    settings.programFolder = m_programFolder;
    settings.userName = userName;
    settings.administrator = true;
    m_machine = std::make_unique<Machine>(std::move(settings));
    auto launcher = std::make_unique<RecordingLauncher>();
    m_launcher = launcher.get();
    m_machine->setLauncher(std::move(launcher));
}

MachineBuilder::~MachineBuilder() {
    m_machine.reset();
    // Removed here with host calls because QDir cannot name entries that are not UTF-8, and
    // folders without write bits would stop a non-root removal. Links are removed, never followed.
    if (m_temp.isValid()) removeTree(m_temp.path().toStdString());
}

void MachineBuilder::fail(const std::string& what, const std::string& path) const {
    ADD_FAILURE() << "MachineBuilder: " << what << " failed for " << path << ": " << std::strerror(errno);
}

std::string MachineBuilder::hostPath(const QString& winPath) const {
    QString p = winPath;
    p.replace(u'/', u'\\');
    if (p.size() < 2 || p.at(1) != u':' || !p.at(0).isLetter() || p.at(0).unicode() >= 0x80) return {};

    static const QString exe = QStringLiteral("C:\\Program Files\\Nivora");
    std::string base;
    QString rest;
    if (p.startsWith(exe, Qt::CaseInsensitive) && (p.size() == exe.size() || p.at(exe.size()) == u'\\')) {
        base = m_programFolder;
        rest = p.mid(exe.size());
    } else {
        const char letter = static_cast<char>(p.at(0).toLower().unicode());
        if (letter == 'c') {
            base = driveC();
        } else {
            base = m_root + "/dosdevices/" + letter + ':';
            struct stat st {};
            if (::lstat(base.c_str(), &st) != 0) return {};
        }
        rest = p.mid(2);
    }
    std::string out = base;
    for (const QString& comp : rest.split(u'\\', Qt::SkipEmptyParts)) {
        out += '/';
        out += comp.toUtf8().toStdString();
    }
    return out;
}

std::string MachineBuilder::mustMap(const QString& winPath) const {
    std::string p = hostPath(winPath);
    if (p.empty()) fail("mapping a Windows path (no such drive?)", winPath.toStdString());
    return p;
}

std::string MachineBuilder::makeParents(const std::string& hostPath) {
    const std::string parent = parentOf(hostPath);
    if (!mkdirs(parent)) fail("mkdir", parent);
    return hostPath;
}

bool MachineBuilder::exists(const QString& winPath) const {
    const std::string p = hostPath(winPath);
    struct stat st {};
    return !p.empty() && ::lstat(p.c_str(), &st) == 0;
}

bool MachineBuilder::isLink(const QString& winPath) const {
    const std::string p = hostPath(winPath);
    struct stat st {};
    return !p.empty() && ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool MachineBuilder::isFolder(const QString& winPath) const {
    const std::string p = hostPath(winPath);
    struct stat st {};
    return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

QByteArray MachineBuilder::readHost(const QString& winPath) const {
    QByteArray out;
    const std::string p = hostPath(winPath);
    int fd = p.empty() ? -1 : ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, n);
    }
    ::close(fd);
    return out;
}

QByteArray MachineBuilder::dosAttribText(const QString& winPath) const {
    const std::string p = hostPath(winPath);
    char buf[256];
    ssize_t n = p.empty() ? -1 : ::getxattr(p.c_str(), kDosAttrib, buf, sizeof buf);
    return n > 0 ? QByteArray(buf, n) : QByteArray();
}

std::string MachineBuilder::folder(const QString& winPath) {
    const std::string p = mustMap(winPath);
    if (!p.empty() && !mkdirs(p)) fail("mkdir", p);
    return p;
}

std::string MachineBuilder::file(const QString& winPath, const QByteArray& content) {
    const std::string p = mustMap(winPath);
    if (p.empty()) return p;
    makeParents(p);
    if (!writeHost(p, content)) fail("write", p);
    return p;
}

std::string MachineBuilder::sizedFile(const QString& winPath, std::int64_t size) {
    const std::string p = mustMap(winPath);
    if (p.empty()) return p;
    makeParents(p);
    int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) fail("sparse file", p);
    if (fd >= 0) ::close(fd);
    return p;
}

void MachineBuilder::attributes(const QString& winPath, int attr) {
    const std::string p = mustMap(winPath);
    if (p.empty()) return;
    if (attr == 0) {
        if (::removexattr(p.c_str(), kDosAttrib) != 0 && errno != ENODATA) fail("removexattr", p);
        return;
    }
    char text[16];
    const int n = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(attr));
    if (::setxattr(p.c_str(), kDosAttrib, text, static_cast<size_t>(n), 0) != 0) fail("setxattr", p);
}

void MachineBuilder::dosAttribRaw(const QString& winPath, const QByteArray& text) {
    const std::string p = mustMap(winPath);
    if (!p.empty() &&
        ::setxattr(p.c_str(), kDosAttrib, text.constData(), static_cast<size_t>(text.size()), 0) != 0)
        fail("setxattr", p);
}

void MachineBuilder::dropWriteBits(const QString& winPath) {
    const std::string p = mustMap(winPath);
    struct stat st {};
    if (p.empty() || ::stat(p.c_str(), &st) != 0 || ::chmod(p.c_str(), st.st_mode & 07555) != 0)
        fail("chmod", p);
}

void MachineBuilder::times(const QString& winPath, FileTime lastWrite, FileTime lastAccess) {
    const std::string p = mustMap(winPath);
    auto toSpec = [](FileTime ft) {
        struct timespec ts {};
        ts.tv_sec = static_cast<time_t>(ft / 10000000LL - kEpochDelta);
        ts.tv_nsec = static_cast<long>(ft % 10000000LL) * 100;
        return ts;
    };
    const struct timespec ts[2] = {toSpec(lastAccess), toSpec(lastWrite)};
    if (p.empty() || ::utimensat(AT_FDCWD, p.c_str(), ts, 0) != 0) fail("utimensat", p);
}

FileTime MachineBuilder::fileTime(int year, int month, int day, int hour, int minute, int second,
                                  int hundredNs) {
    const QDateTime t(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
    return (t.toSecsSinceEpoch() + kEpochDelta) * 10000000LL + hundredNs;
}

std::string MachineBuilder::link(const QString& linkWinPath, const QString& targetWinPath) {
    const std::string target = mustMap(targetWinPath);
    if (target.empty()) return target;
    return hostLink(linkWinPath, target);
}

std::string MachineBuilder::hostLink(const QString& linkWinPath, const std::string& target) {
    const std::string p = mustMap(linkWinPath);
    if (p.empty()) return p;
    makeParents(p);
    if (::symlink(target.c_str(), p.c_str()) != 0) fail("symlink", p);
    return p;
}

std::string MachineBuilder::rawFile(const QString& folderWinPath, const QByteArray& hostName,
                                    const QByteArray& content) {
    const std::string dir = folder(folderWinPath);
    const std::string p = dir + '/' + hostName.toStdString();
    if (!writeHost(p, content)) fail("write", p);
    return p;
}

std::string MachineBuilder::rawFolder(const QString& folderWinPath, const QByteArray& hostName) {
    const std::string dir = folder(folderWinPath);
    const std::string p = dir + '/' + hostName.toStdString();
    if (::mkdir(p.c_str(), 0755) != 0) fail("mkdir", p);
    return p;
}

std::string MachineBuilder::outsideFolder(const std::string& relative) {
    const std::string p = m_outside + '/' + relative;
    if (!mkdirs(p)) fail("mkdir", p);
    return p;
}

std::string MachineBuilder::outsideFile(const std::string& relative, const QByteArray& content) {
    const std::string p = m_outside + '/' + relative;
    makeParents(p);
    if (!writeHost(p, content)) fail("write", p);
    return p;
}

std::string MachineBuilder::drive(char letter, const std::string& hostFolder) {
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    std::string target = hostFolder;
    if (target.empty()) target = m_temp.path().toStdString() + "/drive_" + lower;
    if (!mkdirs(target)) fail("mkdir", target);
    const std::string linkPath = m_root + "/dosdevices/" + lower + ':';
    if (::symlink(target.c_str(), linkPath.c_str()) != 0) fail("symlink", linkPath);
    return target;
}

void MachineBuilder::regKey(RegRoot root, const QString& keyPath) {
    m_machine->registry().createKey(root, keyPath);
}

void MachineBuilder::regValue(RegRoot root, const QString& keyPath, const QString& name, std::uint32_t type,
                              const QByteArray& data) {
    m_machine->registry().setRawValue(root, keyPath, name, type, data);
}

void MachineBuilder::regString(RegRoot root, const QString& keyPath, const QString& name,
                               const QString& value, std::uint32_t type) {
    QByteArray data;
    data.reserve((value.size() + 1) * 2);
    for (QChar c : value) {
        data.append(static_cast<char>(c.unicode() & 0xFF));
        data.append(static_cast<char>(c.unicode() >> 8));
    }
    data.append('\0');
    data.append('\0');
    regValue(root, keyPath, name, type, data);
}

void MachineBuilder::regDword(RegRoot root, const QString& keyPath, const QString& name,
                              std::uint32_t value) {
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    regValue(root, keyPath, name, REG_DWORD, data);
}

} // namespace niv
