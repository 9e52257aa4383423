#include "IniFile.h"

#include "FaultInjector.h"
#include "FileSys.h"
#include "HostIO.h"
#include "Machine.h"
#include "WinPath.h"
#include "WinTypes.h"
#include "WriteScope.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

#include <sys/stat.h>

namespace niv {

namespace {

enum class Encoding { Utf8, Cp1252, Utf16Le, Utf16Be };

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(const char* data, qsizetype size) {
    qsizetype i = 0;
    while (i < size) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        std::uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + length > size) return false;
        for (int k = 1; k < length; ++k) {
            const auto cc = static_cast<unsigned char>(data[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
        if (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
        i += length;
    }
    return true;
}

QString decodeUtf16(const QByteArray& bytes, bool bigEndian) {
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) { // a stray odd byte is ignored
        const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
        text.append(QChar(static_cast<char16_t>(lo | (hi << 8))));
    }
    return text;
}

QByteArray encodeUtf16(const QString& text, bool bigEndian) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar ch : text) {
        const char lo = static_cast<char>(ch.unicode() & 0xFF);
        const char hi = static_cast<char>(ch.unicode() >> 8);
        bytes.append(bigEndian ? hi : lo);
        bytes.append(bigEndian ? lo : hi);
    }
    return bytes;
}

// One line of the file. Lines we do not change are written back from `raw`, so they survive
// byte for byte even when they do not decode cleanly.
struct Line {
    QByteArray raw; // the line's bytes without its end
    QString text;   // the same, decoded
    QString eol;    // "\r\n", "\n", "\r", or "" for a last line without an end
    bool changed = false;
};

struct IniText {
    Encoding encoding = Encoding::Utf8;
    QByteArray bom;
    std::vector<Line> lines;

    QString decode(const QByteArray& bytes) const {
        switch (encoding) {
        case Encoding::Utf8:
            return QString::fromUtf8(bytes);
        case Encoding::Cp1252:
            return host::decodeCp1252(bytes);
        case Encoding::Utf16Le:
            return decodeUtf16(bytes, false);
        case Encoding::Utf16Be:
            return decodeUtf16(bytes, true);
        }
        return {};
    }

    QByteArray encode(const QString& text) const {
        switch (encoding) {
        case Encoding::Utf8:
            return text.toUtf8();
        case Encoding::Cp1252:
            return host::encodeCp1252(text);
        case Encoding::Utf16Le:
            return encodeUtf16(text, false);
        case Encoding::Utf16Be:
            return encodeUtf16(text, true);
        }
        return {};
    }

