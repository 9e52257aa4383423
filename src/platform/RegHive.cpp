#include "RegHive.h"

#include "WinPath.h"

#include <QByteArrayView>
#include <QDateTime>

#include <algorithm>
#include <unordered_set>

namespace niv {

// One logical line of a key's section: a value (with its continuation lines), or any other line
// kept as it is. A value that a later line of the same name overrides is "shadowed": it stays in
// the file until that value changes, as Wine reads only the last one.
struct HiveLine {
    enum Kind { Raw, Value, Shadowed };
    Kind kind = Raw;
    QByteArray text; // as in the file, with its line ends
    RegValue value;  // Value
    QString upper;   // Value, Shadowed: the upper-cased name
};

// One "[key] time" section of the file.
struct HiveBlock {
    RegKey* key = nullptr;
    QByteArray lead; // the blank lines before the key line
    QByteArray keyLine;
    std::vector<std::unique_ptr<HiveLine>> lines;
};

namespace {

constexpr std::int64_t kTicks1601To1970 = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;
constexpr int kMaxLinkHops = 16;

const QByteArray kSignature = QByteArrayLiteral("WINE REGISTRY Version 2");
const QByteArray kRelativeTo = QByteArrayLiteral(";; All keys relative to ");

FileTime nowFileTime() {
    return QDateTime::currentMSecsSinceEpoch() * 10000 + kTicks1601To1970;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isBlankText(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return isBlank(c) || c == '\n'; });
}

QByteArray hexNumber(unsigned long long n) {
    return QByteArray::number(n, 16);
}

// Escapes text as Wine writes strings and names: non-ASCII as \x, control characters as C or
// octal escapes, and a backslash before "\" and the two quote characters.
void appendEscaped(QByteArray& out, const QString& text, char quote1, char quote2) {
    static const char escapes[33] = ".......abtnvfr.............e....";
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        const char16_t next = i + 1 < n ? text.at(i + 1).unicode() : 0;
        if (c > 127) {
            // A following hex digit would be read as part of the escape: pad to four digits.
            const bool nextIsHex = i + 1 < n && next < 128 && hexValue(static_cast<char>(next)) >= 0;
            QByteArray digits = hexNumber(c);
            if (nextIsHex) digits = digits.rightJustified(4, '0');
            out += "\\x" + digits;
        } else if (c < 32) {
            if (escapes[c] != '.') {
                out += '\\';
                out += escapes[c];
            } else {
                const bool nextIsOctal = i + 1 < n && next >= '0' && next <= '7';
                QByteArray digits = QByteArray::number(c, 8);
                if (nextIsOctal) digits = digits.rightJustified(3, '0');
                out += '\\' + digits;
            }
        } else {
            if (c == '\\' || c == quote1 || c == quote2) out += '\\';
            out += static_cast<char>(c);
        }
    }
}

QByteArray escaped(const QString& text, char quote1, char quote2) {
    QByteArray out;
    appendEscaped(out, text, quote1, quote2);
    return out;
}

// Decodes one UTF-8 sequence at `p`; an invalid byte stands for itself (Latin-1), as older Wine
// versions read it.
qsizetype decodeUtf8(const char* p, qsizetype avail, QString& out) {
    const auto b0 = static_cast<unsigned char>(p[0]);
    const int len = b0 >= 0xF0 && b0 <= 0xF4   ? 4
                    : b0 >= 0xE0 && b0 <= 0xEF ? 3
                    : b0 >= 0xC2 && b0 <= 0xDF ? 2
                                               : 0;
    static const char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    const char32_t min = minimum[len];
    char32_t cp = b0 & (0x7F >> len);
    bool ok = len > 0 && len <= avail;
    for (int k = 1; ok && k < len; ++k) {
        const auto b = static_cast<unsigned char>(p[k]);
        if ((b & 0xC0) != 0x80) ok = false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
        out.append(QChar(static_cast<char16_t>(b0)));
        return 1;
    }
    if (QChar::requiresSurrogates(cp)) {
        out.append(QChar(QChar::highSurrogate(cp)));
        out.append(QChar(QChar::lowSurrogate(cp)));
    } else {
        out.append(QChar(static_cast<char16_t>(cp)));
    }
    return len;
}

