#include "support/HostileTree.h"

#include "platform/FaultInjector.h"
#include "platform/WinPath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace niv {

namespace {

std::string readAll(const std::string& path) {
    std::string out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return "<unreadable>";
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

// Every entry below `path` (links recorded, never followed) into `out`.
void record(const std::string& path, std::map<std::string, std::string>& out) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        out[path] = "<missing>";
        return;
    }
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        out[path] = "link:" + std::string(target, n > 0 ? static_cast<size_t>(n) : 0);
    } else if (S_ISREG(st.st_mode)) {
        out[path] = "file:" + readAll(path);
    } else if (S_ISDIR(st.st_mode)) {
        out[path] = "folder";
        if (DIR* d = ::opendir(path.c_str())) {
            while (dirent* e = ::readdir(d)) {
                if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
                record(path + '/' + e->d_name, out);
            }
            ::closedir(d);
        }
    } else {
        out[path] = "other:" + std::to_string(st.st_mode & S_IFMT);
    }
}

} // namespace

HostileTree::HostileTree(MachineBuilder& builder) : m_builder(builder) {
    m_sentinel = builder.outsideFolder("sentinel");
    builder.outsideFile("sentinel/s.tmp", "sentinel file");
    builder.outsideFile("sentinel/A.TXT", "sentinel upper");
    builder.outsideFile("sentinel/hard.tmp", "hard-linked content");
    builder.outsideFile("sentinel/sub/t.tmp", "sentinel below");
    builder.outsideFile("sentinel/x-ms", "sentinel destinations");
    builder.outsideFile("sentinel/History", "sentinel history");
    builder.outsideFile("sentinel/Cookies", "sentinel cookies");
    builder.outsideFile("sentinel/sub/deep/u.tmp", "sentinel deep");
    for (const char* hex : {"0", "A", "F"})
        builder.outsideFile(std::string("sentinel/") + hex + "/x.tmp", "sentinel hex");
    m_watched.push_back(m_sentinel);
    m_watched.push_back(builder.programFolder());
    m_before = snapshot();
}

void HostileTree::plant(const QString& winFolder, const QString& prefix, const QString& ext) {
    MachineBuilder& b = m_builder;
    const QString f = includeTrailingBackslash(winFolder);
    const QString p = prefix;
    b.folder(winFolder);
    b.file(f + p + QStringLiteral("plain") + ext, "plain");
    b.file(f + QStringLiteral("level1\\") + p + QStringLiteral("plain") + ext, "plain");
    b.file(f + QStringLiteral("level1\\level2\\") + p + QStringLiteral("plain") + ext, "plain");
    // Links out, at every level.
    for (const QString& level : {f, f + QStringLiteral("level1\\"), f + QStringLiteral("level1\\level2\\")}) {
        b.hostLink(level + p + QStringLiteral("lnkdir"), m_sentinel);
        b.hostLink(level + p + QStringLiteral("lnk") + ext, m_sentinel + "/s.tmp");
    }
    // A second name of an outside file.
    const std::string hard = b.hostPath(f + p + QStringLiteral("hard") + ext);
    if (::link((m_sentinel + "/hard.tmp").c_str(), hard.c_str()) != 0) ADD_FAILURE() << "link " << hard;
    const std::string fifo = b.hostPath(f + p + QStringLiteral("fifo") + ext);
    if (::mkfifo(fifo.c_str(), 0644) != 0) ADD_FAILURE() << "mkfifo " << fifo;
    // Names Windows cannot hold beside the names they would resolve to (the builder maps literally).
    const QString keep = p + QStringLiteral("keep");
    b.file(f + keep + QStringLiteral("\\inner") + ext, "visible");
    b.file(f + keep + QStringLiteral(".\\inner") + ext, "invisible");
    b.file(f + p + QStringLiteral("a") + ext, "a");
    b.file(f + p + QStringLiteral("a") + ext + u' ', "blank");
    b.file(f + QStringLiteral("...\\inner") + ext, "dots");
    b.file(f + p + QStringLiteral("dot") + ext + u'.', "dot");
    for (const QString& name : {keep + u'.', p + QStringLiteral("a") + ext + u' ', QStringLiteral("..."),
                                p + QStringLiteral("dot") + ext + u'.'})
        m_watched.push_back(b.hostPath(f + name));
    // Swapped for a link when a walk enters it.
    b.file(f + p + QStringLiteral("swap\\") + p + QStringLiteral("inside") + ext, "inside");
    m_swapFolders.push_back(winUpper(f + p + QStringLiteral("swap\\")));
    // Mount points, and folders holding one: folders bound onto folders, files onto files.
    const QString file = p + QStringLiteral("mntfile") + ext;
    const std::pair<QString, bool> points[] = {
        {f + p + QStringLiteral("mnt"), true},
        {f + QStringLiteral("level1\\") + p + QStringLiteral("mnt"), true},
        {f + file, false},
        {f + p + QStringLiteral("held\\") + file, false}};
    for (const auto& [point, isFolder] : points) {
        const std::string name = "mounted" + std::to_string(m_mountPoints.size());
        std::string source;
        if (isFolder) {
            source = b.outsideFolder(name);
            b.outsideFile(name + '/' + (p + QStringLiteral("mounted") + ext).toStdString(), "mounted");
        } else {
            source = b.outsideFile(name, "mounted file");
        }
        const std::string target = isFolder ? b.folder(point) : b.file(point);
        if (::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            m_mountError = "cannot bind-mount here (" + std::string(std::strerror(errno)) + "; root may)";
            ::remove(target.c_str());
            continue;
        }
        m_mounts.push_back(::open(target.c_str(), O_PATH | O_CLOEXEC));
        m_mountPoints.push_back(target);
        m_watched.push_back(source);
    }
    m_before = snapshot();
}

