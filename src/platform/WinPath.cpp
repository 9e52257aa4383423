#include "WinPath.h"

#include "HostIO.h"
#include "Machine.h"

#include <QStringList>

#include <array>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace niv {

QString winUpper(const QString& text) {
    // Names are mostly ASCII: upper-case those in place and leave the rest to the slow path.
    QString out = text;
    const qsizetype n = out.size();
    qsizetype i = 0;
    for (QChar* d = out.data(); i < n && d[i].unicode() < 0x80; ++i)
        if (d[i].unicode() >= 'a' && d[i].unicode() <= 'z') d[i] = QChar(d[i].unicode() - 32);
    if (i == n) return out;
    out.truncate(i);
    out.reserve(n);
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(c.unicode() >= 'a' && c.unicode() <= 'z' ? QChar(c.unicode() - 32) : c);
        } else if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            char32_t cp = QChar::surrogateToUcs4(c, text.at(i + 1));
            char32_t up = QChar::toUpper(cp);
            if (QChar::requiresSurrogates(up)) {
                out.append(QChar::highSurrogate(up));
                out.append(QChar::lowSurrogate(up));
            } else {
                out.append(QChar(static_cast<char16_t>(up)));
            }
            ++i;
        } else {
            out.append(c.toUpper());
        }
    }
    return out;
}

QString asciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() >= 'a' && c.unicode() <= 'z') c = QChar(c.unicode() - 32);
    return out;
}

bool sameText(const QString& a, const QString& b) {
    return a.size() == b.size() && winUpper(a) == winUpper(b);
}

QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

bool sameTrimmedText(const QString& a, const QString& b) {
    const QString left = trimControls(a);
    return !left.isEmpty() && winUpper(left) == winUpper(trimControls(b));
}

namespace {

// ASCII a Windows name cannot hold: control characters and <>:"/\|?*.
constexpr auto kNotInNames = [] {
    std::array<bool, 128> bad{};
    for (int c = 0; c < 0x20; ++c)
        bad[c] = true;
    for (unsigned char c : std::string_view("<>:\"/\\|?*"))
        bad[c] = true;
    return bad;
}();

} // namespace

