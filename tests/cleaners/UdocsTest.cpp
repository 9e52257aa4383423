#include "cleaners/Udocs.h"

#include "cleaners/HistoryTestSupport.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <functional>

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
const QString kMm20 = q(R"(Software\Microsoft\MM20\Publish Wizard\MRU List)");

struct DocsFixture : AppFixture {
    void text(RegRoot root, const QString& key, const char* name, const char* value) {
        b.regString(root, key, q(name), q(value));
    }
    QStringList values(RegRoot root, const QString& key) { return keyValues(b.machine(), root, key); }
};

// One value in one source, and the lines the scan shows for it.
struct SourceCase {
    const char* what;
    RegRoot root;
    QString key;
    const char* name;
    const char* value;
    QStringList lines;
};

} // namespace

TEST(ViewedTrailsScanTest, EachSourceWithItsValuesAndRanges) {
    const QString adobe9 = q(R"(Software\Adobe\Acrobat Reader\9.0\AVGeneral\cRecentFiles\C)");
    const QString adobe10 = q(R"(Software\Adobe\Acrobat Reader\10.0\AVGeneral\cRecentFiles\C)");
    const SourceCase cases[] = {
        {"first FileN list, slot 50", CU, kFileN1, "File50", " a.xls\t", {q("a.xls")}},
        {"last FileN list", CU, kFileN9, "File1", "b.ppt", {q("b.ppt")}},
        {"FileN beyond 50", CU, kFileN1, "File51", "x", {}},
        {"FileN blank", CU, kFileN1, "File2", " \r\n", {}},
        {"document list", CU, kDocs, "Document50", "d.doc ", {q("d.doc")}},
        {"document beyond 50", CU, kDocs, "Document51", "x", {}},
        {"media address 0", CU, kUrls, "URL0", "http://a/", {q("http://a/")}},
        {"media address beyond 49", CU, kUrls, "URL50", "x", {}},
        {"media file 49", CU, kFiles, "File49", "c.wmv", {q("c.wmv")}},
        {"open/save first subkey", CU, kOpenSave + u'*', "a", "e.txt", {q("e.txt")}},
        {"open/save last subkey", CU, kOpenSave + q("mp4"), "z", "f.mp4", {q("f.mp4")}},
        {"open/save not a letter", CU, kOpenSave + q("txt"), "aa", "x", {}},
        {"RealPlayer address kept untrimmed",
         LM,
         kRealLm + q("HistoryList\\URL1"),
         "",
         " g ",
         {q("Real Player URL :  g ")}},
        {"RealPlayer recent 50",
         LM,
         kRealLm + q("MostRecentClips50"),
         "",
         "h",
         {q("Real Player Recent : h")}},
        {"RealPlayer recent beyond 50", LM, kRealLm + q("MostRecentClips51"), "", "h", {}},
        {"RealPlayer recent 2", CU, kRealCu + q("7"), "", "i", {q("Real Player Recent 2 : i")}},
        {"RealPlayer locations",
         LM,
         kRealLm + q("OpenLocationClips2"),
         "",
         "j",
         {q("Real Player Locations : j")}},
        {"RealPlayer empty mark", LM, kRealLm + q("OpenLocationClips3"), "", " | ", {}},
        {"Morpheus 30", CU, kMorpheus, "1014-30", " k ", {q("Morpheus : k")}},
        {"Morpheus beyond 30", CU, kMorpheus, "1014-31", "k", {}},
        {"QuickTime name, data unread", LM, kQuickTime, " m.mov ", "", {q(" m.mov ")}},
        {"QuickTime default value", LM, kQuickTime, "", "x", {QString()}},
        {"Adobe 9, fifth key", CU, adobe9 + u'5', "tDIText", "n.pdf", {q("n.pdf")}},
        {"Adobe 9, sixth key", CU, adobe9 + u'6', "tDIText", "n.pdf", {}},
        {"Adobe 10", CU, adobe10 + u'1', "tDIText", "o.pdf", {q("o.pdf")}},
        {"DivX", CU, kDivx, "w05", "p.avi", {q("p.avi")}},
        {"DivX beyond 5", CU, kDivx, "w06", "p.avi", {}},
        {"management console",
         CU,
         q(R"(Software\Microsoft\Microsoft Management Console\Recent File List)"),
         "File5",
         "r.msc",
         {q("r.msc")}},
        {"publish wizard beyond 5", CU, kMm20, "Entry6", "s", {}},
        {"stationery 0",
         CU,
         q(R"(Software\Microsoft\Windows Mail\Recent Stationery Wide List)"),
         "File0",
         "t.htm",
         {q("t.htm")}},
        {"QuickTime virtual store",
         CU,
         q(R"(Software\Classes\VirtualStore\MACHINE\SOFTWARE\Wow6432Node\Apple Computer, Inc.\QuickTime\Recent Movies)"),
         "any",
         " u.mov",
         {q("u.mov")}},
        {"Movie Maker",
         CU,
         q(R"(Software\Microsoft\Windows Live\Movie Maker\Recent)"),
         "x",
         "v.wlmp",
         {q("v.wlmp")}},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.what);
        DocsFixture f;
        f.text(c.root, c.key, c.name, c.value);
        EXPECT_EQ(ScanViewedTrails(f.ctx), c.lines);
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
    const DocsUnit& unit = f.ctx.unit<DocsUnit>();
    EXPECT_EQ(unit.FileNSlots[0][2], q("same.avi"));
    EXPECT_EQ(unit.TrailCount, 1);
    const TrailRecord& r = unit.TrailTable[1];
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
    EXPECT_EQ(f.ctx.unit<DocsUnit>().TrailCount, kTrailRecords);
    // Every listed line can be removed.
    RemoveTrail(f.ctx, lines.back());
    EXPECT_FALSE(f.values(CU, key).contains(lines.back() + u'=' + lines.back()));
}

