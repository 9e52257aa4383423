#include "cleaners/Udocs.h"

#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/WinPath.h"
#include "platform/WriteScope.h"

#include <algorithm>
#include <functional>

namespace niv {

namespace {

// The nine lists whose values are "File" 1..50, by list number.
const std::array<QString, kFileNLists> kFileNKeys = {
    QStringLiteral("Software\\Microsoft\\Office\\8.0\\Excel\\Recent File List"),
    QStringLiteral("Software\\Microsoft\\PowerPoint\\8.0\\Excel\\Recent File List"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List"),
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List"),
    QStringLiteral("Software\\Microsoft\\Works\\4.0\\Recent File List"),
    QStringLiteral("Software\\Kodak\\Imaging\\Recent File List"),
    QStringLiteral("Software\\jasc\\Paint Shop Pro 6\\Recent File List"),
    QStringLiteral("Software\\Microsoft\\Office\\9.0\\Excel\\Recent Files"),
    QStringLiteral("Software\\Microsoft\\Office\\9.0\\PowerPoint\\Recent File List"),
};
const QString kDocumentListKey = QStringLiteral("Software\\Microsoft\\MM20\\Recent Document List");
const QString kMediaUrlKey = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList");
const QString kMediaFileKey = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList");
const QString kOpenSaveKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU");
const QString kMorpheusKey = QStringLiteral("Software\\MorpheusOS\\Searches");
const QString kQuickTimeKey = QStringLiteral("Software\\Apple Computer, Inc.\\QuickTime\\Recent Movies");

const QString kFile = QStringLiteral("File");
const QString kUrl = QStringLiteral("URL");
const QString kMorpheusWord = QStringLiteral("1014-");
const QString kMorpheusPrefix = QStringLiteral("Morpheus : ");
const QString kDeleteValueName = QStringLiteral("DELETE-VALUENAME");

// The open/save dialog's lists, one subkey per extension, in the order they are read and cleaned.
const QStringList& openSaveSubkeys() {
    static const QStringList names =
        QStringLiteral(
            "*,aif,aifc,aiff,asf,au,avi,bmp,cda,d5,DOC,dpr,exe,iss,jpg,gif,m1v,m3u,mid,mp2,mp3,mpa,mpe,"
            "mpeg,mpg,pas,rmi,rtf,snd,txt,wav,wax,wm,wma,wmv,wmx,wvx,ZIP,bat,dat,dll,efx,eml,htm,html,ico,"
            "ini,js,log,midi,mim,mov,pcx,pdf,rar,rm,scr,TIF,xml,wks,url,jpeg,jpe,wps,mswmm,xls,cfg,db,dsn,"
            "mdi,nri,png,psd,ram,flv,mp4")
            .split(u',');
    return names;
}

// RealPlayer keeps each entry in a key of its own: the base key with the entry's number behind it.
struct RealList {
    RegRoot root;
    QString base;
    QString prefix;
    TrailSlots DocsUnit::*memory;
};

const std::array<RealList, 4>& realLists() {
    static const QString prefs = QStringLiteral("Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\");
    static const QString machinePrefs = QStringLiteral("Software\\CLASSES\\") + prefs;
    static const std::array<RealList, 4> lists = {{
        {HKEY_LOCAL_MACHINE, machinePrefs + QStringLiteral("HistoryList\\URL"),
         QStringLiteral("Real Player URL : "), &DocsUnit::RealUrlSlots},
        {HKEY_LOCAL_MACHINE, machinePrefs + QStringLiteral("MostRecentClips"),
         QStringLiteral("Real Player Recent : "), &DocsUnit::RealRecentSlots},
        {HKEY_CURRENT_USER, prefs + QStringLiteral("MostRecentClips"),
         QStringLiteral("Real Player Recent 2 : "), &DocsUnit::RealRecent2Slots},
        {HKEY_LOCAL_MACHINE, machinePrefs + QStringLiteral("OpenLocationClips"),
         QStringLiteral("Real Player Locations : "), &DocsUnit::RealLocationSlots},
    }};
    return lists;
}

// Opens a key for reading and writing, never creating it.
bool openKey(TRegistry& reg, RegRoot root, const QString& key) {
    reg.SetRootKey(root);
    return reg.OpenKey(key, false);
}

// A value's text, trimmed; "" for a missing value or one that holds no text.
QString trimmedValue(TRegistry& reg, const QString& name) {
    return trimControls(ReadStringIfText(reg, name).value_or(QString()));
}

// Whether a value holds text that, trimmed and upper-cased, is the line's.
bool valueMatches(TRegistry& reg, const QString& name, const QString& line) {
    return sameTrimmedText(ReadStringIfText(reg, name).value_or(QString()), line);
}

QStringList letterNames() {
    QStringList names;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        names.append(QString(QChar(c)));
    return names;
}

// --- reading ---

// The values `word` + first..last: each text that trims to something becomes a line behind `prefix`
// and, with a memory, the slot of its number.
void readNumbered(AppContext& ctx, const QString& key, const QString& word, TrailSlots* memory, int first,
                  int last, const QString& prefix, QStringList& lines) {
    if (memory) memory->clear();
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_CURRENT_USER, key)) return;
    for (int n = first; n <= last; ++n) {
        const QString text = trimmedValue(reg, word + QString::number(n));
        if (text.isEmpty()) continue;
        if (memory) (*memory)[n] = text;
        lines.append(prefix + text);
    }
}

void readSlots(AppContext& ctx, const QString& key, const QString& word, TrailSlots& memory,
               QStringList& lines, const QString& prefix = {}) {
    readNumbered(ctx, key, word, &memory, memory.first(), memory.last(), prefix, lines);
}

void ReadOpenSaveMru(AppContext& ctx, const QString& key, QStringList& lines) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_CURRENT_USER, key)) return;
    for (const QString& letter : letterNames()) {
        const QString text = trimmedValue(reg, letter);
        if (!text.isEmpty()) lines.append(text);
    }
}