    QByteArray serialize() const {
        QByteArray out = bom;
        for (const Line& line : lines) {
            out += line.changed ? encode(line.text) : line.raw;
            out += encode(line.eol);
        }
        return out;
    }
};

bool startsWith(const QByteArray& data, std::initializer_list<unsigned char> prefix) {
    if (data.size() < static_cast<qsizetype>(prefix.size())) return false;
    qsizetype i = 0;
    for (unsigned char b : prefix) {
        if (static_cast<unsigned char>(data[i++]) != b) return false;
    }
    return true;
}

IniText parseFile(const QByteArray& data) {
    IniText ini;
    if (startsWith(data, {0xFF, 0xFE})) {
        ini.encoding = Encoding::Utf16Le;
        ini.bom = data.left(2);
    } else if (startsWith(data, {0xFE, 0xFF})) {
        ini.encoding = Encoding::Utf16Be;
        ini.bom = data.left(2);
    } else if (startsWith(data, {0xEF, 0xBB, 0xBF})) {
        ini.encoding = Encoding::Utf8;
        ini.bom = data.left(3);
    } else {
        ini.encoding = isValidUtf8(data.constData(), data.size()) ? Encoding::Utf8 : Encoding::Cp1252;
    }

    const bool wide = ini.encoding == Encoding::Utf16Le || ini.encoding == Encoding::Utf16Be;
    const bool bigEndian = ini.encoding == Encoding::Utf16Be;
    const qsizetype unit = wide ? 2 : 1;
    const qsizetype size = data.size();
    auto unitAt = [&](qsizetype pos) -> char16_t {
        if (!wide) return static_cast<unsigned char>(data[pos]);
        const auto a = static_cast<unsigned char>(data[pos]);
        const auto b = static_cast<unsigned char>(data[pos + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : a | (b << 8));
    };

    qsizetype start = ini.bom.size();
    qsizetype pos = start;
    while (pos + unit <= size) {
        const char16_t c = unitAt(pos);
        if (c != u'\r' && c != u'\n') {
            pos += unit;
            continue;
        }
        Line line;
        line.raw = data.mid(start, pos - start);
        if (c == u'\r' && pos + 2 * unit <= size && unitAt(pos + unit) == u'\n') {
            line.eol = QStringLiteral("\r\n");
            pos += 2 * unit;
        } else {
            line.eol = QString(QChar(c));
            pos += unit;
        }
        line.text = ini.decode(line.raw);
        ini.lines.push_back(std::move(line));
        start = pos;
    }
    if (start < size) {
        Line line;
        line.raw = data.mid(start);
        line.text = ini.decode(line.raw);
        ini.lines.push_back(std::move(line));
    }
    return ini;
}

bool isBlankChar(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlankChar(text.at(first)))
        ++first;
    while (last > first && isBlankChar(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

// What one line is to the reader.
struct LineInfo {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;  // section or key name, trimmed
    QString value; // the key's value, trimmed
};

LineInfo classify(const QString& text) {
    LineInfo info;
    const QString trimmed = trimBlanks(text);
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.lastIndexOf(u']');
        if (close > 0) {
            info.kind = LineInfo::Section;
            info.name = trimBlanks(trimmed.mid(1, close - 1));
        }
        return info;
    }
    if (trimmed.startsWith(u';')) return info;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq <= 0) return info;
    info.name = trimBlanks(trimmed.left(eq));
    if (info.name.isEmpty()) return info;
    info.kind = LineInfo::Key;
    info.value = trimBlanks(trimmed.mid(eq + 1));
    return info;
}

// Where a section and a key are: indexes into the lines, -1 when missing.
struct Place {
    int section = -1;
    int key = -1;
    int lastNonBlank = -1; // the section's last non-blank line (its header when it has nothing else)
    QString value;         // the key's value, trimmed
};

QString unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first) return value.mid(1, value.size() - 2);
    }
    return value;
}

QString withoutTrailingSpaces(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    return text.left(end);
}

// The part of a key line kept when its value is replaced: everything up to the "=", and the blanks
// that stood before a non-empty value.
QString keyPrefix(const QString& text) {
    const qsizetype eq = text.indexOf(u'=');
    qsizetype end = eq + 1;
    if (!trimBlanks(text.mid(end)).isEmpty()) {
        while (end < text.size() && isBlankChar(text.at(end)))
            ++end;
    }
    return text.left(end);
}

QString firstLineEnd(const IniText& ini) {
    for (const Line& line : ini.lines) {
        if (!line.eol.isEmpty()) return line.eol;
    }
    return QStringLiteral("\r\n");
}

// Inserts new lines after line `after` (-1: at the start). They take the line end of the line
// they follow, which gets one first when it had none.
void insertLines(IniText& ini, int after, const QStringList& texts) {
    QString eol = firstLineEnd(ini);
    if (after >= 0) {
        Line& previous = ini.lines[after];
        if (previous.eol.isEmpty()) previous.eol = eol;
        eol = previous.eol;
    }
    int at = after + 1;
    for (const QString& text : texts) {
        Line line;
        line.text = text;
        line.eol = eol;
        line.changed = true;
        ini.lines.insert(ini.lines.begin() + at++, std::move(line));
    }
}

bool parseDecimal(const QString& text, int& result) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) negative = text.at(i++) == u'-';
    if (i == text.size()) return false;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1) return false;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return false;
    result = static_cast<int>(value);
    return true;
}

// A parsed file with the place of each section (its first one: a repeated section is not looked
// up) and of each key in it (its first line), found by hash.
struct ParsedIni {
    struct SectionPlace {
        int header = -1;
        int lastNonBlank = -1;
        QHash<QString, int> keys; // upper-cased name -> line
    };

    IniText ini;
    std::vector<SectionPlace> sections;
    QHash<QString, int> sectionIndex; // upper-cased name -> index into sections

