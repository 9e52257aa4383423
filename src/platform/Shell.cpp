#include "Shell.h"

#include "CmdInterp.h"
#include "FileSys.h"
#include "HostIO.h"
#include "Machine.h"
#include "Registry.h"
#include "Walk.h"
#include "WinPath.h"

#include <QDateTime>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace niv {

// --- recycle bin ---

namespace {

QString randomId() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString id;
    for (int i = 0; i < 6; ++i)
        id.append(QChar(kChars[QRandomGenerator::global()->bounded(36)]));
    return id;
}

FileTime hostNow() {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    return unixToFileTime(ms / 1000, static_cast<long>(ms % 1000) * 1000000L);
}

// Windows' version 2 "$I" record.
QByteArray recycleRecord(std::int64_t size, FileTime deleted, const QString& originalPath) {
    QByteArray out(28, '\0');
    qToLittleEndian<std::int64_t>(2, out.data());
    qToLittleEndian<std::int64_t>(size, out.data() + 8);
    qToLittleEndian<std::int64_t>(deleted, out.data() + 16);
    qToLittleEndian<std::uint32_t>(static_cast<std::uint32_t>(originalPath.size() + 1), out.data() + 24);
    for (QChar c : originalPath) {
        char unit[2];
        qToLittleEndian<std::uint16_t>(c.unicode(), unit);
        out.append(unit, 2);
    }
    out.append(2, '\0');
    return out;
}

} // namespace

RecycleBins::RecycleBins(Machine& machine) {
    for (const QString& letter : machine.driveLetters()) {
        FileId id;
        if (folderId(machine, letter + QStringLiteral(":\\$Recycle.Bin"), id) &&
            std::find(m_ids.begin(), m_ids.end(), id) == m_ids.end())
            m_ids.push_back(id);
    }
}

bool RecycleBins::is(const WalkEntry& folder) const {
    return folder.isDirectory() && !m_ids.empty() &&
           std::find(m_ids.begin(), m_ids.end(), folder.fileId()) != m_ids.end();
}

bool RecycleBins::hold(const HostPath& place) const {
    return place.valid() && host::isWithin(place.path, m_ids, false);
}

int shellRecycle(Machine& machine, const QString& winPath, const RecycleClock& clock, Spelling spelling) {
    return shellRecycle(machine, resolve(machine, winPath, spelling), clock);
}

int shellRecycle(Machine& machine, const HostPath& item, const RecycleClock& clock) {
    if (!item.valid()) return ERROR_PATH_NOT_FOUND;
    if (!item.exists) return ERROR_FILE_NOT_FOUND;
    const RecycleBins bins(machine);
    if (item.isRoot || inProgramFolder(machine, item) || bins.hold(item)) return ERROR_ACCESS_DENIED;
    if (int err = machine.faults().check(FaultInjector::Op::Recycle, item.winPath)) return err;

    HostPath bin = resolve(machine, recycleBinFolder());
    if (!bin.exists) {
        if (!ForceDirectories(machine, recycleBinFolder()))
            return machine.lastError() ? machine.lastError() : ERROR_ACCESS_DENIED;
        bin = resolve(machine, recycleBinFolder());
        if (!bin.exists) return ERROR_PATH_NOT_FOUND;
    }
    // The bin is written into: a bin that leads into the program folder takes nothing.
    if (inProgramFolder(machine, bin, true)) return ERROR_ACCESS_DENIED;
    if (int err = machine.faults().check(FaultInjector::Op::Rename, item.winPath)) return err;
    // A link has no bytes of its own; a folder's are counted by the walk, which enters no link.
    // A mount point (a folder or a file on another mount than the folder holding it), or a folder
    // holding one, is another file system's place: it stays. So does a folder holding a drive's bin,
    // and one whose walk could not look at all it holds.
    const std::string above = item.path.substr(0, item.path.rfind('/'));
    struct statx self {};
    struct statx holder {};
    if (::statx(AT_FDCWD, item.path.c_str(), AT_SYMLINK_NOFOLLOW, host::kMountMask, &self) != 0 ||
        ::statx(AT_FDCWD, above.empty() ? "/" : above.c_str(), 0, host::kMountMask, &holder) != 0 ||
        (!S_ISLNK(self.stx_mode) && host::otherMount(self, holder)))
        return ERROR_ACCESS_DENIED;
    std::int64_t size = 0;
    if (S_ISDIR(item.mode)) {
        bool holdsKept = false;
        const WalkResult walked = walkTree(machine, item.found, {}, [&](WalkEntry& e) {
            if (e.isMountPoint() || bins.is(e)) {
                holdsKept = true;
                return WalkStep::Stop;
            }
            size += e.size();
            return WalkStep::Continue;
        });
        // A look inside that could not finish may have missed a mount point.
        if (holdsKept || walked.error != ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
    }
    // Whatever stands at the item's place now is moved: it must be the entry that was found.
    struct stat now {};
    if (::lstat(item.path.c_str(), &now) != 0 || host::idOf(now) != item.id)
        return ERROR_FILE_NOT_FOUND;
    if (S_ISREG(now.st_mode)) size = static_cast<std::int64_t>(now.st_size);
    const QByteArray record = recycleRecord(size, clock ? clock() : hostNow(), item.winPath);
    const QString ext = extractFileExt(item.winPath);
    // The record claims a random name, then the item moves to its twin; neither replaces anything.
    // Names are made and checked exactly, never by a case-blind search of the bin, which for a bin
    // of thousands of items, item after item, would make recycling quadratic.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString id = randomId() + ext;
        const QString recordName = QStringLiteral("$I") + id;
        const std::string recordHost = bin.path + '/' + recordName.toStdString();
        const std::string itemHost = bin.path + "/$R" + id.toStdString();
        if (int err = machine.faults().check(FaultInjector::Op::Write, bin.winPath + u'\\' + recordName))
            return err;
        if (!host::createNewFile(recordHost, record, machine.faults().takeHostWrite(recordHost))) {
            if (errno == EEXIST) continue;
            return ERROR_ACCESS_DENIED;
        }
        if (moveEntry(machine, item, {itemHost, bin.winPath + QStringLiteral("\\$R") + id})) return 0;
        const bool taken = errno == EEXIST;
        // A record without its item would name nothing; a part that did move keeps it.
        if (taken || !host::entryExists(itemHost)) ::unlink(recordHost.c_str());
        if (!taken) return ERROR_ACCESS_DENIED;
    }
    return ERROR_ALREADY_EXISTS;
}

