#include "app/Uscandrv.h"
#include "core/AppContext.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "support/AppFixture.h"
#include "support/FewHandles.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

using namespace niv;

namespace {

const QString kLog = QStringLiteral("C:\\Nivora\\nvscan7.ini");
const QString kSupport = QStringLiteral("support@example.com");
const QString kProfile =
    QStringLiteral("C:\\Users\\tester\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\ab12.default");

QString k47() {
    return QStringLiteral(
               "K47 Error. You may continue as normal, but some files may be left behind and not cleaned up. "
               "Please send an email to ") +
           kSupport +
           QStringLiteral(" and list K47 as the error. Also include your registered user information.");
}

QString e147() {
    return QStringLiteral(
               "E147 Error. You may continue as normal, but some files may be left behind and not cleaned "
               "up. Please send an email to ") +
           kSupport +
           QStringLiteral(" and list E147 as the error. Also include your registered user information.");
}

struct ScanFixture : AppFixture {
    ScanFixture() {
        b.folder(QStringLiteral("C:\\Nivora"));
        ctx.g.ScanLogPath = kLog;
    }

    QByteArray log() const { return b.readHost(kLog); }

    // Every non-empty value of the scan log as "section/key=value", in file order, read straight from
    // the host file.
    QStringList recorded() const {
        QStringList out;
        QString section;
        for (QString line : QString::fromUtf8(log()).split(u'\n', Qt::SkipEmptyParts)) {
            if (line.endsWith(u'\r')) line.chop(1);
            if (line.startsWith(u'[')) {
                section = line.mid(1, line.size() - 2);
                continue;
            }
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && eq + 1 < line.size()) out.append(section + u'/' + line);
        }
        return out;
    }
};

// The skeleton's text, grouped by section as the INI writes leave it.
QByteArray skeletonText() {
    QByteArray text;
    for (const char* section : {"K17", "L44", "H53", "HI24", "MM20", "AL13"}) {
        text += QByteArray("[") + section + "]\r\n";
        for (int i = 1; i <= 25; ++i)
            text += "P" + QByteArray::number(i) + "=\r\n";
    }
    text += "[P45]\r\n";
    for (int i = 1; i <= 400; ++i)
        text += "P" + QByteArray::number(i) + "=\r\n";
    text += "[UCKK5]\r\n";
    for (int i = 1; i <= 200; ++i)
        text += "CKK" + QByteArray::number(i) + "=\r\n";
    return text;
}

// A list section with every slot filled by C:\full<i>\.
QByteArray fullList(const char* section, int slotCount) {
    QByteArray text = QByteArray("[") + section + "]\r\n";
    for (int i = 1; i <= slotCount; ++i)
        text += "P" + QByteArray::number(i) + "=C:\\full" + QByteArray::number(i) + "\\\r\n";
    return text;
}

// ---------------------------------------------------------------------------------------------
// The skeleton

TEST(ScanLogSkeletonTest, MissingLogGetsEveryBlankKeyGroupedBySection) {
    ScanFixture f;
    WriteScanLogSkeleton(f.ctx);
    EXPECT_EQ(f.log(), skeletonText());
    // Every key reads as a free slot.
    TIniFile ini(f.b.machine(), kLog);
    EXPECT_EQ(ini.ReadString(QStringLiteral("UCKK5"), QStringLiteral("CKK200"), QStringLiteral("x")),
              QString());
    EXPECT_EQ(ini.ReadString(QStringLiteral("AL13"), QStringLiteral("P25"), QStringLiteral("x")), QString());
    EXPECT_EQ(ini.ReadString(QStringLiteral("YH25"), QStringLiteral("P1"), QStringLiteral("x")),
              QStringLiteral("x"));
}

