#include "FileSys.h"

#include "HostIO.h"
#include "Machine.h"
#include "Walk.h"
#include "WinPath.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace niv {

namespace {

using host::errnoToWin;
using host::kDosAttrib;
using host::parseDosAttrib;
constexpr int kXattrBits = faReadOnly | faHidden | faSysFile;

int readXattrBits(const std::string& hostPath) {
    char buf[64];
    ssize_t n = ::getxattr(hostPath.c_str(), kDosAttrib, buf, sizeof buf);
    return n > 0 ? parseDosAttrib(buf, n) : 0;
}

// The attribute bits that follow from the host file type and mode alone.
int baseAttr(const struct stat& st, bool isLink) {
    int attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
    if ((st.st_mode & 0222) == 0) attr |= faReadOnly;
    if (isLink) attr |= faReparsePoint;
    return attr;
}

FileTime toFileTime(const struct statx_timestamp& ts) {
    return unixToFileTime(ts.tv_sec, ts.tv_nsec);
}

// True for a path whose last written component is "." or "..": never a file to delete.
bool endsInDotName(const QString& path) {
    QString p = path;
    p.replace(u'/', u'\\');
    while (p.endsWith(u'\\'))
        p.chop(1);
    const QString last = extractFileName(p);
    return last == u"." || last == u"..";
}

bool wildMatch(const QString& name, qsizetype ni, const QString& mask, qsizetype mi) {
    while (mi < mask.size()) {
        const QChar m = mask.at(mi);
        if (m == u'*') {
            while (mi < mask.size() && mask.at(mi) == u'*')
                ++mi;
            if (mi == mask.size()) return true;
            for (qsizetype k = ni; k <= name.size(); ++k)
                if (wildMatch(name, k, mask, mi)) return true;
            return false;
        }
        if (ni == name.size()) {
            // DOS: a trailing "?" may match nothing.
            if (m == u'?') {
                ++mi;
                continue;
            }
            return false;
        }
        if (m != u'?' && m != name.at(ni)) return false;
        ++ni;
        ++mi;
    }
    return ni == name.size();
}

} // namespace

bool matchesMask(const QString& name, const QString& mask) {
    if (mask == u"*" || mask == u"*.*") return true;
    const QString n = winUpper(name);
    const QString m = winUpper(mask);
    if (wildMatch(n, 0, m, 0)) return true;
    if (n.contains(u'.')) return false;
    // Names without a dot also match "x.*" and "x." as if the dot part were absent.
    if (m.endsWith(QStringLiteral(".*"))) return wildMatch(n, 0, m.chopped(2), 0);
    if (m.endsWith(u'.') && m.size() > 1) return wildMatch(n, 0, m.chopped(1), 0);
    return false;
}

bool FileExists(Machine& machine, const QString& path, Spelling spelling) {
    return FileExists(machine, resolve(machine, path, spelling));
}

bool FileExists(Machine&, const HostPath& hp) {
    return hp.exists && !hp.isRoot && !host::isDirectory(hp.path) && host::exists(hp.path);
}

bool DirectoryExists(Machine& machine, const QString& path) {
    HostPath hp = resolve(machine, path);
    return hp.exists && host::isDirectory(hp.path);
}

namespace {

bool statPath(const HostPath& hp, int& attr, struct statx* out = nullptr) {
    struct statx sx {};
    if (::statx(AT_FDCWD, hp.path.c_str(), 0,
                STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME, &sx) != 0)
        return false;
    struct stat st {};
    st.st_mode = sx.stx_mode;
    attr = baseAttr(st, S_ISLNK(hp.mode)) | readXattrBits(hp.path);
    if (out) *out = sx;
    return true;
}

} // namespace

int FileGetAttr(Machine& machine, const QString& path) {
    HostPath hp = resolve(machine, path);
    int attr = 0;
    if (!hp.exists || !statPath(hp, attr)) {
        machine.setLastError(ERROR_FILE_NOT_FOUND);
        return -1;
    }
    return attr;
}

