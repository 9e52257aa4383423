#include "HostIO.h"
#include "WinTypes.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
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
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

#ifndef SYS_getxattrat
#define SYS_getxattrat 464 // one number on every architecture since the tables were unified
#endif

namespace {

long getxattrAt(int dirFd, const char* name, char* buf, std::size_t size) {
    struct {
        std::uint64_t value;
        std::uint32_t size;
        std::uint32_t flags;
    } args{reinterpret_cast<std::uintptr_t>(buf), static_cast<std::uint32_t>(size), 0};
    return ::syscall(SYS_getxattrat, dirFd, name, AT_SYMLINK_NOFOLLOW, kDosAttrib, &args, sizeof args);
}

} // namespace

bool probeXattrByHandle() {
    char buf[64];
    // A kernel without the call, or a sandbox that forbids it, says so; any other answer is its own.
    return getxattrAt(AT_FDCWD, "/", buf, sizeof buf) >= 0 || (errno != ENOSYS && errno != EPERM);
}

long readDosAttribAt(int dirFd, const char* name, char* buf, std::size_t size, bool byHandle) {
    if (byHandle) return getxattrAt(dirFd, name, buf, size);
    char path[64 + 256];
    if (std::strlen(name) > 255) return -1;
    std::snprintf(path, sizeof path, "/proc/self/fd/%d/%s", dirFd, name);
    return ::lgetxattr(path, kDosAttrib, buf, size);
}

bool otherMount(const struct statx& entry, const struct statx& folder) {
    if (entry.stx_mask & folder.stx_mask & STATX_MNT_ID) return entry.stx_mnt_id != folder.stx_mnt_id;
    if (entry.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return entry.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    return makedev(entry.stx_dev_major, entry.stx_dev_minor) !=
           makedev(folder.stx_dev_major, folder.stx_dev_minor);
}

FileId idOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

FileId idOf(const struct statx& sx) {
    return {makedev(sx.stx_dev_major, sx.stx_dev_minor), sx.stx_ino};
}

bool isWithin(const std::string& path, std::span<const FileId> folders, bool followLast) {
    const auto isOne = [&](const char* at, bool follow) {
        struct stat st {};
        const int got = follow ? ::stat(at, &st) : ::lstat(at, &st);
        return got == 0 && std::find(folders.begin(), folders.end(), idOf(st)) != folders.end();
    };
    if (folders.empty() || path.empty()) return false;
    const auto holder = [](const std::string& p) { return p.substr(0, p.rfind('/')); };
    std::string start = holder(path);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && followLast) {
        // The place the link leads to, also when nothing is there yet (a write would create it).
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n <= 0 || n == sizeof target) return true; // cannot tell where a write would go
        start = target[0] == '/' ? std::string(target, n) : start + '/' + std::string(target, n);
        if (isOne(path.c_str(), true)) return true;
    } else if (isOne(path.c_str(), false)) {
        return true;
    }
    // The nearest part that exists, every link in it followed, then each folder above it.
    std::string real;
    for (;;) {
        if (char* r = ::realpath(start.empty() ? "/" : start.c_str(), nullptr)) {
            real = r;
            std::free(r);
            break;
        }
        const std::size_t slash = start.rfind('/');
        if (slash == std::string::npos || start.empty()) return false;
        start.resize(slash);
    }
    for (;;) {
        if (isOne(real.empty() ? "/" : real.c_str(), true)) return true;
        if (real.empty() || real == "/") return false;
        real.resize(real.rfind('/'));
    }
}

namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString decodeCp1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kCp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

QByteArray encodeCp1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append('?'); // one replacement per code point, as Windows does
            ++i;
            continue;
        }
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        char out = '?';
        for (int k = 0; k < 32; ++k) {
            if (kCp1252High[k] == u) {
                out = static_cast<char>(0x80 + k);
                break;
            }
        }
        bytes.append(out);
    }
    return bytes;
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

KeptVersion versionOf(const std::string& path, std::int64_t readStart) {
    KeptVersion version;
    if (stampOf(path, version.stamp))
        version.settled = isSettled(version.stamp, readStart);
    else
        version = {};
    return version;
}