// One RealPlayer list into its memory, its lines behind its prefix.
void readRealList(AppContext& ctx, const RealList& list, QStringList& lines) {
    TrailSlots& memory = ctx.unit<DocsUnit>().*list.memory;
    memory.clear();
    for (int n = memory.first(); n <= memory.last(); ++n) {
        TRegistry reg(ctx.machine);
        if (!openKey(reg, list.root, list.base + QString::number(n))) continue;
        // Shown and remembered as stored; "|" is RealPlayer's mark of an empty entry.
        const QString text = ReadStringIfText(reg, QString()).value_or(QString());
        const QString trimmed = trimControls(text);
        if (trimmed.isEmpty() || trimmed == u"|") continue;
        memory[n] = text;
        lines.append(list.prefix + text);
    }
}

void ReadRealPlayerList(AppContext& ctx, QStringList& lines) {
    for (const RealList& list : realLists())
        readRealList(ctx, list, lines);
}

void ReadValueNameList(AppContext& ctx, const QString& key, RegRoot root, QStringList& lines) {
    TRegistry reg(ctx.machine);
    if (openKey(reg, root, key)) lines.append(reg.GetValueNames());
}

// Records one value of the newer lists and lists it. The table stops at its last record, so every
// line listed can be traced back to its value.
void addTrail(DocsUnit& unit, TRegistry& reg, const QString& key, const QString& name, const QString& tag,
              QStringList& lines) {
    if (unit.TrailCount >= kTrailRecords) return;
    const QString text = trimmedValue(reg, name);
    if (text.isEmpty()) return;
    unit.TrailTable[static_cast<std::size_t>(++unit.TrailCount)] = {key, name, text, kDeleteValueName, tag};
    lines.append(text);
}

void addTrailValue(AppContext& ctx, const QString& key, const QString& name, const QString& tag,
                   QStringList& lines) {
    TRegistry reg(ctx.machine);
    if (openKey(reg, HKEY_CURRENT_USER, key)) addTrail(ctx.unit<DocsUnit>(), reg, key, name, tag, lines);
}

void addTrailKey(AppContext& ctx, const QString& key, const QString& tag, QStringList& lines) {
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_CURRENT_USER, key)) return;
    for (const QString& name : reg.GetValueNames())
        addTrail(ctx.unit<DocsUnit>(), reg, key, name, tag, lines);
}

