#include "app/Uscandrv.h"

#include "core/AppContext.h"
#include "core/Maker.h"
#include "core/Uglobalvars.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"
#include "platform/Walk.h"
#include "platform/WinPath.h"
#include "platform/WriteScope.h"

#include <QStringView>

namespace niv {

namespace {

constexpr int kListSlots = 25;
constexpr int kCacheSlots = 400;
constexpr int kKeptCookieSlots = 200;

// Letting window messages through after every entry would cost more than the walk itself; a few
// times a second keeps the window painted and responsive.
constexpr int kPumpIntervalMs = 10;

QString fullListText(const QString& error) {
    return error +
           QStringLiteral(" Error. You may continue as normal, but some files may be left behind and not "
                          "cleaned up. Please send an email to ") +
           supportEmailAddress() + QStringLiteral(" and list ") + error +
           QStringLiteral(" as the error. Also include your registered user information.");
}

QString comparable(const QString& path) {
    return winUpper(trimControls(path));
}

// Puts `value` into the first free slot of a list section unless an equal path comes first.
void addToList(AppContext& ctx, const QString& section, int slotCount, const QString& error,
               const QString& value) {
    TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    const QString wanted = comparable(value);
    for (int slot = 1; slot <= slotCount; ++slot) {
        // A missing key reads as the default without its blank: a free slot.
        const QString stored = ini.ReadString(section, ScanLogSlotKey(slot), QStringLiteral(" "));
        if (comparable(stored) == wanted) return;
        if (stored.isEmpty()) {
            ini.WriteString(section, ScanLogSlotKey(slot), value);
            return;
        }
    }
    ctx.dialogs.messageDlg(MsgKind::Plain, fullListText(error), MsgButtons::Ok);
}

// What the folder part of the matching rules asks of the walked folder's upper-cased path.
enum FolderTest : unsigned {
    InIECache = 1u << 0,
    InAol = 1u << 1,
    InYahooArchive = 1u << 2,
    InAimProArchive = 1u << 3,
    InMediaIndex = 1u << 4,
    InFirefoxProfiles = 1u << 5,
};

unsigned folderTests(const QString& upperFolder) {
    unsigned tests = 0;
    if (upperFolder.contains(u"TEMPORARY INTERNET FILES\\CONTENT.IE5")) tests |= InIECache;
    if (upperFolder.contains(u"AOL") && upperFolder.contains(u"C_AMERICA ONLINE 9")) tests |= InAol;
    if (upperFolder.contains(u"\\YAHOO!\\MESSENGER\\") && upperFolder.contains(u"\\ARCHIVE\\MESSAGES"))
        tests |= InYahooArchive;
    if (upperFolder.contains(u"\\AIMPRO\\ARCHIVE")) tests |= InAimProArchive;
    if (upperFolder.contains(u"MEDIA INDEX")) tests |= InMediaIndex;
    if (upperFolder.contains(u"\\MOZILLA\\FIREFOX\\PROFILES")) tests |= InFirefoxProfiles;
    return tests;
}

enum class NameTest { Is, Contains, ContainsBoth };
enum class Value { Folder, FolderAndName, FolderAndFixed };

struct Rule {
    NameTest test;
    const char16_t* name;
    const char16_t* name2;
    unsigned folder;
    Value value;
    const char16_t* fixed;
    const char16_t* code;
};

// In order: the first rule that matches records its value and ends the tests.
constexpr Rule kRules[] = {
    {NameTest::Is, u"INDEX.DAT", nullptr, InIECache, Value::Folder, nullptr, u"I"},
    {NameTest::Contains, u".ARL", nullptr, InAol, Value::Folder, nullptr, u"A"},
    {NameTest::Contains, u".DAT", nullptr, InYahooArchive, Value::Folder, nullptr, u"Y"},
    {NameTest::Contains, u".HTM", nullptr, InAimProArchive, Value::Folder, nullptr, u"R"},
    {NameTest::ContainsBoth, u"WMPLIBRARY", u".DB", InMediaIndex, Value::FolderAndName, nullptr, u"M"},
    {NameTest::Contains, u"FORMHISTORY.SQLITE", nullptr, InFirefoxProfiles, Value::FolderAndFixed,
     u"FORMHISTORY.SQLITE*", u"FFFH"},
    {NameTest::Is, u"PLACES.SQLITE", nullptr, InFirefoxProfiles, Value::FolderAndName, nullptr, u"FFPL"},
    {NameTest::Is, u"PLACES.SQLITE-JOURNAL", nullptr, InFirefoxProfiles, Value::FolderAndName, nullptr,
     u"FFPL2"},
    {NameTest::Is, u"WEBAPPSSTORE.SQLITE", nullptr, InFirefoxProfiles, Value::FolderAndName, nullptr,
     u"FFPL3"},
    {NameTest::Is, u"COOKIES.SQLITE", nullptr, InFirefoxProfiles, Value::FolderAndFixed, u"COOKIES.SQLITE*",
     u"FFCK"},
};

bool nameMatches(const Rule& rule, const QString& upperName) {
    switch (rule.test) {
    case NameTest::Is:
        return upperName == QStringView(rule.name);
    case NameTest::Contains:
        return upperName.contains(QStringView(rule.name));
    case NameTest::ContainsBoth:
        return upperName.contains(QStringView(rule.name)) && upperName.contains(QStringView(rule.name2));
    }
    return false;
}

bool isDriveOnly(const QString& folder) {
    return folder.size() == 2 && folder.at(1) == u':';
}

class DriveScan {
public:
    DriveScan(AppContext& ctx, const ScanProgress& progress) : m_ctx(ctx), m_progress(progress) {}

