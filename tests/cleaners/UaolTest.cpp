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
