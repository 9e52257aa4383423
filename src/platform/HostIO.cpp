#include "HostIO.h"
#include "Machine.h"
#include "WinTypes.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

namespace niv::host {

int parseDosAttrib(const char* text, long length) {
    if (length < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return 0;
    int value = 0;
    for (long i = 2; i < length; ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = (value << 4) | digit;
        if (value > 0xFFFFF) break;
    }
    return value & (faReadOnly | faHidden | faSysFile);
}

int errnoToWin(int err) {
    switch (err) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EEXIST: // only creating a folder meets it, and Windows says "already exists" there
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

bool fail(const Machine& machine, int error) {
    machine.setLastError(error);
    return false;
}

bool otherMount(const struct statx& entry, const struct statx& folder) {
    if (entry.stx_mask & folder.stx_mask & STATX_MNT_ID) return entry.stx_mnt_id != folder.stx_mnt_id;
    if (entry.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return entry.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    return makedev(entry.stx_dev_major, entry.stx_dev_minor) !=
           makedev(folder.stx_dev_major, folder.stx_dev_minor);
}

namespace {

// Writes all of `data` at the file position; past `diskLimit` bytes it stops as a full disk does.
bool writeAll(int fd, const QByteArray& data, std::int64_t diskLimit) {
    const char* p = data.constData();
    qsizetype left = data.size();
    bool full = false;
    if (diskLimit >= 0 && diskLimit < left) {
        left = static_cast<qsizetype>(diskLimit);
        full = true;
    }
    while (left > 0) {
        ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    if (full) errno = ENOSPC;
    return !full;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Appends from the file position to the end, failing with EFBIG past `maxSize` bytes.
bool readAll(int fd, QByteArray& out, std::int64_t maxSize) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(buf, n);
        if (maxSize >= 0 && out.size() > maxSize) {
            errno = EFBIG;
            return false;
        }
    }
}

FileStamp stampFrom(const struct stat& st) {
    FileStamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

ReadError readOpenFile(int fd, QByteArray& out, std::int64_t maxSize, FileStamp* stamp) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return ReadError::Failed;
    if (stamp) *stamp = stampFrom(st);
    if (!S_ISREG(st.st_mode)) return ReadError::NotRegular;
    if (maxSize >= 0 && st.st_size > maxSize) return ReadError::TooLarge;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return ReadError::Failed;
    // The size may have been 0 (/proc) or grown meanwhile, so the read itself is bounded too.
    out.clear();
    out.reserve(static_cast<qsizetype>(st.st_size));
    if (!readAll(fd, out, maxSize)) return errno == EFBIG ? ReadError::TooLarge : ReadError::Failed;
    return ReadError::None;
}

} // namespace

bool stampOf(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp = stampFrom(st);
    return true;
}

std::int64_t wallClockNs() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool isSettled(const FileStamp& stamp, std::int64_t readStart) {
    constexpr std::int64_t kSecond = 1000000000;
    // Times in whole seconds come from a file system that keeps no finer ones (FAT keeps 2 s);
    // others keep at least the kernel's clock tick, of 10 ms at most, and its clock lags the wall
    // clock by as much.
    const bool wholeSeconds = stamp.modified % kSecond == 0 && stamp.changed % kSecond == 0;
    const std::int64_t margin = wholeSeconds ? 3 * kSecond : kSecond / 10;
    return stamp.modified < readStart - margin && stamp.changed < readStart - margin;
}

bool readFile(const std::string& path, QByteArray& out, std::int64_t maxSize, ReadError* why,
              FileStamp* stamp) {
    // Opening a FIFO waits for a writer, and a device may never end: look before opening, and open
    // without blocking in case the file is swapped meanwhile.
    struct stat st {};
    ReadError error = ReadError::Failed;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = ReadError::NotRegular;
    } else if (int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); fd >= 0) {
        error = readOpenFile(fd, out, maxSize, stamp);
        ::close(fd);
    }
    if (why) *why = error;
    if (error != ReadError::None) out.clear();
    return error == ReadError::None;
}

bool readFirstLine(const std::string& path, QByteArray& out, std::int64_t maxSize, ReadError* why) {
    out.clear();
    struct stat st {};
    ReadError error = ReadError::Failed;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = ReadError::NotRegular;
    } else if (int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); fd >= 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (::fstat(fd, &st) != 0 || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            error = ReadError::Failed;
        } else if (!S_ISREG(st.st_mode)) {
            error = ReadError::NotRegular;
        } else {
            error = ReadError::None;
            char buf[8192];
            for (bool done = false; !done;) {
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) error = ReadError::Failed;
                if (n <= 0) break;
                const char* end = buf + n;
                const char* stop = std::find_if(static_cast<const char*>(buf), end,
                                                [](char c) { return c == '\r' || c == '\n'; });
                done = stop != end;
                out.append(buf, stop - buf);
                if (maxSize >= 0 && out.size() >= maxSize) {
                    out.truncate(static_cast<qsizetype>(maxSize));
                    done = true;
                }
            }
        }
        ::close(fd);
    }
    if (why) *why = error;
    if (error != ReadError::None) out.clear();
    return error == ReadError::None;
}

