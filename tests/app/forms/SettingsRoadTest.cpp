#include "app/forms/TFrminit.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace niv;

namespace {

// A started main window on a Windows 7 machine with its scan log, and two of the five skin pictures.
struct RoadFixture : AppFixture {
    explicit RoadFixture(const char* storedSkin = "skinsunset") {
        windowsVersion(QStringLiteral("6.1"));
        b.file(QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold\\nvscan7.ini"), "[Frminit]\r\n");
        for (const char* name : {"skinsunset", "skinocean"})
            EXPECT_TRUE(QFile::copy(QStringLiteral(NIVORA_SOURCE_DIR "/resources/") +
                                        QString::fromLatin1(name) + QStringLiteral(".jpg"),
                                    QString::fromStdString(b.programFolder() + "/" + name + ".jpg")));
        b.regString(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Skin"),
                    QString::fromLatin1(storedSkin));
        modal.onShow(QStringLiteral("TFrmenter"), [](QDialog&) { return int(mrNone); });
        modal.onShow(QStringLiteral("TFrmMiscMsg"), [](QDialog&) { return int(mrOk); });
    }
    QString storedSkin() {
        TRegistry reg(b.machine());
        return reg.OpenKey(settingsKeyPath(), false) ? reg.ReadString(QStringLiteral("Skin")) : QString();
    }
    // Opens "NV Settings" from the main window and its "Skins", where `act` plays the user.
    void chooseSkin(TFrminit& window, std::function<void(QDialog&)> act) {
        modal.onShow(QStringLiteral("TFrmconfmsg"), [](QDialog& d) {
            ctl<QPushButton>(d, "BitBtn4")->click();
            return int(mrOk);
        });
        modal.onShow(QStringLiteral("TFrmSkins"), [act](QDialog& d) {
            act(d);
            return int(mrOk);
        });
        ctl<QPushButton>(window, "Cmdsettings")->click();
    }
    static QImage picture(const QWidget& w, const char* label) {
        return ctl<QLabel>(w, label)->pixmap().toImage();
    }
};

} // namespace

TEST(AutoCleanRoadTest, ActivationMinimisesAndEachTickRunsTheChosenCleanersLeavingTheCounters) {
    RoadFixture f;
    TFrminit window(f.ctx);
    f.modal.onShow(QStringLiteral("TFrmconfmsg"), [](QDialog& d) {
        ctl<QPushButton>(d, "BitBtn3")->click();
        return int(mrOk);
    });
    f.modal.onShow(QStringLiteral("TFrmtimerwindow"), [](QDialog& d) {
        for (const char* off : {"Chk_IEHistory", "Chk_NetCache", "Chk_Othergarb"})
            ctl<QCheckBox>(d, off)->click();
        ctl<QScrollBar>(d, "ScrollBar1")->setValue(5);
        ctl<QPushButton>(d, "BitBtn1")->click();
        return int(mrOk);
    });
    ctl<QPushButton>(window, "Cmdsettings")->click();
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window.Timer1().enabled());
    EXPECT_EQ(window.Timer1().interval(), 300000);