bool FileSetAttr(Machine& machine, const QString& path, int attr) {
    HostPath hp = resolve(machine, path);
    if (!hp.exists) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (inProgramFolder(machine, hp, true)) return failWith(machine, ERROR_ACCESS_DENIED);
    if (int err = machine.faults().check(FaultInjector::Op::Write, hp.winPath)) return failWith(machine, err);
    struct stat st {};
    if (::stat(hp.path.c_str(), &st) != 0) return failWith(machine, ERROR_FILE_NOT_FOUND);
    const int bits = attr & kXattrBits;
    if (bits == 0) {
        if (::removexattr(hp.path.c_str(), kDosAttrib) != 0 && errno != ENODATA)
            return failWith(machine, errnoToWin(errno));
    } else {
        char text[16];
        int n = std::snprintf(text, sizeof text, "0x%x", bits);
        if (::setxattr(hp.path.c_str(), kDosAttrib, text, static_cast<size_t>(n), 0) != 0)
            return failWith(machine, errnoToWin(errno));
    }
    // Clearing read-only must also make a file without write bits writable.
    if (!(attr & faReadOnly) && (st.st_mode & 0222) == 0) ::chmod(hp.path.c_str(), st.st_mode | 0200);
    return true;
}

bool DeleteFile(Machine& machine, const QString& path, Spelling spelling) {
    if (endsInDotName(path)) return failWith(machine, ERROR_ACCESS_DENIED);
    return DeleteFile(machine, resolve(machine, path, spelling));
}

bool DeleteFile(Machine& machine, const HostPath& hp) {
    if (!hp.valid()) return failWith(machine, ERROR_PATH_NOT_FOUND);
    if (!hp.exists) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (hp.isRoot || S_ISDIR(hp.mode) || inProgramFolder(machine, hp))
        return failWith(machine, ERROR_ACCESS_DENIED);
    // "file.txt\" names a folder that does not exist, never the file.
    if (hp.winPath.endsWith(u'\\')) return failWith(machine, ERROR_INVALID_NAME);
    if (int err = machine.faults().check(FaultInjector::Op::DeleteFile, hp.winPath))
        return failWith(machine, err);
    if (!S_ISLNK(hp.mode)) {
        char buf[64];
        ssize_t n = ::lgetxattr(hp.path.c_str(), kDosAttrib, buf, sizeof buf);
        const bool readOnly = (hp.mode & 0222) == 0 || (n > 0 && (parseDosAttrib(buf, n) & faReadOnly));
        if (readOnly) return failWith(machine, ERROR_ACCESS_DENIED);
    }
    // By name in the folder that holds it, and only while it is the entry that was found.
    const std::size_t slash = hp.path.rfind('/');
    const std::string folder = slash == 0 ? std::string("/") : hp.path.substr(0, slash);
    const int dirFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return failWith(machine, ERROR_FILE_NOT_FOUND);
    const char* name = hp.path.c_str() + slash + 1;
    struct stat now {};
    int err = ::fstatat(dirFd, name, &now, AT_SYMLINK_NOFOLLOW) != 0 || host::idOf(now) != hp.id
                  ? ERROR_FILE_NOT_FOUND
                  : ERROR_SUCCESS;
    if (err == ERROR_SUCCESS && ::unlinkat(dirFd, name, 0) != 0) err = errnoToWin(errno);
    ::close(dirFd);
    return err == ERROR_SUCCESS || failWith(machine, err);
}

bool RemoveDir(Machine& machine, const QString& path) {
    HostPath hp = resolve(machine, path);
    if (!hp.valid()) return failWith(machine, ERROR_PATH_NOT_FOUND);
    if (!hp.exists) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (hp.isRoot || inProgramFolder(machine, hp)) return failWith(machine, ERROR_ACCESS_DENIED);
    if (int err = machine.faults().check(FaultInjector::Op::RemoveDir, hp.winPath)) return failWith(machine, err);
    if (S_ISLNK(hp.mode)) {
        if (!host::isDirectory(hp.path)) return failWith(machine, ERROR_PATH_NOT_FOUND);
        if (::unlink(hp.path.c_str()) != 0) return failWith(machine, errnoToWin(errno));
        return true;
    }
    if (!S_ISDIR(hp.mode)) return failWith(machine, ERROR_PATH_NOT_FOUND);
    if (::rmdir(hp.path.c_str()) != 0) return failWith(machine, errnoToWin(errno));
    return true;
}

