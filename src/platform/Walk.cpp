#include "Walk.h"

#include "FaultInjector.h"
#include "FileSys.h"
#include "HostIO.h"
#include "Machine.h"
#include "MessagePump.h"
#include "WinPath.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace niv {

struct WalkFrame {
    // One listed entry; its host name lies in `names`, ended by a NUL.
    struct Item {
        std::uint32_t at;
        std::uint32_t len;
        unsigned char type;
        bool ascii;
        std::uint64_t key = 0; // the first eight bytes upper-cased, for sorting ASCII names
    };
    int fd = -1;
    QString folder;        // Windows path with a trailing "\"
    int depth = 0;         // of the entries listed here
    bool inProgramFolder = false; // never written, deleted or recycled
    const struct statx* mount = nullptr; // the walk's own mount, which no entry it acts on leaves
    std::string names;
    std::vector<Item> items;
    std::size_t next = 0;
    // This folder's own entry in the frame above, for its visit after its contents.
    std::string hostName;
    QString name;

    WalkFrame() = default;
    WalkFrame(const WalkFrame&) = delete;
    WalkFrame& operator=(const WalkFrame&) = delete;
    ~WalkFrame() {
        if (fd >= 0) ::close(fd);
    }

    const char* host(const Item& item) const { return names.data() + item.at; }
    QString itemName(const Item& item) const { return nameOf(host(item), item.len, item.ascii); }
    static QString nameOf(const char* host, std::uint32_t len, bool ascii) {
        const auto n = static_cast<qsizetype>(len);
        return ascii ? QString::fromLatin1(host, n) : QString::fromUtf8(host, n);
    }
};

namespace {

using host::errnoToWin;

int xattrBits(const Machine& machine, int dirFd, const char* name) {
    char buf[64];
    const long n = host::readDosAttribAt(dirFd, name, buf, sizeof buf, machine.hostAbilities().xattrByHandle);
    return n > 0 ? host::parseDosAttrib(buf, n) : 0;
}

// Everything a visit may ask of an entry's status, and its mount, in one call.
constexpr unsigned kEntryMask = host::kMountMask | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

bool isAscii(const char* s, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

// Reads the visible entries of an open folder.
void listFolder(WalkFrame& frame, bool sorted) {
    alignas(8) char buf[32768];
    bool allAscii = true;
    for (;;) {
        const ssize_t n = ::getdents64(frame.fd, buf, sizeof buf);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(buf + at);
            at += e->d_reclen;
            const std::size_t len = std::strlen(e->d_name);
            if (e->d_name[0] == '.' && (len == 1 || (len == 2 && e->d_name[1] == '.'))) continue;
            if (!isWindowsName(e->d_name, len)) continue; // invisible to Windows, never touched
            const bool ascii = isAscii(e->d_name, len);
            allAscii = allAscii && ascii;
            frame.items.push_back({static_cast<std::uint32_t>(frame.names.size()),
                                   static_cast<std::uint32_t>(len), e->d_type, ascii, 0});
            frame.names.append(e->d_name, len + 1);
        }
    }
    if (!sorted) return;
    // The search's order: names compared upper-cased, then as they are.
    if (allAscii) {
        auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
        // Most names differ in their first eight bytes: one comparison of the packed prefix settles
        // them. No name holds a byte below 0x20, so the zero padding sorts a shorter prefix first.
        for (auto& item : frame.items) {
            const auto* x = reinterpret_cast<const unsigned char*>(frame.host(item));
            std::uint64_t key = 0;
            for (std::uint32_t i = 0; i < 8; ++i)
                key = key << 8 | (i < item.len ? upper(x[i]) : 0u);
            item.key = key;
        }
        auto before = [&](const WalkFrame::Item& a, const WalkFrame::Item& b) {
            if (a.key != b.key) return a.key < b.key;
            const auto* x = reinterpret_cast<const unsigned char*>(frame.host(a));
            const auto* y = reinterpret_cast<const unsigned char*>(frame.host(b));
            const std::uint32_t n = std::min(a.len, b.len);
            for (std::uint32_t i = 0; i < n; ++i)
                if (upper(x[i]) != upper(y[i])) return upper(x[i]) < upper(y[i]);
            if (a.len != b.len) return a.len < b.len;
            return std::memcmp(x, y, n) < 0;
        };
        std::sort(frame.items.begin(), frame.items.end(), before);
        return;
    }
    std::vector<QString> names, keys;
    names.reserve(frame.items.size());
    keys.reserve(frame.items.size());
    for (const auto& item : frame.items) {
        names.push_back(frame.itemName(item));
        keys.push_back(winUpper(names.back()));
    }
    std::vector<std::uint32_t> order(frame.items.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int c = QStringView(keys[a]).compare(QStringView(keys[b]), Qt::CaseSensitive);
        return c != 0 ? c < 0 : names[a] < names[b];
    });
    std::vector<WalkFrame::Item> items;
    items.reserve(order.size());
    for (std::uint32_t i : order)
        items.push_back(frame.items[i]);
    frame.items = std::move(items);
}