TEST(ScanLogSkeletonTest, ExistingLogIsLeftUnchangedAndItsListsStillFillFromP1) {
    struct Case {
        const char* name;
        QByteArray content;
    };
    const Case cases[] = {
        {"window sizes only", "[Frminit]\r\nW=640\r\nH=480\r\n"},
        {"empty file", ""},
        {"lf line ends", "[Frmscandrv]\nW=1\nH=2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanFixture f;
        f.b.file(kLog, c.content);
        WriteScanLogSkeleton(f.ctx);
        EXPECT_EQ(f.log(), c.content);
        AddScanLogEntry(f.ctx, QStringLiteral("C:\\x\\"), QStringLiteral("I"));
        EXPECT_EQ(f.recorded().filter(QStringLiteral("HI24/")),
                  QStringList{QStringLiteral("HI24/P1=C:\\x\\")});
    }
}

TEST(ScanLogSkeletonTest, RefusedWriteRaisesTheWriteErrorAndWritesNothing) {
    ScanFixture f;
    f.b.machine().faults().fail(FaultInjector::Op::Write, kLog, ERROR_ACCESS_DENIED);
    try {
        WriteScanLogSkeleton(f.ctx);
        ADD_FAILURE() << "no error raised";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to C:\\Nivora\\nvscan7.ini"));
    }
    EXPECT_FALSE(f.b.exists(kLog));
}

// ---------------------------------------------------------------------------------------------
// Recording entries

TEST(AddScanLogEntryTest, EachCodeWritesItsSection) {
    struct Case {
        const char* code;
        QString expected;
    };
    const Case cases[] = {
        {"I", QStringLiteral("HI24/P1=v")},      {"M", QStringLiteral("MM20/P1=v")},
        {"A", QStringLiteral("AL13/P1=v")},      {"Y", QStringLiteral("YH25/P1=v")},
        {"R", QStringLiteral("APRO25/P1=v")},    {"K", QStringLiteral("K17/P1=v")},
        {"H", QStringLiteral("H53/P1=v")},       {"L", QStringLiteral("L44/P1=v")},
        {"FFCK", QStringLiteral("FFCK/P0=v")},   {"FFFH", QStringLiteral("FFFH/P0=v")},
        {"FFPL", QStringLiteral("FFPL/P0=v")},   {"FFPL2", QStringLiteral("FFPL2/P0=v")},
        {"FFPL3", QStringLiteral("FFPL3/P0=v")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ScanFixture f;
        AddScanLogEntry(f.ctx, QStringLiteral("v"), QString::fromLatin1(c.code));
        EXPECT_EQ(f.recorded(), QStringList{c.expected});
    }
}

TEST(AddScanLogEntryTest, UnknownCodeWritesNothing) {
    ScanFixture f;
    for (const char* code : {"X", "i", "ffck", "P45", ""})
        AddScanLogEntry(f.ctx, QStringLiteral("v"), QString::fromLatin1(code));
    EXPECT_FALSE(f.b.exists(kLog));
}

TEST(AddScanLogEntryTest, ListFillsFromP1KeepingTheValueAsGiven) {
    ScanFixture f;
    WriteScanLogSkeleton(f.ctx);
    AddScanLogEntry(f.ctx, QStringLiteral("c:\\One\\"), QStringLiteral("I"));
    AddScanLogEntry(f.ctx, QStringLiteral(" c:\\Two\\ "), QStringLiteral("I"));
    AddScanLogEntry(f.ctx, QStringLiteral("c:\\Three\\"), QStringLiteral("I"));
    TIniFile ini(f.b.machine(), kLog);
    EXPECT_EQ(ini.ReadString(QStringLiteral("HI24"), QStringLiteral("P1"), {}), QStringLiteral("c:\\One\\"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("HI24"), QStringLiteral("P3"), {}),
              QStringLiteral("c:\\Three\\"));
    // Written untrimmed (the INI read trims it again).
    EXPECT_TRUE(f.log().contains("[HI24]\r\nP1=c:\\One\\\r\nP2= c:\\Two\\ \r\nP3=c:\\Three\\\r\nP4=\r\n"));
}

TEST(AddScanLogEntryTest, EqualPathsAreRecognisedWhateverTheirCaseAndBlanks) {
    struct Case {
        const char* name;
        QString stored;
        QString added;
        bool addsSecond;
    };
    const Case cases[] = {
        {"same", QStringLiteral("C:\\Dir\\"), QStringLiteral("C:\\Dir\\"), false},
        {"other case", QStringLiteral("C:\\Dir\\"), QStringLiteral("c:\\dIR\\"), false},
        {"blanks around", QStringLiteral("C:\\Dir\\"), QStringLiteral("  c:\\DIR\\ "), false},
        {"stored with blanks", QStringLiteral(" c:\\dir\\  "), QStringLiteral("C:\\DIR\\"), false},
        {"non-ASCII case", QStringLiteral("C:\\Größe\\"), QStringLiteral("C:\\GRÖßE\\"), false},
        {"other path", QStringLiteral("C:\\Dir\\"), QStringLiteral("C:\\Dir2\\"), true},
        {"inner blank differs", QStringLiteral("C:\\a b\\"), QStringLiteral("C:\\a  b\\"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanFixture f;
        AddScanLogEntry(f.ctx, c.stored, QStringLiteral("Y"));
        AddScanLogEntry(f.ctx, c.added, QStringLiteral("Y"));
        EXPECT_EQ(f.recorded().size(), c.addsSecond ? 2 : 1) << f.recorded().join(u'|').toStdString();
        AddScanCacheDir(f.ctx, c.stored);
        AddScanCacheDir(f.ctx, c.added);
        EXPECT_EQ(f.recorded().filter(QStringLiteral("P45/")).size(), c.addsSecond ? 2 : 1);
    }
}

TEST(AddScanLogEntryTest, AnEqualPathAfterAGapIsNotFound) {
    // The walk stops at the first free slot, so an entry stored behind a gap is not seen.
    ScanFixture f;
    f.b.file(kLog, "[MM20]\r\nP1=C:\\a\r\nP2=\r\nP3=C:\\b\r\n");
    AddScanLogEntry(f.ctx, QStringLiteral("C:\\b"), QStringLiteral("M"));
    EXPECT_EQ(f.log(), QByteArray("[MM20]\r\nP1=C:\\a\r\nP2=C:\\b\r\nP3=C:\\b\r\n"));
}

TEST(AddScanLogEntryTest, SingleValueSectionsAreOverwritten) {
    ScanFixture f;
    f.b.file(kLog, "[FFCK]\r\nP0=C:\\old\\COOKIES.SQLITE*\r\n[FFPL]\r\nP0=C:\\old\\places.sqlite\r\n");
    AddScanLogEntry(f.ctx, QStringLiteral("C:\\new\\COOKIES.SQLITE*"), QStringLiteral("FFCK"));
    AddScanLogEntry(f.ctx, QStringLiteral("C:\\old\\places.sqlite"), QStringLiteral("FFPL"));
    EXPECT_EQ(f.log(),
              QByteArray("[FFCK]\r\nP0=C:\\new\\COOKIES.SQLITE*\r\n[FFPL]\r\nP0=C:\\old\\places.sqlite\r\n"));
}

TEST(AddScanLogEntryTest, FullListShowsItsMessageAndDropsThePath) {
    struct Case {
        const char* name;
        const char* section;
        int slotCount;
        bool cache;
        const char* code;
        QString message;
    };
    const Case cases[] = {
        {"HI24", "HI24", 25, false, "I", k47()},     {"MM20", "MM20", 25, false, "M", k47()},
        {"AL13", "AL13", 25, false, "A", k47()},     {"YH25", "YH25", 25, false, "Y", k47()},
        {"APRO25", "APRO25", 25, false, "R", k47()}, {"K17", "K17", 25, false, "K", k47()},
        {"P45", "P45", 400, true, "", e147()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScanFixture f;
        const QByteArray content = fullList(c.section, c.slotCount);
        f.b.file(kLog, content);
        auto add = [&](const QString& value) {
            if (c.cache)
                AddScanCacheDir(f.ctx, value);
            else
                AddScanLogEntry(f.ctx, value, QString::fromLatin1(c.code));
        };
        // A path already in the full list is simply found again.
        add(QStringLiteral("c:\\FULL%1\\").arg(c.slotCount));
        EXPECT_TRUE(f.dialogs.shown().isEmpty());

        f.dialogs.answerOk();
        add(QStringLiteral("C:\\one more\\"));
        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages().at(0).kind, MsgKind::Plain);
        EXPECT_EQ(f.dialogs.messages().at(0).buttons, MsgButtons::Ok);
        EXPECT_EQ(f.dialogs.messages().at(0).text, c.message);
        EXPECT_EQ(f.log(), content);
    }
}

TEST(AddScanLogEntryTest, The400thCacheFolderIsStoredAndThe401stIsNot) {
    ScanFixture f;
    QByteArray content = fullList("P45", 399);
    f.b.file(kLog, content);
    AddScanCacheDir(f.ctx, QStringLiteral("C:\\p400\\CACHE"));
    EXPECT_TRUE(f.log().endsWith("P399=C:\\full399\\\r\nP400=C:\\p400\\CACHE\r\n"));
    f.dialogs.answerOk();
    AddScanCacheDir(f.ctx, QStringLiteral("C:\\p401\\CACHE"));
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{e147()});
    EXPECT_FALSE(f.log().contains("p401"));
}

TEST(AddScanLogEntryTest, RefusedWriteRaisesTheWriteError) {
    ScanFixture f;
    f.b.machine().faults().fail(FaultInjector::Op::Write, kLog, ERROR_ACCESS_DENIED);
    for (const char* code : {"I", "FFCK"}) {
        SCOPED_TRACE(code);
        try {
            AddScanLogEntry(f.ctx, QStringLiteral("C:\\x\\"), QString::fromLatin1(code));
            ADD_FAILURE() << "no error raised";
        } catch (const PlatformError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Unable to write to C:\\Nivora\\nvscan7.ini"));
        }
    }
    EXPECT_THROW(AddScanCacheDir(f.ctx, QStringLiteral("C:\\x\\CACHE")), PlatformError);
}

// ---------------------------------------------------------------------------------------------
// The matching rules

struct RuleCase {
    const char* name;
    std::vector<QString> files;
    QStringList expected;
    int attributes = 0;     // DOSATTRIB of every file
    bool dropWrite = false; // every file without write bits
};

void runRuleCase(const RuleCase& c) {
    SCOPED_TRACE(c.name);
    ScanFixture f;
    for (const QString& file : c.files) {
        f.b.file(file);
        if (c.attributes) f.b.attributes(file, c.attributes);
        if (c.dropWrite) f.b.dropWriteBits(file);
    }
    ScanFolder(f.ctx, QStringLiteral("C:"));
    EXPECT_EQ(f.recorded(), c.expected);
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
}

TEST(ScanRulesTest, EachRuleRecordsItsValue) {
    const QString ie = QStringLiteral(
        "C:\\Documents and Settings\\tester\\Local Settings\\Temporary Internet Files\\Content.IE5");
    const QString aol = QStringLiteral("C:\\Program Files\\AOL\\C_America Online 9.0\\track");
    const QString yahoo =
        QStringLiteral("C:\\Program Files\\Yahoo!\\Messenger\\Profiles\\bob\\Archive\\Messages\\amy");
    const QString aim = QStringLiteral("C:\\Users\\tester\\AIMPro\\Archive\\chats");
    const QString media = QStringLiteral("C:\\Users\\tester\\AppData\\Local\\Microsoft\\Media Index");
    const RuleCase cases[] = {
        {"1 index.dat in Content.IE5",
         {ie + QStringLiteral("\\index.dat")},
         {QStringLiteral("HI24/P1=") + ie + u'\\'}},
        {"2 .arl in the AOL folder",
         {aol + QStringLiteral("\\x.ARL.bak")},
         {QStringLiteral("AL13/P1=") + aol + u'\\'}},
        {"3 .dat in a Yahoo! archive",
         {yahoo + QStringLiteral("\\2009-bob.dat")},
         {QStringLiteral("YH25/P1=") + yahoo + u'\\'}},
        {"4 .htm in an AIM Pro archive",
         {aim + QStringLiteral("\\talk.html")},
         {QStringLiteral("APRO25/P1=") + aim + u'\\'}},
        {"5 media library",
         {media + QStringLiteral("\\wmplibrary_v_0_12.db")},
         {QStringLiteral("MM20/P1=") + media + QStringLiteral("\\wmplibrary_v_0_12.db")}},
        {"6 form history",
         {kProfile + QStringLiteral("\\formhistory.sqlite")},
         {QStringLiteral("FFFH/P0=") + kProfile + QStringLiteral("\\FORMHISTORY.SQLITE*")}},
        {"6 form history journal",
         {kProfile + QStringLiteral("\\formhistory.sqlite-journal")},
         {QStringLiteral("FFFH/P0=") + kProfile + QStringLiteral("\\FORMHISTORY.SQLITE*")}},
        {"7 places",
         {kProfile + QStringLiteral("\\Places.sqlite")},
         {QStringLiteral("FFPL/P0=") + kProfile + QStringLiteral("\\Places.sqlite")}},
        {"8 places journal",
         {kProfile + QStringLiteral("\\places.sqlite-journal")},
         {QStringLiteral("FFPL2/P0=") + kProfile + QStringLiteral("\\places.sqlite-journal")}},
        {"9 web store",
         {kProfile + QStringLiteral("\\webappsstore.sqlite")},
         {QStringLiteral("FFPL3/P0=") + kProfile + QStringLiteral("\\webappsstore.sqlite")}},
        {"10 cookies",
         {kProfile + QStringLiteral("\\cookies.sqlite")},
         {QStringLiteral("FFCK/P0=") + kProfile + QStringLiteral("\\COOKIES.SQLITE*")}},
    };
    for (const RuleCase& c : cases)
        runRuleCase(c);
}

TEST(ScanRulesTest, NameAndFolderTestsAreCaseInsensitiveAndValuesKeepTheCaseFound) {
    const QString ie = QStringLiteral("C:\\x\\TEMPORARY internet FILES\\content.ie5\\Q1");
    const QString profile = QStringLiteral("C:\\data\\mozilla\\FIREFOX\\profiles\\Zz");
    const RuleCase cases[] = {
        {"index.dat upper case",
         {ie + QStringLiteral("\\INDEX.DAT")},
         {QStringLiteral("HI24/P1=") + ie + u'\\'}},
        {"cookies mixed case",
         {profile + QStringLiteral("\\CooKies.SQLite")},
         {QStringLiteral("FFCK/P0=") + profile + QStringLiteral("\\COOKIES.SQLITE*")}},
        {"media library upper",
         {QStringLiteral("C:\\media index\\WMPLibrary.DB")},
         {QStringLiteral("MM20/P1=C:\\media index\\WMPLibrary.DB")}},
    };
    for (const RuleCase& c : cases)
        runRuleCase(c);
}

TEST(ScanRulesTest, FilesThatMatchNoRuleAreNotRecorded) {
    const RuleCase cases[] = {
        {"index.dat outside Content.IE5", {QStringLiteral("C:\\Temporary Internet Files\\index.dat")}, {}},
        {"index.dat named differently",
         {QStringLiteral("C:\\Temporary Internet Files\\Content.IE5\\index.dat.old")},
         {}},
        {"arl without the AOL 9 folder",
         {QStringLiteral("C:\\Program Files\\AOL\\C_America Online 8.0\\x.arl")},
         {}},
        {"dat in a Yahoo! folder that is not an archive",
         {QStringLiteral("C:\\Yahoo!\\Messenger\\x.dat")},
         {}},
        {"Yahoo! archive needs a folder below Messenger",
         {QStringLiteral("C:\\Archive\\Messages\\Yahoo!\\Messenger\\x.dat")},
         {}},
        {"htm outside AIM Pro", {QStringLiteral("C:\\AIM\\Archive\\x.htm")}, {}},
        {"media library without .db", {QStringLiteral("C:\\Media Index\\wmplibrary.txt")}, {}},
        {"media library named differently", {QStringLiteral("C:\\Media Index\\CurrentDatabase.wmdb")}, {}},
        {"cookies outside profiles", {QStringLiteral("C:\\Mozilla\\Firefox\\cookies.sqlite")}, {}},
        {"cookies journal", {kProfile + QStringLiteral("\\cookies.sqlite-journal")}, {}},
        {"places with suffix", {kProfile + QStringLiteral("\\places.sqlite.bak")}, {}},
        {"profiles without its leading separator",
         {QStringLiteral("C:\\xMozilla\\Firefox\\Profiles\\cookies.sqlite")},
         {}},
    };
    for (const RuleCase& c : cases)
        runRuleCase(c);
}

TEST(ScanRulesTest, FirstMatchingRuleWins) {
    const QString both =
        QStringLiteral("C:\\Yahoo!\\Messenger\\Archive\\Messages\\Temporary Internet Files\\Content.IE5");
    const QString aimFirefox = QStringLiteral("C:\\AIMPro\\Archive\\Mozilla\\Firefox\\Profiles\\p");
    const RuleCase cases[] = {
        // Rule 1 before rule 3.
        {"index.dat in an IE folder inside a Yahoo! archive",
         {both + QStringLiteral("\\index.dat")},
         {QStringLiteral("HI24/P1=") + both + u'\\'}},
        // Rule 1 fails for index.dat outside Content.IE5, so rule 3 takes it.
        {"index.dat in a Yahoo! archive",
         {QStringLiteral("C:\\Yahoo!\\Messenger\\x\\Archive\\Messages\\index.dat")},
         {QStringLiteral("YH25/P1=C:\\Yahoo!\\Messenger\\x\\Archive\\Messages\\")}},
        // Rule 4 before rule 6.
        {"form history ending in .htm",
         {aimFirefox + QStringLiteral("\\formhistory.sqlite.htm")},
         {QStringLiteral("APRO25/P1=") + aimFirefox + u'\\'}},
    };
    for (const RuleCase& c : cases)
        runRuleCase(c);
}

TEST(ScanRulesTest, ReadOnlyAndSystemFilesAreIgnoredHiddenOnesExamined) {
    const QString cookies = kProfile + QStringLiteral("\\cookies.sqlite");
    const QString value = QStringLiteral("FFCK/P0=") + kProfile + QStringLiteral("\\COOKIES.SQLITE*");
    const RuleCase cases[] = {
        {"read-only attribute", {cookies}, {}, faReadOnly},
        {"no write bits", {cookies}, {}, 0, true},
        {"system", {cookies}, {}, faSysFile},
        {"hidden system", {cookies}, {}, faHidden | faSysFile},
        {"hidden", {cookies}, {value}, faHidden},
        {"archive", {cookies}, {value}, faArchive},
    };
    for (const RuleCase& c : cases)
        runRuleCase(c);
}

TEST(ScanRulesTest, TwoProfilesLeaveTheLastOneWalkedInEachSingleValueSection) {
    const QString profiles =
        QStringLiteral("C:\\Users\\tester\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\");
    const RuleCase c{"two profiles",
                     {profiles + QStringLiteral("aaa.default\\cookies.sqlite"),
                      profiles + QStringLiteral("zzz.default\\cookies.sqlite"),
                      profiles + QStringLiteral("aaa.default\\places.sqlite"),
                      profiles + QStringLiteral("MMM.default\\places.sqlite")},
                     {QStringLiteral("FFCK/P0=") + profiles + QStringLiteral("zzz.default\\COOKIES.SQLITE*"),
                      QStringLiteral("FFPL/P0=") + profiles + QStringLiteral("MMM.default\\places.sqlite")}};
    runRuleCase(c);
}

TEST(ScanRulesTest, CacheFoldersBelowFirefoxProfilesAreRecorded) {
    const RuleCase cases[] = {
        {"Cache in a profile",
         {kProfile + QStringLiteral("\\Cache\\a")},
         {QStringLiteral("P45/P1=") + kProfile + QStringLiteral("\\CACHE")}},
        {"cache deeper down, any case",
         {QStringLiteral("C:\\x\\MOZILLA\\firefox\\Profiles\\p\\sub\\cache\\a")},
         {QStringLiteral("P45/P1=C:\\x\\MOZILLA\\firefox\\Profiles\\p\\sub\\CACHE")}},
        {"Cache2 is not a cache folder", {kProfile + QStringLiteral("\\Cache2\\entries\\a")}, {}},
        {"Cache outside Firefox profiles", {QStringLiteral("C:\\Users\\tester\\Cache\\a")}, {}},
        {"a file named Cache", {kProfile + QStringLiteral("\\Cache")}, {}},
    };
    for (const RuleCase& c : cases)
        runRuleCase(c);

    ScanFixture f;
    f.b.folder(kProfile + QStringLiteral("\\cache"));
    f.b.folder(QStringLiteral("C:\\Other\\Mozilla\\Firefox\\Profiles\\q\\Cache"));
    ScanFolder(f.ctx, QStringLiteral("C:"));
    EXPECT_EQ(f.recorded(),
              (QStringList{QStringLiteral("P45/P1=C:\\Other\\Mozilla\\Firefox\\Profiles\\q\\CACHE"),
                           QStringLiteral("P45/P2=") + kProfile + QStringLiteral("\\CACHE")}));
}

// ---------------------------------------------------------------------------------------------
// The walk

TEST(ScanFolderTest, ScanningTwiceAddsNothing) {
    ScanFixture f;
    f.b.file(kProfile + QStringLiteral("\\cookies.sqlite"));
    f.b.folder(kProfile + QStringLiteral("\\Cache"));
    f.b.file(QStringLiteral("C:\\a\\Temporary Internet Files\\Content.IE5\\index.dat"));
    f.b.file(QStringLiteral("C:\\Media Index\\wmplibrary.db"));
    ScanFolder(f.ctx, QStringLiteral("C:"));
    const QByteArray once = f.log();
    EXPECT_EQ(f.recorded().size(), 4) << f.recorded().join(u'|').toStdString();
    ScanFolder(f.ctx, QStringLiteral("C:"));
    EXPECT_EQ(f.log(), once);
}

TEST(ScanFolderTest, DriveRootIsWalkedWhateverTheCurrentFolder) {
    ScanFixture f;
    f.b.file(QStringLiteral("C:\\Nivora\\sub\\x.txt"));
    f.b.file(QStringLiteral("C:\\Mozilla\\Firefox\\Profiles\\cookies.sqlite"));
    ASSERT_TRUE(SetCurrentDir(f.b.machine(), QStringLiteral("C:\\Nivora\\sub")));
    ScanFolder(f.ctx, QStringLiteral("c:"));
    EXPECT_EQ(f.recorded(),
              QStringList{QStringLiteral("FFCK/P0=c:\\Mozilla\\Firefox\\Profiles\\COOKIES.SQLITE*")});
}

TEST(ScanFolderTest, OtherDrivesAndSubfoldersCanBeScanned) {
    ScanFixture f;
    f.b.drive('d');
    f.b.file(QStringLiteral("D:\\Old\\Mozilla\\Firefox\\Profiles\\x\\places.sqlite"));
    f.b.file(QStringLiteral("C:\\Mozilla\\Firefox\\Profiles\\y\\places.sqlite"));
    ScanFolder(f.ctx, QStringLiteral("d:"));
    EXPECT_EQ(f.recorded(),
              QStringList{QStringLiteral("FFPL/P0=d:\\Old\\Mozilla\\Firefox\\Profiles\\x\\places.sqlite")});
    ScanFolder(f.ctx, QStringLiteral("C:\\Mozilla\\Firefox"));
    EXPECT_EQ(f.recorded(),
              QStringList{QStringLiteral("FFPL/P0=C:\\Mozilla\\Firefox\\Profiles\\y\\places.sqlite")});
}

TEST(ScanFolderTest, LinksAreNeverEntered) {
    ScanFixture f;
    // A loop back up the tree, a link out of the machine and a link named like a cache folder.
    f.b.file(kProfile + QStringLiteral("\\cookies.sqlite"));
    f.b.link(kProfile + QStringLiteral("\\back"), QStringLiteral("C:\\Users"));
    f.b.link(kProfile + QStringLiteral("\\Cache"), QStringLiteral("C:\\Users\\tester"));
    f.b.outsideFile("home/Mozilla/Firefox/Profiles/p/places.sqlite");
    f.b.outsideFile("home/Mozilla/Firefox/Profiles/p/Temporary Internet Files/Content.IE5/index.dat");
    f.b.hostLink(QStringLiteral("C:\\Users\\tester\\Home"), f.b.outside() + "/home");
    f.b.hostLink(QStringLiteral("C:\\Users\\tester\\Dangling"), f.b.outside() + "/missing");

    QStringList shown;
    ScanFolder(f.ctx, QStringLiteral("C:"), [&](const QString& folder) {
        shown.append(folder);
        // A walk that follows the loop would go on until the paths grow too long.
        if (shown.size() > 500) throw std::runtime_error("the walk went round the link loop");
    });
    EXPECT_EQ(f.recorded(),
              QStringList{QStringLiteral("FFCK/P0=") + kProfile + QStringLiteral("\\COOKIES.SQLITE*")});
    for (const QString& folder : shown) {
        EXPECT_FALSE(folder.contains(QStringLiteral("\\back"), Qt::CaseInsensitive)) << folder.toStdString();
        EXPECT_FALSE(folder.contains(QStringLiteral("\\Home"))) << folder.toStdString();
    }
}

TEST(ScanFolderTest, ReportsEachFolderWalkedAndClearsAfterEachListing) {
    ScanFixture f;
    f.b.file(QStringLiteral("C:\\top\\a\\x.txt"));
    f.b.folder(QStringLiteral("C:\\top\\a\\b"));
    f.b.folder(QStringLiteral("C:\\top\\c"));
    QStringList shown;
    ScanFolder(f.ctx, QStringLiteral("C:\\top"), [&](const QString& folder) { shown.append(folder); });
    EXPECT_EQ(shown, (QStringList{QStringLiteral("C:\\top"), QStringLiteral("C:\\top\\a"), QString(),
                                  QString(), QStringLiteral("C:\\top"), QString(), QString()}));
}

TEST(ScanFolderTest, AFolderThatCannotBeEnteredIsSkippedSilently) {
    ScanFixture f;
    f.b.file(QStringLiteral("C:\\top\\a gone\\Mozilla\\Firefox\\Profiles\\p\\cookies.sqlite"));
    f.b.file(QStringLiteral("C:\\top\\b\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite"));
    const std::string gone = f.b.hostPath(QStringLiteral("C:\\top\\a gone"));
    bool removed = false;
    // The folder goes away between the listing of C:\top and the walk into it.
    ScanFolder(f.ctx, QStringLiteral("C:\\top"), [&](const QString& folder) {
        if (!removed && folder == QStringLiteral("C:\\top")) {
            removed = true;
            ASSERT_EQ(std::system(("rm -rf '" + gone + "'").c_str()), 0);
        }
    });
    EXPECT_TRUE(removed);
    EXPECT_EQ(f.recorded(), QStringList{QStringLiteral(
                                "FFPL/P0=C:\\top\\b\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite")});
    EXPECT_TRUE(f.dialogs.shown().isEmpty());
    // A missing start folder is skipped the same way.
    EXPECT_NO_THROW(ScanFolder(f.ctx, QStringLiteral("C:\\no such folder")));
}

TEST(ScanFolderTest, FullListShowsItsMessageAndTheScanGoesOn) {
    ScanFixture f;
    f.b.file(kLog, fullList("HI24", 25));
    f.b.file(QStringLiteral("C:\\a\\Temporary Internet Files\\Content.IE5\\index.dat"));
    f.b.file(QStringLiteral("C:\\b\\Mozilla\\Firefox\\Profiles\\p\\cookies.sqlite"));
    f.dialogs.answerOk();
    ScanFolder(f.ctx, QStringLiteral("C:"));
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{k47()});
    EXPECT_TRUE(f.recorded().contains(
        QStringLiteral("FFCK/P0=C:\\b\\Mozilla\\Firefox\\Profiles\\p\\COOKIES.SQLITE*")));
    EXPECT_FALSE(f.log().contains("Content.IE5"));
}

TEST(ScanFolderTest, RefusedWriteEndsTheScanAndKeepsWhatWasWritten) {
    ScanFixture f;
    f.b.file(QStringLiteral("C:\\a\\Mozilla\\Firefox\\Profiles\\p\\cookies.sqlite"));
    f.b.file(QStringLiteral("C:\\m\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite"));
    f.b.file(QStringLiteral("C:\\z\\Mozilla\\Firefox\\Profiles\\p\\webappsstore.sqlite"));
    QStringList shown;
    // The scan log becomes unwritable once the walk reaches C:\m.
    auto progress = [&](const QString& folder) {
        shown.append(folder);
        if (folder.startsWith(QStringLiteral("C:\\m")))
            f.b.machine().faults().fail(FaultInjector::Op::Write, kLog, ERROR_ACCESS_DENIED);
    };
    try {
        ScanFolder(f.ctx, QStringLiteral("C:"), progress);
        ADD_FAILURE() << "no error raised";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Unable to write to C:\\Nivora\\nvscan7.ini"));
    }
    EXPECT_EQ(f.recorded(),
              QStringList{QStringLiteral("FFCK/P0=C:\\a\\Mozilla\\Firefox\\Profiles\\p\\COOKIES.SQLITE*")});
    for (const QString& folder : shown)
        EXPECT_FALSE(folder.startsWith(QStringLiteral("C:\\z"))) << folder.toStdString();
}

TEST(ScanFolderTest, LetsMessagesThroughOncePer10MsOfWalking) {
    ScanFixture f;
    constexpr int kFolders = 4;
    constexpr int kFilesPerFolder = 24;
    for (int d = 0; d < kFolders; ++d) {
        for (int i = 0; i < kFilesPerFolder; ++i)
            f.b.file(QStringLiteral("C:\\w\\d%1\\f%2.txt").arg(d).arg(i));
    }
    // Every look at the clock finds one more millisecond gone.
    qint64 now = 0;
    f.ctx.steadyClockMs = [&] { return now++; };
    std::vector<qint64> pumpedAt;
    f.pump.onProcess = [&] { pumpedAt.push_back(now); };
    ScanFolder(f.ctx, QStringLiteral("C:\\w"));
    const int entries = kFolders * (kFilesPerFolder + 1);
    // The first entry lets messages through at once, then one in every ten.
    EXPECT_EQ(f.pump.count(), (entries + 9) / 10);
    for (std::size_t i = 1; i < pumpedAt.size(); ++i)
        EXPECT_EQ(pumpedAt[i] - pumpedAt[i - 1], 10);
}

TEST(ScanFolderTest, ALinkedFileIsTestedAndAFolderTooDeepForTheHostsHandlesIsPassedOverAndCounted) {
    ScanFixture f;
    f.b.folder(QStringLiteral("C:\\top\\a") + QStringLiteral("\\d").repeated(80));
    const QString places = QStringLiteral("C:\\top\\z\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite");
    f.b.hostLink(places, f.b.outsideFile("places.sqlite"));
    const FewHandles few(20);
    f.dialogs.answerOk();
    ScanFolder(f.ctx, QStringLiteral("C:\\top"));
    EXPECT_EQ(f.recorded(), QStringList{QStringLiteral("FFPL/P0=") + places});
    // The walk went on, but what the deep folder holds was not logged: one message says how much.
    ASSERT_EQ(f.dialogs.messageTexts().size(), 1);
    EXPECT_TRUE(f.dialogs.messageTexts().front().contains(u": 1."));
}

TEST(ScanFolderTest, EachFolderBecomesTheCurrentOneAsItIsWalked) {
    ScanFixture f;
    f.b.folder(QStringLiteral("C:\\top\\a"));
    f.b.folder(QStringLiteral("C:\\top\\b\\c"));
    ScanFolder(f.ctx, QStringLiteral("C:\\top"));
    EXPECT_EQ(GetCurrentDir(f.b.machine()), QStringLiteral("C:\\top\\b\\c"));
}

} // namespace
