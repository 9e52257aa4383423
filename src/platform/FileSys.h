#pragma once

#include "WinTypes.h"

#include <QByteArray>
#include <QString>

namespace niv {

class Machine;
struct HostPath;

// True when the DOS mask matches the long name (case-insensitive; "*.*" and a trailing ".*"
// also match names without a dot).
bool matchesMask(const QString& name, const QString& mask);

// File-system calls with Windows semantics. Each failure sets the machine's last error.
// The calls that take a `spelling` find the path's names as it says: a path a listing found is
// taken as spelt, never as a case twin. The calls that take a HostPath check or act on the entry
// that one resolution found, so that a check and the act after it concern one entry: an act finds
// the entry again by its identity, and fails as for a missing file when another stands there.
bool FileExists(Machine& machine, const QString& path,
                Spelling spelling = Spelling::AnyCase);          // a file, not a folder
bool FileExists(Machine& machine, const HostPath& path);
bool DirectoryExists(Machine& machine, const QString& path); // a folder
// The attribute word, or -1 when the path is missing.
int FileGetAttr(Machine& machine, const QString& path);
// Sets read-only, hidden, system and archive; false when the path is missing or read-only.
bool FileSetAttr(Machine& machine, const QString& path, int attr);

// Deletes a file: refuses folders, "." and "..", read-only and missing files. A link is removed,
// never its target.
bool DeleteFile(Machine& machine, const QString& path, Spelling spelling = Spelling::AnyCase);
bool DeleteFile(Machine& machine, const HostPath& path);
// Removes an empty folder (a link to a folder: the link).
bool RemoveDir(Machine& machine, const QString& path);
// Creates one folder level; false when it exists or its parent is missing.
bool CreateDir(Machine& machine, const QString& path);
// Creates every missing level.
bool ForceDirectories(Machine& machine, const QString& path);

// Moves a file or folder within the machine (copies then deletes across host file systems), as
// moveEntry does.
bool MoveFile(Machine& machine, const QString& from, const QString& to);
// Moves a resolved file, link or folder to a resolved name that must be free (errno EEXIST
// otherwise, also for one that appears meanwhile): a rename, or across file systems a copy of
// regular files and folders only, then the removal of what was copied, through the walk. When the
// copy fails or the source cannot be removed whole, the move fails (errno EIO) and each copy whose
// source is still in place is removed again; an entry that did leave keeps its copy. A folder that
// holds the program folder is refused (EACCES).
bool moveEntry(Machine& machine, const HostPath& from, const HostPath& to);
// Copies a file; fails when `to` exists and `failIfExists` is set, and when it is the source's own
// file under any name (ERROR_SHARING_VIOLATION).
bool CopyFile(Machine& machine, const QString& from, const QString& to, bool failIfExists);

// Details of one path; false when it is missing. A given path is followed, so a link to a file
// gives the file's size, where its search record gives 0.
struct FileInfo {
    int attr = 0;
    std::int64_t size = 0;
    FileTime creationTime = 0, lastWriteTime = 0, lastAccessTime = 0;
};
bool GetFileInfo(Machine& machine, const QString& path, FileInfo& info, Spelling spelling = Spelling::AnyCase);
bool GetFileInfo(Machine& machine, const HostPath& path, FileInfo& info);

// 8.3 generation is off on this machine's volumes: the path itself when it exists, else "".
QString GetShortPathName(Machine& machine, const QString& path);

// The current folder of the machine. Setting it fails (false) when the folder is missing.
QString GetCurrentDir(const Machine& machine);
bool SetCurrentDir(Machine& machine, const QString& path);

// Whole-file access for the program's own files (batch files, reports, INI files). Reading takes
// regular files only (ERROR_ACCESS_DENIED for anything else) of at most 64 MiB
// (ERROR_FILE_TOO_LARGE).
bool ReadFileBytes(Machine& machine, const QString& path, QByteArray& data);
// The first line of a text file in the machine's ANSI code page (UTF-8; Windows-1252 when not valid
// UTF-8): up to its first line break or its end; nothing after the break is read. Regular files
// only (ERROR_ACCESS_DENIED otherwise); false with the machine's last error when it cannot be read.
bool ReadFirstLine(Machine& machine, const QString& path, QString& line);
// Text of the machine's ANSI code page: UTF-8, or Windows-1252 when the bytes are not valid UTF-8.
QString decodeAnsi(const QByteArray& bytes);
// The system's message for a Windows error number, as FormatMessage gives it.
QString SysErrorMessage(int error);
// Replaces the file atomically (temporary file, rename); creates it when missing, not its folder.
bool WriteFileBytes(Machine& machine, const QString& path, const QByteArray& data);
bool AppendFileBytes(Machine& machine, const QString& path, const QByteArray& data);

// Converts a FILETIME to seconds since 1970 and back.
std::int64_t fileTimeToUnix(FileTime ft);
FileTime unixToFileTime(std::int64_t seconds, long nanoseconds = 0);

} // namespace niv