// Opens the folder `name` (found as a path search finds it: exact spelling first, then any case)
// in the open folder `dirFd`, which it closes. Only a real folder on the mount of `st` is taken;
// `st` becomes its status. -1 when there is none.
int openBelow(int dirFd, const QString& name, struct statx& st, std::string& hostName) {
    const std::string exact = name.toUtf8().toStdString();
    struct stat probe {};
    if (::fstatat(dirFd, exact.c_str(), &probe, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0 &&
        isWindowsName(exact.data(), exact.size()))
        hostName = exact;
    else
        hostName = host::findAnyCase(dirFd, name);
    const int fd = hostName.empty()
                       ? -1
                       : ::openat(dirFd, hostName.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(dirFd);
    struct statx now {};
    if (fd < 0) return -1;
    if (::statx(fd, "", AT_EMPTY_PATH, host::kMountMask, &now) != 0 || host::otherMount(now, st)) {
        ::close(fd);
        return -1;
    }
    st = now;
    return fd;
}

// The fault a test armed for `op` on the entry; its path is built only when one is armed.
int armedFault(const Machine& machine, FaultInjector::Op op, const WalkEntry& entry) {
    const FaultInjector& faults = machine.faults();
    return faults.armed() ? faults.check(op, entry.path()) : 0;
}

// Gives the owner the rights to list and change a listed folder through a handle on that very
// folder, so a link put in its place meanwhile is never followed.
void unlockFolder(int dirFd, const char* name, const struct statx& listed) {
    const int fd = ::openat(dirFd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat now {};
    if (::fstat(fd, &now) == 0 && host::idOf(now) == host::idOf(listed)) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        ::chmod(self.c_str(), (now.st_mode & 07777) | 0700);
    }
    ::close(fd);
}

} // namespace

void WalkEntry::reset(const char* hostName, std::uint32_t hostLength, bool ascii, const QString& name,
                      bool isDir, bool isLink, bool isMount, bool after, const struct statx* known) {
    m_hostName = hostName;
    m_hostLength = hostLength;
    m_ascii = ascii;
    m_name = name;
    m_isDir = isDir;
    m_isLink = isLink;
    m_isMount = isMount;
    m_after = after;
    m_statDone = known != nullptr;
    if (known) fillStat(*known);
    m_attr = -1;
}

const QString& WalkEntry::name() const {
    // Most walks that count or delete never ask.
    if (m_name.isNull()) m_name = WalkFrame::nameOf(m_hostName, m_hostLength, m_ascii);
    return m_name;
}

int WalkEntry::dirFd() const {
    return m_frame.fd;
}

void WalkEntry::fillStat(const struct statx& sx) const {
    m_stat.mode = sx.stx_mode;
    m_stat.id = host::idOf(sx);
    // A file bound onto the tree from elsewhere: its folder's mount is not its own.
    m_stat.mountPoint =
        !S_ISDIR(sx.stx_mode) && !S_ISLNK(sx.stx_mode) && host::otherMount(sx, *m_frame.mount);
    m_stat.size = S_ISREG(sx.stx_mode) && !m_stat.mountPoint ? static_cast<std::int64_t>(sx.stx_size) : 0;
    m_stat.lastWrite = unixToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    m_stat.lastAccess = unixToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    m_stat.creation = (sx.stx_mask & STATX_BTIME) ? unixToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                                                  : m_stat.lastWrite;
}

const WalkEntry::Stat& WalkEntry::stat() const {
    if (m_statDone) return m_stat;
    m_statDone = true;
    m_stat = {};
    struct statx sx {};
    if (::statx(dirFd(), m_hostName, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kEntryMask, &sx) == 0)
        fillStat(sx);
    return m_stat;
}

std::int64_t WalkEntry::size() const {
    return m_isDir || m_isLink ? 0 : stat().size;
}

FileTime WalkEntry::creationTime() const {
    return stat().creation;
}

FileTime WalkEntry::lastWriteTime() const {
    return stat().lastWrite;
}

FileTime WalkEntry::lastAccessTime() const {
    return stat().lastAccess;
}

bool WalkEntry::isMountPoint() const {
    return m_isMount || (!m_isDir && !m_isLink && stat().mountPoint);
}

bool WalkEntry::isRegularFile() const {
    return !m_isDir && !m_isLink && S_ISREG(stat().mode) && !stat().mountPoint;
}

FileId WalkEntry::fileId() const {
    return stat().id;
}

bool WalkEntry::modeReadOnly() const {
    return !m_isLink && stat().mode != 0 && (stat().mode & 0222) == 0;
}

int WalkEntry::attr() const {
    if (m_attr >= 0) return m_attr;
    int a = (m_isDir ? faDirectory : faArchive) | (m_isLink ? faReparsePoint : 0);
    if (modeReadOnly()) a |= faReadOnly;
    a |= xattrBits(m_machine, dirFd(), m_hostName);
    m_attr = a;
    return a;
}

bool WalkEntry::isReadOnly() const {
    // The mode settles it without the extended attribute, when it says so.
    if (m_attr >= 0) return m_attr & faReadOnly;
    return modeReadOnly() || (xattrBits(m_machine, dirFd(), m_hostName) & faReadOnly);
}

bool WalkEntry::deleteFile(bool evenReadOnly) {
    if (m_isDir || m_frame.inProgramFolder) return failWith(m_machine, ERROR_ACCESS_DENIED);
    if (int err = armedFault(m_machine, FaultInjector::Op::DeleteFile, *this)) return failWith(m_machine, err);
    if (!evenReadOnly && !m_isLink && isReadOnly()) return failWith(m_machine, ERROR_ACCESS_DENIED);
    if (::unlinkat(dirFd(), m_hostName, 0) != 0) return failWith(m_machine, errnoToWin(errno));
    return true;
}

bool WalkEntry::removeDir() {
    if (!m_isDir || m_isMount || m_frame.inProgramFolder) return failWith(m_machine, ERROR_ACCESS_DENIED);
    if (int err = armedFault(m_machine, FaultInjector::Op::RemoveDir, *this)) return failWith(m_machine, err);
    if (::unlinkat(dirFd(), m_hostName, AT_REMOVEDIR) != 0) return failWith(m_machine, errnoToWin(errno));
    return true;
}

bool WalkEntry::removeInTree(bool evenReadOnly) {
    if (isMountPoint()) return failWith(m_machine, ERROR_ACCESS_DENIED); // another mount's entry stays
    if (m_isDir) return !m_after || removeDir();
    return deleteFile(evenReadOnly);
}

bool WalkEntry::overwriteContents() {
    if (m_isDir || m_isLink || m_frame.inProgramFolder) return failWith(m_machine, ERROR_ACCESS_DENIED);
    if (int err = armedFault(m_machine, FaultInjector::Op::Write, *this)) return failWith(m_machine, err);
    if (isReadOnly()) return failWith(m_machine, ERROR_ACCESS_DENIED);
    const int fd = ::openat(dirFd(), m_hostName, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failWith(m_machine, errnoToWin(errno));
    // Judged on what was opened: a file bound here from elsewhere is not the tree's to wipe.
    struct statx opened {};
    const bool ours = ::statx(fd, "", AT_EMPTY_PATH, host::kMountMask, &opened) == 0 &&
                      !host::otherMount(opened, *m_frame.mount);
    const bool ok = ours && host::zeroFillAndSync(fd);
    ::close(fd);
    return ok || failWith(m_machine, ERROR_ACCESS_DENIED);
}

WalkResult walkTree(Machine& machine, const QString& folder, const WalkOptions& o, const WalkVisitor& visit) {
    WalkResult result;
    auto notFound = [&] {
        // A start folder the host has no handle for is there all the same: the walk saw none of it.
        result.error = errno == EMFILE || errno == ENFILE ? ERROR_TOO_MANY_OPEN_FILES : ERROR_PATH_NOT_FOUND;
        result.passedOver = result.error == ERROR_TOO_MANY_OPEN_FILES;
        machine.setLastError(result.error);
        return result;
    };
    const QString start = folder.endsWith(u':') ? folder + u'\\' : folder;
    errno = 0;
    const HostPath hp = resolve(machine, start);
    if (!hp.exists) return notFound();
    // The given folder is followed as Windows follows it; nothing below it will be.
    int startFd = ::open(hp.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct statx top {};
    if (startFd < 0 || ::statx(startFd, "", AT_EMPTY_PATH, host::kMountMask, &top) != 0) {
        if (startFd >= 0) ::close(startFd);
        return notFound();
    }
    int belowFd = startFd;
    // Spelt as found, so what the walk lists can be acted on as listed.
    QString startFolder = includeTrailingBackslash(hp.found);
    for (const QString& comp : o.below.split(u'\\', Qt::SkipEmptyParts)) {
        std::string hostName;
        // A name below never leads back up.
        belowFd = isDotName(comp) ? (::close(belowFd), -1) : openBelow(belowFd, comp, top, hostName);
        if (belowFd < 0) return notFound();
        startFolder += QString::fromUtf8(hostName.data(), static_cast<qsizetype>(hostName.size())) + u'\\';
    }
    // Inside the program folder from the start (the caller's own folders below included), or once a
    // folder entered is that folder: told by identity once per walk and per folder entered, never
    // per entry. The start is judged by the folder opened, not by its path, which may lead elsewhere
    // by now.
    FileId program;
    const bool guarded = machine.programFolderId(program);
    const bool startGuarded =
        guarded && host::isWithin("/proc/self/fd/" + std::to_string(belowFd), {&program, 1}, true);
    const bool matchAll = o.mask == u"*" || o.mask == u"*.*";
    const int excluded = ~o.attrFilter & (faHidden | faSysFile);
    Pacer pacer(o.pacing);

    std::vector<std::unique_ptr<WalkFrame>> stack;
    auto enter = [&](int fd, QString winFolder, int depth, std::string hostName, QString name, bool inside) {
        auto frame = std::make_unique<WalkFrame>();
        frame->fd = fd;
        frame->folder = std::move(winFolder);
        frame->depth = depth;
        frame->inProgramFolder = inside;
        frame->mount = &top;
        frame->hostName = std::move(hostName);
        frame->name = std::move(name);
        if (o.progress) o.progress(WalkProgress{frame->folder, result.entries});
        listFolder(*frame, o.sorted);
        stack.push_back(std::move(frame));
    };
    enter(belowFd, std::move(startFolder), 0, {}, {}, startGuarded);

    while (!stack.empty()) {
        if (o.stop && o.stop->load()) {
            result.stopped = true;
            break;
        }
        WalkFrame& f = *stack.back();
        if (f.next == f.items.size()) {
            std::unique_ptr<WalkFrame> done = std::move(stack.back());
            stack.pop_back();
            ::close(done->fd);
            done->fd = -1;
            if (o.foldersAfterContents && !stack.empty()) {
                WalkFrame& parent = *stack.back();
                WalkEntry entry(machine, parent, &parent.folder, parent.depth);
                entry.reset(done->hostName.c_str(), static_cast<std::uint32_t>(done->hostName.size()), true,
                            done->name, true, false, false, true);
                ++result.entries;
                if (visit(entry) == WalkStep::Stop) {
                    result.stopped = true;
                    break;
                }
            }
            continue;
        }
        const WalkFrame::Item& item = f.items[f.next++];
        const char* host = f.host(item);
        bool isDir = item.type == DT_DIR;
        bool isLink = item.type == DT_LNK;
        // Folders and entries the listing does not type are looked at now; the status serves the
        // visit too, so no entry is looked at twice.
        struct statx sx {};
        bool haveStat = false;
        if (isDir || (item.type != DT_REG && !isLink)) {
            if (::statx(f.fd, host, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kEntryMask, &sx) != 0)
                continue; // gone
            haveStat = true;
            isDir = S_ISDIR(sx.stx_mode);
            isLink = S_ISLNK(sx.stx_mode);
        }
        const bool isMount = isDir && host::otherMount(sx, top);
        if (excluded && (xattrBits(machine, f.fd, host) & excluded)) continue;
        // The name is made only when something asks for it.
        WalkEntry entry(machine, f, &f.folder, f.depth);
        entry.reset(host, item.len, item.ascii, QString(), isDir, isLink, isMount, false, haveStat ? &sx : nullptr);
        bool visible = !isDir || (o.attrFilter & faDirectory);
        if (visible && !matchAll && (!isDir || o.maskFolders)) visible = matchesMask(entry.name(), o.mask);

        WalkStep step = WalkStep::Continue;
        const bool mayEnter = isDir && !isMount && (o.maxDepth < 0 || f.depth < o.maxDepth);
        if (visible) {
            ++result.entries;
            step = visit(entry);
            if (step == WalkStep::Stop) {
                result.stopped = true;
                break;
            }
        }
        pacer.tick(); // after every entry, so what it showed is drawn
        if (!mayEnter || step == WalkStep::SkipFolder || !haveStat) continue;

        const QString& name = entry.name();
        QString sub = f.folder + name + u'\\';
        machine.faults().beforeWalkEnters(sub);
        // Known by the listed identity, which the folder opened must still have.
        const bool inside = f.inProgramFolder || (guarded && host::idOf(sx) == program);
        if (o.unlockFolders && !inside && (sx.stx_mode & 0700) != 0700) unlockFolder(f.fd, host, sx);
        const int fd = ::openat(f.fd, host, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            // Going on would leave this folder out without a word.
            result.error = ERROR_TOO_MANY_OPEN_FILES;
            machine.setLastError(result.error);
            if (o.passOverUnopenable) {
                ++result.passedOver;
                continue;
            }
            break;
        }
        struct stat now {};
        // Entered only when it is still the folder that was listed. One gone meanwhile leaves
        // nothing out; one refused or swapped for a link or a file is left unseen, and said so.
        if (fd < 0 || ::fstat(fd, &now) != 0 || host::idOf(now) != host::idOf(sx)) {
            const bool gone = fd < 0 && errno == ENOENT;
            if (fd >= 0) ::close(fd);
            if (!gone && result.error == ERROR_SUCCESS) result.error = ERROR_ACCESS_DENIED;
            continue;
        }
        enter(fd, std::move(sub), f.depth + 1, std::string(host, item.len), name, inside);
    }
    return result;
}

WalkResult walkMask(Machine& machine, const QString& mask, WalkOptions options, const WalkVisitor& visit,
                    const QString& given) {
    QString folder = extractFilePath(mask);
    options.mask = mask.mid(folder.size());
    // A mask without a folder, or with a relative one, searches from the current folder.
    if (!(folder.size() >= 3 && folder.at(1) == u':' && folder.at(2) == u'\\'))
        folder =
            includeTrailingBackslash(fullPath(machine, folder.isEmpty() ? machine.currentFolder() : folder));
    const QString base = includeTrailingBackslash(given);
    const QString start =
        !given.isEmpty() && winUpper(folder).startsWith(winUpper(base)) ? folder.left(base.size()) : folder;
    options.below = folder.mid(start.size());
    options.maskFolders = true;
    options.maxDepth = 0;
    return walkTree(machine, start, options, visit);
}

TreeTotals countTree(Machine& machine, const QString& folder, const WalkOptions& options) {
    TreeTotals totals;
    const WalkResult walked = walkTree(machine, folder, options, [&](WalkEntry& e) {
        if (e.isDirectory()) {
            ++totals.folders;
        } else {
            ++totals.files;
            totals.bytes += e.size();
        }
        return WalkStep::Continue;
    });
    totals.error = walked.error;
    return totals;
}

int removeTree(Machine& machine, const QString& folder, bool removeFolder, bool forceReadOnly,
               const std::function<bool(const WalkEntry&)>& only) {
    int error = ERROR_SUCCESS; // of the first entry that stayed; the folders above it stay too
    WalkOptions options;
    options.foldersAfterContents = true;
    options.unlockFolders = forceReadOnly;
    const WalkResult walked = walkTree(machine, folder, options, [&](WalkEntry& e) {
        const bool refused = only && !e.afterContents() && !only(e);
        if (refused) failWith(machine, ERROR_ACCESS_DENIED);
        if ((refused || !e.removeInTree(forceReadOnly)) && error == ERROR_SUCCESS)
            error = machine.lastError();
        return refused ? WalkStep::SkipFolder : WalkStep::Continue;
    });
    if (walked.error != ERROR_SUCCESS) return walked.error;
    if (error == ERROR_SUCCESS && removeFolder && !RemoveDir(machine, folder)) error = machine.lastError();
    return error;
}

bool isSameOrAbove(Machine& machine, const QString& outer, const QString& inner) {
    FileId above;
    const HostPath in = resolve(machine, inner.endsWith(u':') ? inner + u'\\' : inner);
    return in.exists && folderId(machine, outer, above) && host::isWithin(in.path, {&above, 1}, true);
}

bool folderId(Machine& machine, const QString& folder, FileId& id) {
    const HostPath hp = resolve(machine, folder.endsWith(u':') ? folder + u'\\' : folder);
    struct stat st {};
    if (!hp.exists || ::stat(hp.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    id = host::idOf(st);
    return true;
}

ListedFile::ListedFile(Machine& machine, const HostPath& found, FileId id) : m_id(id) {
    if (machine.faults().check(FaultInjector::Op::Open, found.winPath) != 0) return;
    const std::size_t slash = found.path.rfind('/');
    if (!found.exists || slash == std::string::npos) return;
    m_folder = std::make_shared<const std::string>(found.path.substr(0, slash));
    m_name = found.path.substr(slash + 1);
}

ListedFolder::ListedFolder(Machine& machine, const QString& folder)
    : m_machine(&machine), m_folder(includeTrailingBackslash(folder)) {
    const HostPath hp = resolve(machine, m_folder);
    if (hp.exists) m_host = std::make_shared<const std::string>(hp.path);
}

ListedFile::ListedFile(const ListedFolder& folder, const QString& name, FileId id)
    : m_name(name.toStdString()), m_id(id) {
    const FaultInjector& faults = folder.m_machine->faults();
    if (faults.armed() && faults.check(FaultInjector::Op::Open, folder.m_folder + name) != 0) return;
    m_folder = folder.m_host;
}

OpenFolder::~OpenFolder() {
    if (m_fd >= 0) ::close(m_fd);
}

FileContentReader::FileContentReader(const ListedFile& file, OpenFolder* near) {
    if (!file.m_folder) return;
    OpenFolder once;
    OpenFolder& folder = near ? *near : once;
    if (folder.m_host != file.m_folder && (!folder.m_host || *folder.m_host != *file.m_folder)) {
        if (folder.m_fd >= 0) ::close(folder.m_fd);
        folder.m_fd = ::open(file.m_folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder.m_host = file.m_folder;
    }
    if (folder.m_fd < 0) return;
    const int fd =
        ::openat(folder.m_fd, file.m_name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || host::idOf(st) != file.m_id) {
        ::close(fd);
        return;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
}

FileContentReader::~FileContentReader() {
    if (m_fd >= 0) ::close(m_fd);
}

bool FileContentReader::current(std::int64_t& size, FileTime& lastWrite) const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return false;
    size = static_cast<std::int64_t>(st.st_size);
    lastWrite = unixToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return true;
}

std::int64_t FileContentReader::read(char* data, std::int64_t size) {
    if (m_fd < 0) return -1;
    for (;;) {
        const ssize_t n = ::read(m_fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

} // namespace niv
