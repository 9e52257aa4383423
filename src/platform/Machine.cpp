#include "Machine.h"

#include "HostIO.h"

#include <QProcess>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace niv {

namespace {

class DesktopLauncher : public Launcher {
public:
    bool open(const QString& hostPathOrUrl) override {
        return QProcess::startDetached(QStringLiteral("xdg-open"), {hostPathOrUrl});
    }
};

} // namespace

Machine::Machine(MachineSettings settings)
    : m_settings(std::move(settings)), m_launcher(std::make_unique<DesktopLauncher>()),
      m_batchRunner([](std::function<void()> job) { job(); }), m_hostAbilities{host::probeXattrByHandle()} {}

Machine::~Machine() = default;

bool Machine::programFolderId(FileId& id) const {
    std::lock_guard lock(m_programFolderMutex);
    struct stat st {};
    if (!m_programFolderId && ::stat(m_settings.programFolder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        m_programFolderId = host::idOf(st);
    if (m_programFolderId) id = *m_programFolderId;
    return m_programFolderId.has_value();
}

std::string FolderCache::find(const QString& winFolder) const {
    std::lock_guard lock(m_mutex);
    return m_folders.value(winFolder);
}

void FolderCache::store(const QString& winFolder, const std::string& hostFolder) {
    std::lock_guard lock(m_mutex);
    if (m_folders.size() >= kMaxEntries) m_folders.clear();
    m_folders.insert(winFolder, hostFolder);
}

void FolderCache::forget(const QString& winFolder) {
    std::lock_guard lock(m_mutex);
    m_folders.remove(winFolder);
}

namespace {

// The machine folders this process holds locked, by identity, with how many machines hold each.
struct FolderLocks {
    std::mutex mutex;
    std::map<FileId, std::pair<int, int>> held; // -> descriptor, holders
};

FolderLocks& folderLocks() {
    static FolderLocks locks;
    return locks;
}

// This process's hold on a machine folder's lock; the last one of the folder releases it.
class FolderHold {
public:
    explicit FolderHold(FileId id) : m_id(id) {}
    ~FolderHold() {
        FolderLocks& locks = folderLocks();
        std::lock_guard guard(locks.mutex);
        auto found = locks.held.find(m_id);
        if (found == locks.held.end() || --found->second.second > 0) return;
        ::close(found->second.first); // releases the lock
        locks.held.erase(found);
    }
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

private:
    FileId m_id;
};

// Locks the machine folder, or joins this process's lock on it; nullptr when it cannot be locked.
std::shared_ptr<void> lockFolder(const std::string& root) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    const FileId id = host::idOf(st);
    FolderLocks& locks = folderLocks();
    std::lock_guard guard(locks.mutex);
    auto found = locks.held.find(id);
    if (found != locks.held.end()) {
        ::close(fd);
        ++found->second.second;
        return std::make_shared<FolderHold>(id);
    }
    int locked;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        ::close(fd);
        return nullptr;
    }
    locks.held.emplace(id, std::make_pair(fd, 1));
    return std::make_shared<FolderHold>(id);
}

} // namespace

WriterTurn::WriterTurn(Machine& machine) : m_machine(machine) {
    ++m_machine.m_writerTurns;
    if (!m_machine.m_machineLock) m_machine.m_machineLock = lockFolder(m_machine.root());
}

WriterTurn::~WriterTurn() {
    if (--m_machine.m_writerTurns == 0 && m_machine.m_openWriteScopes == 0) m_machine.m_machineLock.reset();
}

QStringList Machine::driveLetters() const {
    QStringList out{QStringLiteral("C")};
    const std::string folder = m_settings.root + "/dosdevices";
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const char* n = e->d_name;
            // Drive links are named "x:"; "x::" names a raw device, not a drive.
            if (std::strlen(n) != 2 || n[1] != ':' || !std::isalpha(static_cast<unsigned char>(n[0])))
                continue;
            struct stat st {};
            if (::stat((folder + '/' + n).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
            const QString letter = QString(QChar(n[0])).toUpper();
            if (!out.contains(letter)) out.append(letter);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace niv