bool CreateDir(Machine& machine, const QString& path) {
    HostPath hp = resolve(machine, path);
    if (!hp.valid()) return failWith(machine, ERROR_PATH_NOT_FOUND);
    if (hp.exists) return failWith(machine, ERROR_ALREADY_EXISTS);
    if (inProgramFolder(machine, hp)) return failWith(machine, ERROR_ACCESS_DENIED);
    if (int err = machine.faults().check(FaultInjector::Op::CreateDir, hp.winPath)) return failWith(machine, err);
    if (::mkdir(hp.path.c_str(), 0755) != 0)
        return failWith(machine, errno == ENOENT ? ERROR_PATH_NOT_FOUND : errnoToWin(errno));
    return true;
}

bool ForceDirectories(Machine& machine, const QString& path) {
    const QString full = excludeTrailingBackslash(fullPath(machine, path));
    if (full.isEmpty()) return failWith(machine, ERROR_PATH_NOT_FOUND);
    // "X:" alone would mean the current folder of X:, not its root.
    if (full.size() <= 3) return DirectoryExists(machine, includeTrailingBackslash(full));
    if (DirectoryExists(machine, full)) return true;
    if (!ForceDirectories(machine, extractFilePath(full))) return false;
    return CreateDir(machine, full) || DirectoryExists(machine, full);
}

namespace {

// Copies an open regular file in chunks: a large file never sits in memory whole.
bool copyContents(int in, int out) {
    std::vector<char> buf(1 << 20);
    for (;;) {
        ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
    }
}

void copyDosAttrib(int in, int out) {
    char buf[64];
    const ssize_t n = ::fgetxattr(in, kDosAttrib, buf, sizeof buf);
    if (n > 0) ::fsetxattr(out, kDosAttrib, buf, static_cast<size_t>(n), 0);
}

// A Windows error; the source's own file (another name of it, a link to it) is never the target:
// emptying it would leave nothing to copy.
int copyHostFile(const std::string& from, const std::string& to, bool failIfExists) {
    const int in = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0) return ERROR_ACCESS_DENIED;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return ERROR_ACCESS_DENIED;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    const int out = ::open(to.c_str(), flags, st.st_mode & 0777 ? st.st_mode & 0777 : 0644);
    struct stat target {};
    int err = out < 0 || ::fstat(out, &target) != 0 ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    if (err == ERROR_SUCCESS && host::idOf(target) == host::idOf(st)) err = ERROR_SHARING_VIOLATION;
    if (err == ERROR_SUCCESS && (::ftruncate(out, 0) != 0 || !copyContents(in, out)))
        err = ERROR_ACCESS_DENIED;
    if (err == ERROR_SUCCESS) copyDosAttrib(in, out);
    ::close(in);
    if (out >= 0 && ::close(out) != 0 && err == ERROR_SUCCESS) err = ERROR_ACCESS_DENIED;
    return err;
}

// What a copy across file systems did, by device and inode: the entries it took, and each entry it
// made with the one it copies.
struct CopiedEntries {
    std::set<FileId> sources;
    std::map<FileId, FileId> made;
};
using host::idOf;

// The status of `name` in `dirFd` (not followed) for the copy and removal below; false when it is
// gone or lies on another mount than `holder`, the status of the folder `dirFd`.
bool entryOnMount(int dirFd, const char* name, const struct statx& holder, struct statx& sx) {
    return ::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, host::kMountMask, &sx) == 0 &&
           !host::otherMount(sx, holder);
}

// Deeper trees fail the copy: this descent recurses once per level.
constexpr int kMaxCopyDepth = 4096;