void ScanRecentValueTable(AppContext& ctx, QStringList& lines) {
    DocsUnit& unit = ctx.unit<DocsUnit>();
    std::fill(unit.TrailTable.begin(), unit.TrailTable.end(), TrailRecord{});
    unit.TrailCount = 0;

    const QString adobe = QStringLiteral("Software\\Adobe\\Acrobat Reader\\%1\\AVGeneral\\cRecentFiles\\C%2");
    const QString text = QStringLiteral("tDIText");
    for (int n = 1; n <= 5; ++n)
        addTrailValue(ctx, adobe.arg(QStringLiteral("9.0")).arg(n), text, QStringLiteral("ADOBE9"), lines);
    for (int n = 1; n <= 5; ++n)
        addTrailValue(ctx, adobe.arg(QStringLiteral("10.0")).arg(n), text, QStringLiteral("ADOBE10"), lines);

    struct NumberedList {
        const char* tag;
        QString key;
        QString word;
        int first, last;
    };
    const NumberedList numbered[] = {
        {"DIVX", QStringLiteral("Software\\DivXNetworks\\DivX Player\\RecentFiles"), QStringLiteral("w0"), 1,
         5},
        {"MICROSOFTMANAGEMENT",
         QStringLiteral("Software\\Microsoft\\Microsoft Management Console\\Recent File List"), kFile, 1, 5},
        {"MM20", QStringLiteral("Software\\Microsoft\\MM20\\Publish Wizard\\MRU List"),
         QStringLiteral("Entry"), 1, 5},
        {"MAILSTATIONARY", QStringLiteral("Software\\Microsoft\\Windows Mail\\Recent Stationery Wide List"),
         kFile, 0, 9},
    };
    for (const NumberedList& list : numbered)
        for (int n = list.first; n <= list.last; ++n)
            addTrailValue(ctx, list.key, list.word + QString::number(n), QString::fromLatin1(list.tag),
                          lines);

    addTrailKey(
        ctx,
        QStringLiteral("Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Wow6432Node\\Apple Computer, "
                       "Inc.\\QuickTime\\Recent Movies"),
        QStringLiteral("QUICKTIME"), lines);
    addTrailKey(ctx, QStringLiteral("Software\\Microsoft\\Windows Live\\Movie Maker\\Recent"),
                QStringLiteral("MOVIEMAKER"), lines);
}

// --- removal ---

// The number where a list's memory, just read again, holds `line`: `shown`, where the line was read,
// when it still holds it, else the first that does.
std::optional<int> numberHolding(const TrailSlots& memory, int shown, const QString& line) {
    if (!line.isEmpty() && memory[shown] == line) return shown;
    return memory.find(line);
}

// Removes the line that memory slot `slot` showed from a list kept in order by number, as the key
// holds the list now (another program may have changed it since it was read): the entries after it
// move up one number and the last becomes an empty value. Only numbers that hold text, or nothing,
// take part: a value of another type keeps its number and its data, and an expandable text moves
// with its type. The memory then holds the list as it is, also when the line was no longer in it
// and nothing changed; it follows only once the registry has, so a failed write can be tried again.
void removeFromOrderedList(AppContext& ctx, const QString& key, const QString& word, TrailSlots& memory,
                           int slot) {
    const QString line = memory[slot];
    WriteScope writes(ctx.machine); // read and changed on one picture of the hive
    TRegistry reg(ctx.machine);
    TrailSlots next(memory.first(), memory.last());
    struct Entry {
        int number;
        int type;
        QString data;
    };
    std::vector<Entry> texts;
    if (openKey(reg, HKEY_CURRENT_USER, key)) {
        for (int n = memory.first(); n <= memory.last(); ++n) {
            const QString name = word + QString::number(n);
            const int type = reg.GetDataType(name);
            if (type >= 0 && type != int(REG_SZ) && type != int(REG_EXPAND_SZ)) continue;
            texts.push_back({n, type, ReadStringIfText(reg, name).value_or(QString())});
            next[n] = trimControls(texts.back().data);
        }
    }
    const std::optional<int> found = numberHolding(next, slot, line);
    if (found) {
        auto it =
            std::find_if(texts.begin(), texts.end(), [&](const Entry& e) { return e.number == *found; });
        for (; it + 1 != texts.end(); ++it) {
            it->type = (it + 1)->type;
            it->data = (it + 1)->data;
        }
        texts.back().type = int(REG_SZ);
        texts.back().data.clear();
        for (const Entry& e : texts) {
            const QString name = word + QString::number(e.number);
            if (e.type == int(REG_EXPAND_SZ))
                reg.WriteExpandString(name, e.data);
            else
                reg.WriteString(name, e.data);
            next[e.number] = trimControls(e.data);
        }
        writes.commit();
    }
    memory = next;
}

