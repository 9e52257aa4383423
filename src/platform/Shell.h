#pragma once

#include "WinTypes.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace niv {

class Machine;
class WalkEntry;
struct HostPath;

// --- recycle bin ---

// The machine's one recycle bin, where items of every drive go.
inline QString recycleBinFolder() {
    return QStringLiteral("C:\\$Recycle.Bin\\S-1-5-21-0-0-0-1000");
}

// The recycle bins of the machine's drives, each drive's own "$Recycle.Bin" at its root (the
// machine's bin on C: among them), known by identity wherever a path or a walk reaches them (drive
// Z: reaches drive_c too, a link or a bind mount the bin itself), never by spelling. What lies in
// one has been recycled already: it is never recycled again, and the finders never enter it.
class RecycleBins {
public:
    explicit RecycleBins(Machine& machine);
    // A folder a walk met that is one of the bins.
    bool is(const WalkEntry& folder) const;
    // A resolved path that is one of the bins or lies inside one (its last name not followed).
    bool hold(const HostPath& place) const;

private:
    std::vector<FileId> m_ids;
};

// Gives the deletion time written into the bin's records; the host clock when empty.
using RecycleClock = std::function<FileTime()>;

// Moves a file or a whole folder into the recycle bin as "$R<6 chars><ext>" and describes it in
// "$I<same><ext>" (Windows' version 2 record: original size, deletion time, original path). Items
// on other drives or reached through links are copied, then deleted. Returns 0 on success, else a
// Windows error (2 for a missing item, 5 for a drive root or the program folder, or the error of
// the move), as the shell's file operation does; nothing is left behind on failure. `last` as for
// resolve: an item a listing found is recycled by its own name only.
int shellRecycle(Machine& machine, const QString& winPath, const RecycleClock& clock = {},
                 Spelling spelling = Spelling::AnyCase);

// Deletes every "$I"/"$R" pair of the bin (a "$R" folder with all it holds, links removed, never
// followed) and nothing else. Returns how many pairs stayed (in use, holding a mount point or
// something the system refuses to delete, or too deep for the host's handles): 0 when the bin is
// empty of items, missing too; -1 when the bin could not be read at all.
[[nodiscard]] std::int64_t emptyRecycleBin(Machine& machine);

// --- opening ---

// ShellExecute with the verb "open" ("" means "open" too): 2 when the file is missing, 31 when
// nothing can open it (the launcher refused, or another verb), 42 on success. A fault injected
// for Execute gives its error when that is below 32, else 31. ".bat" and ".cmd" files run in the command
// interpreter through the machine's batch runner, not waited for; other files and "mailto:", "http:",
// "https:" addresses go to the machine's launcher. A relative `file` is taken relative to `dir` when `dir` is
// given. `last` as for resolve.
int ShellExecute(Machine& machine, const QString& verb, const QString& file, const QString& params = {},
                 const QString& dir = {}, Spelling spelling = Spelling::AnyCase);

// Whether opening the file would run it rather than show it: Windows' programs, scripts, installers,
// shortcuts and other types it runs, and the host's packages and scripts its opener installs or runs,
// judged by the extension of the name the shell opens (without trailing dots and blanks).
bool opensByRunning(const QString& path);
// The same, and also what the host's opener would run, judged by name and by content (the magic of
// its first bytes): an executable, a shared library, a script, a desktop entry, an AppImage, a
// package; or a file with an execute bit whose content is not recognised as a picture, sound, video
// or PDF document (on FAT, NTFS and SMB mounts every file has that bit). Viewers refuse these before
// opening.
bool opensByRunning(Machine& machine, const QString& path, Spelling spelling = Spelling::AnyCase);

// --- folders ---

constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_RECENT = 8;
constexpr int CSIDL_MYVIDEO = 14;
constexpr int CSIDL_APPDATA = 26;
constexpr int CSIDL_LOCAL_APPDATA = 28;
constexpr int CSIDL_INTERNET_CACHE = 32;
constexpr int CSIDL_COOKIES = 33;
constexpr int CSIDL_MYPICTURES = 39;

// The folder of a special-folder number: HKCU "...\Explorer\User Shell Folders" (expanded) when
// that value is there, else "...\Explorer\Shell Folders", else the Vista-layout default under
// C:\users\<user>. A value that is there but empty gives "", as does an unknown number. No
// trailing "\" is added.
QString SHGetSpecialFolderPath(Machine& machine, int csidl);

QString GetWindowsDirectory(Machine& machine); // "C:\windows"
QString GetSystemDirectory(Machine& machine);  // "C:\windows\system32"
// HKCU\Environment TEMP expanded, else the profile's AppData\Local\Temp; always ends in "\".
QString GetTempPath(Machine& machine);

// Replaces each %NAME% known to the machine: USERPROFILE, USERNAME, HOMEDRIVE, HOMEPATH, APPDATA,
// LOCALAPPDATA, SystemRoot, windir, SystemDrive, ProgramFiles, ProgramData, ALLUSERSPROFILE,
// PUBLIC, then the values of HKCU\Environment and of the system environment key (TEMP and TMP
// included). Names compare case-insensitively; an unknown %NAME% stays as written.
QString ExpandEnvironmentStrings(Machine& machine, const QString& text);

} // namespace niv