// Decodes an escaped string from `pos` up to the unescaped `endChar` (0: the end of the text).
// Returns the position after `endChar`, or -1 with `error` set.
qsizetype unescape(const char* text, qsizetype pos, qsizetype end, char endChar, QString& out,
                   QString& error) {
    out.clear();
    while (pos < end) {
        const char c = text[pos];
        if (endChar && c == endChar) return pos + 1;
        if (c != '\\') {
            if (static_cast<unsigned char>(c) < 0x80) {
                out.append(QChar(static_cast<char16_t>(c)));
                ++pos;
            } else {
                pos += decodeUtf8(text + pos, end - pos, out);
            }
            continue;
        }
        if (++pos >= end) break;
        const char e = text[pos++];
        switch (e) {
        case 'a':
            out.append(QChar(u'\a'));
            break;
        case 'b':
            out.append(QChar(u'\b'));
            break;
        case 'e':
            out.append(QChar(char16_t(27)));
            break;
        case 'f':
            out.append(QChar(u'\f'));
            break;
        case 'n':
            out.append(QChar(u'\n'));
            break;
        case 'r':
            out.append(QChar(u'\r'));
            break;
        case 't':
            out.append(QChar(u'\t'));
            break;
        case 'v':
            out.append(QChar(u'\v'));
            break;
        case '\\':
        case '"':
        case '[':
        case ']':
            out.append(QChar(static_cast<char16_t>(e)));
            break;
        case 'x': {
            char16_t v = 0;
            int digits = 0;
            while (digits < 4 && pos < end && hexValue(text[pos]) >= 0) {
                v = static_cast<char16_t>(v * 16 + hexValue(text[pos++]));
                ++digits;
            }
            if (!digits) {
                error = QStringLiteral("bad escape \"\\x\" without hex digits");
                return -1;
            }
            out.append(QChar(v));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                char16_t v = static_cast<char16_t>(e - '0');
                for (int k = 0; k < 2 && pos < end && text[pos] >= '0' && text[pos] <= '7'; ++k)
                    v = static_cast<char16_t>(v * 8 + (text[pos++] - '0'));
                out.append(QChar(v));
                break;
            }
            error = QStringLiteral("bad escape \"\\%1\"").arg(QLatin1Char(e));
            return -1;
        }
    }
    if (!endChar) return end;
    error =
        endChar == '"' ? QStringLiteral("missing closing quote") : QStringLiteral("missing closing bracket");
    return -1;
}

QByteArray utf16Data(const QString& text, bool terminate) {
    QByteArray out;
    out.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    if (terminate) out.append(2, '\0');
    return out;
}

QString fromUtf16Data(const QByteArray& data) {
    QString out;
    out.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        out.append(QChar(static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                               (static_cast<unsigned char>(data[i + 1]) << 8))));
    return out;
}

