#include "cleaners/Udocs.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;
using namespace niv::historytest;

namespace {

constexpr RegRoot CU = HKEY_CURRENT_USER;
constexpr RegRoot LM = HKEY_LOCAL_MACHINE;

const QString kFileN1 = q(R"(Software\Microsoft\Office\8.0\Excel\Recent File List)");
const QString kFileN9 = q(R"(Software\Microsoft\Office\9.0\PowerPoint\Recent File List)");
const QString kDocs = kDocumentKey;
const QString kUrls = q(R"(Software\Microsoft\MediaPlayer\Player\RecentURLList)");
const QString kFiles = q(R"(Software\Microsoft\MediaPlayer\Player\RecentFileList)");
const QString kOpenSave = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU\)");
const QString kRealLm = q(R"(Software\CLASSES\Software\RealNetworks\RealPlayer\6.0\Preferences\)");
const QString kRealCu = q(R"(Software\RealNetworks\RealPlayer\6.0\Preferences\MostRecentClips)");
const QString kMorpheus = q(R"(Software\MorpheusOS\Searches)");
const QString kQuickTime = q(R"(Software\Apple Computer, Inc.\QuickTime\Recent Movies)");
const QString kDivx = q(R"(Software\DivXNetworks\DivX Player\RecentFiles)");

struct DocsFixture : AppFixture {
    void text(RegRoot root, const QString& key, const char* name, const char* value) {
        b.regString(root, key, q(name), q(value));
    }
    // "name=text" pairs into one key.
    void texts(RegRoot root, const QString& key, const QStringList& pairs) {
        for (const QString& pair : pairs)
            b.regString(root, key, pair.section(u'=', 0, 0), pair.section(u'=', 1));
    }
    QStringList values(RegRoot root, const QString& key) { return keyValues(b.machine(), root, key); }
    // Another program sets "name=text" values in one key of the current user.
    void theirs(const QString& key, const QStringList& pairs) {
        Machine other(MachineSettings{b.root(), b.programFolder(), q("t"), true});
        TRegistry reg(other);
        for (const QString& pair : pairs)
            if (reg.OpenKey(u'\\' + key, true))
                reg.WriteString(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    }
};

// One value in one source, and the line the scan shows for it (none: nullptr).
struct SourceCase {
    RegRoot root;
    QString key;
    const char* name;
    const char* value;
    const char* line;
};

} // namespace

TEST(ViewedTrailsScanTest, EachSourceWithItsValuesAndRanges) {
    const QString adobe = q(R"(Software\Adobe\Acrobat Reader\%1\AVGeneral\cRecentFiles\C%2)");
    const QString store = q(R"(Software\Classes\VirtualStore\MACHINE\SOFTWARE\Wow6432Node\)");
    const SourceCase cases[] = {
        {CU, kFileN1, "File50", " a.xls\t", "a.xls"},
        {CU, kFileN9, "File1", "b.ppt", "b.ppt"},
        {CU, kFileN1, "File51", "x", nullptr},
        {CU, kFileN1, "File2", " \r\n", nullptr},
        {CU, kDocs, "Document50", "d.doc ", "d.doc"},
        {CU, kDocs, "Document51", "x", nullptr},
        {CU, kUrls, "URL0", "http://a/", "http://a/"},
        {CU, kUrls, "URL50", "x", nullptr},
        {CU, kFiles, "File49", "c.wmv", "c.wmv"},
        {CU, kOpenSave + u'*', "a", "e.txt", "e.txt"},
        {CU, kOpenSave + q("mp4"), "z", "f.mp4", "f.mp4"},
        {CU, kOpenSave + q("txt"), "aa", "x", nullptr},
        {LM, kRealLm + q("HistoryList\\URL1"), "", " g ", "Real Player URL :  g "},
        {LM, kRealLm + q("MostRecentClips50"), "", "h", "Real Player Recent : h"},
        {LM, kRealLm + q("MostRecentClips51"), "", "h", nullptr},
        {CU, kRealCu + q("7"), "", "i", "Real Player Recent 2 : i"},
        {LM, kRealLm + q("OpenLocationClips2"), "", "j", "Real Player Locations : j"},
        {LM, kRealLm + q("OpenLocationClips3"), "", " | ", nullptr},
        {CU, kMorpheus, "1014-30", " k ", "Morpheus : k"},
        {CU, kMorpheus, "1014-31", "k", nullptr},
        {LM, kQuickTime, " m.mov ", "", " m.mov "},
        {LM, kQuickTime, "", "x", ""},
        {CU, adobe.arg(q("9.0")).arg(5), "tDIText", "n.pdf", "n.pdf"},
        {CU, adobe.arg(q("9.0")).arg(6), "tDIText", "n.pdf", nullptr},
        {CU, adobe.arg(q("10.0")).arg(1), "tDIText", "o.pdf", "o.pdf"},
        {CU, kDivx, "w05", "p.avi", "p.avi"},
        {CU, kDivx, "w06", "p.avi", nullptr},
        {CU, q(R"(Software\Microsoft\Microsoft Management Console\Recent File List)"), "File5", "r", "r"},
        {CU, q(R"(Software\Microsoft\MM20\Publish Wizard\MRU List)"), "Entry6", "s", nullptr},
        {CU, q(R"(Software\Microsoft\Windows Mail\Recent Stationery Wide List)"), "File0", "t", "t"},
        {CU, store + q(R"(Apple Computer, Inc.\QuickTime\Recent Movies)"), "any", " u.mov", "u.mov"},
        {CU, q(R"(Software\Microsoft\Windows Live\Movie Maker\Recent)"), "x", "v.wlmp", "v.wlmp"},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE((c.key + u' ' + q(c.name)).toStdString());
        DocsFixture f;
        f.text(c.root, c.key, c.name, c.value);
        EXPECT_EQ(ScanViewedTrails(f.ctx), c.line ? QStringList({q(c.line)}) : QStringList());
    }
}

