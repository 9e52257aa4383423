#pragma once

#include "MessagePump.h"
#include "WinTypes.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct statx;

namespace niv {

class Machine;
struct HostPath;
class WalkEntry;

// The one walk below a folder, for everything that lists, counts, deletes, recycles or empties a tree.
//
// - The folder it is given is followed as Windows follows a path: whole, links included. Nothing it
//   finds below is followed: a link found inside is listed as a file of size 0 (with the
//   reparse-point bit), deleted as the link itself, never entered.
// - Each folder is opened relative to the one above it and never by its path, and every action is taken
//   by name relative to the open folder, so a folder renamed or swapped for a link meanwhile cannot
//   lead the walk elsewhere: a folder that is no longer the one listed is left alone, and so is one
//   the host refuses to open; the walk goes on and its result says it did not see everything.
// - It never leaves the start folder's mount: a folder on another mount (another file system, or a
//   folder of the same one bound there) is a mount point, listed as a folder and never entered,
//   emptied or removed; a file bound there is a mount point too, listed and never opened for
//   writing or deleted.
// - Inside the program folder, which is never written, every delete, removal and overwrite is
//   refused, as DeleteFile refuses it: the start folder and each folder entered are known for it by
//   identity, whatever name reached them.
// - Names Windows cannot hold (ending in a dot or a blank, holding a control character or one of
//   \:*?"<>|, not UTF-8) are invisible: never listed, counted, opened or acted on. "." and ".." are
//   never listed.
// - It is iterative: its depth is limited neither by the stack nor by the host's path length. It
//   holds one folder listing and one open folder per level; when the host allows no more open
//   folders, it stops with an error rather than leave folders out.
// - Between entries it lets window messages through (at most once per `pumpIntervalMs` on the given
//   clock), reports each folder it enters, and stops when asked.

// What the visitor wants next.
enum class WalkStep {
    Continue,   // go on; a folder is entered
    SkipFolder, // go on, but do not enter this folder
    Stop,       // end the walk
};

// Where a walk is, for progress displays.
struct WalkProgress {
    const QString& folder;     // the folder being entered, a Windows path with a trailing "\"
    std::int64_t entriesSoFar; // entries visited until now
};

struct WalkOptions {
    // Folders below the given one that the caller names itself ("Cache" under a profile folder,
    // "User Data\Default" under the local application data): found as a path would find them, but
    // each must be a real folder on the same file system, never a link; else nothing is walked.
    QString below;
    // Entries whose names match this DOS mask are visited (as FindFirst matches). Folders are
    // entered whatever their name unless `maskFolders` is set; then only matching folders are
    // visited, entered still.
    QString mask = QStringLiteral("*");
    bool maskFolders = false;
    // The search's attribute filter: entries with hidden or system bits not in it are neither visited
    // nor entered; without faDirectory folders are entered but not visited.
    int attrFilter = faAnyFile;
    // How deep to go: 0 lists the start folder only; -1 has no limit.
    int maxDepth = -1;
    // Windows' search order (case-insensitive name order) in each folder, else the host's order,
    // which is faster.
    bool sorted = false;
    // Also visit each folder that was entered after its contents (`WalkEntry::afterContents`), for
    // removing it once emptied.
    bool foldersAfterContents = false;
    // Give the owner the rights to list and change each folder before entering it, as emptying the
    // bin needs for folders without them. Never through a link put in the folder's place.
    bool unlockFolders = false;
    // Pass over a folder the host has no handle left to open, as a search that cannot open a folder
    // passes it over, and go on; the result says ERROR_TOO_MANY_OPEN_FILES and counts the folders
    // passed over. Otherwise the walk stops there rather than leave folders out unseen.
    bool passOverUnopenable = false;