// The value's line(s) as Wine writes them.
QByteArray valueText(const RegValue& v) {
    QByteArray out;
    if (v.name.isEmpty()) {
        out = "@=";
    } else {
        out = "\"";
        appendEscaped(out, v.name, '"', '"');
        out += "\"=";
    }
    int count = static_cast<int>(out.size());
    const qsizetype len = v.data.size();
    switch (v.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        // Only NUL-terminated text is written as a string.
        if (len >= 2 && len % 2 == 0 && v.data[len - 1] == 0 && v.data[len - 2] == 0) {
            if (v.type != REG_SZ) out += "str(" + hexNumber(v.type) + "):";
            out += '"';
            appendEscaped(out, fromUtf16Data(v.data.left(len - 2)), '"', '"');
            out += "\"\n";
            return out;
        }
        break;
    case REG_DWORD:
        if (len == 4) {
            const auto* d = reinterpret_cast<const unsigned char*>(v.data.constData());
            const std::uint32_t dw = d[0] | (d[1] << 8) | (d[2] << 16) | (std::uint32_t(d[3]) << 24);
            out += "dword:" + hexNumber(dw).rightJustified(8, '0') + '\n';
            return out;
        }
        break;
    default:
        break;
    }
    const QByteArray tag = v.type == REG_BINARY ? QByteArray("hex:") : "hex(" + hexNumber(v.type) + "):";
    out += tag;
    count += static_cast<int>(tag.size());
    for (qsizetype i = 0; i < len; ++i) {
        out += hexNumber(static_cast<unsigned char>(v.data[i])).rightJustified(2, '0');
        count += 2;
        if (i < len - 1) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
    return out;
}

QByteArray lineEnd(const QByteArray& line) {
    if (line.endsWith("\r\n")) return QByteArrayLiteral("\r\n");
    return QByteArrayLiteral("\n");
}

// New text, written with the file's own line ends.
QByteArray withLineEnds(QByteArray text, const QByteArray& eol) {
    return eol == "\n" ? text : text.replace('\n', eol);
}

QByteArray timeOption(FileTime time, const QByteArray& eol) {
    return "#time=" + hexNumber(static_cast<unsigned long long>(time)) + eol;
}

QByteArray keySeconds(FileTime time) {
    return QByteArray::number(static_cast<unsigned long long>((time - kTicks1601To1970) / kTicksPerSecond));
}

// The key line with its timestamp replaced; the name part stays as written.
QByteArray retimedKeyLine(const QByteArray& line, FileTime time) {
    qsizetype pos = line.indexOf('[') + 1;
    while (pos < line.size() && line[pos] != ']')
        pos += line[pos] == '\\' ? 2 : 1;
    return line.left(pos + 1) + ' ' + keySeconds(time) + lineEnd(line);
}

QStringList pathComponents(const QString& path) {
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

} // namespace

HiveParseError::HiveParseError(const QString& file, int line, const QString& what)
    : PlatformError(line > 0 ? QStringLiteral("%1: line %2: %3").arg(file).arg(line).arg(what)
                             : QStringLiteral("%1: %2").arg(file, what)),
      m_file(file), m_line(line) {}

// ---- RegKey ----

RegKey::RegKey(const QString& name, RegKey* parent)
    : m_name(name), m_upper(winUpper(name)), m_parent(parent) {}

// Subkeys are taken apart from a list of our own: letting each key destroy its children would
// recurse once per level.
RegKey::~RegKey() {
    std::vector<std::unique_ptr<RegKey>> pending = std::move(m_subkeys);
    while (!pending.empty()) {
        std::unique_ptr<RegKey> key = std::move(pending.back());
        pending.pop_back();
        for (auto& child : key->m_subkeys)
            pending.push_back(std::move(child));
        key->m_subkeys.clear();
    }
}

RegKey* RegKey::findSubkey(const QString& name) const {
    return m_index.value(winUpper(name), nullptr);
}

QStringList RegKey::subkeyNames() const {
    QStringList out;
    out.reserve(static_cast<qsizetype>(m_subkeys.size()));
    for (const auto& k : m_subkeys)
        out.append(k->m_name);
    return out;
}

const RegValue& RegKey::value(int index) const {
    return m_values[static_cast<std::size_t>(index)]->value;
}

int RegKey::findValueIndex(const QString& upperName) const {
    for (std::size_t i = 0; i < m_values.size(); ++i)
        if (m_values[i]->upper == upperName) return static_cast<int>(i);
    return -1;
}

const RegValue* RegKey::findValue(const QString& name) const {
    const int i = findValueIndex(winUpper(name));
    return i < 0 ? nullptr : &m_values[static_cast<std::size_t>(i)]->value;
}

QStringList RegKey::valueNames() const {
    QStringList out;
    out.reserve(static_cast<qsizetype>(m_values.size()));
    for (const HiveLine* v : m_values)
        out.append(v->value.name);
    return out;
}

// ---- parsing ----

class HiveParser {
public:
    HiveParser(const QByteArray& text, const QString& file) : m_text(text), m_file(file) {}

    std::unique_ptr<RegHive> run() {
        splitLines();
        if (m_lines.empty() || content(0) != kSignature)
            failWith(0, QStringLiteral("not a Wine registry file (the first line is not \"%1\")")
                        .arg(QString::fromLatin1(kSignature)));
        m_hive.reset(new RegHive());
        m_hive->m_header = raw(0);
        m_hive->m_eol = lineEnd(m_hive->m_header);
        bool sawTime = false;
        QByteArray pending; // blank lines, given to the next key line or to the section before
        for (m_at = 1; m_at < m_lines.size(); ++m_at) {
            const Line& ln = m_lines[m_at];
            const char* t = m_text.constData();
            qsizetype p = ln.begin;
            while (p < ln.end && isBlank(t[p]))
                ++p;
            if (std::find(t + ln.begin, t + ln.end, '\0') != t + ln.end)
                failWith(m_at, QStringLiteral("unexpected NUL byte"));
            if (p == ln.end) {
                pending += raw(m_at);
                continue;
            }
            if (t[p] == '[') {
                startBlock(p, pending);
                pending.clear();
                continue;
            }
            if (!pending.isEmpty()) {
                addRaw(pending);
                pending.clear();
            }
            const QByteArrayView rest(t + p, ln.end - p);
            switch (t[p]) {
            case '"':
            case '@':
                if (!m_block) failWith(m_at, QStringLiteral("value outside of a key"));
                parseValue(p);
                break;
            case '#':
                if (m_block) {
                    if (rest.startsWith("#time=")) sawTime = true;
                    if (rest.startsWith("#link")) m_block->key->m_link = true;
                }
                addRaw(raw(m_at));
                break;
            case ';':
                if (!m_block && rest.startsWith(kRelativeTo)) {
                    QString base, error;
                    const qsizetype from = p + kRelativeTo.size();
                    if (unescape(t, from, ln.end, 0, base, error) >= 0) m_hive->m_baseName = base;
                }
                addRaw(raw(m_at));
                break;
            default:
                failWith(m_at, QStringLiteral("unrecognised line"));
            }
        }
        if (!pending.isEmpty()) addRaw(pending);
        m_hive->m_writesTime = sawTime || m_hive->m_blocks.empty();
        return std::move(m_hive);
    }

private:
    struct Line {
        qsizetype begin;
        qsizetype end;  // end of the content, without the line end
        qsizetype next; // start of the next line
    };

    [[noreturn]] void failWith(std::size_t index, const QString& what) const {
        throw HiveParseError(m_file, static_cast<int>(index) + 1, what);
    }

    void splitLines() {
        const qsizetype n = m_text.size();
        qsizetype pos = 0;
        while (pos < n) {
            qsizetype nl = m_text.indexOf('\n', pos);
            const qsizetype next = nl < 0 ? n : nl + 1;
            qsizetype end = nl < 0 ? n : nl;
            if (end > pos && m_text[end - 1] == '\r') --end;
            m_lines.push_back({pos, end, next});
            pos = next;
        }
    }

    QByteArray content(std::size_t i) const {
        return m_text.mid(m_lines[i].begin, m_lines[i].end - m_lines[i].begin);
    }
    QByteArray raw(std::size_t i) const {
        return m_text.mid(m_lines[i].begin, m_lines[i].next - m_lines[i].begin);
    }

    void addRaw(const QByteArray& text) {
        if (!m_block) {
            m_hive->m_header += text;
            return;
        }
        auto line = std::make_unique<HiveLine>();
        line->text = text;
        m_block->lines.push_back(std::move(line));
    }

    void startBlock(qsizetype p, const QByteArray& lead) {
        const Line& ln = m_lines[m_at];
        const char* t = m_text.constData();
        QString name, error;
        qsizetype q = unescape(t, p + 1, ln.end, ']', name, error);
        if (q < 0) failWith(m_at, error);
        while (q < ln.end && isBlank(t[q]))
            ++q;
        while (q < ln.end && t[q] >= '0' && t[q] <= '9')
            ++q;
        while (q < ln.end && isBlank(t[q]))
            ++q;
        if (q != ln.end) failWith(m_at, QStringLiteral("unexpected text after the key name"));
        const QStringList parts = pathComponents(name);
        if (parts.size() > RegHive::kMaxDepth)
            failWith(m_at, QStringLiteral("key nested deeper than %1 levels").arg(RegHive::kMaxDepth));

        RegKey* key = m_hive->m_root.get();
        for (const QString& part : parts) {
            RegKey* child = key->findSubkey(part);
            if (!child) {
                auto made = std::unique_ptr<RegKey>(new RegKey(part, key));
                child = made.get();
                key->m_index.insert(child->m_upper, child);
                key->m_subkeys.push_back(std::move(made)); // the file's order
            }
            key = child;
        }
        auto block = std::make_unique<HiveBlock>();
        block->key = key;
        block->lead = lead;
        block->keyLine = raw(m_at);
        m_block = block.get();
        key->m_blocks.push_back(m_block);
        m_hive->m_blocks.push_back(std::move(block));
    }

    void skipBlanks(qsizetype& q, qsizetype end) const {
        while (q < end && isBlank(m_text[q]))
            ++q;
    }

    void expectEnd(qsizetype q, qsizetype end) const {
        skipBlanks(q, end);
        if (q != end) failWith(m_at, QStringLiteral("unexpected text after the value"));
    }

    void parseValue(qsizetype p) {
        const std::size_t first = m_at;
        const char* t = m_text.constData();
        qsizetype end = m_lines[m_at].end;
        RegValue value;
        QString error;
        qsizetype q = p;
        if (t[q] == '@') {
            ++q;
        } else {
            q = unescape(t, q + 1, end, '"', value.name, error);
            if (q < 0) failWith(m_at, error);
        }
        skipBlanks(q, end);
        if (q >= end || t[q] != '=') failWith(m_at, QStringLiteral("missing \"=\" after the value name"));
        ++q;
        skipBlanks(q, end);

        const QByteArrayView data(t + q, end - q);
        auto stringValue = [&](std::uint32_t type, qsizetype tagLength) {
            QString text;
            const qsizetype after = unescape(t, q + tagLength, end, '"', text, error);
            if (after < 0) failWith(m_at, error);
            expectEnd(after, end);
            value.type = type;
            value.data = utf16Data(text, true);
        };
        if (data.startsWith('"')) {
            stringValue(REG_SZ, 1);
        } else if (data.startsWith("str:\"")) {
            stringValue(REG_SZ, 5);
        } else if (data.startsWith("str(2):\"")) {
            stringValue(REG_EXPAND_SZ, 8);
        } else if (data.startsWith("str(7):\"")) {
            stringValue(REG_MULTI_SZ, 8);
        } else if (data.startsWith("dword:")) {
            qsizetype r = q + 6;
            std::uint32_t dw = 0;
            int digits = 0;
            for (; r < end && hexValue(t[r]) >= 0 && digits < 9; ++r, ++digits)
                dw = dw * 16 + static_cast<std::uint32_t>(hexValue(t[r]));
            if (digits == 0 || digits > 8) failWith(m_at, QStringLiteral("bad dword value"));
            expectEnd(r, end);
            value.type = REG_DWORD;
            for (int k = 0; k < 4; ++k)
                value.data += static_cast<char>((dw >> (8 * k)) & 0xFF);
        } else if (data.startsWith("hex:") || data.startsWith("hex(")) {
            qsizetype r = q + 4;
            if (data.startsWith("hex(")) {
                unsigned long long type = 0;
                int digits = 0;
                for (; r < end && hexValue(t[r]) >= 0 && digits < 9; ++r, ++digits)
                    type = type * 16 + static_cast<unsigned long long>(hexValue(t[r]));
                if (digits == 0 || digits > 8 || r + 1 >= end || t[r] != ')' || t[r + 1] != ':')
                    failWith(m_at, QStringLiteral("bad value type"));
                value.type = static_cast<std::uint32_t>(type);
                r += 2;
            } else {
                value.type = REG_BINARY;
            }
            parseHex(r, value.data);
        } else {
            failWith(m_at, QStringLiteral("unknown value data"));
        }

        QByteArray text;
        for (std::size_t i = first; i <= m_at; ++i)
            text += raw(i);
        auto line = std::make_unique<HiveLine>();
        line->kind = HiveLine::Value;
        line->text = text;
        line->value = std::move(value);
        line->upper = winUpper(line->value.name);

        // A name given twice: the last one counts, as in Wine.
        RegKey* key = m_block->key;
        const int old = key->findValueIndex(line->upper);
        if (old >= 0) {
            key->m_values[static_cast<std::size_t>(old)]->kind = HiveLine::Shadowed;
            key->m_values.erase(key->m_values.begin() + old);
        }
        key->m_values.push_back(line.get());
        m_block->lines.push_back(std::move(line));
    }

    // Comma-separated bytes; a "\" at the end of a line continues the list on the next one.
    void parseHex(qsizetype r, QByteArray& out) {
        const char* t = m_text.constData();
        for (;;) {
            const qsizetype end = m_lines[m_at].end;
            skipBlanks(r, end);
            while (r < end && hexValue(t[r]) >= 0) {
                int v = 0, digits = 0;
                for (; r < end && hexValue(t[r]) >= 0; ++r, ++digits)
                    if (digits < 2) v = v * 16 + hexValue(t[r]);
                if (digits > 2) failWith(m_at, QStringLiteral("bad hex byte"));
                out += static_cast<char>(v);
                skipBlanks(r, end);
                if (r < end && t[r] == ',') ++r;
                skipBlanks(r, end);
            }
            if (r == end) return;
            if (t[r] != '\\') failWith(m_at, QStringLiteral("bad hex data"));
            ++r;
            skipBlanks(r, end);
            if (r != end) failWith(m_at, QStringLiteral("unexpected text after \"\\\""));
            if (m_at + 1 >= m_lines.size())
                failWith(m_at, QStringLiteral("hex data continues past the end of the file"));
            ++m_at;
            if (std::find(t + m_lines[m_at].begin, t + m_lines[m_at].end, '\0') != t + m_lines[m_at].end)
                failWith(m_at, QStringLiteral("unexpected NUL byte"));
            r = m_lines[m_at].begin;
        }
    }

    const QByteArray& m_text;
    QString m_file;
    std::vector<Line> m_lines;
    std::size_t m_at = 0;
    std::unique_ptr<RegHive> m_hive;
    HiveBlock* m_block = nullptr;
};

// ---- RegHive ----

RegHive::RegHive() : m_root(new RegKey(QString(), nullptr)) {}

RegHive::RegHive(const QString& baseName, const QString& arch) : RegHive() {
    m_baseName = baseName;
    m_header = kSignature + '\n' + kRelativeTo + escaped(baseName, '[', ']') + '\n';
    if (!arch.isEmpty()) m_header += "\n#arch=" + arch.toLatin1() + '\n';
}

RegHive::~RegHive() = default;

std::unique_ptr<RegHive> RegHive::parse(const QByteArray& text, const QString& fileName) {
    return HiveParser(text, fileName).run();
}

QByteArray RegHive::serialise() const {
    QByteArray out;
    qsizetype size = m_header.size();
    for (const auto& b : m_blocks) {
        size += b->lead.size() + b->keyLine.size();
        for (const auto& l : b->lines)
            size += l->text.size();
    }
    out.reserve(size + 16);
    // Only new text can follow a last line that had no line end.
    auto put = [&out, this](const QByteArray& piece) {
        if (piece.isEmpty()) return;
        if (!out.isEmpty() && !out.endsWith('\n')) out += m_eol;
        out += piece;
    };
    put(m_header);
    for (const auto& b : m_blocks) {
        put(b->lead);
        put(b->keyLine);
        for (const auto& l : b->lines)
            put(l->text);
    }
    return out;
}

RegKey* RegHive::resolveLink(const RegKey& link) const {
    const RegValue* target = link.findValue(QStringLiteral("SymbolicLinkValue"));
    if (!target || target->type != REG_LINK) return nullptr;
    QString path = fromUtf16Data(target->data);
    while (path.endsWith(QChar(0)))
        path.chop(1);
    const QString registryRoot = QStringLiteral("\\REGISTRY");
    QString base = m_baseName;
    if (base.isEmpty()) return nullptr;
    if (!base.startsWith(QLatin1Char('\\'))) base.prepend(QLatin1Char('\\'));
    const QString prefix = winUpper(registryRoot + base + QLatin1Char('\\'));
    if (path.size() < prefix.size() || winUpper(path.left(prefix.size())) != prefix) return nullptr;
    return findKey(path.mid(prefix.size()));
}

RegKey* RegHive::findKey(const QString& path, bool followLastLink) const {
    if (m_linkHops > kMaxLinkHops) return nullptr;
    const QStringList parts = pathComponents(path);
    RegKey* key = m_root.get();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        RegKey* child = key->findSubkey(parts[i]);
        if (!child) return nullptr;
        if (child->m_link && (followLastLink || i + 1 < parts.size())) {
            ++m_linkHops;
            RegKey* target = resolveLink(*child);
            --m_linkHops;
            if (target) child = target;
        }
        key = child;
    }
    return key;
}