    void reindex() {
        sections.clear();
        sectionIndex.clear();
        int current = -1;
        for (int i = 0; i < static_cast<int>(ini.lines.size()); ++i) {
            const LineInfo info = classify(ini.lines[i].text);
            if (info.kind == LineInfo::Section) {
                const QString upper = winUpper(info.name);
                current = -1;
                if (!sectionIndex.contains(upper)) {
                    current = static_cast<int>(sections.size());
                    sectionIndex.insert(upper, current);
                    sections.push_back({i, i, {}});
                }
                continue;
            }
            if (current < 0) continue;
            SectionPlace& place = sections[static_cast<std::size_t>(current)];
            if (!trimBlanks(ini.lines[i].text).isEmpty()) place.lastNonBlank = i;
            if (info.kind == LineInfo::Key) {
                const QString upper = winUpper(info.name);
                if (!place.keys.contains(upper)) place.keys.insert(upper, i);
            }
        }
    }

    Place locate(const QString& section, const QString& key) const {
        Place place;
        const auto found = sectionIndex.constFind(winUpper(section));
        if (found == sectionIndex.constEnd()) return place;
        const SectionPlace& where = sections[static_cast<std::size_t>(*found)];
        place.section = where.header;
        place.lastNonBlank = where.lastNonBlank;
        const auto line = where.keys.constFind(winUpper(key));
        if (line != where.keys.constEnd()) {
            place.key = *line;
            place.value = classify(ini.lines[static_cast<std::size_t>(*line)].text).value;
        }
        return place;
    }

    // Sets the key's value as WritePrivateProfileString does, keeping the index right.
    void set(const QString& section, const QString& key, const QString& value) {
        const Place place = locate(section, key);
        if (place.key >= 0) { // the key's name stays, so its place does
            Line& line = ini.lines[static_cast<std::size_t>(place.key)];
            line.text = keyPrefix(line.text) + value;
            line.changed = true;
        } else if (place.section >= 0) {
            const int at = place.lastNonBlank + 1;
            insertLines(ini, place.lastNonBlank, {key + u'=' + value});
            for (SectionPlace& other : sections) {
                if (other.header >= at) other.header += 1;
                if (other.lastNonBlank >= at) other.lastNonBlank += 1;
                for (int& line : other.keys)
                    if (line >= at) line += 1;
            }
            SectionPlace& where = sections[static_cast<std::size_t>(sectionIndex.value(winUpper(section)))];
            where.lastNonBlank = at;
            indexKey(where, at);
        } else {
            const int at = static_cast<int>(ini.lines.size());
            insertLines(ini, at - 1, {u'[' + section + u']', key + u'=' + value});
            const LineInfo header = classify(ini.lines[static_cast<std::size_t>(at)].text);
            if (header.kind == LineInfo::Section && !sectionIndex.contains(winUpper(header.name))) {
                sectionIndex.insert(winUpper(header.name), static_cast<int>(sections.size()));
                sections.push_back({at, at + 1, {}});
                indexKey(sections.back(), at + 1);
            }
        }
    }

private:
    // Indexes the key on a new line at the end of its section, unless an earlier line has it.
    void indexKey(SectionPlace& where, int line) {
        const LineInfo info = classify(ini.lines[static_cast<std::size_t>(line)].text);
        if (info.kind != LineInfo::Key) return;
        const QString upper = winUpper(info.name);
        if (!where.keys.contains(upper)) where.keys.insert(upper, line);
    }
};

} // namespace

// ---- the kept files ----

namespace {

struct Edit {
    QString section, key, value;
};

struct KeptIni {
    host::KeptVersion version;
    QByteArray raw; // the bytes it was parsed from or saved as (stale while pending)
    ParsedIni parsed;
    bool pending = false;    // changed by gathered writes, not saved yet
    QString fileName;        // as the writer named it, for the save and its error
    std::string identity;    // while pending: which file this is, whatever name reaches it
    std::vector<Edit> edits; // while pending, in order: made again on what another program wrote
};

// The same for every name of a file: its device and inode, or for a missing file the real path of
// its folder and its name.
std::string identityOf(const std::string& hostPath) {
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) == 0) {
        const FileId id = host::idOf(st);
        return std::to_string(id.dev) + ':' + std::to_string(id.ino);
    }
    const std::size_t slash = hostPath.rfind('/');
    char* folder = ::realpath(hostPath.substr(0, slash).c_str(), nullptr);
    const std::string out = folder ? folder + hostPath.substr(slash) : hostPath;
    std::free(folder);
    return out;
}

} // namespace

