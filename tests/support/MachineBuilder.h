#pragma once

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/WinTypes.h"
#include "support/QtPrinters.h"
#include "support/RecordingLauncher.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <string>

namespace niv {

// A throw-away machine for tests, in a temporary folder that goes away with the builder:
//
//   <tmp>/machine/drive_c/          drive C: (empty)
//   <tmp>/machine/dosdevices/c:     -> ../drive_c
//   <tmp>/program/                  the program folder behind ExeFolder (index_t.htm, download.htm)
//   <tmp>/outside/                  host folders outside the machine, for link targets
//   <tmp>/drive_x/                  further drives made by drive()
//
// The user is "tester", the machine runs as administrator, and a RecordingLauncher stands in for
// the desktop's opener, so no test starts a program.
//
// Every Windows path given to the builder is mapped literally, never through the platform layer:
// a drive letter ("C:" is drive_c, other letters their dosdevices link, ExeFolder the program
// folder) followed by the components as spelled, "\" or "/" separated. Nothing is matched
// case-insensitively, so "C:\Dir\a" and "C:\dir\b" make two folders; that is how tests build a
// folder with two spellings of one name. Missing parent folders are created. A host call that
// fails adds a test failure naming the path.
class MachineBuilder {
public:
    explicit MachineBuilder(const QString& userName = QStringLiteral("tester"));
    ~MachineBuilder();
    MachineBuilder(const MachineBuilder&) = delete;
    MachineBuilder& operator=(const MachineBuilder&) = delete;

    Machine& machine() { return *m_machine; }
    RecordingLauncher& launcher() { return *m_launcher; }

    const std::string& root() const { return m_root; }                   // the machine's host folder
    std::string driveC() const { return m_root + "/drive_c"; }           // drive C:'s host folder
    const std::string& programFolder() const { return m_programFolder; } // behind ExeFolder
    const std::string& outside() const { return m_outside; }             // outside the machine

    // --- looking at the machine (host side, no platform call) ---

    // The host path of a Windows path under the literal mapping above; "" for a drive the
    // machine does not have.
    std::string hostPath(const QString& winPath) const;
    // True when the entry itself is there (a dangling link counts).
    bool exists(const QString& winPath) const;
    bool isLink(const QString& winPath) const;
    bool isFolder(const QString& winPath) const; // follows links
    // The file's bytes; empty when it cannot be read.
    QByteArray readHost(const QString& winPath) const;
    // The raw user.DOSATTRIB text, empty when there is none.
    QByteArray dosAttribText(const QString& winPath) const;

    // --- building the machine; each returns the host path it made ---

    std::string folder(const QString& winPath);
    std::string file(const QString& winPath, const QByteArray& content = {});
    // A sparse file of `size` bytes (may be far larger than the disk).
    std::string sizedFile(const QString& winPath, std::int64_t size);

    // Stores the attribute word in user.DOSATTRIB as "0x%x" text, exactly as given (bits the
    // layer must ignore, such as faDirectory on a file, are stored too); 0 removes the xattr.
    // On a link it lands on the target (Linux keeps no user xattrs on links).
    void attributes(const QString& winPath, int attr);
    // Stores any text in user.DOSATTRIB, for malformed values.
    void dosAttribRaw(const QString& winPath, const QByteArray& text);
    // Read-only the host way: clears every write bit of the mode.
    void dropWriteBits(const QString& winPath);

    // Sets last-write and last-access times (FILETIME units) with utimensat, following links.
    // Creation time cannot be set on Linux: the host gives the birth time (when the file was made
    // by the test), so tests of creation time can only compare against the clock.
    void times(const QString& winPath, FileTime lastWrite, FileTime lastAccess);
    // A FILETIME for a UTC date and time, computed here so tests do not lean on the layer's own
    // conversion.
    static FileTime fileTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                             int hundredNs = 0);

    // A symbolic link at `linkWinPath` to the host place of `targetWinPath` (absolute host path,
    // as Wine's user folders are). The target need not exist (dangling), and may be an ancestor of
    // the link (a loop).
    std::string link(const QString& linkWinPath, const QString& targetWinPath);
    // A symbolic link whose target text is written as given: a host path outside the machine, a
    // missing path, or relative text such as the link's own name for a link that leads to itself.
    std::string hostLink(const QString& linkWinPath, const std::string& target);

    // Entries with raw host names that Windows cannot show (not UTF-8, or holding a character
    // Windows forbids, such as "a:b", "x*y", "q?"), made inside the folder `folderWinPath`.
    std::string rawFile(const QString& folderWinPath, const QByteArray& hostName,
                        const QByteArray& content = {});
    std::string rawFolder(const QString& folderWinPath, const QByteArray& hostName);

    // Host folders and files outside the machine (under outside()); `relative` is "/"-separated.
    std::string outsideFolder(const std::string& relative);
    std::string outsideFile(const std::string& relative, const QByteArray& content = {});

    // A further drive: dosdevices/<letter>: -> `hostFolder`, or a new folder <tmp>/drive_<letter>
    // when none is given. Returns the drive's host folder.
    std::string drive(char letter, const std::string& hostFolder = {});

    // --- registry (written through machine().registry() into user.reg / system.reg) ---

    // Creates a key and its missing parents.
    void regKey(RegRoot root, const QString& keyPath);
    // A value of any type with any data, wrong or odd ones included; creates the key when needed.
    void regValue(RegRoot root, const QString& keyPath, const QString& name, std::uint32_t type,
                  const QByteArray& data);
    // A string value as Windows stores it: UTF-16LE with its terminating NUL (REG_SZ, or pass
    // REG_EXPAND_SZ).
    void regString(RegRoot root, const QString& keyPath, const QString& name, const QString& value,
                   std::uint32_t type = REG_SZ);
    // A REG_DWORD (little-endian).
    void regDword(RegRoot root, const QString& keyPath, const QString& name, std::uint32_t value);

private:
    void fail(const std::string& what, const std::string& path) const;
    std::string makeParents(const std::string& hostPath);
    std::string mustMap(const QString& winPath) const;

    QTemporaryDir m_temp;
    std::string m_root;
    std::string m_programFolder;
    std::string m_outside;
    std::unique_ptr<Machine> m_machine;
    RecordingLauncher* m_launcher = nullptr; // owned by the machine
};

} // namespace niv
