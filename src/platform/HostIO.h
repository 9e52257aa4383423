#pragma once

#include "WinTypes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <sys/stat.h>

namespace niv::host {

// Plain host-file helpers for the platform layer's own use; callers pass resolved host paths.

// The extended attribute where Wine and Samba keep a file's DOS attributes, as text "0x..".
constexpr const char* kDosAttrib = "user.DOSATTRIB";
// The read-only, hidden and system bits of that text; 0 when it is not such a text.
int parseDosAttrib(const char* text, long length);

// Windows-1252 text, as the machine reads files that are not valid UTF-8. The five bytes the code
// page leaves undefined stand for the C1 control of the same number, as Windows converts them; a
// character the code page lacks is written as "?".
QString decodeCp1252(const QByteArray& bytes);
QByteArray encodeCp1252(const QString& text);

// The files the program parses are far smaller; a larger one is refused rather than read.
constexpr std::int64_t kMaxReadSize = 64 * 1024 * 1024;

enum class ReadError { None, Failed, NotRegular, TooLarge };

// What tells one version of a file from another without reading it. A file rewritten in place
// within one tick of the file system's clock can keep every field: see isSettled.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modified = 0; // nanoseconds since 1970
    std::int64_t changed = 0;  // status change, which restoring the modification time cannot undo
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path` (links followed); false when it cannot be examined.
bool stampOf(const std::string& path, FileStamp& stamp);

// True when the file was last changed well before `readStart` (the host's clock, in nanoseconds,
// taken before it was read), so that any later change gives it another modification time. Files
// changed just before they were read may change again within the same clock tick unseen.
bool isSettled(const FileStamp& stamp, std::int64_t readStart);

// The host's wall clock in nanoseconds since 1970, as file times count.
std::int64_t wallClockNs();

// The version of a file that was last read or written: its stamp (the empty stamp for a file that
// was missing) and whether that stamp alone tells a later change (see isSettled).
struct KeptVersion {
    FileStamp stamp;
    bool settled = false;
};

// The version of the file at `path` as it is now, read `readStart` (wallClockNs before the read)
// or just written: a missing file gives the empty stamp.
KeptVersion versionOf(const std::string& path, std::int64_t readStart);

// True when the file at `path` (links followed) still is the kept version: the same stamp and, when
// that cannot tell, the same bytes as `keptBytes` gives. It settles the version when it can. One
// stat when the kept version is settled.
bool isUnchanged(const std::string& path, KeptVersion& kept, const std::function<QByteArray()>& keptBytes);

// Reads a whole regular file of at most `maxSize` bytes, also one that reports size 0 as /proc
// files do. Anything else (a FIFO, a device, a folder) is refused at once, without blocking.
// False when the file cannot be read; `why` then tells why.
// `stamp` gets the stamp of the file that was opened.
bool readFile(const std::string& path, QByteArray& out, std::int64_t maxSize = kMaxReadSize,
              ReadError* why = nullptr, FileStamp* stamp = nullptr);

// Reads a regular file up to its first line break (CR or LF, not included) or its end, reading no
// further than that; a line longer than `maxSize` bytes is cut there.
bool readFirstLine(const std::string& path, QByteArray& out, std::int64_t maxSize = kMaxReadSize,
                   ReadError* why = nullptr);

// Test seam of the writes below: a write stops with ENOSPC after this many bytes, as on a full
// disk (see FaultInjector::takeHostWrite); -1 is no limit.
constexpr std::int64_t kNoDiskLimit = -1;

// Replaces a file as a whole: writes a temporary file beside it, flushes it to disk, renames it over
// the old one and flushes the folder, so a kill leaves the old file or the new one. The new file
// keeps the old one's mode, its user extended attributes (the DOS attributes among them) and its
// owner and group as far as the system allows (a user who is not root keeps a group of theirs); a
// new file gets 0666 less the umask, as Wine creates files. A symbolic link stays: the file it
// leads to is replaced. A file with further hard links is replaced the same way: its other names
// keep the old content. The writer holds a lock on its temporary file until the rename; before
// writing, the temporary files of this file whose lock can be taken (their writer was killed) are
// removed. Returns false on any failure, and the old file is then left whole.
bool writeFileAtomic(const std::string& path, const QByteArray& data, std::int64_t diskLimit = kNoDiskLimit);

// Overwrites an open regular file's content once with zeros and flushes it. A file with another
// name elsewhere keeps its content (that name is not the caller's to wipe), as does anything but a
// regular file: false.
bool zeroFillAndSync(int fd);

// Appends to a file, creating it when missing.
bool appendFile(const std::string& path, const QByteArray& data, std::int64_t diskLimit = kNoDiskLimit);

bool exists(const std::string& path);      // follows links
bool entryExists(const std::string& path); // the entry itself: a dangling link counts
bool isDirectory(const std::string& path); // follows links

// Creates a new file holding `data`; fails when the name is taken (errno EEXIST) and leaves nothing
// behind when the write fails.
bool createNewFile(const std::string& path, const QByteArray& data, std::int64_t diskLimit = kNoDiskLimit);

// The host name of `name` in the open folder `dirFd` compared in any case, as a path search takes a
// name it does not find as spelt; names Windows cannot hold are never taken. "" when there is none.
// Reads the folder from its start. Defined with the path resolution.
std::string findAnyCase(int dirFd, const QString& name);

// The Windows error for a failed host call's errno.
int errnoToWin(int err);

// True when the kernel reads an extended attribute by a folder's handle and a name (getxattrat,
// Linux 6.13 on); probed by asking it once.
bool probeXattrByHandle();
// The entry's own DOS attribute text, by name in the open folder `dirFd` (a link is not followed):
// by the folder's handle when `byHandle`, else through the folder's /proc name. As getxattr returns.
long readDosAttribAt(int dirFd, const char* name, char* buf, std::size_t size, bool byHandle);

// What statx is asked for where an entry's mount matters.
constexpr unsigned kMountMask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_MNT_ID;
// True when `entry` lies on another mount than `folder` (both from statx with kMountMask): a
// mount point, also one bound from the same file system, which keeps the device number. The
// device number decides only where the kernel tells neither the mount nor a mount's root.
bool otherMount(const struct statx& entry, const struct statx& folder);

// Which file a status names.
FileId idOf(const struct stat& st);
FileId idOf(const struct statx& sx);

// True when the host path is one of `folders` or lies inside one, by identity, whatever name, link,
// ".." or bind mount of a folder reaches it: the entry itself (followed when it is a link and
// `followLast` is set), then the folder holding the nearest part of the path that exists, with
// every link followed, and each folder above it up to the root. A path that is missing lies where
// its nearest existing folder lies, so creating it there is known for what it is.
bool isWithin(const std::string& path, std::span<const FileId> folders, bool followLast);

} // namespace niv::host