RegKey* RegHive::addSubkey(RegKey& parent, const QString& name) {
    auto made = std::unique_ptr<RegKey>(new RegKey(name, &parent));
    RegKey* key = made.get();
    auto at = std::find_if(parent.m_subkeys.begin(), parent.m_subkeys.end(),
                           [&](const std::unique_ptr<RegKey>& k) { return k->m_upper > key->m_upper; });
    parent.m_subkeys.insert(at, std::move(made));
    parent.m_index.insert(key->m_upper, key);
    return key;
}

RegKey* RegHive::createKey(const QString& path, bool* created) {
    if (created) *created = false;
    const QStringList parts = pathComponents(path);
    RegKey* key = m_root.get();
    qsizetype i = 0;
    for (; i < parts.size(); ++i) {
        RegKey* child = key->findSubkey(parts[i]);
        if (!child) break;
        if (child->m_link) {
            if (RegKey* target = resolveLink(*child)) child = target;
        }
        key = child;
    }
    if (i == parts.size()) return key;
    // Measured from where the new keys start, since a link on the way may lead anywhere.
    if (depth(*key) + (parts.size() - i) > kMaxDepth) return nullptr;
    RegKey* firstParent = key;
    for (; i < parts.size(); ++i)
        key = addSubkey(*key, parts[i]);
    if (created) *created = true;
    addBlock(*key); // a key without subkeys is always written
    touch(*firstParent, false);
    return key;
}