namespace {

struct RemovalCase {
    const char* what;
    std::function<void(DocsFixture&)> build;
    QStringList removed; // lines removed in turn
    RegRoot root;
    QString key;
    QStringList left; // the key's values afterwards, in any order
};

QStringList emptied(const char* word, int first, int last, QStringList head) {
    for (int n = first + int(head.size()); n <= last; ++n)
        head << q(word) + QString::number(n) + u'=';
    return head;
}

} // namespace

TEST(ViewedTrailsRemovalTest, RewriteBlankOrDeleteLeaveExactlyTheseValues) {
    const RemovalCase cases[] = {
        {"FileN list rewritten, later slots move up one, gaps included",
         [](DocsFixture& f) {
             f.text(CU, kFileN9, "File1", "a");
             f.text(CU, kFileN9, "File2", "b");
             f.text(CU, kFileN9, "File4", "c");
         },
         {q("b")},
         CU,
         kFileN9,
         emptied("File", 1, 50, {q("File1=a"), q("File2="), q("File3=c")})},
        {"media addresses rewritten",
         [](DocsFixture& f) {
             f.text(CU, kUrls, "URL0", "u0");
             f.text(CU, kUrls, "URL49", "u49");
         },
         {q("u0")},
         CU,
         kUrls,
         emptied("URL", 0, 47, {}) << q("URL48=u49") << q("URL49=")},
        {"media file blanked, the second of a name too",
         [](DocsFixture& f) {
             f.text(CU, kFiles, "File0", "same");
             f.text(CU, kFiles, "File1", "same");
             f.text(CU, kFiles, "File2", "other");
         },
         {q("same"), q("same")},
         CU,
         kFiles,
         {q("File0="), q("File1="), q("File2=other")}},
        {"RealPlayer key blanked",
         [](DocsFixture& f) {
             f.text(LM, kRealLm + q("HistoryList\\URL49"), "", " x");
             f.text(LM, kRealLm + q("HistoryList\\URL50"), "", " x");
         },
         {q("Real Player URL :  x")},
         LM,
         kRealLm + q("HistoryList\\URL49"),
         {q("=")}},
        {"RealPlayer recent 2 found in its own list",
         [](DocsFixture& f) {
             f.text(LM, kRealLm + q("MostRecentClips1"), "", "r");
             f.text(CU, kRealCu + q("2"), "", "r");
         },
         {q("Real Player Recent 2 : r")},
         CU,
         kRealCu + q("2"),
         {q("=")}},
        {"Morpheus slot 30 blanked",
         [](DocsFixture& f) {
             f.text(CU, kMorpheus, "1014-29", "m");
             f.text(CU, kMorpheus, "1014-30", "m");
         },
         {q("Morpheus : m")},
         CU,
         kMorpheus,
         {q("1014-29="), q("1014-30=m")}},
        {"open/save entries blanked in every subkey, case and blanks aside",
         [](DocsFixture& f) {
             f.text(CU, kOpenSave + u'*', "a", "X.txt");
             f.text(CU, kOpenSave + u'*', "b", "y.txt");
             f.text(CU, kOpenSave + u'*', "c", " x.TXT ");
         },
         {q("X.txt")},
         CU,
         kOpenSave + u'*',
         {q("a="), q("b=y.txt"), q("c=")}},
        {"documents deleted under every number",
         [](DocsFixture& f) {
             f.text(CU, kDocs, "Document1", "d");
             f.text(CU, kDocs, "Document2", "e");
             f.text(CU, kDocs, "Document3", " D");
         },
         {q("d")},
         CU,
         kDocs,
         {q("Document2=e")}},
        {"QuickTime's default value deleted by its empty line",
         [](DocsFixture& f) {
             f.text(LM, kQuickTime, "", "");
             f.text(LM, kQuickTime, "m.mov", "");
         },
         {QString()},
         LM,
         kQuickTime,
         {q("m.mov=")}},
        {"table records of one text all deleted",
         [](DocsFixture& f) {
             f.text(CU, kDivx, "w01", "t");
             f.text(CU, kDivx, "w02", "u");
             f.text(CU, kDivx, "w03", "t ");
         },
         {q("t")},
         CU,
         kDivx,
         {q("w02=u")}},
        {"a prefix inside a name is not a prefix",
         [](DocsFixture& f) {
             f.text(CU, kFileN1, "File1", "My Morpheus : notes");
             f.text(CU, kMorpheus, "1014-1", "notes");
         },
         {q("My Morpheus : notes")},
         CU,
         kMorpheus,
         {q("1014-1=notes")}},
        {"a prefixed line its slot no longer holds goes on with the shortened text",
         [](DocsFixture& f) {
             f.text(CU, kMorpheus, "1014-1", "z.doc");
             f.text(CU, kDocs, "Document1", "z.doc");
         },
         {q("Morpheus : z.doc"), q("Morpheus : z.doc")},
         CU,
         kDocs,
         {}},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.what);
        DocsFixture f;
        c.build(f);
        ScanViewedTrails(f.ctx);
        for (const QString& line : c.removed)
            RemoveTrail(f.ctx, line);
        QStringList left = f.values(c.root, c.key);
        QStringList expected = c.left;
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