// Blanks the entry of a list whose entries keep their numbers that holds the line memory slot
// `shown` showed, where the list holds it now: `reread` first fills the memory with the list as it
// is, and `blank` blanks entry n.
void blankNumbered(AppContext& ctx, TrailSlots& memory, int shown, const std::function<void()>& reread,
                   const std::function<void(int)>& blank) {
    const QString line = memory[shown];
    WriteScope writes(ctx.machine); // read and changed on one picture of the hive
    reread();
    const std::optional<int> n = numberHolding(memory, shown, line);
    if (n) blank(*n);
    writes.commit();
    if (n) memory[*n].clear();
}

void RewriteFileNList(AppContext& ctx, const QString& key, int list, int slot) {
    removeFromOrderedList(ctx, key, kFile,
                          ctx.unit<DocsUnit>().FileNSlots.at(static_cast<std::size_t>(list - 1)), slot);
}

void RewriteUrlList(AppContext& ctx, const QString& key, int slot) {
    removeFromOrderedList(ctx, key, kUrl, ctx.unit<DocsUnit>().MediaUrlSlots, slot);
}

void blankValue(AppContext& ctx, RegRoot root, const QString& key, const QString& name) {
    TRegistry reg(ctx.machine);
    if (openKey(reg, root, key)) reg.WriteString(name, QString());
}

void BlankRecentFileValue(AppContext& ctx, const QString& key, int number) {
    blankValue(ctx, HKEY_CURRENT_USER, key, kFile + QString::number(number));
}

void BlankRealPlayerValue(AppContext& ctx, const QString& key, RegRoot root) {
    blankValue(ctx, root, key, QString());
}

void BlankMorpheusValue(AppContext& ctx, const QString& key, int number) {
    blankValue(ctx, HKEY_CURRENT_USER, key, kMorpheusWord + QString::number(number));
}

void BlankOpenSaveMruValue(AppContext& ctx, const QString& key, const QString& line) {
    WriteScope writes(ctx.machine); // read and changed on one picture of the hive
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_CURRENT_USER, key)) return;
    for (const QString& letter : letterNames())
        if (valueMatches(reg, letter, line)) reg.WriteString(letter, QString());
    writes.commit();
}

void DeleteDocumentValue(AppContext& ctx, const QString& key, const QString& line) {
    WriteScope writes(ctx.machine); // read and changed on one picture of the hive
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_CURRENT_USER, key)) return;
    for (int n = 1; n <= 50; ++n) {
        const QString name = QStringLiteral("Document") + QString::number(n);
        if (valueMatches(reg, name, line)) reg.DeleteValue(name);
    }
    writes.commit();
}

void DeleteQuickTimeValue(AppContext& ctx, const QString& key, const QString& line) {
    WriteScope writes(ctx.machine); // read and changed on one picture of the hive
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_LOCAL_MACHINE, key)) return;
    // Names, not data: the unnamed default value is listed as an empty line and matches one.
    const QString wanted = winUpper(trimControls(line));
    for (const QString& name : reg.GetValueNames())
        if (winUpper(trimControls(name)) == wanted) reg.DeleteValue(name);
    writes.commit();
}