    for (FoundCounter& counter : f.ctx.g.Found)
        counter = {7, 700};
    f.ctx.g.CategoryResults.fill(QString());
    f.timers->advance(299999);
    EXPECT_EQ(f.ctx.g.CategoryResults, decltype(f.ctx.g.CategoryResults){}); // not yet
    f.timers->advance(1);
    const struct {
        Category category;
        bool chosen;
    } rows[] = {{CatIECache, true},  {CatIECookies, true}, {CatIEHistory, false},
                {CatNSCache, false}, {CatNSCookies, true}, {CatNSHistory, true},
                {CatOtherc, false},  {CatTempc, true},     {CatRecentc, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(categoryValueName(row.category).toStdString());
        EXPECT_EQ(!f.ctx.g.CategoryResults[std::size_t(categoryInfo(row.category).slot)].isEmpty(),
                  row.chosen);
    }
    for (const FoundCounter& counter : f.ctx.g.Found)
        EXPECT_EQ(counter.FoundFiles, 7);
    EXPECT_TRUE(f.dialogs.shown().isEmpty());

    // Reopening the settings dialog ends the choices; the timer goes on ticking with nothing to run.
    f.modal.onShow(QStringLiteral("TFrmconfmsg"), [](QDialog&) { return int(mrOk); });
    ctl<QPushButton>(window, "Cmdsettings")->click();
    EXPECT_FALSE(f.ctx.g.AutoCleanMode);
    EXPECT_TRUE(window.Timer1().enabled());
    f.ctx.g.CategoryResults.fill(QString());
    f.timers->advance(600000);
    EXPECT_EQ(f.ctx.g.CategoryResults, decltype(f.ctx.g.CategoryResults){});
}

TEST(AutoCleanRoadTest, ActivationWhoseSettingsCannotBeSavedLeavesAutomaticCleanupOff) {
    RoadFixture f;
    TFrminit window(f.ctx);
    f.modal.onShow(QStringLiteral("TFrmconfmsg"), [&f](QDialog& d) {
        ctl<QPushButton>(d, "BitBtn3")->click();
        f.b.machine().faults().failHostWrites(f.b.root() + "/user.reg", 0); // a full disk
        return int(mrOk);
    });
    f.modal.onShow(QStringLiteral("TFrmtimerwindow"), [](QDialog& d) {
        ctl<QPushButton>(d, "BitBtn1")->click();
        return int(mrOk);
    });
    f.dialogs.answerOk();
    ctl<QPushButton>(window, "Cmdsettings")->click();
    f.b.machine().faults().clear();
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(f.dialogs.messages()[0].kind, MsgKind::Error);
    EXPECT_FALSE(window.Timer1().enabled());
    // Without a timer, a manual cleanup lowers the counters again.
    EXPECT_FALSE(f.ctx.g.AutoCleanMode);
}

TEST(SkinsRoadTest, TheStoredNameSelectsItsButtonExactly) {
    const struct {
        const char* stored;
        const char* radio;
        bool startupBox; // a name that is no skin says so at start-up, and loads no file
    } cases[] = {{"skinocean", "RadOcean", false},
                 {"skinsunset", "RadSunset", false},
                 {"skinnone", "RadNone", false},
                 {"SkinOcean", "RadNone", true},
                 {"..\\skinocean", "RadNone", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        RoadFixture f(c.stored);
        // A picture the stored path would reach, were it used as a file name.
        QFile ocean(QStringLiteral(NIVORA_SOURCE_DIR "/resources/skinocean.jpg"));
        ASSERT_TRUE(ocean.open(QIODevice::ReadOnly));
        f.b.file(QStringLiteral("C:\\Program Files\\skinocean.jpg"), ocean.readAll());
        if (c.startupBox) f.dialogs.answerOk();
        TFrminit window(f.ctx);
        EXPECT_EQ(f.dialogs.shown().size(), c.startupBox ? 1 : 0);
        if (c.startupBox) {
            EXPECT_TRUE(RoadFixture::picture(window, "ImageSkin").isNull());
        }
        f.chooseSkin(window, [&](QDialog& d) {
            EXPECT_TRUE(ctl<QRadioButton>(d, c.radio)->isChecked());
            EXPECT_EQ(RoadFixture::picture(d, "Image1").isNull(), QByteArray(c.radio) == "RadNone");
            EXPECT_EQ(d.windowTitle(), QStringLiteral("FrmSkins"));
        });
        EXPECT_EQ(f.storedSkin(), QByteArray(c.radio) == "RadNone" ? QStringLiteral("skinnone")
                                                                   : QString::fromLatin1(c.stored));
    }
}

TEST(SkinsRoadTest, AChoiceIsStoredAndShownAtOnceUnlessItsPictureIsMissing) {
    const struct {
        const char* radio;
        const char* stored;
        bool mainChanges;
    } cases[] = {
        {"RadOcean", "skinocean", true}, {"RadShark", "skinshark", false}, {"RadNone", "skinnone", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radio);
        RoadFixture f;
        TFrminit window(f.ctx);
        const QImage before = RoadFixture::picture(window, "ImageSkin");
        ASSERT_FALSE(before.isNull());
        QImage preview;
        f.chooseSkin(window, [&](QDialog& d) {
            const QImage sunset = RoadFixture::picture(d, "Image1");
            ctl<QRadioButton>(d, c.radio)->click();
            preview = RoadFixture::picture(d, "Image1");
            // A missing picture leaves the preview on what it showed.
            if (!c.mainChanges) {
                EXPECT_EQ(preview, sunset);
            }
        });
        EXPECT_EQ(f.storedSkin(), QString::fromLatin1(c.stored));
        EXPECT_EQ(f.ctx.g.SkinName, QString::fromLatin1(c.stored));
        const QImage after = RoadFixture::picture(window, "ImageSkin");
        EXPECT_EQ(after == before, !c.mainChanges);
        if (QByteArray(c.radio) == "RadNone") {
            EXPECT_TRUE(after.isNull() && preview.isNull());
        }
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}