std::int64_t emptyRecycleBin(Machine& machine) {
    const QString bin = recycleBinFolder();
    // The bin's own entries, in the search's order, so the first spelling of a name wins.
    std::vector<QString> names;
    WalkOptions top;
    top.maxDepth = 0;
    top.sorted = true;
    const int listed = walkTree(machine, bin, top, [&](WalkEntry& e) {
                           names.push_back(e.name());
                           return WalkStep::Continue;
                       }).error;
    if (listed == ERROR_PATH_NOT_FOUND) return 0; // no bin holds nothing
    if (listed != ERROR_SUCCESS) return -1;
    // Each record finds its item by name at once, however full the bin is.
    std::unordered_map<QString, QString> byName;
    for (const QString& name : names)
        byName.try_emplace(winUpper(name), name);
    std::unordered_map<QString, QString> recordOf; // item name -> record name
    std::int64_t items = 0;
    const QString binPath = includeTrailingBackslash(fullPath(machine, bin));
    for (const QString& name : names) {
        const QString upper = winUpper(name);
        if (!upper.startsWith(QStringLiteral("$I")) || upper.size() <= 2) continue;
        const auto item = byName.find(QStringLiteral("$R") + upper.mid(2));
        if (item == byName.end()) continue;
        ++items;
        if (machine.faults().check(FaultInjector::Op::DeleteFile, binPath + item->second) ||
            machine.faults().check(FaultInjector::Op::DeleteFile, binPath + name))
            continue; // in use: the pair stays whole
        recordOf.emplace(item->second, name);
    }
    if (recordOf.empty()) return items;

    // Items go whole, read-only parts too; a mount point inside one stays, and so does the item. An
    // item the host has no handle left to open stays too, and the others still go.
    std::unordered_set<QString> emptied; // records whose items are gone
    WalkOptions all;
    all.foldersAfterContents = true;
    all.unlockFolders = true;
    all.passOverUnopenable = true;
    // What stayed is told by the records left, not by the walk.
    static_cast<void>(walkTree(machine, bin, all, [&](WalkEntry& e) {
        const auto record = e.depth() == 0 ? recordOf.find(e.name()) : recordOf.end();
        if (e.depth() == 0 && record == recordOf.end()) return WalkStep::SkipFolder;
        const bool gone = e.removeInTree(true);
        if (record != recordOf.end() && gone && (!e.isDirectory() || e.afterContents()))
            emptied.insert(record->second);
        return WalkStep::Continue;
    }));
    std::int64_t cleared = 0;
    static_cast<void>(walkTree(machine, bin, top, [&](WalkEntry& e) {
        if (!e.isDirectory() && emptied.count(e.name()) && e.deleteFile(true)) ++cleared;
        return WalkStep::Continue;
    }));
    return items - cleared;
}

