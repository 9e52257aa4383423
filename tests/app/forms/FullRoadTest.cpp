// One whole run on one machine: start, "Cleanup All !", the statistics window, close, and what the
// close leaves for the next boot.
#include "app/ULock.h"
#include "app/forms/TFrminit.h"
#include "app/forms/TFrmstats.h"
#include "app/ufirst.h"
#include "core/SettingsStore.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kProfile = QStringLiteral("C:\\users\\tester\\AppData");
const QString kData = kProfile + QStringLiteral("\\Roaming\\Nivfold");
const QString kCookies = kProfile + QStringLiteral("\\Roaming\\Microsoft\\Windows\\Cookies");
const QString kCache = kProfile + QStringLiteral("\\Local\\Microsoft\\Windows\\Temporary Internet Files");
const QString kContent = kCache + QStringLiteral("\\Content.IE5");
const QString kHistory = kProfile + QStringLiteral("\\Local\\Microsoft\\Windows\\History");

struct RoadFixture : AppFixture {
    RoadFixture() {
        windowsVersion(QStringLiteral("6.1"));
        b.file(kData + QStringLiteral("\\nvscan7.ini"), "[UCKK5]\r\nCKK1=tester@kept[1].txt\r\n");
        EXPECT_TRUE(QFile::copy(QStringLiteral(NIVORA_SOURCE_DIR "/resources/skinsunset.jpg"),
                                QString::fromStdString(b.programFolder() + "/skinsunset.jpg")));
        const QString shellFolders =
            QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
        b.regString(HKEY_CURRENT_USER, shellFolders, QStringLiteral("Cookies"), kCookies);
        b.regString(HKEY_CURRENT_USER, shellFolders, QStringLiteral("Cache"), kCache);
        b.regString(HKEY_CURRENT_USER, shellFolders, QStringLiteral("History"), kHistory);
        b.regString(HKEY_CURRENT_USER, runKeyPath(), QStringLiteral("Other"), QStringLiteral("other.exe"));
        b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Lockedj"), 1);

        b.sizedFile(kCookies + QStringLiteral("\\tester@site[1].txt"), 100);
        b.sizedFile(kCookies + QStringLiteral("\\tester@kept[1].txt"), 50);
        b.sizedFile(kCookies + QStringLiteral("\\index.dat"), 16384);
        b.sizedFile(kContent + QStringLiteral("\\index.dat"), 32768);
        b.sizedFile(kContent + QStringLiteral("\\Q1W2E3R4\\page[1].htm"), 2000);
        b.sizedFile(kContent + QStringLiteral("\\Q1W2E3R4\\logo[1].png"), 3000);
        b.sizedFile(kHistory + QStringLiteral("\\visit.url"), 10);
        // Windows holds the index files while it runs.
        b.machine().faults().fail(FaultInjector::Op::DeleteFile, kCookies + QStringLiteral("\\index.dat"),
                                  ERROR_SHARING_VIOLATION);
        b.machine().faults().fail(FaultInjector::Op::DeleteFile, kContent + QStringLiteral("\\index.dat"),
                                  ERROR_SHARING_VIOLATION);

        modal.onShow(QStringLiteral("TFrmenter"), [](QDialog&) { return int(mrNone); });
        modal.onShow(QStringLiteral("TFrmMiscMsg"), [](QDialog&) { return int(mrOk); });
    }
};

QString labelText(QDialog& dialog, const char* name) {
    auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

} // namespace

TEST(FullRoadTest, StartCleanupAllCloseAndTheBatchForTheNextBoot) {
    RoadFixture f;
    auto window = std::make_unique<TFrminit>(f.ctx);
    TFrmstats stats(f.ctx, window.get());
    window->setWindows({.Frmstats = &stats});

    EXPECT_EQ(ctl<QLabel>(*window, "Label1")->text(),
              QStringLiteral("Internet Explorer COOKIES -> FOUND 3 files, consuming 16534 bytes."));
    EXPECT_EQ(ctl<QLabel>(*window, "Label2")->text(),
              QStringLiteral("Internet Explorer CACHE   -> FOUND 3 files, consuming 37768 bytes."));

    QStringList results;
    f.modal.onShow(QStringLiteral("TFrmstats"), [&](QDialog& dialog) {
        results = {labelText(dialog, "LblIECook"), labelText(dialog, "LblIECache"),
                   labelText(dialog, "LblIEHist")};
        return int(mrOk);
    });
    f.dialogs.answerYes();
    ctl<QPushButton>(*window, "cmdnv")->click();

    // Everything went but the kept cookie and the two index files Windows holds.
    EXPECT_FALSE(f.b.exists(kCookies + QStringLiteral("\\tester@site[1].txt")));
    EXPECT_TRUE(f.b.exists(kCookies + QStringLiteral("\\tester@kept[1].txt")));
    EXPECT_FALSE(f.b.exists(kContent + QStringLiteral("\\Q1W2E3R4\\page[1].htm")));
    EXPECT_FALSE(f.b.exists(kContent + QStringLiteral("\\Q1W2E3R4\\logo[1].png")));
    EXPECT_FALSE(f.b.exists(kHistory + QStringLiteral("\\visit.url")));
    EXPECT_TRUE(f.b.exists(kContent + QStringLiteral("\\index.dat")));
    EXPECT_EQ(
        results,
        (QStringList{
            QStringLiteral(
                "All files have been deleted except for 1 or more COOKIE index files, which are LOCKED."),
            QStringLiteral(
                "All files have been deleted except for 1 or more CACHE index files, which are LOCKED."),
            QStringLiteral("All files have been deleted.")}));
    // The panel shows what is left: the kept cookie and the cookie index file.
    EXPECT_EQ(ctl<QLabel>(*window, "Label1")->text(),
              QStringLiteral("Internet Explorer COOKIES -> FOUND 2 files, consuming 16434 bytes."));
    EXPECT_EQ(ctl<QLabel>(*window, "Label3")->text(),
              QStringLiteral("Internet Explorer HISTORY -> None found on your system."));

    window->close();

    const QString batch = kData + QStringLiteral("\\compind.bat");
    const QStringList lines = QString::fromUtf8(f.b.readHost(batch)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Del ")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("index.dat"), Qt::CaseInsensitive));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Del ")));
    EXPECT_NE(lines[0], lines[1]);
    EXPECT_EQ(lines[2], QStringLiteral("Exit"));
    EXPECT_EQ(lines[3], QString());

    TRegistry reg(f.b.machine());
    ASSERT_TRUE(reg.OpenKey(runKeyPath(), false));
    EXPECT_EQ(reg.ReadString(QStringLiteral("Cleanup")), u'"' + batch + u'"');
}