HostileTree::~HostileTree() {
    // Through a handle on the mount, so one a cleaner moved is found as well.
    for (const int fd : m_mounts) {
        ::umount2(("/proc/self/fd/" + std::to_string(fd)).c_str(), MNT_DETACH);
        ::close(fd);
    }
}

void HostileTree::armSwap() {
    m_builder.machine().faults().onWalkEnter([this](const QString& winFolder) {
        const QString upper = winUpper(winFolder);
        for (const QString& swap : m_swapFolders) {
            if (!upper.endsWith(swap.mid(2)) && upper != swap) continue;
            const std::string host = resolve(m_builder.machine(), winFolder).path;
            struct stat st {};
            if (host.empty() || ::lstat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
            const std::string aside = m_builder.outside() + "/swapped-" + std::to_string(++m_swapped);
            if (::rename(host.c_str(), aside.c_str()) != 0 ||
                ::symlink(m_sentinel.c_str(), host.c_str()) != 0)
                ADD_FAILURE() << "swap " << host;
            return;
        }
    });
}

std::map<std::string, std::string> HostileTree::snapshot() const {
    std::map<std::string, std::string> out;
    for (const std::string& path : m_watched)
        record(path, out);
    // A mount point moved elsewhere (with a folder holding it) is no longer where it was planted.
    for (const std::string& point : m_mountPoints) {
        struct statx self {};
        struct statx holder {};
        const bool there =
            ::statx(AT_FDCWD, point.c_str(), AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &self) == 0 &&
            ::statx(AT_FDCWD, point.substr(0, point.rfind('/')).c_str(), 0, STATX_MNT_ID, &holder) == 0 &&
            self.stx_mnt_id != holder.stx_mnt_id;
        out[point] = there ? "mount point" : "no mount point";
    }
    return out;
}

std::string HostileTree::changes() const {
    const auto now = snapshot();
    std::string out;
    for (const auto& [path, before] : m_before) {
        auto it = now.find(path);
        const std::string after = it == now.end() ? "<missing>" : it->second;
        if (after != before) out += path + ": " + before.substr(0, 40) + " -> " + after.substr(0, 40) + "\n";
    }
    for (const auto& [path, after] : now)
        if (!m_before.count(path)) out += path + ": new " + after.substr(0, 40) + "\n";
    return out;
}

} // namespace niv