QString RegHive::keyPath(const RegKey& key) {
    QStringList parts;
    for (const RegKey* k = &key; k->m_parent; k = k->m_parent)
        parts.prepend(k->m_name);
    return parts.join(QLatin1Char('\\'));
}

int RegHive::depth(const RegKey& key) {
    int n = 0;
    for (const RegKey* k = &key; k->m_parent; k = k->m_parent)
        ++n;
    return n;
}

// The last key of the subtree, in tree order, that has a section of its own: the subkeys are
// searched from the last one back, each before its parent, on a stack of our own.
const RegKey* RegHive::lastWritten(const RegKey& top) {
    struct Frame {
        const RegKey* key;
        std::size_t unvisited; // the subkeys before this index are still to be searched
    };
    std::vector<Frame> stack{{&top, top.m_subkeys.size()}};
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.unvisited > 0) {
            const RegKey* child = f.key->m_subkeys[--f.unvisited].get();
            stack.push_back({child, child->m_subkeys.size()});
            continue;
        }
        const RegKey* key = f.key;
        stack.pop_back();
        if (!key->m_blocks.empty()) return key;
    }
    return nullptr;
}

HiveBlock* RegHive::addBlock(RegKey& key) {
    // The new section goes after the section of the key that comes before it in tree order.
    const RegKey* before = nullptr;
    for (const RegKey* cur = &key; cur->m_parent && !before; cur = cur->m_parent) {
        const RegKey* p = cur->m_parent;
        auto it = std::find_if(p->m_subkeys.begin(), p->m_subkeys.end(),
                               [&](const std::unique_ptr<RegKey>& k) { return k.get() == cur; });
        while (it != p->m_subkeys.begin() && !before)
            before = lastWritten(**--it);
        if (!before && !p->m_blocks.empty()) before = p;
    }
    std::size_t at = 0;
    if (before) {
        for (std::size_t i = 0; i < m_blocks.size(); ++i)
            if (m_blocks[i]->key == before) at = i + 1;
    }

    const FileTime now = nowFileTime();
    auto block = std::make_unique<HiveBlock>();
    block->key = &key;
    block->lead = m_eol;
    QByteArray path;
    bool firstPart = true;
    for (const QString& part : pathComponents(keyPath(key))) {
        if (!firstPart) path += "\\\\";
        appendEscaped(path, part, '[', ']');
        firstPart = false;
    }
    block->keyLine = '[' + path + "] " + keySeconds(now) + m_eol;
    if (m_writesTime) {
        auto line = std::make_unique<HiveLine>();
        line->text = timeOption(now, m_eol);
        block->lines.push_back(std::move(line));
    }
    HiveBlock* raw = block.get();
    m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(at), std::move(block));
    key.m_blocks.push_back(raw);
    return raw;
}