TEST(ViewedTrailsScanTest, SourceOrderDuplicatesAndValuesHoldingNoText) {
    DocsFixture f;
    f.text(LM, kQuickTime, "q.mov", "");
    f.text(CU, kMorpheus, "1014-1", "m");
    f.text(CU, kFiles, "File0", "same.avi");
    f.b.regDword(CU, kFileN1, q("File1"), 7); // passed over, the rest is read
    f.text(CU, kFileN1, "File2", "same.avi");
    f.text(CU, kDivx, "w01", "d.avi");
    EXPECT_EQ(ScanViewedTrails(f.ctx),
              QStringList({q("same.avi"), q("same.avi"), q("Morpheus : m"), q("q.mov"), q("d.avi")}));
    const TrailRecord& r = f.ctx.unit<DocsUnit>().TrailTable[1];
    EXPECT_EQ(QStringList({r.Key, r.ValueName, r.Text, r.Action, r.SourceTag}),
              QStringList({kDivx, q("w01"), q("d.avi"), q("DELETE-VALUENAME"), q("DIVX")}));
}

TEST(ViewedTrailsScanTest, TheTableStopsAtItsLastRecord) {
    DocsFixture f;
    const QString key = q(R"(Software\Microsoft\Windows Live\Movie Maker\Recent)");
    for (int n = 1; n <= kTrailRecords + 2; ++n)
        f.b.regString(CU, key, QString::number(n), QString::number(n));
    const QStringList lines = ScanViewedTrails(f.ctx);
    EXPECT_EQ(lines.size(), kTrailRecords);
    RemoveTrail(f.ctx, lines.back()); // every listed line can be removed
    EXPECT_EQ(f.values(CU, key).size(), kTrailRecords + 1);
}

namespace {

QStringList split(const char* pairs) {
    return *pairs ? q(pairs).split(u';') : QStringList();
}

// Empty values word + first..last behind `head`.
QStringList emptied(const char* word, int first, int last, const char* head) {
    QStringList out = split(head);
    for (int n = first; n <= last; ++n)
        out << q(word) + QString::number(n) + u'=';
    return out;
}

// "name=text" values set in one key (and maybe in one more), lines removed in turn, the key's values left.
struct RemovalCase {
    RegRoot root;
    QString key;
    const char* set;
    const char* removed;
    QStringList left;
    QString otherKey = {};
    const char* otherSet = "";
    RegRoot otherRoot = CU;
    const char* theirs = ""; // set in the key by another program after the scan
};

} // namespace