// --- opening ---

namespace {

// A fault injected for opening gives its error when that is one ShellExecute returns, else 31.
int faultResult(int err) {
    return err < 32 ? err : 31;
}

} // namespace

int ShellExecute(Machine& machine, const QString& verb, const QString& file, const QString& params,
                 const QString& dir, Spelling spelling) {
    Q_UNUSED(params); // nothing we open takes parameters
    if (!verb.isEmpty() && verb.compare(QStringLiteral("open"), Qt::CaseInsensitive) != 0) return 31;

    for (const char* scheme : {"mailto:", "http:", "https:"}) {
        if (!file.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) continue;
        if (int err = machine.faults().check(FaultInjector::Op::Execute, file)) return faultResult(err);
        return machine.launcher().open(file) ? 42 : 31;
    }

    QString path = file;
    const bool relative =
        !(path.size() >= 2 && path.at(1) == u':') && !path.startsWith(u'\\') && !path.startsWith(u'/');
    if (relative && !dir.isEmpty()) path = includeTrailingBackslash(dir) + path;
    return ShellExecute(machine, resolve(machine, path, spelling));
}

int ShellExecute(Machine& machine, const HostPath& target) {
    if (!target.exists || !host::exists(target.path)) return ERROR_FILE_NOT_FOUND;
    if (int err = machine.faults().check(FaultInjector::Op::Execute, target.winPath)) return faultResult(err);

    const QString ext = extractFileExt(target.winPath);
    if (ext.compare(QStringLiteral(".bat"), Qt::CaseInsensitive) == 0 ||
        ext.compare(QStringLiteral(".cmd"), Qt::CaseInsensitive) == 0) {
        const QString batch = target.winPath;
        machine.runBatchJob([&machine, batch] { runBatchFile(machine, batch); });
        return 42;
    }
    // Handed over only while it is the entry that was found.
    struct stat now {};
    if (::lstat(target.path.c_str(), &now) != 0 || host::idOf(now) != target.id)
        return ERROR_FILE_NOT_FOUND;
    return machine.launcher().open(QString::fromUtf8(target.path.c_str())) ? 42 : 31;
}

bool opensByRunning(const QString& path) {
    // Windows' program and script types (PATHEXT), the types it runs or installs on opening, and the
    // host's packages and scripts its opener installs or runs.
    static const QStringList kinds = {
        QStringLiteral(".EXE"),       QStringLiteral(".COM"),        QStringLiteral(".BAT"),
        QStringLiteral(".CMD"),       QStringLiteral(".SCR"),        QStringLiteral(".PIF"),
        QStringLiteral(".JS"),        QStringLiteral(".JSE"),        QStringLiteral(".VBS"),
        QStringLiteral(".VBE"),       QStringLiteral(".VB"),         QStringLiteral(".WSF"),
        QStringLiteral(".WSH"),       QStringLiteral(".WSC"),        QStringLiteral(".MSI"),
        QStringLiteral(".MSP"),       QStringLiteral(".MST"),        QStringLiteral(".LNK"),
        QStringLiteral(".HTA"),       QStringLiteral(".REG"),        QStringLiteral(".CPL"),
        QStringLiteral(".MSC"),       QStringLiteral(".SCF"),        QStringLiteral(".SCT"),
        QStringLiteral(".JAR"),       QStringLiteral(".PS1"),        QStringLiteral(".PS1XML"),
        QStringLiteral(".PS2"),       QStringLiteral(".PSC1"),       QStringLiteral(".PSM1"),
        QStringLiteral(".INF"),       QStringLiteral(".URL"),        QStringLiteral(".APPLICATION"),
        QStringLiteral(".GADGET"),    QStringLiteral(".MSH"),        QStringLiteral(".SHS"),
        QStringLiteral(".CHM"),       QStringLiteral(".HLP"),        QStringLiteral(".DLL"),
        QStringLiteral(".SYS"),       QStringLiteral(".MSIX"),       QStringLiteral(".APPX"),
        QStringLiteral(".APPREF-MS"), QStringLiteral(".DESKTOP"),    QStringLiteral(".SH"),
        QStringLiteral(".APPIMAGE"),  QStringLiteral(".DEB"),        QStringLiteral(".RPM"),
        QStringLiteral(".FLATPAK"),   QStringLiteral(".FLATPAKREF"), QStringLiteral(".SNAP"),
        QStringLiteral(".XPI"),       QStringLiteral(".OXT"),        QStringLiteral(".PHP"),
        QStringLiteral(".TCL"),       QStringLiteral(".PYC"),
    };
    // The shell opens the name without its trailing dots and blanks: judge that name.
    return kinds.contains(winUpper(extractFileExt(stripTrailingDotsBlanks(path))));
}

