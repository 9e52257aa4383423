#include "HostIO.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace niv::host {

namespace {

bool writeAll(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

bool readFile(const std::string& path, QByteArray& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    out.clear();
    out.reserve(static_cast<qsizetype>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out.append(buf, n);
    }
    ::close(fd);
    return true;
}

bool writeFileAtomic(const std::string& path, const QByteArray& data, bool sync) {
    struct stat st {};
    const bool existed = ::lstat(path.c_str(), &st) == 0;
    if (existed && (S_ISLNK(st.st_mode) || (S_ISREG(st.st_mode) && st.st_nlink > 1))) {
        // Replacing would cut the link; rewrite the file the link leads to instead.
        int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return false;
        bool ok = writeAll(fd, data) && (!sync || ::fsync(fd) == 0);
        return ::close(fd) == 0 && ok;
    }
    if (existed && !S_ISREG(st.st_mode)) return false;

    std::string tmp = folderOf(path) + "/.nivtmp-XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    ::fchmod(fd, existed ? (st.st_mode & 07777) : 0644);
    bool ok = writeAll(fd, data) && (!sync || ::fsync(fd) == 0);
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    if (sync) {
        int dfd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
    }
    return true;
}

bool appendFile(const std::string& path, const QByteArray& data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data);
    return ::close(fd) == 0 && ok;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace niv::host