void RegHive::touch(RegKey& key, bool needBlock) {
    if (key.m_blocks.empty()) {
        if (needBlock) addBlock(key);
        return;
    }
    const FileTime now = nowFileTime();
    for (HiveBlock* b : key.m_blocks) {
        b->keyLine = retimedKeyLine(b->keyLine, now);
        for (auto& line : b->lines) {
            if (line->kind != HiveLine::Raw) continue;
            const qsizetype hash = line->text.indexOf('#');
            if (hash < 0 || !isBlankText(line->text.left(hash)) || line->text.mid(hash, 6) != "#time=")
                continue;
            line->text = line->text.left(hash) + timeOption(now, lineEnd(line->text));
        }
    }
}

void RegHive::dropShadowed(RegKey& key, const QString& upperName) {
    for (HiveBlock* b : key.m_blocks) {
        auto& lines = b->lines;
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [&](const std::unique_ptr<HiveLine>& l) {
                                       return l->kind == HiveLine::Shadowed && l->upper == upperName;
                                   }),
                    lines.end());
    }
}

bool RegHive::setValue(RegKey& key, const QString& name, std::uint32_t type, const QByteArray& data) {
    const QString upper = winUpper(name);
    const int index = key.findValueIndex(upper);
    if (index >= 0) {
        HiveLine* line = key.m_values[static_cast<std::size_t>(index)];
        if (line->value.type == type && line->value.data == data) return false;
        line->value.type = type;
        line->value.data = data;
        line->text = withLineEnds(valueText(line->value), m_eol);
    } else {
        HiveBlock* block = key.m_blocks.empty() ? addBlock(key) : key.m_blocks.back();
        auto line = std::make_unique<HiveLine>();
        line->kind = HiveLine::Value;
        line->value = RegValue{name, type, data};
        line->upper = upper;
        line->text = withLineEnds(valueText(line->value), m_eol);
        key.m_values.push_back(line.get());
        // Before the blank lines that end the file, if any.
        auto at = block->lines.end();
        while (at != block->lines.begin() && (*(at - 1))->kind == HiveLine::Raw &&
               isBlankText((*(at - 1))->text))
            --at;
        block->lines.insert(at, std::move(line));
    }
    dropShadowed(key, upper);
    touch(key, true);
    return true;
}

