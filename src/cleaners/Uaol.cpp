#include "cleaners/Uaol.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"

#include <algorithm>

namespace niv {

namespace {

constexpr int kAolFolders = 25;
constexpr int kAddressLength = 70;

} // namespace

void LoadAolTrackFiles(AppContext& ctx) {
    ctx.unit<AolUnit>().AolTrackFiles.clear();
    const TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    for (int i = 1; i <= kAolFolders; ++i) {
        const QString folder = trimControls(
            ini.ReadString(QStringLiteral("AL13"), QStringLiteral("P") + QString::number(i), QString()));
        if (folder.isEmpty()) return;
        FindAolTrackFiles(ctx, folder);
    }
}

void FindAolTrackFiles(AppContext& ctx, const QString& folder) {
    PathList& files = ctx.unit<AolUnit>().AolTrackFiles;
    int slot = 1;
    while (slot <= files.count() && !files[slot].isEmpty())
        ++slot;
    if (slot > files.count()) return;
    WalkOptions options;
    options.sorted = true;
    // A folder that cannot be searched holds no track files.
    static_cast<void>(walkMask(ctx.machine, includeTrailingBackslash(folder) + QStringLiteral("*.arl"),
                               options, [&](WalkEntry& e) {
                                   files[slot++] = folder + e.name();
                                   return slot <= files.count() ? WalkStep::Continue : WalkStep::Stop;
                               }));
}

void ReadAolTrackFiles(AppContext& ctx, QStringList& lines) {
    const PathList& files = ctx.unit<AolUnit>().AolTrackFiles;
    for (int slot = 1; slot <= files.count() && !files[slot].isEmpty(); ++slot) {
        QString line;
        if (!ReadFirstLine(ctx.machine, files[slot], line))
            throw PlatformError(QStringLiteral("Cannot open file \"%1\". %2")
                                    .arg(files[slot], SysErrorMessage(ctx.machine.lastError())));
        // Checked once per file, so one line's entries may pass the limit.
        if (lines.size() >= kAolListLimit) continue;
        lines += AolAddressesOf(line);
    }
}

namespace {

// The working copy of a line while its entries are cut out: the text kept so far, then the line
// from `pos` on. A cut joins the two in one place, the only place where a new match can form, so
// each search goes on where the last one stopped and the line is read once, not once per entry.
class CutLine {
public:
    explicit CutLine(const QString& line) : m_line(line) {}

    // How many characters of a `word` that straddles the join lie in the kept text (the earliest
    // such word); 0 when none does.
    qsizetype straddling(const QString& word) const {
        const QStringView rest = QStringView(m_line).mid(m_pos);
        for (qsizetype k = std::min(word.size() - 1, m_kept.size()); k >= 1; --k)
            if (QStringView(m_kept).right(k) == QStringView(word).left(k) &&
                rest.startsWith(QStringView(word).mid(k)))
                return k;
        return 0;
    }
    qsizetype indexOf(const QString& word) const { return m_line.indexOf(word, m_pos); }

    // Cuts an entry that begins `k` characters before the join.
    QString cutAtJoin(qsizetype k) {
        QString entry = m_kept.right(k) + m_line.mid(m_pos, kAddressLength - k);
        m_kept.chop(k);
        m_pos = std::min(m_line.size(), m_pos + kAddressLength - k);
        return entry;
    }
    // Cuts an entry that begins at `at` of the line, at or after the join.
    QString cutAt(qsizetype at) {
        m_kept += QStringView(m_line).mid(m_pos, at - m_pos);
        m_pos = std::min(m_line.size(), at + kAddressLength);
        return m_line.mid(at, kAddressLength);
    }
    QString text() const { return m_kept + m_line.mid(m_pos); }

private:
    const QString& m_line;
    qsizetype m_pos = 0;
    QString m_kept;
};

} // namespace

QStringList AolAddressesOf(const QString& line) {
    const QString http = QStringLiteral("http://");
    const QString aol = QStringLiteral("AOL:");
    const QString more = QStringLiteral("...");
    QStringList out;
    // Every "http://" entry first, left to right; text after an address within its 70 characters
    // goes with it.
    CutLine first(line);
    for (;;) {
        if (const qsizetype k = first.straddling(http)) {
            out << first.cutAtJoin(k) + more;
            continue;
        }
        const qsizetype at = first.indexOf(http);
        if (at < 0) break;
        out << first.cutAt(at) + more;
    }
    // Then the "AOL:" entries. The rest holds no "http://", but cutting an "AOL:" entry can join
    // one, which then goes first again.
    const QString rest = first.text();
    CutLine second(rest);
    for (;;) {
        qsizetype k = second.straddling(http);
        if (!k) k = second.straddling(aol);
        if (k) {
            out << second.cutAtJoin(k) + more;
            continue;
        }
        const qsizetype at = second.indexOf(aol);
        if (at < 0) return out;
        out << second.cutAt(at) + more;
    }
}

void DeleteAolTrackFiles(AppContext& ctx) {
    const PathList& files = ctx.unit<AolUnit>().AolTrackFiles;
    for (int slot = 1; slot <= files.count() && !files[slot].isEmpty(); ++slot)
        DeleteFile(ctx.machine, files[slot], Spelling::Exact);
}

QString AolCountText(int lines) {
    return QStringLiteral("Count = ") + QString::number(lines < 2 ? 0 : lines);
}

} // namespace niv