    // Called as each folder is entered (the start folder too).
    std::function<void(const WalkProgress&)> progress;
    // Set from elsewhere (a click handled while messages go through) to end the walk.
    const std::atomic<bool>* stop = nullptr;
    // Pending window messages are handled between entries, as paced here.
    Pacing pacing;
};

// A walk that did not see everything says so here; a caller that drops it reports a part as the whole.
struct [[nodiscard]] WalkResult {
    int error = ERROR_SUCCESS;   // ERROR_PATH_NOT_FOUND when the start folder is missing or no folder;
                                 // ERROR_TOO_MANY_OPEN_FILES when the host ran out of handles; else
                                 // ERROR_ACCESS_DENIED when a folder below was left unseen (refused,
                                 // or no longer the folder listed)
    bool stopped = false;        // ended by the stop flag or the visitor
    std::int64_t entries = 0;    // entries visited
    std::int64_t passedOver = 0; // folders left unseen for want of a handle: the start folder, or
                                 // those below it with `passOverUnopenable`
};

using WalkVisitor = std::function<WalkStep(WalkEntry&)>;

// Walks below `folder` (a Windows path; the folder itself is not visited).
[[nodiscard]] WalkResult walkTree(Machine& machine, const QString& folder, const WalkOptions& options,
                                  const WalkVisitor& visit);

// Walks the entries one file search for `mask` lists (a Windows path ending in a DOS name mask; a
// mask without a folder, or with a relative one, is taken from the current folder): the mask's
// folder only, folders matched by the mask like files. `options` gives the filter, order
// and the rest; its mask, depth and `below` are set here. When the mask's folder lies below `given`
// (a path from the user, the registry or the system), `given` is followed as a path and the folders
// after it, the program's own names, are taken only as real folders (`WalkOptions::below`).
[[nodiscard]] WalkResult walkMask(Machine& machine, const QString& mask, WalkOptions options,
                                  const WalkVisitor& visit, const QString& given = {});

struct WalkFrame;

// One entry met by a walk, valid during its visit. Size, times and attributes are read when
// first asked.
class WalkEntry {
public:
    const QString& name() const;
    // The folder holding the entry, a Windows path with a trailing "\".
    const QString& folder() const { return *m_folder; }
    QString path() const { return *m_folder + name(); }
    // 0 for entries of the start folder.
    int depth() const { return m_depth; }

    bool isDirectory() const { return m_isDir; } // a folder (a mount point too), never a link
    bool isLink() const { return m_isLink; }     // a symbolic link, whatever it leads to
    // A folder or a file on another mount than its folder's, bound onto the tree from elsewhere:
    // never entered, opened for writing, deleted, removed or recycled, and counted by no cleaner.
    // For a file it costs the status read that size() reads too.
    bool isMountPoint() const;
    // The second visit of a folder, after everything in it (with `foldersAfterContents`).
    bool afterContents() const { return m_after; }

    // Bytes of a regular file; 0 for folders, links, mount points and other entries.
    std::int64_t size() const;
    FileTime creationTime() const;
    FileTime lastWriteTime() const;
    FileTime lastAccessTime() const;
    // The attribute word, as a file search gives it.
    int attr() const;
    // A regular file (not a link, folder, mount point, FIFO, device or socket).
    bool isRegularFile() const;
    // The entry itself, not what a link leads to.
    FileId fileId() const;

    // Deletes a file or link (the link itself), as DeleteFile does: refuses folders, and read-only
    // files unless `evenReadOnly`; a mount point the host refuses to remove. False with the
    // machine's last error set.
    bool deleteFile(bool evenReadOnly = false);
    // Removes an emptied folder (not a mount point).
    bool removeDir();
    // Takes the entry's part in removing the tree it lies in (a walk with `foldersAfterContents`):
    // a file or link is deleted (read-only ones too with `evenReadOnly`), a folder removed on its
    // visit after its contents, a mount point left. False, with the machine's last error set, when
    // the entry stays; true on a folder's first visit.
    bool removeInTree(bool evenReadOnly);
    // Overwrites a regular file's content once with zeros and flushes it. A file with more than one
    // link is left as it is (its other names lie outside), as are read-only files and mount points:
    // false.
    bool overwriteContents();

    // The walk's own use.
    WalkEntry(Machine& machine, WalkFrame& frame, const QString* folder, int depth)
        : m_machine(machine), m_frame(frame), m_folder(folder), m_depth(depth) {}
    // `name`: the entry's name when the walk already made it (else null: made when first asked, from
    // the host name, ASCII or UTF-8); `known`: its status when the walk already took it.
    void reset(const char* hostName, std::uint32_t hostLength, bool ascii, const QString& name, bool isDir,
               bool isLink, bool isMount, bool after, const struct statx* known = nullptr);

private:
    struct Stat {
        std::int64_t size = 0;
        FileTime creation = 0, lastWrite = 0, lastAccess = 0;
        unsigned mode = 0;
        bool mountPoint = false; // a file on another mount than its folder's
        FileId id;
    };
    const Stat& stat() const;
    void fillStat(const struct statx& sx) const;
    bool modeReadOnly() const;
    // Read-only, reading the extended attribute only when the mode leaves it open.
    bool isReadOnly() const;
    int dirFd() const;