namespace {

// Enough of a file's start for the magic of every type judged here.
constexpr qint64 kHeadBytes = 16 * 1024;

// Types the host's opener runs, installs or hands to an interpreter.
bool runsAsType(const QMimeType& type) {
    static constexpr const char* kRunnable[] = {"application/x-executable",
                                                "application/x-pie-executable",
                                                "application/x-sharedlib",
                                                "application/x-shellscript",
                                                "application/x-desktop",
                                                "application/x-appimage",
                                                "application/vnd.appimage",
                                                "application/x-ms-dos-executable",
                                                "application/x-msdownload",
                                                "application/x-msi",
                                                "application/x-ms-shortcut",
                                                "application/java-archive",
                                                "application/vnd.debian.binary-package",
                                                "application/x-rpm",
                                                "application/vnd.flatpak",
                                                "application/vnd.flatpak.ref",
                                                "application/vnd.snap",
                                                "application/x-xpinstall",
                                                "application/vnd.openofficeorg.extension",
                                                "application/x-php",
                                                "text/tcl",
                                                "application/x-python-bytecode"};
    for (const char* runnable : kRunnable)
        if (type.inherits(QString::fromLatin1(runnable))) return true;
    return type.name().contains(QStringLiteral("script"));
}

// Content recognised by its magic as a picture, sound, video or PDF document: what a viewer shows.
// Text is never taken as such (a script may hold any text), nor is a start the kernel runs.
bool showsAsType(const QMimeType& type, const QByteArray& head) {
    if (head.startsWith("#!") || type.inherits(QStringLiteral("text/plain"))) return false;
    const QString name = type.name();
    return name.startsWith(QStringLiteral("image/")) || name.startsWith(QStringLiteral("audio/")) ||
           name.startsWith(QStringLiteral("video/")) || name == QStringLiteral("application/pdf") ||
           name == QStringLiteral("application/ogg");
}

} // namespace

bool opensByRunning(Machine& machine, const QString& path, Spelling spelling) {
    return opensByRunning(path) || opensByRunning(machine, resolve(machine, path, spelling));
}