// Copies `name` of `fromDir` (of status `holder`) as `toName` into `toDir`: regular files and
// folders on the mount of `holder` only, each recorded in `copied`. Anything else (a link, a FIFO,
// a device, a mount point, a name Windows cannot hold, which the walk that removes the source or a
// failed copy would leave) fails the copy.
bool copyTreeAt(int fromDir, const struct statx& holder, const char* name, int toDir, const char* toName,
                CopiedEntries& copied, int depth = 0) {
    struct statx sx {};
    if (depth > kMaxCopyDepth || !entryOnMount(fromDir, name, holder, sx)) return false;
    copied.sources.insert(idOf(sx));
    struct stat made {};
    if (S_ISREG(sx.stx_mode)) {
        const int in = ::openat(fromDir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (in < 0) return false;
        const int out = ::openat(toDir, toName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, sx.stx_mode & 0777);
        if (out >= 0 && ::fstat(out, &made) == 0) copied.made.emplace(idOf(made), idOf(sx));
        bool ok = out >= 0 && copyContents(in, out);
        if (ok) copyDosAttrib(in, out);
        ::close(in);
        if (out >= 0) ok = ::close(out) == 0 && ok;
        return ok;
    }
    if (!S_ISDIR(sx.stx_mode)) return false;
    if (::mkdirat(toDir, toName, 0700) != 0) return false;
    if (::fstatat(toDir, toName, &made, AT_SYMLINK_NOFOLLOW) == 0) copied.made.emplace(idOf(made), idOf(sx));
    const int in = ::openat(fromDir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int out = ::openat(toDir, toName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    bool ok = in >= 0 && out >= 0;
    if (ok) copyDosAttrib(in, out);
    DIR* d = ok ? ::fdopendir(in) : nullptr;
    if (d) {
        while (ok)
            if (dirent* e = ::readdir(d)) {
                if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                    ok = isWindowsName(e->d_name, std::strlen(e->d_name)) &&
                         copyTreeAt(in, sx, e->d_name, out, e->d_name, copied, depth + 1);
            } else {
                break;
            }
        ::closedir(d);
    } else {
        if (in >= 0) ::close(in);
        ok = false;
    }
    if (ok) ok = ::fchmod(out, sx.stx_mode & 07777) == 0;
    if (out >= 0) ::close(out);
    return ok;
}

// Removes `name` in `dirFd` as far as `only` takes it: a file by its name, a folder through the
// walk; an entry `only` refuses stays, and so do the folders holding it. True when all went.
bool removeMoved(Machine& machine, int dirFd, const char* name, const QString& winPath,
                 const std::function<bool(const FileId&)>& only) {
    struct statx sx {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, host::kMountMask, &sx) != 0 || !only(idOf(sx)))
        return false;
    if (!S_ISDIR(sx.stx_mode)) return ::unlinkat(dirFd, name, 0) == 0;
    return removeTree(machine, winPath, true, true,
                      [&only](const WalkEntry& e) { return only(e.fileId()); }) == ERROR_SUCCESS;
}

// The entries `name` in `dirFd` holds now, a folder's as far as the walk reaches.
std::set<FileId> presentEntries(Machine& machine, int dirFd, const char* name, const QString& winPath) {
    std::set<FileId> out;
    struct statx sx {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, host::kMountMask, &sx) != 0) return out;
    out.insert(idOf(sx));
    if (S_ISDIR(sx.stx_mode))
        static_cast<void>(walkTree(machine, winPath, {}, [&out](WalkEntry& e) {
            out.insert(e.fileId());
            return WalkStep::Continue;
        }));
    return out;
}

// Moves across file systems: the whole tree is copied first, then what was copied is removed from
// the source. When either fails, the move fails and the copy goes again, as far as the copy made it
// and its source is still there: an entry that did leave the source keeps its copy, so nothing is
// lost. Nothing the copy did not make is removed, whatever came to the destination meanwhile.
bool moveAcross(Machine& machine, const HostPath& source, const HostPath& target) {
    const std::string& from = source.path;
    const std::string& to = target.path;
    const std::string fromDir = from.substr(0, from.rfind('/') + 1);
    const std::string fromName = from.substr(from.rfind('/') + 1);
    const std::string toDir = to.substr(0, to.rfind('/') + 1);
    const std::string toName = to.substr(to.rfind('/') + 1);
    const int src = ::open(fromDir.empty() ? "/" : fromDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int dst = ::open(toDir.empty() ? "/" : toDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct statx srcAt {};
    struct statx dstAt {};
    struct stat st {};
    bool ok = src >= 0 && dst >= 0 && ::statx(src, "", AT_EMPTY_PATH, host::kMountMask, &srcAt) == 0 &&
              ::statx(dst, "", AT_EMPTY_PATH, host::kMountMask, &dstAt) == 0 &&
              ::fstatat(src, fromName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    int err = ok ? 0 : errno;
    if (ok && ::fstatat(dst, toName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        ok = false;
        err = EEXIST;
    } else if (ok && machine.faults().check(FaultInjector::Op::Write, target.winPath)) {
        ok = false;
        err = EACCES;
    } else if (ok) {
        CopiedEntries copied;
        ok = copyTreeAt(src, srcAt, fromName.c_str(), dst, toName.c_str(), copied);
        // The name was taken after the look: as if the look had found it.
        err = !ok && copied.made.empty() && errno == EEXIST ? EEXIST : EIO;
        // The source entries still in place: all of them when the copy failed.
        std::set<FileId> staying = copied.sources;
        if (ok) {
            ok = removeMoved(machine, src, fromName.c_str(), source.winPath,
                             [&copied](const FileId& id) { return copied.sources.count(id) != 0; });
            if (!ok) staying = presentEntries(machine, src, fromName.c_str(), source.winPath);
        }
        if (!ok) {
            removeMoved(machine, dst, toName.c_str(), target.winPath, [&](const FileId& id) {
                const auto of = copied.made.find(id);
                return of != copied.made.end() && staying.count(of->second) != 0;
            });
        }
    }
    if (src >= 0) ::close(src);
    if (dst >= 0) ::close(dst);
    if (!ok) errno = err;
    return ok;
}

} // namespace

bool MoveFile(Machine& machine, const QString& from, const QString& to) {
    HostPath src = resolve(machine, from);
    HostPath dst = resolve(machine, to);
    if (!src.exists) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (!dst.valid() || src.isRoot) return failWith(machine, ERROR_PATH_NOT_FOUND);
    if (inProgramFolder(machine, src) || inProgramFolder(machine, dst))
        return failWith(machine, ERROR_ACCESS_DENIED);
    if (dst.exists) return failWith(machine, ERROR_ALREADY_EXISTS);
    if (int err = machine.faults().check(FaultInjector::Op::Rename, src.winPath)) return failWith(machine, err);
    return moveEntry(machine, src, dst) || failWith(machine, errnoToWin(errno));
}

bool moveEntry(Machine& machine, const HostPath& from, const HostPath& to) {
    if (holdsProgramFolder(machine, from)) {
        errno = EACCES;
        return false;
    }
    if (::renameat2(AT_FDCWD, from.path.c_str(), AT_FDCWD, to.path.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL) { // a file system that cannot refuse to replace: look first
        if (host::entryExists(to.path)) {
            errno = EEXIST;
            return false;
        }
        if (::rename(from.path.c_str(), to.path.c_str()) == 0) return true;
    }
    return errno == EXDEV && moveAcross(machine, from, to);
}

bool CopyFile(Machine& machine, const QString& from, const QString& to, bool failIfExists) {
    HostPath src = resolve(machine, from);
    HostPath dst = resolve(machine, to);
    if (!src.exists || S_ISDIR(src.mode)) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (!dst.valid() || inProgramFolder(machine, dst, true)) return failWith(machine, ERROR_ACCESS_DENIED);
    if (dst.exists && failIfExists) return failWith(machine, ERROR_FILE_EXISTS);
    if (int err = machine.faults().check(FaultInjector::Op::Write, dst.winPath)) return failWith(machine, err);
    const int err = copyHostFile(src.path, dst.path, failIfExists);
    return err == ERROR_SUCCESS || failWith(machine, err);
}

bool GetFileInfo(Machine& machine, const QString& path, FileInfo& info, Spelling spelling) {
    return GetFileInfo(machine, resolve(machine, path, spelling), info);
}

bool GetFileInfo(Machine& machine, const HostPath& hp, FileInfo& info) {
    struct statx sx {};
    if (!hp.exists || !statPath(hp, info.attr, &sx)) return failWith(machine, ERROR_FILE_NOT_FOUND);
    info.size = S_ISDIR(sx.stx_mode) ? 0 : static_cast<std::int64_t>(sx.stx_size);
    info.lastWriteTime = toFileTime(sx.stx_mtime);
    info.lastAccessTime = toFileTime(sx.stx_atime);
    info.creationTime = (sx.stx_mask & STATX_BTIME) ? toFileTime(sx.stx_btime) : info.lastWriteTime;
    return true;
}

QString GetShortPathName(Machine& machine, const QString& path) {
    HostPath hp = resolve(machine, path);
    if (!hp.exists) {
        machine.setLastError(ERROR_FILE_NOT_FOUND);
        return {};
    }
    return path;
}

QString GetCurrentDir(const Machine& machine) {
    const QString& cur = machine.currentFolder();
    return cur.size() > 3 ? excludeTrailingBackslash(cur) : cur;
}

bool SetCurrentDir(Machine& machine, const QString& path) {
    HostPath hp = resolve(machine, path);
    if (!hp.exists || !host::isDirectory(hp.path)) return failWith(machine, ERROR_PATH_NOT_FOUND);
    machine.setCurrentFolderRaw(includeTrailingBackslash(hp.winPath));
    return true;
}

bool ReadFileBytes(Machine& machine, const QString& path, QByteArray& data) {
    HostPath hp = resolve(machine, path);
    if (!hp.exists) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (int err = machine.faults().check(FaultInjector::Op::Open, hp.winPath)) return failWith(machine, err);
    host::ReadError why = host::ReadError::None;
    if (!host::readFile(hp.path, data, host::kMaxReadSize, &why))
        return failWith(machine, why == host::ReadError::TooLarge ? ERROR_FILE_TOO_LARGE : ERROR_ACCESS_DENIED);
    return true;
}

namespace {

HostPath writableTarget(Machine& machine, const QString& path, bool& ok) {
    HostPath hp = resolve(machine, path);
    ok = false;
    if (!hp.valid() || hp.isRoot) return failWith(machine, ERROR_PATH_NOT_FOUND), hp;
    if ((hp.exists && S_ISDIR(hp.mode)) || inProgramFolder(machine, hp, true))
        return failWith(machine, ERROR_ACCESS_DENIED), hp;
    struct stat target {}; // through a link, the file it leads to
    if (hp.exists && ::stat(hp.path.c_str(), &target) == 0 &&
        ((readXattrBits(hp.path) & faReadOnly) || (target.st_mode & 0222) == 0))
        return failWith(machine, ERROR_ACCESS_DENIED), hp; // a read-only file is not replaced
    if (int err = machine.faults().check(FaultInjector::Op::Write, hp.winPath)) return failWith(machine, err), hp;
    if (!DirectoryExists(machine, extractFilePath(hp.winPath)))
        return failWith(machine, ERROR_PATH_NOT_FOUND), hp;
    ok = true;
    return hp;
}

} // namespace

bool WriteFileBytes(Machine& machine, const QString& path, const QByteArray& data) {
    bool ok = false;
    HostPath hp = writableTarget(machine, path, ok);
    if (!ok) return false;
    if (!host::writeFileAtomic(hp.path, data, machine.faults().takeHostWrite(hp.path)))
        return failWith(machine, errnoToWin(errno));
    return true;
}

bool AppendFileBytes(Machine& machine, const QString& path, const QByteArray& data) {
    bool ok = false;
    HostPath hp = writableTarget(machine, path, ok);
    if (!ok) return false;
    if (!host::appendFile(hp.path, data, machine.faults().takeHostWrite(hp.path)))
        return failWith(machine, errnoToWin(errno));
    return true;
}

bool ReadFirstLine(Machine& machine, const QString& path, QString& line) {
    line.clear();
    HostPath hp = resolve(machine, path);
    if (!hp.exists) return failWith(machine, ERROR_FILE_NOT_FOUND);
    if (int err = machine.faults().check(FaultInjector::Op::Open, hp.winPath)) return failWith(machine, err);
    QByteArray bytes;
    if (!host::readFirstLine(hp.path, bytes)) return failWith(machine, ERROR_ACCESS_DENIED);
    line = decodeAnsi(bytes);
    return true;
}

QString decodeAnsi(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    return text.toUtf8() == bytes ? text : host::decodeCp1252(bytes);
}

QString SysErrorMessage(int error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("The file was not found.");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("The folder was not found.");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("Access was refused.");
    case ERROR_SHARING_VIOLATION:
        return QStringLiteral("The file is in use by another program.");
    case ERROR_DISK_FULL:
        return QStringLiteral("There is not enough space on the disk.");
    case ERROR_FILE_TOO_LARGE:
        return QStringLiteral("The file is too large.");
    default:
        return QStringLiteral("System error %1.").arg(error);
    }
}

// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDelta = 11644473600LL;

std::int64_t fileTimeToUnix(FileTime ft) {
    return ft / 10000000LL - kEpochDelta;
}

FileTime unixToFileTime(std::int64_t seconds, long nanoseconds) {
    return (seconds + kEpochDelta) * 10000000LL + nanoseconds / 100;
}

} // namespace niv
