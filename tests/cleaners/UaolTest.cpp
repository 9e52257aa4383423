// The AOL unit: finding, reading and deleting the track files.
#include "cleaners/Uaol.h"

#include "core/AppContext.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

QString repeat(char c, int n) {
    return QString(n, QLatin1Char(c));
}

} // namespace

TEST(AolTest, AddressesOfALine) {
    const QString a = q("http://a.example/") + repeat('a', 60);
    const struct {
        const char* name;
        QString line;
        QStringList expected;
    } cases[] = {
        {"none", q("nothing here"), {}},
        {"two http entries far apart",
         q("x") + a + q(" ") + q("http://b.example/"),
         {a.left(70) + q("..."), q("http://b.example/...")}},
        {"a second address within 70 characters goes with the first",
         q("http://a/ http://b/"),
         {q("http://a/ http://b/...")}},
        {"http entries first, then AOL: entries in order",
         q("AOL:one ") + repeat(' ', 70) + q("AOL:two ") + repeat(' ', 70) + q("http://c/"),
         {q("http://c/..."), q("AOL:one ") + repeat(' ', 62) + q("..."),
          q("AOL:two ") + repeat(' ', 62) + q("...")}},
        {"matched with case", q("HTTP://x aol:y"), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AolAddressesOf(c.line), c.expected) << c.name;
}

namespace {

// The rule as stated, one entry at a time over a shrinking copy.
QStringList addressesOneAtATime(QString rest) {
    QStringList out;
    for (;;) {
        qsizetype at = rest.indexOf(q("http://"));
        if (at < 0) at = rest.indexOf(q("AOL:"));
        if (at < 0) return out;
        out << rest.mid(at, 70) + q("...");
        rest.remove(at, 70);
    }
}

} // namespace

TEST(AolTest, AddressesJoinedByACutAreFoundAsTheRuleFindsThem) {
    // Cutting an entry joins the text around it, which can make a new entry of either kind.
    const QString fill = repeat('.', 63);
    const QStringList lines = {
        q("htt") + q("http://") + fill + q("p://x"),
        q("AO") + q("AOL:") + repeat('.', 66) + q("L:y"),
        q("htt") + q("AOL:") + repeat('.', 66) + q("p://z AOL:w"),
        q("http://") + fill + q("http://a") + q("http://") + fill + q("b"),
    };
    for (const QString& line : lines)
        EXPECT_EQ(AolAddressesOf(line), addressesOneAtATime(line)) << line.toStdString();

    // Lines of pieces that readily join, against the same rule.
    const char* pieces[] = {"http://", "AOL:", "htt", "p://", "AO", "L:", "h", ":", "/", " ", "x"};
    unsigned seed = 17;
    for (int n = 0; n < 3000; ++n) {
        QString line;
        const int count = 1 + n % 60;
        for (int i = 0; i < count; ++i) {
            seed = seed * 1103515245u + 12345u;
            line += q(pieces[(seed >> 16) % std::size(pieces)]);
        }
        ASSERT_EQ(AolAddressesOf(line), addressesOneAtATime(line)) << line.toStdString();
    }
}

TEST(AolTest, FiftyTrackFilesFromTheRecordedFoldersAreReadAndDeleted) {
    AppFixture f;
    f.ctx.g.ScanLogPath = q(R"(C:\Nivfold\nvscan7.ini)");
    f.b.file(f.ctx.g.ScanLogPath, "[AL13]\r\nP1=C:\\aol1\\\r\nP2=C:\\aol2\\\r\nP3=\r\nP4=C:\\aol4\\\r\n");
    for (int i = 0; i < 30; ++i) {
        const QString name = QStringLiteral("t%1.arl").arg(i, 2, 10, QLatin1Char('0'));
        f.b.file(q(R"(C:\aol1\)") + name, "http://one/\r\nhttp://never-read/");
        f.b.file(q(R"(C:\aol2\)") + name, "AOL:two\nAOL:never");
    }
    f.b.file(q(R"(C:\aol1\notes.txt)"), "http://not-a-track/");
    f.b.file(q(R"(C:\aol4\t.arl)"), "http://after-blank/");

    LoadAolTrackFiles(f.ctx);
    QStringList lines;
    ReadAolTrackFiles(f.ctx, lines);
    ASSERT_EQ(lines.size(), 50);
    EXPECT_EQ(lines.count(q("http://one/...")), 30);
    EXPECT_EQ(lines.count(q("AOL:two...")), 20);

    DeleteAolTrackFiles(f.ctx);
    EXPECT_FALSE(f.b.exists(q(R"(C:\aol2\t19.arl)")));
    EXPECT_TRUE(f.b.exists(q(R"(C:\aol2\t20.arl)")));
    EXPECT_TRUE(f.b.exists(q(R"(C:\aol1\notes.txt)")));
    EXPECT_TRUE(f.b.exists(q(R"(C:\aol4\t.arl)")));
}