    Machine& m_machine;
    WalkFrame& m_frame;
    const QString* m_folder;
    int m_depth;
    const char* m_hostName = nullptr; // in the walk's listing, alive during the visit
    std::uint32_t m_hostLength = 0;
    bool m_ascii = true;
    mutable QString m_name;
    bool m_isDir = false, m_isLink = false, m_isMount = false, m_after = false;
    mutable bool m_statDone = false;
    mutable Stat m_stat;
    mutable int m_attr = -1;
};

// What a tree holds: files (links and other non-folders included) and their bytes, and folders.
struct [[nodiscard]] TreeTotals {
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::int64_t bytes = 0;
    int error = ERROR_SUCCESS; // the walk's: the totals are of a part only
};
// Counts below `folder` with the walk's rules; `options` gives the mask and filter.
[[nodiscard]] TreeTotals countTree(Machine& machine, const QString& folder, const WalkOptions& options = {});

// Deletes everything below `folder` (links as links; mount points stay, and so does the folder
// holding one), then the folder itself when `removeFolder` is set. With `forceReadOnly`, read-only
// files go too and folders are unlocked first, as the recycle bin's emptying does. With `only`, an
// entry it refuses stays, and so do the folders holding it. ERROR_SUCCESS when all went; else why
// something stayed: the walk's error, or that of the first entry that stayed (ERROR_ACCESS_DENIED
// for a mount point or one `only` refused).
[[nodiscard]] int removeTree(Machine& machine, const QString& folder, bool removeFolder,
                             bool forceReadOnly = false,
                             const std::function<bool(const WalkEntry&)>& only = {});

// True when the folder `outer` is `inner` or lies above it on the host, by identity (through any
// drive, link or bind mount the two paths take): walking `outer` could reach `inner`. False when
// either is missing.
bool isSameOrAbove(Machine& machine, const QString& outer, const QString& inner);

// The folder a path names, followed as a walk given that path follows it; false when there is no
// such folder.
bool folderId(Machine& machine, const QString& folder, FileId& id);

// A folder a walk listed, found again by its path once the walk is over, so that the many files
// listed in it are found by name without each path being resolved again.
class ListedFolder {
public:
    ListedFolder(Machine& machine, const QString& folder);

private:
    friend class ListedFile;
    Machine* m_machine;
    QString m_folder;                          // with a trailing "\"
    std::shared_ptr<const std::string> m_host; // null when there is no such folder
};

// A regular file a walk listed, found again where one resolution of its path found it (or by its name
// in its listed folder) once the walk is over. Made in the thread that owns the machine; reading it (FileContentReader) touches
// no machine state, so other threads may read it.
class ListedFile {
public:
    ListedFile(Machine& machine, const HostPath& found, FileId id);
    ListedFile(const ListedFolder& folder, const QString& name, FileId id);

private:
    friend class FileContentReader;
    std::shared_ptr<const std::string> m_folder; // host folder; null when the file cannot be read
    std::string m_name;
    FileId m_id;
};

// The folder of the file last read, kept open for the next one read from it: a thread reading many
// listed files folder by folder opens each folder once.
class OpenFolder {
public:
    OpenFolder() = default;
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

private:
    friend class FileContentReader;
    int m_fd = -1;
    std::shared_ptr<const std::string> m_host;
};

// Reads a listed file. It opens the file by name in its folder without following a link and
// without blocking, and takes the file only when it still is the regular file the walk listed: a
// FIFO, device, folder, link or another file put in its place is never read. `near`, when given,
// keeps the folder open for the next file.
class FileContentReader {
public:
    explicit FileContentReader(const ListedFile& file, OpenFolder* near = nullptr);
    ~FileContentReader();
    FileContentReader(const FileContentReader&) = delete;
    FileContentReader& operator=(const FileContentReader&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Reads up to `size` bytes from where the last read ended: the count, 0 at the end, -1 on error.
    std::int64_t read(char* data, std::int64_t size);
    // The open file's size and last-write time as they are now, to tell whether it changed since it
    // was listed; false when it is not open.
    bool current(std::int64_t& size, FileTime& lastWrite) const;

private:
    int m_fd = -1;
};

} // namespace niv