struct IniCache::State {
    // By host path; the names of one file that gathered writes reach share one entry.
    std::unordered_map<std::string, std::shared_ptr<KeptIni>> files;

    // Forgets every file that holds no pending change once there are many: the program keeps few.
    void trim() {
        constexpr std::size_t kMaxFiles = 32;
        if (files.size() < kMaxFiles) return;
        std::erase_if(files, [](const auto& entry) { return !entry.second->pending; });
    }

    // The pending file that `hostPath` names too, or nullptr.
    std::shared_ptr<KeptIni> pendingAlias(const std::string& hostPath) const {
        std::string identity;
        for (const auto& [path, kept] : files) {
            if (!kept->pending) continue;
            if (identity.empty()) identity = identityOf(hostPath);
            if (kept->identity == identity) return kept;
        }
        return nullptr;
    }

    void forget(const KeptIni* kept) {
        std::erase_if(files, [kept](const auto& entry) { return entry.second.get() == kept; });
    }
};

IniCache& Machine::iniCache() {
    if (!m_iniCache) m_iniCache = std::make_shared<IniCache>();
    return *m_iniCache;
}

IniCache::IniCache() : m_state(std::make_unique<State>()) {}
IniCache::~IniCache() = default;

namespace {

// Saves `parsed` as the file and keeps it as what the disk holds; false when it cannot be written.
bool save(Machine& machine, const std::string& hostPath, KeptIni& kept, ParsedIni& parsed) {
    const std::int64_t writeStart = host::wallClockNs();
    QByteArray bytes = parsed.ini.serialize();
    if (!WriteFileBytes(machine, kept.fileName, bytes)) return false;
    kept.parsed = std::move(parsed);
    kept.raw = std::move(bytes);
    kept.version = host::versionOf(hostPath, writeStart);
    return true;
}

} // namespace

QStringList IniCache::saveGathered(Machine& machine) {
    QStringList failed;
    std::vector<const KeptIni*> gone;
    for (const auto& [path, entry] : m_state->files) {
        KeptIni& kept = *entry;
        if (!kept.pending) continue;
        kept.pending = false;
        const std::vector<Edit> edits = std::move(kept.edits);
        kept.edits.clear();
        ParsedIni parsed = std::move(kept.parsed);
        if (!host::isUnchanged(path, kept.version, [&kept] { return kept.raw; })) {
            // Another program changed the file meanwhile: the edits go onto what it wrote. A file
            // deleted meanwhile, by that program or by this one, stays deleted.
            const bool existed = kept.version.stamp != host::FileStamp{};
            QByteArray data;
            if (!host::readFile(path, data)) {
                if (!existed || host::entryExists(path)) failed << kept.fileName;
                gone.push_back(&kept);
                continue;
            }
            parsed = ParsedIni();
            parsed.ini = parseFile(data);
            parsed.reindex();
            for (const Edit& e : edits)
                parsed.set(e.section, e.key, e.value);
        }
        if (!save(machine, path, kept, parsed)) {
            failed << kept.fileName;
            gone.push_back(&kept);
        }
    }
    for (const KeptIni* kept : gone)
        m_state->forget(kept);
    return failed;
}