// Deletes the value of the key that holds `text` now: `name`, where it was read, when it still
// does, else the first that does.
void DeleteTrailValue(AppContext& ctx, const QString& key, const QString& name, const QString& text) {
    WriteScope writes(ctx.machine); // read and changed on one picture of the hive
    TRegistry reg(ctx.machine);
    if (!openKey(reg, HKEY_CURRENT_USER, key)) return;
    std::optional<QString> holder;
    if (trimmedValue(reg, name) == text) holder = name;
    for (const QString& other : reg.GetValueNames())
        if (!holder && trimmedValue(reg, other) == text) holder = other;
    if (holder) reg.DeleteValue(*holder);
    writes.commit();
}

void RemoveTableTrail(AppContext& ctx, const QString& line) {
    const DocsUnit& unit = ctx.unit<DocsUnit>();
    for (int i = 1; i <= unit.TrailCount; ++i) {
        const TrailRecord& record = unit.TrailTable[static_cast<std::size_t>(i)];
        if (!record.Key.isEmpty() && record.Text == line && record.Action == kDeleteValueName)
            DeleteTrailValue(ctx, record.Key, record.ValueName, record.Text);
    }
}

// blankNumbered for a list read by readSlots: `word` followed by the number, in `key`.
void blankSlotsEntry(AppContext& ctx, const QString& key, const QString& word, TrailSlots& memory, int shown,
                     void (*blank)(AppContext&, const QString&, int)) {
    blankNumbered(
        ctx, memory, shown,
        [&] {
            QStringList unused;
            readSlots(ctx, key, word, memory, unused);
        },
        [&](int k) { blank(ctx, key, k); });
}

// The RealPlayer and Morpheus lines carry the prefix of their list at the start. Cuts it off and
// blanks the first numbered entry with the rest; true when the line had such a prefix.
bool removePrefixedTrail(AppContext& ctx, QString& line, bool& found) {
    DocsUnit& unit = ctx.unit<DocsUnit>();
    for (const RealList& list : realLists()) {
        if (!line.startsWith(list.prefix)) continue;
        line = line.mid(list.prefix.size());
        TrailSlots& memory = unit.*list.memory;
        if (const std::optional<int> n = memory.find(line)) {
            blankNumbered(
                ctx, memory, *n,
                [&] {
                    QStringList unused;
                    readRealList(ctx, list, unused);
                },
                [&](int k) { BlankRealPlayerValue(ctx, list.base + QString::number(k), list.root); });
            found = true;
        }
        return true;
    }
    if (!line.startsWith(kMorpheusPrefix)) return false;
    line = line.mid(kMorpheusPrefix.size());
    if (const std::optional<int> n = unit.MorpheusSlots.find(line)) {
        blankSlotsEntry(ctx, kMorpheusKey, kMorpheusWord, unit.MorpheusSlots, *n, BlankMorpheusValue);
        found = true;
    }
    return true;
}

bool removeFileNTrail(AppContext& ctx, const QString& line) {
    DocsUnit& unit = ctx.unit<DocsUnit>();
    for (int list = 1; list <= kFileNLists; ++list) {
        if (const std::optional<int> n = unit.FileNSlots.at(static_cast<std::size_t>(list - 1)).find(line)) {
            RewriteFileNList(ctx, kFileNKeys.at(static_cast<std::size_t>(list - 1)), list, *n);
            return true;
        }
    }
    return false;
}

} // namespace

TrailSlots::TrailSlots(int first, int last)
    : m_first(first), m_slots(static_cast<std::size_t>(last - first + 1)) {}

void TrailSlots::clear() {
    std::fill(m_slots.begin(), m_slots.end(), QString());
}

std::optional<int> TrailSlots::find(const QString& text) const {
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        if (!m_slots[i].isEmpty() && m_slots[i] == text) return m_first + static_cast<int>(i);
    return std::nullopt;
}

