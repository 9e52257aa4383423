// The messenger-log unit: the four sources, viewing and removing a log.
#include "cleaners/UIM.h"

#include "cleaners/Uaol.h"

#include "cleaners/HistoryTestSupport.h"
#include "core/AppContext.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace niv;
using niv::historytest::listLines;
using niv::historytest::q;

namespace {

struct ImFixture : AppFixture {
    ImFixture() {
        ctx.g.ScanLogPath = q("C:\\nv\\nvscan7.ini");
        b.file(q("C:\\nv\\nvscan7.ini"), "[YH25]\r\nP1=C:\\yh\\\r\nP2=\r\nP3=C:\\skipped\\\r\n"
                                         "[APRO25]\r\nP1= C:\\apro\\ \r\n");
    }
};

} // namespace

TEST(InstantMessagesTest, EachSourceWithItsTagAndMaskInSourceOrder) {
    ImFixture f;
    const QString aim = q("Software\\America Online\\AIM6\\Users\\");
    const QString aimValue = q("aol.aimcc.plugin.{61693132-6952-447a-5233-3543796c5a6e}.prefs.logfilepath");
    const QString msn = q("Software\\Microsoft\\MSNMessenger\\PerPassportSettings\\");
    f.b.regString(HKEY_CURRENT_USER, aim + q("bob"), aimValue, q("C:\\aim"));
    f.b.regString(HKEY_CURRENT_USER, msn + q("a"), q("MessageLogPath"), q(""));
    f.b.regDword(HKEY_CURRENT_USER, msn + q("b"), q("MessageLogPath"), 1);
    f.b.regString(HKEY_CURRENT_USER, msn + q("c"), q("MessageLogPath"), q("C:\\msn"));
    for (const char* path :
         {"C:\\aim\\x.html", "C:\\aim\\y.htm", "C:\\msn\\m.xml", "C:\\msn\\m.txt", "C:\\yh\\chat.dat",
          "C:\\yh\\chat.txt", "C:\\skipped\\z.dat", "C:\\apro\\p.HTM", "C:\\apro\\p.html"})
        f.b.file(q(path));
    f.b.attributes(q("C:\\msn\\m.xml"), faHidden);

    EXPECT_EQ(FillInstantMessageList(f.ctx),
              QStringList({q("AIM6   :C:\\aim\\x.html"), q("MSN    :C:\\msn\\m.xml"),
                           q("YAHOO  :C:\\yh\\chat.dat"), q("AIMPRO :C:\\apro\\p.HTM")}));
}

TEST(InstantMessagesTest, OnlyTheFirst300UsersOfASourceAreRead) {
    ImFixture f;
    const QString msn = q("Software\\Microsoft\\MSNMessenger\\PerPassportSettings\\");
    for (int i = 0; i < kImSubkeySlots + 1; ++i) {
        const QString name = QStringLiteral("u%1").arg(i, 3, 10, QLatin1Char('0'));
        f.b.regString(HKEY_CURRENT_USER, msn + name, q("MessageLogPath"), q("C:\\m\\") + name);
        f.b.file(q("C:\\m\\") + name + q("\\log.xml"));
    }
    const QStringList lines = FillInstantMessageList(f.ctx);
    ASSERT_EQ(lines.size(), kImSubkeySlots);
    EXPECT_EQ(lines.back(), q("MSN    :C:\\m\\u299\\log.xml"));
}

TEST(InstantMessagesTest, ViewingAndRemovingGiveTheirMessages) {
    ImFixture f;
    f.b.file(q("C:\\yh\\a.dat"));
    f.b.file(q("C:\\aim\\a.html"));
    f.b.file(q("C:\\aim\\run.bat"));
    const QString unreadable = q("This Yahoo IM appears to be unreadable");
    const QString cannotOpen = q("An error occurred trying to open this log for viewing.");
    const struct {
        const char* line;
        bool launcherOpens;
        QString message; // its start; empty: the log opened
        int launched;
    } cases[] = {
        {"YAHOO  :C:\\yh\\a.dat", true, unreadable, 0},
        {"AIM6   :C:\\aim\\a.html", true, {}, 1},
        {"AIM6   :C:\\aim\\a.html", false, cannotOpen, 1},
        {"AIM6   :C:\\aim\\gone.html", true, cannotOpen, 0},
        {"AIM6   :C:\\aim\\run.bat", true, cannotOpen, 0},
    };
    for (const auto& c : cases) {
        f.b.launcher().clear();
        f.b.launcher().setResult(c.launcherOpens);
        const std::optional<QString> box = ViewImLog(f.ctx, q(c.line));
        EXPECT_EQ(box.value_or(QString()).left(c.message.size()), c.message) << c.line;
        EXPECT_EQ(box.has_value(), !c.message.isEmpty()) << c.line;
        EXPECT_EQ(f.b.launcher().calls().size(), c.launched) << c.line;
    }

    f.b.file(q("C:\\aim\\ro.html"));
    f.b.dropWriteBits(q("C:\\aim\\ro.html"));
    EXPECT_FALSE(DeleteImLog(f.ctx, q("C:\\aim\\ro.html")));
    EXPECT_FALSE(DeleteImLog(f.ctx, q("C:\\aim\\gone.html")));
    EXPECT_TRUE(DeleteImLog(f.ctx, q("C:\\yh\\a.dat")));
    EXPECT_FALSE(f.b.exists(q("C:\\yh\\a.dat")));
    EXPECT_EQ(ImNotDeletedText(q("C:\\x")),
              q("Instant Message C:\\x could not be deleted. Make sure you have access to your hard drive as "
                "it appears that you may not have access or authority to delete this on your system."));
}

// A listed log that has gone since is that log only: an entry differing only in case is another file.
TEST(ListedLogsTest, ALogGoneSinceItWasListedNeverTakesItsCaseTwin) {
    ImFixture f;
    f.b.file(f.ctx.g.ScanLogPath, "[AL13]\r\nP1=C:\\aol\\\r\n");
    f.b.file(q("C:\\aol\\t.arl"));
    f.b.file(q("C:\\aol\\t2.arl"));
    LoadAolTrackFiles(f.ctx);
    ASSERT_EQ(
        std::rename(f.b.hostPath(q("C:\\aol\\t.arl")).c_str(), f.b.hostPath(q("C:\\aol\\T.ARL")).c_str()), 0);
    f.b.file(q("C:\\aim\\A.HTML"));
    EXPECT_TRUE(ViewImLog(f.ctx, q("AIM6   :C:\\aim\\a.html")).has_value());
    EXPECT_FALSE(DeleteImLog(f.ctx, q("C:\\aim\\a.html")));
    DeleteAolTrackFiles(f.ctx);
    EXPECT_FALSE(f.b.exists(q("C:\\aol\\t2.arl")));
    EXPECT_TRUE(f.b.exists(q("C:\\aim\\A.HTML")) && f.b.exists(q("C:\\aol\\T.ARL")));
    EXPECT_TRUE(f.b.launcher().calls().isEmpty());
}