TEST(ViewedTrailsRemovalTest, RewriteBlankOrDeleteLeaveExactlyTheseValues) {
    const QString realUrl50 = kRealLm + q("HistoryList\\URL50");
    const RemovalCase cases[] = {
        // Rewritten: later slots move up one, gaps included, every number written.
        {CU, kFileN9, "File1=a;File2=b;File4=c", "b", emptied("File", 4, 50, "File1=a;File2=;File3=c")},
        {CU, kUrls, "URL0=u0;URL49=u49", "u0", emptied("URL", 0, 47, "URL48=u49;URL49=")},
        // Blanked; a second line of the same name takes the next value.
        {CU, kFiles, "File0=same;File1=same;File2=x", "same;same", split("File0=;File1=;File2=x")},
        {LM, realUrl50, "= x", "Real Player URL :  x", split("=")},
        {CU, kRealCu + u'2', "=r", "Real Player Recent 2 : r", split("="), kRealLm + q("MostRecentClips1"),
         "=r", LM},
        {CU, kMorpheus, "1014-29=m;1014-30=m", "Morpheus : m", split("1014-29=;1014-30=m")},
        {CU, kOpenSave + u'*', "a=X.txt;b=y;c= x.TXT ", "X.txt", split("a=;b=y;c=")},
        // Deleted, every equal one.
        {CU, kDocs, "Document1=d;Document2=e;Document3= D", "d", split("Document2=e")},
        {LM, kQuickTime, "=;m.mov=", "", split("m.mov=")},
        {CU, kDivx, "w01=t;w02=u;w03=t ", "t", split("w02=u")},
        // A prefix counts only at the start; a prefixed line its slot no longer holds goes on shortened.
        {CU, kFileN1, "File1=My Morpheus : n", "My Morpheus : n", emptied("File", 1, 50, ""), kMorpheus,
         "1014-1=n"},
        {CU, kDocs, "Document1=z", "Morpheus : z;Morpheus : z", {}, kMorpheus, "1014-1=z"},
        // Another program changed the list after the scan: the line is removed where it is now.
        {CU, kFileN1, "File1=a;File2=b", "b", emptied("File", 3, 50, "File1=n;File2=a"), QString(), "", CU,
         "File1=n;File2=a;File3=b"},
        {CU, kMorpheus, "1014-1=m;1014-2=n", "Morpheus : m", split("1014-1=n;1014-2="), QString(), "", CU,
         "1014-1=n;1014-2=m"},
        {CU, kUrls, "URL0=u0;URL1=u1", "u1", split("URL0=u0;URL1=x"), QString(), "", CU, "URL1=x"},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE((c.key + u' ' + q(c.removed)).toStdString());
        DocsFixture f;
        f.texts(c.root, c.key, split(c.set));
        f.texts(c.otherRoot, c.otherKey, split(c.otherSet));
        ScanViewedTrails(f.ctx);
        f.theirs(c.key, split(c.theirs));
        for (const QString& line : q(c.removed).split(u';'))
            RemoveTrail(f.ctx, line);
        QStringList left = f.values(c.root, c.key), expected = c.left;
        left.sort();
        expected.sort();
        EXPECT_EQ(left, expected);
    }
}

TEST(ViewedTrailsRemovalTest, EmptyLineLeavesOtherListsAlone) {
    DocsFixture f;
    f.text(LM, kQuickTime, "", "");
    f.text(CU, kFileN1, "File1", "a");
    f.text(CU, kOpenSave + q("txt"), "a", " ");
    ScanViewedTrails(f.ctx);
    RemoveTrail(f.ctx, QString());
    EXPECT_EQ(f.values(CU, kFileN1), QStringList({q("File1=a")}));
    EXPECT_EQ(f.values(CU, kOpenSave + q("txt")), QStringList({q("a= ")}));
    EXPECT_TRUE(f.values(CU, kOpenSave + q("doc")).isEmpty());
}

TEST(ViewedTrailsRemovalTest, OrderedListsRewriteOnlyTheirTextValues) {
    // Values that are not text keep their number and data; text moves up, each with its type.
    struct Case {
        QString key;
        const char* word;
        int first;
    };
    const Case cases[] = {{kFileN1, "File", 1}, {kUrls, "URL", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        DocsFixture f;
        const auto name = [&](int offset) { return q(c.word) + QString::number(c.first + offset); };
        f.b.regString(CU, c.key, name(0), q("a"));
        f.b.regDword(CU, c.key, name(1), 7);
        f.b.regString(CU, c.key, name(2), q("%TEMP%\\b"), REG_EXPAND_SZ);
        f.b.regValue(CU, c.key, name(3), REG_BINARY, QByteArray("\x01\x02", 2));
        f.b.regString(CU, c.key, name(4), q("c"));
        ScanViewedTrails(f.ctx);
        RemoveTrail(f.ctx, q("a"));

        TRegistry reg(f.b.machine());
        ASSERT_TRUE(reg.OpenKey(c.key, false));
        EXPECT_EQ(reg.GetDataType(name(0)), int(REG_EXPAND_SZ));
        EXPECT_EQ(reg.ReadString(name(0)), q("%TEMP%\\b"));
        EXPECT_EQ(reg.ReadInteger(name(1)), 7);
        EXPECT_EQ(reg.GetDataType(name(2)), int(REG_SZ));
        EXPECT_EQ(reg.ReadString(name(2)), q("c"));
        EXPECT_EQ(reg.ReadBinaryData(name(3)), QByteArray("\x01\x02", 2));
        EXPECT_EQ(reg.ReadString(name(4)), QString());
        // The memory follows the registry: the next removal finds "c" at its new number.
        RemoveTrail(f.ctx, q("c"));
        EXPECT_EQ(reg.ReadString(name(2)), QString());
        EXPECT_EQ(reg.ReadInteger(name(1)), 7);
    }
}

TEST(ViewedTrailsRemovalTest, AFailedRewriteKeepsTheEntryForTheNextTry) {
    DocsFixture f;
    f.texts(CU, kFileN1, split("File1=a;File2=b"));
    ScanViewedTrails(f.ctx);
    f.b.machine().faults().failHostWrites(f.b.root() + "/user.reg", 0);
    EXPECT_THROW(RemoveTrail(f.ctx, q("a")), PlatformError);
    f.b.machine().faults().clear();
    RemoveTrail(f.ctx, q("a"));
    QStringList left = f.values(CU, kFileN1);
    EXPECT_EQ(left.mid(0, 2), split("File1=b;File2="));
}