bool isWindowsName(const char* s, std::size_t len) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    if (len > 0 && (p[len - 1] == '.' || p[len - 1] == ' ')) {
        const bool dotName = (len == 1 && p[0] == '.') || (len == 2 && p[0] == '.' && p[1] == '.');
        if (!dotName) return false;
    }
    std::size_t i = 0;
    while (i < len) {
        unsigned char c = p[i];
        if (c < 0x80) {
            if (kNotInNames[c]) return false;
            ++i;
            continue;
        }
        int extra;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= len || (p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {

bool isDriveSpec(const QString& p) {
    return p.size() >= 2 && p.at(1) == u':' && p.at(0).isLetter() && p.at(0).unicode() < 0x80;
}

} // namespace

QString stripTrailingDotsBlanks(QString s) {
    while (!s.isEmpty() && (s.back() == u'.' || s.back() == u' '))
        s.chop(1);
    return s;
}

QString fullPath(const Machine& machine, const QString& winPath) {
    QString p = winPath;
    p.replace(u'/', u'\\');
    if (p.isEmpty() || p.startsWith(QStringLiteral("\\\\"))) return {};

    const QString& cur = machine.currentFolder(); // "X:\...\"
    QString drive;
    QString rest;
    if (isDriveSpec(p)) {
        drive = p.left(1).toUpper();
        rest = p.mid(2);
        if (!rest.startsWith(u'\\')) {
            // "C:name" is relative to the current folder when it is on that drive.
            rest = (cur.left(1).toUpper() == drive ? cur.mid(2) : QStringLiteral("\\")) + rest;
        }
    } else if (p.startsWith(u'\\')) {
        drive = cur.left(1).toUpper();
        rest = p;
    } else {
        drive = cur.left(1).toUpper();
        rest = cur.mid(2) + p;
    }
    if (rest.contains(u':')) return {};

    const bool trailing = rest.endsWith(u'\\');
    QStringList parts;
    const QStringList raw = rest.split(u'\\', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QString& comp = raw.at(i);
        if (comp == u".") continue;
        if (comp == u"..") {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts.append(comp);
    }
    if (!parts.isEmpty() && !trailing) {
        // Win32 drops trailing dots and blanks of the last name.
        QString last = stripTrailingDotsBlanks(parts.last());
        if (last.isEmpty())
            parts.removeLast();
        else
            parts.last() = last;
    }
    QString out = drive + QStringLiteral(":\\") + parts.join(u'\\');
    if (trailing && !parts.isEmpty()) out += u'\\';
    return out;
}

QString extractFilePath(const QString& winPath) {
    qsizetype i = winPath.size() - 1;
    while (i >= 0 && winPath.at(i) != u'\\' && winPath.at(i) != u':')
        --i;
    return winPath.left(i + 1);
}

QString extractFileName(const QString& winPath) {
    qsizetype i = winPath.size() - 1;
    while (i >= 0 && winPath.at(i) != u'\\' && winPath.at(i) != u':')
        --i;
    return winPath.mid(i + 1);
}

QString extractFileExt(const QString& winPath) {
    qsizetype i = winPath.size() - 1;
    while (i >= 0 && winPath.at(i) != u'\\' && winPath.at(i) != u':' && winPath.at(i) != u'.')
        --i;
    if (i >= 0 && winPath.at(i) == u'.') return winPath.mid(i);
    return {};
}

QString includeTrailingBackslash(const QString& winPath) {
    return winPath.endsWith(u'\\') ? winPath : winPath + u'\\';
}

QString excludeTrailingBackslash(const QString& winPath) {
    return winPath.endsWith(u'\\') ? winPath.chopped(1) : winPath;
}

std::string host::findAnyCase(int dirFd, const QString& name) {
    const QString want = winUpper(name);
    if (::lseek(dirFd, 0, SEEK_SET) != 0) return {};
    alignas(8) char buf[16384];
    for (;;) {
        const ssize_t n = ::getdents64(dirFd, buf, sizeof buf);
        if (n <= 0) return {};
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(buf + at);
            at += e->d_reclen;
            const std::size_t len = std::strlen(e->d_name);
            if (!isWindowsName(e->d_name, len)) continue;
            const QString candidate = QString::fromUtf8(e->d_name, static_cast<qsizetype>(len));
            if (candidate.size() == want.size() && winUpper(candidate) == want && !isDotName(candidate))
                return std::string(e->d_name, len);
        }
    }
}

namespace {

bool hasInvalidChars(const QString& comp) {
    for (QChar c : comp) {
        char16_t u = c.unicode();
        if (u < 0x20 || u == '<' || u == '>' || u == ':' || u == '"' || u == '|' || u == '?' || u == '*')
            return true;
    }
    return false;
}

} // namespace

HostPath resolve(const Machine& machine, const QString& winPath, Spelling spelling) {
    HostPath out;
    out.winPath = fullPath(machine, winPath);
    if (out.winPath.isEmpty()) return out;

    const QString upper = winUpper(out.winPath);
    const QString exeRoot = winUpper(excludeTrailingBackslash(exeFolderPath()));
    std::string base;
    QString rest;
    const bool exeFolder =
        upper.startsWith(exeRoot) && (upper.size() == exeRoot.size() || upper.at(exeRoot.size()) == u'\\');
    if (exeFolder) {
        base = machine.programFolderHost();
        rest = out.winPath.mid(exeRoot.size());
    } else {
        const char letter = static_cast<char>(out.winPath.at(0).toLower().unicode());
        std::string link = machine.root() + "/dosdevices/" + letter + ":";
        struct stat st {};
        if (::stat(link.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            base = link;
        else if (letter == 'c')
            base = machine.root() + "/drive_c";
        else
            return out; // no such drive
        rest = out.winPath.mid(2);
    }

    const QStringList comps = rest.split(u'\\', Qt::SkipEmptyParts);
    for (const QString& comp : comps)
        if (hasInvalidChars(comp)) return out;
    out.isRoot = comps.isEmpty() && !exeFolder;

    // Exact spelling first: one look-up for the whole path.
    std::string exact = base;
    for (const QString& comp : comps) {
        exact += '/';
        exact += comp.toUtf8().toStdString();
    }
    struct stat st {};
    auto take = [&](const struct stat& entry) {
        out.exists = true;
        out.mode = entry.st_mode;
        out.id = host::idOf(entry);
    };
    const bool exactFound = ::lstat(exact.c_str(), &st) == 0;
    // A path as listed is that path or nothing: neither the search below nor the folders it
    // remembers may hand back a name differing in case at any level.
    if (exactFound || spelling == Spelling::Exact) {
        if (exactFound) take(st);
        out.path = std::move(exact);
        out.found = out.winPath;
        return out;
    }

    // Then the folder as an earlier look-up found it, checked to be there still.
    std::string cur = base;
    qsizetype first = 0;
    // Keyed by the host folder of the drive and the folder's components as spelt.
    const QString winFolder =
        comps.size() > 1 ? QString::fromStdString(base) + u'|' + comps.mid(0, comps.size() - 1).join(u'\\')
                         : QString();
    if (!winFolder.isEmpty()) {
        std::string cached = machine.folderCache().find(winFolder);
        if (!cached.empty()) {
            if (::stat(cached.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                cur = std::move(cached);
                first = comps.size() - 1;
            } else {
                machine.folderCache().forget(winFolder);
            }
        }
    }

    bool found = true;
    for (qsizetype i = first; i < comps.size(); ++i) {
        const QString& comp = comps[i];
        std::string name = comp.toUtf8().toStdString();
        if (found) {
            std::string candidate = cur + '/' + name;
            if (::lstat(candidate.c_str(), &st) != 0) {
                std::string onDisk;
                const int dirFd = ::open(cur.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (dirFd >= 0) {
                    onDisk = host::findAnyCase(dirFd, comp);
                    ::close(dirFd);
                }
                if (onDisk.empty())
                    found = false;
                else
                    name = onDisk;
            }
        }
        cur += '/';
        cur += name;
        if (found && i == comps.size() - 2 && first == 0) machine.folderCache().store(winFolder, cur);
    }
    if (found && ::lstat(cur.c_str(), &st) == 0) take(st);
    out.found = out.winPath.left(out.winPath.size() - rest.size()) +
                QString::fromUtf8(cur.substr(base.size())).replace(u'/', u'\\');
    if (rest.endsWith(u'\\')) out.found += u'\\';
    out.path = std::move(cur);
    return out;
}

bool inProgramFolder(const Machine& machine, const HostPath& place, bool followLast) {
    FileId program;
    return place.valid() && machine.programFolderId(program) &&
           host::isWithin(place.path, {&program, 1}, followLast);
}

bool holdsProgramFolder(const Machine& machine, const HostPath& place) {
    FileId program;
    return place.exists && S_ISDIR(place.mode) && machine.programFolderId(program) &&
           host::isWithin(machine.programFolderHost(), {&place.id, 1}, true);
}

namespace {

// `path` below `base` (both host paths, canonical) gives the rest with "\" separators.
bool below(const std::string& path, const std::string& base, QString& rest) {
    if (base.empty() || path.compare(0, base.size(), base) != 0) return false;
    if (path.size() > base.size() && path[base.size()] != '/' && base != "/") return false;
    rest = QString::fromUtf8(path.substr(base.size())).replace(u'/', u'\\');
    if (!rest.startsWith(u'\\')) rest.prepend(u'\\');
    return true;
}

std::string canonical(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return {};
    std::string out(real);
    std::free(real);
    return out;
}

} // namespace

QString windowsPathOf(const Machine& machine, const std::string& hostPath) {
    const std::string path = canonical(hostPath);
    if (path.empty()) return {};
    QString rest;
    if (below(path, canonical(machine.programFolderHost()), rest))
        return excludeTrailingBackslash(exeFolderPath()) + (rest == u"\\" ? QString() : rest);
    // The most specific drive wins (z: usually maps "/", which holds everything).
    QString best;
    std::size_t bestLength = 0;
    for (const QString& letter : machine.driveLetters()) {
        HostPath root = resolve(machine, letter + QStringLiteral(":\\"));
        const std::string base = canonical(root.path);
        if (base.size() >= bestLength + (best.isEmpty() ? 0 : 1) && below(path, base, rest)) {
            best = letter + u':' + rest;
            bestLength = base.size();
        }
    }
    // A name Windows cannot hold would come back as another path (a line break ends an INI
    // value, a trailing dot is dropped), so such an entry has no Windows path at all.
    if (!best.isEmpty() && !isWindowsHostPath(path.substr(bestLength))) return {};
    return best;
}

bool isWindowsHostPath(const std::string& hostPath) {
    std::size_t begin = 0;
    while (begin <= hostPath.size()) {
        std::size_t end = hostPath.find('/', begin);
        if (end == std::string::npos) end = hostPath.size();
        if (end > begin && !isWindowsName(hostPath.data() + begin, end - begin)) return false;
        begin = end + 1;
    }
    return true;
}

} // namespace niv