    void walk(const QString& folder) {
        // "C:" alone would be the current folder of drive C:, not its root.
        const QString start = isDriveOnly(folder) ? folder + u'\\' : folder;
        if (!SetCurrentDir(m_ctx.machine, start)) return;
        WalkOptions options;
        options.sorted = true;
        options.pacing = m_ctx.pacing(kPumpIntervalMs);
        options.foldersAfterContents = true; // the label clears as each folder's listing ends
        // Each folder is the current one while it is walked; the walk has it open already.
        options.progress = [this](const WalkProgress& p) { m_ctx.machine.setCurrentFolderRaw(p.folder); };
        const QString base =
            excludeTrailingBackslash(includeTrailingBackslash(folder)); // as the caller spells it
        QString walkBase;   // the walk's spelling of the same folder, met with the first entry
        QString lastFolder; // the walk's folder of the previous entry
        QString current;    // the folder being walked, without its trailing "\"
        unsigned tests = 0;
        // A folder the host has no handle left for is skipped like one that cannot be entered, but
        // not silently: what lies in it was not logged.
        options.passOverUnopenable = true;
        const WalkResult walked = walkTree(m_ctx.machine, start, options, [&](WalkEntry& e) {
            if (e.afterContents()) {
                show(QString());
                return WalkStep::Continue;
            }
            if (walkBase.isEmpty()) walkBase = e.folder();
            if (e.folder() != lastFolder) {
                lastFolder = e.folder();
                current = base + u'\\' + lastFolder.mid(walkBase.size());
                current.chop(1);
                // Most folders match no rule: their files need neither an upper-cased name nor attributes.
                tests = folderTests(winUpper(current));
            }
            if (e.isDirectory()) {
                if ((tests & InFirefoxProfiles) && winUpper(e.name()) == u"CACHE")
                    AddScanCacheDir(m_ctx, current + QStringLiteral("\\CACHE"));
                show(current);
            } else if (tests != 0) {
                // A link is a file like any other here: its path is recorded, nothing is followed.
                examineFile(current, tests, e);
            }
            return WalkStep::Continue;
        });
        show(QString());
        if (walked.passedOver > 0)
            m_ctx.dialogs.showMessage(FoldersPassedOverText(
                walked.passedOver,
                QStringLiteral("What they hold was not logged; close other programs and scan again.")));
    }

private:
    void show(const QString& text) {
        if (m_progress) m_progress(text);
    }

    void examineFile(const QString& folder, unsigned tests, const WalkEntry& rec) {
        const QString upperName = winUpper(rec.name());
        for (const Rule& rule : kRules) {
            if (!(tests & rule.folder) || !nameMatches(rule, upperName)) continue;
            // Asked only now: the attribute word costs a read of the file's extended attribute.
            if (rec.attr() & (faReadOnly | faSysFile)) return;
            QString value = folder + u'\\';
            if (rule.value == Value::FolderAndName)
                value += rec.name();
            else if (rule.value == Value::FolderAndFixed)
                value += QStringView(rule.fixed);
            AddScanLogEntry(m_ctx, value, QString::fromUtf16(rule.code));
            return;
        }
    }

    AppContext& m_ctx;
    const ScanProgress& m_progress;
};

} // namespace

void WriteScanLogSkeleton(AppContext& ctx) {
    if (FileExists(ctx.machine, ctx.g.ScanLogPath)) return;
    TIniFile ini(ctx.machine, ctx.g.ScanLogPath);
    WriteScope writes(ctx.machine);
    static const char16_t* const lists[] = {u"K17", u"L44", u"H53", u"HI24", u"MM20", u"AL13"};
    for (int slot = 1; slot <= kListSlots; ++slot) {
        for (const char16_t* section : lists)
            ini.WriteString(QString::fromUtf16(section), ScanLogSlotKey(slot), QString());
    }
    for (int slot = 1; slot <= kCacheSlots; ++slot)
        ini.WriteString(QStringLiteral("P45"), ScanLogSlotKey(slot), QString());
    for (int slot = 1; slot <= kKeptCookieSlots; ++slot)
        ini.WriteString(QStringLiteral("UCKK5"), QStringLiteral("CKK%1").arg(slot), QString());
    writes.commit();
}

void AddScanLogEntry(AppContext& ctx, const QString& value, const QString& code) {
    static const QStringView single[] = {u"FFCK", u"FFFH", u"FFPL", u"FFPL2", u"FFPL3"};
    for (QStringView section : single) {
        if (code == section) {
            TIniFile(ctx.machine, ctx.g.ScanLogPath).WriteString(code, QStringLiteral("P0"), value);
            return;
        }
    }
    struct List {
        QStringView code;
        QStringView section;
    };
    static const List lists[] = {
        {u"I", u"HI24"},   {u"M", u"MM20"}, {u"A", u"AL13"}, {u"Y", u"YH25"},
        {u"R", u"APRO25"}, {u"K", u"K17"},  {u"H", u"H53"},  {u"L", u"L44"},
    };
    for (const List& list : lists) {
        if (code == list.code) {
            addToList(ctx, list.section.toString(), kListSlots, QStringLiteral("K47"), value);
            return;
        }
    }
}

void AddScanCacheDir(AppContext& ctx, const QString& value) {
    addToList(ctx, QStringLiteral("P45"), kCacheSlots, QStringLiteral("E147"), value);
}

void ScanFolder(AppContext& ctx, const QString& folder, const ScanProgress& progress) {
    DriveScan(ctx, progress).walk(folder);
}

} // namespace niv