namespace {

// The parsed file at `hp` as it is on disk (or as gathered writes left it), nullptr with the
// machine's last error set when it cannot be read.
KeptIni* currentFile(Machine& machine, const HostPath& hp) {
    IniCache::State& cache = machine.iniCache().state();
    auto found = cache.files.find(hp.path);
    if (found != cache.files.end() && found->second->pending) return found->second.get();
    if (machine.gatheringWrites() && hp.valid()) {
        if (std::shared_ptr<KeptIni> alias = cache.pendingAlias(hp.path)) {
            cache.files[hp.path] = alias;
            return alias.get();
        }
    }
    auto forget = [&] {
        if (found != cache.files.end()) cache.files.erase(found);
    };
    if (!hp.valid() || !hp.exists) {
        forget();
        machine.setLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (int err = machine.faults().check(FaultInjector::Op::Open, hp.winPath)) {
        machine.setLastError(err);
        return nullptr;
    }
    KeptIni* kept = found != cache.files.end() ? found->second.get() : nullptr;
    host::FileStamp stamp;
    if (kept && kept->version.settled && host::stampOf(hp.path, stamp) && stamp == kept->version.stamp)
        return kept;

    const std::int64_t readStart = host::wallClockNs();
    QByteArray data;
    host::ReadError why = host::ReadError::None;
    if (!host::readFile(hp.path, data, host::kMaxReadSize, &why, &stamp)) {
        forget();
        machine.setLastError(why == host::ReadError::TooLarge ? ERROR_FILE_TOO_LARGE : ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (!kept || kept->raw != data) {
        cache.trim();
        auto fresh = std::make_shared<KeptIni>();
        fresh->parsed.ini = parseFile(data);
        fresh->parsed.reindex();
        fresh->raw = std::move(data);
        kept = fresh.get();
        cache.files[hp.path] = std::move(fresh);
    }
    kept->version = {stamp, host::isSettled(stamp, readStart)};
    return kept;
}

} // namespace

QString GetPrivateProfileString(Machine& machine, const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName) {
    if (const KeptIni* kept = currentFile(machine, resolve(machine, fileName))) {
        const Place place = kept->parsed.locate(trimBlanks(section), trimBlanks(key));
        if (place.key >= 0) return unquote(place.value);
    }
    return withoutTrailingSpaces(defaultValue);
}

int GetPrivateProfileInt(Machine& machine, const QString& section, const QString& key, int defaultValue,
                         const QString& fileName) {
    const QString text = GetPrivateProfileString(machine, section, key, QString(), fileName);
    if (text.isEmpty()) return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (text.at(i) == u'+' || text.at(i) == u'-') negative = text.at(i++) == u'-';
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') break;
        value = value * 10 + (c - u'0');
        if (value > INT_MAX) value = INT_MAX; // saturate rather than wrap
    }
    return negative ? 0 : static_cast<int>(value);
}

bool WritePrivateProfileString(Machine& machine, const QString& section, const QString& key,
                               const QString& value, const QString& fileName) {
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    // A line break would end the line early and make the rest a key of its own; a key line that
    // begins with "[" would read as a section.
    bool refused = keyName.startsWith(u'[');
    for (const QString* text : {&section, &key, &value})
        refused = refused || text->contains(u'\n') || text->contains(u'\r');
    if (refused) {
        machine.setLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const HostPath hp = resolve(machine, fileName);
    KeptIni* kept = currentFile(machine, hp);
    if (!kept && FileExists(machine, fileName))
        return false; // a file that is there but cannot be read is never replaced

    IniCache::State& cache = machine.iniCache().state();
    if (machine.gatheringWrites() && hp.valid()) {
        if (!kept) {
            auto& slot = cache.files[hp.path];
            slot = std::make_shared<KeptIni>();
            kept = slot.get();
        }
        if (!kept->pending) {
            kept->pending = true;
            kept->fileName = fileName;
            kept->identity = identityOf(hp.path);
        }
        kept->parsed.set(sectionName, keyName, value);
        kept->edits.push_back({sectionName, keyName, value});
        return true;
    }

    ParsedIni parsed = kept ? kept->parsed : ParsedIni(); // what is kept changes once the write is done
    parsed.set(sectionName, keyName, value);
    auto& slot = cache.files[hp.path];
    if (!slot) slot = std::make_shared<KeptIni>();
    slot->fileName = fileName;
    if (!save(machine, hp.path, *slot, parsed)) {
        cache.files.erase(hp.path);
        return false;
    }
    return true;
}

QString TIniFile::ReadString(const QString& section, const QString& ident,
                             const QString& defaultValue) const {
    return GetPrivateProfileString(m_machine, section, ident, defaultValue, m_fileName);
}

int TIniFile::ReadInteger(const QString& section, const QString& ident, int defaultValue) const {
    int value = 0;
    return parseDecimal(ReadString(section, ident, QString()), value) ? value : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
    if (!WritePrivateProfileString(m_machine, section, ident, value, m_fileName))
        throw PlatformError(QStringLiteral("Unable to write to %1").arg(m_fileName));
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
    WriteString(section, ident, QString::number(value));
}

} // namespace niv