bool isUnchanged(const std::string& path, KeptVersion& kept, const std::function<QByteArray()>& keptBytes) {
    FileStamp now;
    if (!stampOf(path, now)) return kept.stamp == FileStamp{};
    if (now != kept.stamp) return false;
    if (kept.settled) return true;
    // Rewritten within a tick of the clock: only the bytes can tell.
    const std::int64_t readStart = wallClockNs();
    QByteArray data;
    FileStamp read;
    if (!readFile(path, data, kMaxReadSize, nullptr, &read) || read != now || data != keptBytes())
        return false;
    kept.settled = isSettled(now, readStart);
    return true;
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

void syncFolder(const std::string& folder) {
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

const std::string kTempMark = ".nivtmp-";

// The start of the temporary names of one file: ".<name>.nivtmp-". The name is cut so that the
// whole temporary name (with its random end) still fits in a folder entry.
std::string tempPrefix(const std::string& name) {
    return '.' + name.substr(0, 200) + kTempMark;
}

// Removes the temporary files that this file's earlier writers left when they were killed. A live
// writer, in whatever process or PID namespace, holds a lock on its temporary file: only a file
// whose lock can be taken is left over.
void removeLeftovers(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* e = ::readdir(dir)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        const int fd = ::openat(::dirfd(dir), e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::fstatat(::dirfd(dir), e->d_name, &named, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0 &&
            idOf(opened) == idOf(named))
            ::unlinkat(::dirfd(dir), e->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Creates and locks a new temporary file `prefix` + six random characters in `folder`, with
// `mode` less the umask, and gives its descriptor (-1 on failure) and its path.
int createLockedTemp(const std::string& folder, const std::string& prefix, mode_t mode, std::string& path) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, 0) != sizeof random) return -1;
        path = folder + '/' + prefix;
        for (unsigned char r : random)
            path += letters[r % 62];
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // Another writer may have taken it for a leftover between its creation and the lock: the
        // name must still lead to this file once it is locked.
        struct stat opened {};
        struct stat named {};
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked == 0 && ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            idOf(opened) == idOf(named))
            return fd;
        const int why = errno;
        ::close(fd);
        if (locked != 0) {
            ::unlink(path.c_str());
            errno = why;
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

// What the new file takes over from the old one besides its mode: every user extended attribute
// (the DOS attributes among them) and, as far as the system lets this process give them, the owner
// and the group.
void keepOwnership(int fd, const std::string& old, const struct stat& st) {
    const ssize_t size = ::listxattr(old.c_str(), nullptr, 0);
    std::string names(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    const ssize_t length = size > 0 ? ::listxattr(old.c_str(), names.data(), names.size()) : 0;
    std::string value(65536, '\0'); // the largest value Linux stores
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names.c_str() + at)) + 1) {
        const char* name = names.c_str() + at;
        if (std::strncmp(name, "user.", 5) != 0) continue;
        const ssize_t n = ::getxattr(old.c_str(), name, value.data(), value.size());
        if (n >= 0) ::fsetxattr(fd, name, value.data(), static_cast<size_t>(n), 0);
    }
    // A user who is not root may still give the file a group of their own.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
}

} // namespace

bool writeFileAtomic(const std::string& path, const QByteArray& data, std::int64_t diskLimit) {
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
    if (existed && !S_ISREG(st.st_mode)) {
        errno = EACCES;
        return false;
    }

    const std::string folder = folderOf(target);
    const std::string prefix = tempPrefix(target.substr(target.rfind('/') + 1));
    removeLeftovers(folder, prefix);
    // A new file gets what Wine gives the files it creates: 0666 less the umask.
    std::string tmp;
    const int fd = createLockedTemp(folder, prefix, existed ? 0600 : 0666, tmp);
    if (fd < 0) return false;
    if (existed) {
        keepOwnership(fd, target, st);
        ::fchmod(fd, st.st_mode & 07777);
    }
    bool ok = writeAll(fd, data, diskLimit) && ::fsync(fd) == 0;
    // Renamed while locked, so that no one takes it for a leftover.
    if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int why = errno; // the caller reports it
        ::unlink(tmp.c_str());
        ::close(fd);
        errno = why;
        return false;
    }
    ::close(fd);
    syncFolder(folder);
    return true;
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