QStringList ScanViewedTrails(AppContext& ctx) {
    DocsUnit& unit = ctx.unit<DocsUnit>();
    QStringList lines;
    for (int list = 1; list <= kFileNLists; ++list)
        readSlots(ctx, kFileNKeys.at(static_cast<std::size_t>(list - 1)), kFile,
                  unit.FileNSlots.at(static_cast<std::size_t>(list - 1)), lines);
    readNumbered(ctx, kDocumentListKey, QStringLiteral("Document"), nullptr, 1, 50, QString(), lines);
    readSlots(ctx, kMediaUrlKey, kUrl, unit.MediaUrlSlots, lines);
    readSlots(ctx, kMediaFileKey, kFile, unit.MediaFileSlots, lines);
    for (const QString& subkey : openSaveSubkeys())
        ReadOpenSaveMru(ctx, kOpenSaveKey + u'\\' + subkey, lines);
    ReadRealPlayerList(ctx, lines);
    readSlots(ctx, kMorpheusKey, kMorpheusWord, unit.MorpheusSlots, lines, kMorpheusPrefix);
    ReadValueNameList(ctx, kQuickTimeKey, HKEY_LOCAL_MACHINE, lines);
    ScanRecentValueTable(ctx, lines);
    return lines;
}

QString TrailCountText(int count) {
    return QStringLiteral("Total Tracks Found = ") + QString::number(count);
}

QString NoViewedNamesText() {
    return QStringLiteral("No viewed names are found. Your system is clean.");
}

QString TrailCleanedText() {
    return QStringLiteral("The trail was succesfully cleaned.");
}

QString RemoveAllQuestion() {
    return QStringLiteral(
        "You are about to remove all the trails (file names) listed above. These links are stored in various "
        "locations throughout your pc, and show what you have viewed or worked on. This will only remove the "
        "link names, and the actual files from your pc will not be altered or deleted in any way. Click YES "
        "to "
        "remove all the found links listed.");
}

ClipboardTrack ClipboardTrackOf(bool hasText, const QString& text) {
    const QString trimmed = hasText ? trimControls(text) : QString();
    if (trimmed.isEmpty()) return {QStringLiteral("This track already clean. This is good!"), false};
    return {trimmed, true};
}

void RemoveTrail(AppContext& ctx, const QString& line) {
    DocsUnit& unit = ctx.unit<DocsUnit>();
    QString text = line;
    bool found = false;
    // A prefixed line that no slot matched goes on through the other lists with the shortened text.
    if (!removePrefixedTrail(ctx, text, found)) found = removeFileNTrail(ctx, text);
    if (!found) {
        if (const std::optional<int> n = unit.MediaFileSlots.find(text)) {
            blankSlotsEntry(ctx, kMediaFileKey, kFile, unit.MediaFileSlots, *n, BlankRecentFileValue);
            found = true;
        }
    }
    if (!found) {
        if (const std::optional<int> n = unit.MediaUrlSlots.find(text)) {
            RewriteUrlList(ctx, kMediaUrlKey, *n);
            found = true;
        }
    }
    if (found) return;
    // The open/save lists keep no memory: every equal entry in every subkey is blanked, and the
    // lists below are still searched.
    for (const QString& subkey : openSaveSubkeys())
        BlankOpenSaveMruValue(ctx, kOpenSaveKey + u'\\' + subkey, text);
    DeleteDocumentValue(ctx, kDocumentListKey, text);
    DeleteQuickTimeValue(ctx, kQuickTimeKey, text);
    if (unit.TrailCount > 0) RemoveTableTrail(ctx, text);
}

std::optional<TrailMessage> ViewTrail(AppContext& ctx, const QString& line) {
    const QString cannotView = QStringLiteral(
        "This file cannot be viewed because the file extension does not have a default viewer assigned to it "
        "within Windows. You may want to view this file separately, or setup your system to have a viewer "
        "assigned to this file extension. Instructions for doing this are listed under Windows \"Help\".");
    if (!FileExists(ctx.machine, line))
        return TrailMessage{
            MsgKind::Plain,
            QStringLiteral("We cannot access this file. Use the \"Remove Highlighted\" button to "
                           "remove this trail (The actual file will not be removed, but the "
                           "trail showing your viewing history of this will be cleaned).")};
    // Programs and scripts run when opened; viewing must never start one.
    if (opensByRunning(ctx.machine, line) || ShellExecute(ctx.machine, QStringLiteral("open"), line) <= 31)
        return TrailMessage{MsgKind::Warning, cannotView};
    return std::nullopt;
}

} // namespace niv