namespace {

void syncFolder(const std::string& path) {
    int dfd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

bool replaceFile(const std::string& path, mode_t mode, const QByteArray& data, bool sync,
                 std::int64_t diskLimit) {
    std::string tmp = folderOf(path) + "/.nivtmp-XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    ::fchmod(fd, mode);
    bool ok = writeAll(fd, data, diskLimit) && (!sync || ::fsync(fd) == 0);
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    if (sync) syncFolder(path);
    return true;
}

// A rename would leave the file's other names with the old content, so it is rewritten in place.
// Reserving the new length first makes a full disk fail before a byte changes; if writing fails
// anyway (an I/O error, a copy-on-write file system), the old content, kept in memory, goes back.
bool rewriteInPlace(const std::string& path, const QByteArray& data, bool sync, std::int64_t diskLimit) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    QByteArray old;
    bool ok = readAll(fd, old, kMaxReadSize);
    if (ok && !data.isEmpty()) {
        const int err = ::posix_fallocate(fd, 0, static_cast<off_t>(data.size()));
        ok = err == 0 || err == EOPNOTSUPP; // no reservation there; the write may still succeed
    }
    if (ok) {
        ok = ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, data, diskLimit) &&
             ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 && (!sync || ::fsync(fd) == 0);
        if (!ok && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, old, kNoDiskLimit)) {
            ::ftruncate(fd, static_cast<off_t>(old.size()));
            if (sync) ::fsync(fd);
        }
    }
    return ::close(fd) == 0 && ok;
}

} // namespace

bool writeFileAtomic(const std::string& path, const QByteArray& data, bool sync, std::int64_t diskLimit) {
    std::string target = path;
    struct stat st {};
    const bool existed = ::lstat(path.c_str(), &st) == 0;
    if (existed && S_ISLNK(st.st_mode)) {
        // Replace the file the link leads to, so the link stays a link.
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real) return false; // dangling or looping
        target = real;
        std::free(real);
        if (::stat(target.c_str(), &st) != 0) return false;
    }
    if (existed && !S_ISREG(st.st_mode)) return false;
    if (existed && st.st_nlink > 1) return rewriteInPlace(target, data, sync, diskLimit);
    return replaceFile(target, existed ? st.st_mode & 07777 : 0644, data, sync, diskLimit);
}

bool zeroFillAndSync(int fd) {
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
    static const char zeros[65536] = {};
    for (off_t done = 0; ok && done < st.st_size;) {
        const size_t chunk = static_cast<size_t>(std::min<off_t>(st.st_size - done, sizeof zeros));
        const ssize_t n = ::pwrite(fd, zeros, chunk, done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    return ok && ::fsync(fd) == 0;
}

bool createNewFile(const std::string& path, const QByteArray& data, std::int64_t diskLimit) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data, diskLimit);
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        const int error = errno;
        ::unlink(path.c_str());
        errno = error;
    }
    return ok;
}

bool appendFile(const std::string& path, const QByteArray& data, std::int64_t diskLimit) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data, diskLimit);
    return ::close(fd) == 0 && ok;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool entryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace niv::host
