#include "Machine.h"

#include "HostIO.h"

#include <QProcess>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

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
      m_batchRunner([](std::function<void()> job) { job(); }),
      m_hostAbilities{host::probeXattrByHandle()} {}

Machine::~Machine() = default;

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