bool opensByRunning(Machine&, const HostPath& target) {
    if (opensByRunning(target.winPath)) return true;
    if (!target.exists) return false;
    struct stat st {};
    // Only a regular file is anything an opener could run; nothing else is opened to find out.
    if (::stat(target.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const int fd = ::open(target.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return true; // unread, unknown: not handed over
    QByteArray head(kHeadBytes, Qt::Uninitialized);
    const ssize_t n =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? ::read(fd, head.data(), head.size()) : -1;
    ::close(fd);
    if (n < 0) return true;
    head.truncate(n);
    // By name and by content: an opener may trust either.
    const QMimeDatabase db;
    const QMimeType content = db.mimeTypeForData(head);
    if (runsAsType(db.mimeTypeForFile(QString::fromStdString(target.path), QMimeDatabase::MatchExtension)) ||
        runsAsType(content))
        return true;
    // What the host would run; every file on a FAT, NTFS or SMB mount carries the execute bit, so
    // content recognised as a picture, sound, video or document is shown whatever the mode says.
    return (st.st_mode & 0111) && !showsAsType(content, head);
}

// --- folders ---

namespace {

const QString kExplorer = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\");
const QString kSystemEnvironment =
    QStringLiteral("System\\CurrentControlSet\\Control\\Session Manager\\Environment");

// Expansions refer to each other (APPDATA to USERPROFILE, a folder to APPDATA); a loop of them
// stops here and leaves the rest as written.
constexpr int kMaxDepth = 8;

// A REG_SZ or REG_EXPAND_SZ value's text up to its first NUL; nothing for a missing value or
// another type.
std::optional<QString> regText(Machine& machine, RegRoot root, const QString& key, const QString& name) {
    machine.registry().checkFile(root);
    const RegValue* value = machine.registry().findValue(root, key, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(value->data.constData()),
                                      value->data.size() / 2);
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString profileFolder(const Machine& machine) {
    return QStringLiteral("C:\\users\\") + machine.userName();
}

struct SpecialFolder {
    int csidl;
    const char* values[2]; // names under (User) Shell Folders, the first found wins
    const char* subPath;   // the Vista-layout default below the profile folder
};

constexpr SpecialFolder kSpecialFolders[] = {
    {CSIDL_PERSONAL, {"Personal", nullptr}, "Documents"},
    {CSIDL_RECENT, {"Recent", nullptr}, "AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    // Windows names the value "My Video", Wine "My Videos".
    {CSIDL_MYVIDEO, {"My Video", "My Videos"}, "Videos"},
    {CSIDL_APPDATA, {"AppData", nullptr}, "AppData\\Roaming"},
    {CSIDL_LOCAL_APPDATA, {"Local AppData", nullptr}, "AppData\\Local"},
    {CSIDL_INTERNET_CACHE,
     {"Cache", nullptr},
     "AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"},
    {CSIDL_COOKIES, {"Cookies", nullptr}, "AppData\\Roaming\\Microsoft\\Windows\\Cookies"},
    {CSIDL_MYPICTURES, {"My Pictures", nullptr}, "Pictures"},
};

QString expand(Machine& machine, const QString& text, int depth);

QString specialFolder(Machine& machine, int csidl, int depth) {
    for (const SpecialFolder& f : kSpecialFolders) {
        if (f.csidl != csidl) continue;
        for (const char* key : {"User Shell Folders", "Shell Folders"}) {
            for (const char* name : f.values) {
                if (!name) continue;
                const auto value =
                    regText(machine, HKEY_CURRENT_USER, kExplorer + QLatin1String(key), QLatin1String(name));
                if (value) return expand(machine, *value, depth + 1);
            }
        }
        return profileFolder(machine) + u'\\' + QLatin1String(f.subPath);
    }
    return {};
}

std::optional<QString> variable(Machine& machine, const QString& name, int depth) {
    const QString upper = name.toUpper();
    const QString profile = profileFolder(machine);
    if (upper == u"USERPROFILE") return profile;
    if (upper == u"USERNAME") return machine.userName();
    if (upper == u"HOMEDRIVE" || upper == u"SYSTEMDRIVE") return QStringLiteral("C:");
    if (upper == u"HOMEPATH") return profile.mid(2);
    if (upper == u"SYSTEMROOT" || upper == u"WINDIR") return GetWindowsDirectory(machine);
    if (upper == u"APPDATA") return specialFolder(machine, CSIDL_APPDATA, depth);
    if (upper == u"LOCALAPPDATA") return specialFolder(machine, CSIDL_LOCAL_APPDATA, depth);
    if (upper == u"PROGRAMFILES") return QStringLiteral("C:\\Program Files");
    if (upper == u"PROGRAMDATA" || upper == u"ALLUSERSPROFILE") return QStringLiteral("C:\\ProgramData");
    if (upper == u"PUBLIC") return QStringLiteral("C:\\users\\Public");
    // The user's own variables come before the system's, as in a Windows log-on.
    if (auto v = regText(machine, HKEY_CURRENT_USER, QStringLiteral("Environment"), name))
        return expand(machine, *v, depth + 1);
    if (auto v = regText(machine, HKEY_LOCAL_MACHINE, kSystemEnvironment, name))
        return expand(machine, *v, depth + 1);
    if (upper == u"TEMP" || upper == u"TMP") return profile + QStringLiteral("\\AppData\\Local\\Temp");
    return std::nullopt;
}

QString expand(Machine& machine, const QString& text, int depth) {
    if (depth > kMaxDepth) return text;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'%', i);
        if (open < 0) break;
        const qsizetype close = text.indexOf(u'%', open + 1);
        if (close < 0) break;
        out += text.mid(i, open - i);
        const QString name = text.mid(open + 1, close - open - 1);
        const auto value = name.isEmpty() ? std::nullopt : variable(machine, name, depth);
        out += value ? *value : text.mid(open, close - open + 1); // an unknown name stays as written
        i = close + 1;
    }
    return out + text.mid(i);
}

} // namespace

QString SHGetSpecialFolderPath(Machine& machine, int csidl) {
    return specialFolder(machine, csidl, 0);
}

QString GetWindowsDirectory(Machine&) {
    return QStringLiteral("C:\\windows");
}

QString GetSystemDirectory(Machine&) {
    return QStringLiteral("C:\\windows\\system32");
}

QString GetTempPath(Machine& machine) {
    QString temp;
    if (auto v = regText(machine, HKEY_CURRENT_USER, QStringLiteral("Environment"), QStringLiteral("TEMP")))
        temp = expand(machine, *v, 1);
    if (temp.isEmpty()) temp = profileFolder(machine) + QStringLiteral("\\AppData\\Local\\Temp");
    return includeTrailingBackslash(temp);
}

QString ExpandEnvironmentStrings(Machine& machine, const QString& text) {
    return expand(machine, text, 0);
}

} // namespace niv