bool RegHive::deleteValue(RegKey& key, const QString& name) {
    const QString upper = winUpper(name);
    const int index = key.findValueIndex(upper);
    if (index < 0) return false;
    HiveLine* line = key.m_values[static_cast<std::size_t>(index)];
    key.m_values.erase(key.m_values.begin() + index);
    for (HiveBlock* b : key.m_blocks) {
        auto& lines = b->lines;
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [&](const std::unique_ptr<HiveLine>& l) { return l.get() == line; }),
                    lines.end());
    }
    dropShadowed(key, upper);
    touch(key, true);
    return true;
}

void RegHive::removeBlocks(RegKey& key) {
    std::unordered_set<const HiveBlock*> gone;
    std::vector<const RegKey*> pending{&key};
    while (!pending.empty()) {
        const RegKey* k = pending.back();
        pending.pop_back();
        for (const HiveBlock* b : k->m_blocks)
            gone.insert(b);
        for (const auto& c : k->m_subkeys)
            pending.push_back(c.get());
    }
    m_blocks.erase(
        std::remove_if(m_blocks.begin(), m_blocks.end(),
                       [&](const std::unique_ptr<HiveBlock>& b) { return gone.count(b.get()) > 0; }),
        m_blocks.end());
}

bool RegHive::deleteKey(RegKey& key) {
    RegKey* parent = key.m_parent;
    if (!parent) return false;
    removeBlocks(key);
    parent->m_index.remove(key.m_upper);
    parent->m_subkeys.erase(std::find_if(parent->m_subkeys.begin(), parent->m_subkeys.end(),
                                         [&](const std::unique_ptr<RegKey>& k) { return k.get() == &key; }));
    // A key left without subkeys must be written, or it would vanish from the file.
    touch(*parent, parent->m_subkeys.empty());
    return true;
}

} // namespace niv
