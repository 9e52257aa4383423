#pragma once

#include "WinTypes.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>

namespace niv {

class Machine;
struct FindState;

// One entry of a file search: its name, attribute word, size and times.
struct SearchRec {
    QString Name;

    // The size (0 for folders and links) and the three times. Read from the host on first use: a walk that
    // asks only for names and folder bits then costs no per-entry stat. Ask before changing the
    // entry; a deleted entry reads as 0.
    std::int64_t Size() const;
    FileTime CreationTime() const;
    FileTime LastWriteTime() const;
    FileTime LastAccessTime() const;

    // The attribute word. Read-only needs the entry's mode, hidden and system its extended
    // attribute; both are read only when asked for.
    int attr() const;
    // The folder and reparse-point (link) bits, known from the listing at no extra cost.
    bool isDirectory() const { return (m_baseAttr & faDirectory) != 0; }
    bool isReparsePoint() const { return (m_baseAttr & faReparsePoint) != 0; }

    std::shared_ptr<FindState> state; // the open search

    // Filled by the search: the directory (or archive) and reparse-point bits, known from the
    // listing. attr() completes the word on demand.
    int m_baseAttr = 0;
    mutable int m_xattrBits = -1;
    mutable int m_fullAttr = -1;
    std::shared_ptr<const std::string> m_hostDir; // shared with the search
    std::string m_hostName;
    std::string hostPath() const;

    struct HostStat {
        std::int64_t size = 0;
        FileTime creation = 0, lastWrite = 0, lastAccess = 0;
        unsigned mode = 0;
    };
    const HostStat& hostStat() const;
    mutable bool m_statDone = false;
    mutable HostStat m_stat;
};

// Starts a search for `mask` (a folder followed by a name with * and ?). `attr` is the class
// library's filter: entries with hidden, system or directory bits that `attr` lacks are left out.
// Returns 0 and fills `rec` with the first entry, else a Windows error (2, 3 or 18).
int FindFirst(Machine& machine, const QString& mask, int attr, SearchRec& rec);
// The next entry: 0, or 18 when there is none.
int FindNext(SearchRec& rec);
// Ends the search (also done when `rec` goes away).
void FindClose(SearchRec& rec);

// True when the DOS mask matches the long name (case-insensitive; "*.*" and a trailing ".*"
// also match names without a dot).
bool matchesMask(const QString& name, const QString& mask);

// File-system calls with Windows semantics. Each failure sets the machine's last error.
// The calls that take `last` act on a path's last name as it says: a name a listing found is
// taken as spelt, never as a case twin.
bool FileExists(Machine& machine, const QString& path,
                LastName last = LastName::AnyCase);          // a file, not a folder
bool DirectoryExists(Machine& machine, const QString& path); // a folder
// The attribute word, or -1 when the path is missing.
int FileGetAttr(Machine& machine, const QString& path);
// Sets read-only, hidden, system and archive; false when the path is missing or read-only.
bool FileSetAttr(Machine& machine, const QString& path, int attr);

// Deletes a file: refuses folders, "." and "..", read-only and missing files. A link is removed,
// never its target.
bool DeleteFile(Machine& machine, const QString& path, LastName last = LastName::AnyCase);
// Removes an empty folder (a link to a folder: the link).
bool RemoveDir(Machine& machine, const QString& path);
// Creates one folder level; false when it exists or its parent is missing.
bool CreateDir(Machine& machine, const QString& path);
// Creates every missing level.
bool ForceDirectories(Machine& machine, const QString& path);

// Moves a file or folder within the machine (copies then deletes across host file systems).
bool MoveFile(Machine& machine, const QString& from, const QString& to);
// Copies a file; fails when `to` exists and `failIfExists` is set.
bool CopyFile(Machine& machine, const QString& from, const QString& to, bool failIfExists);

// Details of one path; false when it is missing. A given path is followed, so a link to a file
// gives the file's size, where its search record gives 0.
struct FileInfo {
    int attr = 0;
    std::int64_t size = 0;
    FileTime creationTime = 0, lastWriteTime = 0, lastAccessTime = 0;
};
bool GetFileInfo(Machine& machine, const QString& path, FileInfo& info, LastName last = LastName::AnyCase);

// Overwrites a regular file's content in place once and flushes it to disk, leaving the file for
// the delete that follows. Refuses (false) folders, links, read-only files, files with more than one
// hard link (their other names keep the content) and files that cannot be opened.
bool OverwriteFileContents(Machine& machine, const QString& path);

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
