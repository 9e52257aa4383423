#pragma once

#include "FaultInjector.h"
#include "WinTypes.h"

#include <QString>
#include <QStringList>

#include <QHash>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace niv {

class IniCache;
class RegistryStore;

// Starts programs and opens documents on the host desktop. Tests replace it to record calls.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens a host file or an address with the desktop's opener; false when it could not start.
    virtual bool open(const QString& hostPathOrUrl) = 0;
};

// Where a machine is and who uses it: what the program entry reads from the environment.
struct MachineSettings {
    std::string root;          // host folder of the machine (the Wine prefix)
    std::string programFolder; // host folder mapped read-only onto ExeFolder
    QString userName;          // the Windows user, $USER as in Wine
    bool administrator = true; // Wine prefixes run their programs as administrator
    // Where wineservers keep their lock folders: "" for /tmp (and $TMPDIR for Debian's Wine).
    std::string serverTmp = {};
};

// Host folders already found for Windows folder paths that name them in another case. Without it a
// walk over one folder would search every parent folder again for each of its entries.
class FolderCache {
public:
    // The host folder stored for `winFolder`, or "" when there is none.
    std::string find(const QString& winFolder) const;
    void store(const QString& winFolder, const std::string& hostFolder);
    void forget(const QString& winFolder);

private:
    static constexpr int kMaxEntries = 4096;
    mutable std::mutex m_mutex; // batch jobs run on a worker thread
    QHash<QString, std::string> m_folders;
};

// What the host's kernel can do, probed once as the machine is made.
struct HostAbilities {
    // Extended attributes are read by a folder's handle and a name; else through the folder's
    // /proc name, a longer lookup that cost a delete walk a fifth of its time.
    bool xattrByHandle = false;
};

// A Windows computer emulated over a Wine-prefix-like folder.
class Machine {
public:
    explicit Machine(MachineSettings settings);
    ~Machine();
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    const std::string& root() const { return m_settings.root; }
    const std::string& programFolderHost() const { return m_settings.programFolder; }
    // The identity of the program folder, taken when it is first found and kept, so that the folder
    // stays known wherever it is moved; false while it has never been found.
    bool programFolderId(FileId& id) const;
    const QString& userName() const { return m_settings.userName; }

    bool isAdministrator() const { return m_settings.administrator; }
    void setAdministrator(bool admin) { m_settings.administrator = admin; }

    // The current folder, a full Windows path with a trailing "\" ("C:\" at start).
    const QString& currentFolder() const { return m_currentFolder; }
    void setCurrentFolderRaw(const QString& folder) { m_currentFolder = folder; }

    FaultInjector& faults() { return m_faults; }
    const FaultInjector& faults() const { return m_faults; }

    Launcher& launcher() { return *m_launcher; }
    void setLauncher(std::unique_ptr<Launcher> launcher) { m_launcher = std::move(launcher); }

    // Runs a batch file's lines; production runs it on a worker thread, tests synchronously.
    using BatchRunner = std::function<void(std::function<void()>)>;
    void setBatchRunner(BatchRunner runner) { m_batchRunner = std::move(runner); }
    void runBatchJob(std::function<void()> job) { m_batchRunner(std::move(job)); }

    const std::string& serverTmp() const { return m_settings.serverTmp; }

    // The registry hives of this machine, loaded on first use.
    RegistryStore& registry();

    // The parsed INI files, each kept while its file is unchanged.
    IniCache& iniCache();

    // True while a WriteScope is open: changes are then saved when the outermost one ends.
    bool gatheringWrites() const { return m_openWriteScopes > 0; }

    // Drive letters (upper case) that this machine has: C plus every dosdevices link.
    QStringList driveLetters() const;

    FolderCache& folderCache() const { return m_folderCache; }

    const HostAbilities& hostAbilities() const { return m_hostAbilities; }
    // Tests take the paths of a kernel that lacks an ability.
    void setHostAbilities(const HostAbilities& abilities) { m_hostAbilities = abilities; }

    // Last Windows error of a failed call, as GetLastError gives it.
    int lastError() const { return m_lastError.load(); }
    void setLastError(int error) const { m_lastError.store(error); }

private:
    MachineSettings m_settings;
    QString m_currentFolder = QStringLiteral("C:\\");
    FaultInjector m_faults;
    std::unique_ptr<Launcher> m_launcher;
    BatchRunner m_batchRunner;
    // Made by their own units on first use, so that this one needs neither.
    std::shared_ptr<RegistryStore> m_registry;
    std::shared_ptr<IniCache> m_iniCache;
    int m_openWriteScopes = 0;
    int m_writerTurns = 0; // WriterTurns alive; the machine's lock is held while any is, or a scope
    std::shared_ptr<void> m_machineLock;
    friend class WriteScope;
    friend class WriterTurn;
    mutable std::atomic<int> m_lastError{0}; // batch jobs run on a worker thread
    mutable FolderCache m_folderCache;
    mutable std::mutex m_programFolderMutex; // batch jobs run on a worker thread
    mutable std::optional<FileId> m_programFolderId;
    HostAbilities m_hostAbilities;
};

// Writers of one machine take turns, in this process and in others: a change holds the machine's
// advisory lock (flock on its folder, which Wine never locks) from the check of a file to its
// rename. A turn taken while a WriteScope is open lasts until the outermost scope has saved. Turns
// nest, and the machines of one process that share a folder share its lock. Where the folder
// cannot be locked (a file system without flock), writers go ahead unguarded.
class WriterTurn {
public:
    explicit WriterTurn(Machine& machine);
    ~WriterTurn();
    WriterTurn(const WriterTurn&) = delete;
    WriterTurn& operator=(const WriterTurn&) = delete;

private:
    Machine& m_machine;
};

// Sets the machine's last error and gives false, for the failure paths of the platform's calls.
inline bool failWith(const Machine& machine, int error) {
    machine.setLastError(error);
    return false;
}

} // namespace niv
