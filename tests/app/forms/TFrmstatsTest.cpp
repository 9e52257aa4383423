#include "app/forms/TFrmstats.h"
#include "app/ufirst.h"
#include "core/SettingsStore.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kStats = QStringLiteral("TFrmstats");

struct StatsFixture : AppFixture {
    QWidget mainWindow;
    StatsFixture() {
        // The statistics window's owner; without a frame its outer edges are its geometry.
        mainWindow.setWindowFlag(Qt::FramelessWindowHint);
        mainWindow.setGeometry(40, 100, 605, 600);
    }
    void confirmsStored(std::uint32_t value) {
        b.regDword(HKEY_CURRENT_USER, settingsKeyPath(), QStringLiteral("Confirms"), value);
    }
    int storedConfirms() {
        TRegistry reg(b.machine());
        if (!reg.OpenKey(settingsKeyPath(), false) || !reg.ValueExists(QStringLiteral("Confirms"))) return -1;
        return reg.ReadInteger(QStringLiteral("Confirms"));
    }
};

QString labelText(QDialog& dialog, const char* name) {
    auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_TRUE(label) << name;
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

TEST(StatisticsPanelFormTest, SetsTheEightLabels) {
    AppFixture f;
    f.ctx.g.Found[CatIECache] = {2, 4096};
    f.ctx.g.IETotalFiles = 2;
    f.ctx.g.IETotalBytes = 4096;
    QLabel l1, l2, l3, l4, l5, l6, l7, l10;
    l4.setText(QStringLiteral("stale"));
    UpdateStatisticsPanel(f.ctx, {&l1, &l2, &l3, &l4, &l5, &l6, &l7, &l10});
    EXPECT_EQ(l1.text(), QStringLiteral("Internet Explorer COOKIES -> None found on your system."));
    EXPECT_EQ(l2.text(), QStringLiteral("Internet Explorer CACHE   -> FOUND 2 files, consuming 4096 bytes."));
    EXPECT_EQ(l3.text(), QStringLiteral("Internet Explorer HISTORY -> None found on your system."));
    EXPECT_EQ(l4.text(), QStringLiteral("Firefox / Chrome  COOKIES -> None found on your system."));
    EXPECT_EQ(l5.text(), QStringLiteral("Firefox / Chrome  CACHE   -> None found on your system."));
    EXPECT_EQ(l6.text(), QStringLiteral("Firefox / Chrome  HISTORY -> None found on your system."));
    EXPECT_EQ(l7.text(), QStringLiteral("Other GARBAGE DATA        -> None found on your system."));
    EXPECT_EQ(l10.text(), QStringLiteral("TOTAL FILES FOUND = 2    TOTAL BYTES WASTED = 4096"));

    // Rewritten whole from the counters each time.
    f.ctx.g.Found[CatIECache] = {0, 0};
    f.ctx.g.IETotalFiles = 0;
    f.ctx.g.IETotalBytes = 0;
    UpdateStatisticsPanel(f.ctx, {&l1, &l2, &l3, &l4, &l5, &l6, &l7, &l10});
    EXPECT_EQ(l2.text(), QStringLiteral("Internet Explorer CACHE   -> None found on your system."));
    EXPECT_EQ(l10.text(), QStringLiteral("TOTAL FILES FOUND = 0    TOTAL BYTES WASTED = 0"));
}

TEST(StatisticsWindowFormTest, DesignedTexts) {
    AppFixture f;
    TFrmstats window(f.ctx);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Nivora Statistics"));
    EXPECT_EQ(window.size(), QSize(650, 353)); // wide enough for every caption in a desktop font
    EXPECT_EQ(ctl<QLabel>(window, "LblHeading")->text(), QStringLiteral("Your Statistics and Results:"));
    EXPECT_EQ(ctl<QCheckBox>(window, "ChkConfirms")->text(),
              QStringLiteral("Check this box if you don't want this window to show next time"));
    EXPECT_EQ(ctl<QPushButton>(window, "BitBtn1")->text(), QStringLiteral("Ok"));
    EXPECT_EQ(ctl<QAbstractButton>(window, "BitBtn2")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(ctl<QAbstractButton>(window, "BitBtn2")->icon().isNull());
    EXPECT_FALSE(ctl<QCheckBox>(window, "ChkConfirms")->isChecked()); // FormCreate

    // Each row: its caption at the left of its result label, one line high and 468 pixels wide.
    struct Row {
        const char* caption;
        const char* label;
    };
    const Row rows[] = {
        {"Internet Explorer CACHE:", "LblIECache"},
        {"Internet Explorer COOKIES:", "LblIECook"},
        {"Internet Explorer HISTORY:", "LblIEHist"},
        {"Firefox CACHE:", "LblNSCache"},
        {"Firefox COOKIES:", "LblNSCook"},
        {"Firefox HISTORY:", "LblNSHist"},
        {"Google CACHE:", "LblGCache"},
        {"Google COOKIES:", "LblGCook"},
        {"Google HISTORY:", "LblGHist"},
        {"Dump Files:", "LblIndex"},
        {"Temp Files:", "LblTemp"},
        {"Recent Documents List:", "LblRecent"},
        {"Recycle Bin Files:", "LblRecycle"},
        {"ActiveX/Java Applets:", "LblActiveX"},
        {"Additional Garbage Data:", "LblAdditional"},
    };
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    int previousTop = -1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto* result = window.findChild<QLabel*>(QString::fromLatin1(row.label));
        ASSERT_TRUE(result);
        EXPECT_EQ(result->width(), 468);
        EXPECT_LT(result->height(), 2 * result->fontMetrics().lineSpacing());
        EXPECT_GT(result->y(), previousTop); // rows in table order, top to bottom
        previousTop = result->y();
        const QLabel* caption = nullptr;
        for (QLabel* l : labels)
            if (l->text() == QString::fromLatin1(row.caption)) caption = l;
        ASSERT_TRUE(caption);
        EXPECT_EQ(caption->y(), result->y());
        EXPECT_LT(caption->x(), result->x());
    }
}

TEST(StatisticsWindowFormTest, ResultLabelsShowTheirSlots) {
    StatsFixture f;
    for (int slot = 0; slot < kCategoryResultSlots; ++slot)
        f.ctx.g.CategoryResults[static_cast<std::size_t>(slot)] = QStringLiteral("line of slot %1").arg(slot);
    f.ctx.g.CategoryResults[ResultRecycle].clear(); // never written: an empty label

    struct Expect {
        const char* label;
        const char* text;
    };
    const Expect expected[] = {
        {"LblIECache", "line of slot 7"},
        {"LblIECook", "line of slot 8"},
        {"LblIEHist", "line of slot 9"},
        {"LblNSCache", "line of slot 13"},
        {"LblNSCook", "line of slot 14"},
        {"LblNSHist", "line of slot 15"},
        {"LblGCache", "line of slot 10"},
        {"LblGCook", "line of slot 11"},
        {"LblGHist", "line of slot 12"},
        {"LblIndex", "line of slot 0"},
        {"LblTemp", "line of slot 1"},
        {"LblRecent", "line of slot 2"},
        {"LblRecycle", ""},
        {"LblActiveX", "line of slot 4"},
        {"LblAdditional", "line of slot 5"},
    };
    TFrmstats window(f.ctx, &f.mainWindow);
    int shown = 0;
    f.modal.onShow(kStats, [&](QDialog& dialog) {
        ++shown;
        for (const Expect& e : expected)
            EXPECT_EQ(labelText(dialog, e.label), QString::fromLatin1(e.text)) << e.label;
        for (QLabel* l : dialog.findChildren<QLabel*>())
            EXPECT_NE(l->text(), QStringLiteral("line of slot 6"));
        return int(mrOk);
    });
    window.ShowStatisticsWindow();
    EXPECT_EQ(shown, 1);

    // A later cleanup's lines replace the shown ones.
    f.ctx.g.CategoryResults[ResultRecycle] = QStringLiteral("Recycle bin emptied.");
    f.modal.onShow(kStats, [&](QDialog& dialog) {
        EXPECT_EQ(labelText(dialog, "LblRecycle"), QStringLiteral("Recycle bin emptied."));
        return int(mrOk);
    });
    window.ShowStatisticsWindow();
}

TEST(StatisticsWindowFormTest, CentredFirstThenBelowTheMainWindow) {
    StatsFixture f;
    TFrmstats window(f.ctx, &f.mainWindow);
    QList<QPoint> places;
    f.modal.onShow(kStats, [&](QDialog& dialog) {
        places << dialog.pos();
        return int(mrOk);
    });
    window.ShowStatisticsWindow();
    window.ShowStatisticsWindow();
    f.mainWindow.move(10, 20); // follows the main window
    window.ShowStatisticsWindow();

    ASSERT_EQ(places.size(), 3);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(places[0], work.center() - QRect(QPoint(0, 0), QSize(650, 353)).center());
    EXPECT_EQ(places[1], QPoint(40, 361)); // 100 + 600 / 2.3 rounded
    EXPECT_EQ(places[2], QPoint(10, 281));
}

TEST(StatisticsWindowFormTest, OkWithTheBoxTickedStoresConfirmsOffForTheNextStart) {
    for (bool tick : {false, true}) {
        SCOPED_TRACE(tick ? "ticked" : "unticked");
        StatsFixture f;
        f.confirmsStored(1);
        f.ctx.settings.Confirms = true;
        TFrmstats window(f.ctx, &f.mainWindow);
        int result = -1;
        f.modal.onShow(kStats, [&](QDialog& dialog) {
            auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("ChkConfirms"));
            auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
            EXPECT_TRUE(box && ok);
            if (!box || !ok) return int(mrCancel);
            if (tick) QTest::mouseClick(box, Qt::LeftButton);
            QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
            ok->click();
            EXPECT_FALSE(dialog.isVisible()); // "Ok" ends the showing
            return int(mrNone);
        });
        window.ShowStatisticsWindow();
        EXPECT_EQ(result, mrOk);
        EXPECT_EQ(f.storedConfirms(), tick ? 0 : 1);
        EXPECT_TRUE(f.ctx.settings.Confirms); // this run still shows the window
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}

TEST(StatisticsWindowFormTest, TheBoxKeepsItsStateBetweenShowingsAndOnlyOkWrites) {
    StatsFixture f;
    f.confirmsStored(1);
    TFrmstats window(f.ctx, &f.mainWindow);
    f.modal.onShow(kStats, [&](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("ChkConfirms"))->setChecked(true);
        EXPECT_TRUE(dialog.close()); // the close box: nothing written
        return int(mrCancel);
    });
    window.ShowStatisticsWindow();
    EXPECT_EQ(f.storedConfirms(), 1);

    f.modal.onShow(kStats, [&](QDialog& dialog) {
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("ChkConfirms"))->isChecked());
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        return int(mrNone);
    });
    window.ShowStatisticsWindow();
    EXPECT_EQ(f.storedConfirms(), 0);
}

TEST(StatisticsWindowFormTest, ASettingsKeyThatCannotBeOpenedGivesTheErrorBox) {
    StatsFixture f; // no settings key: it is never created here
    TFrmstats window(f.ctx, &f.mainWindow);
    f.dialogs.answerOk();
    bool closed = false;
    f.modal.onShow(kStats, [&](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("ChkConfirms"))->setChecked(true);
        dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        closed = !dialog.isVisible();
        return int(mrNone);
    });
    window.ShowStatisticsWindow();
    EXPECT_TRUE(closed);
    ASSERT_EQ(f.dialogs.shown().size(), 1);
    const ShownBox& box = f.dialogs.shown().first();
    EXPECT_EQ(box.kind, MsgKind::Error);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_EQ(box.text,
              QStringLiteral("An error occurred while saving the settings. It appears to be a space error or "
                             "registry error. You will not be able to use the confirmation settings while "
                             "this error is happening."));
    TRegistry reg(f.b.machine());
    EXPECT_FALSE(reg.KeyExists(settingsKeyPath()));
}

TEST(StatisticsWindowFormTest, ThePictureButtonExplainsLockedFiles) {
    StatsFixture f;
    TFrmstats window(f.ctx, &f.mainWindow);
    QWidget* owner = nullptr;
    f.modal.onShow(QStringLiteral("TFrmlockedMsg"), [&](QDialog& dialog) {
        owner = dialog.parentWidget();
        return int(mrOk);
    });
    f.modal.onShow(kStats, [&](QDialog& dialog) {
        dialog.findChild<QToolButton*>(QStringLiteral("BitBtn2"))->click();
        dialog.findChild<QToolButton*>(QStringLiteral("BitBtn2"))->click();
        return int(mrOk);
    });
    window.ShowStatisticsWindow();
    EXPECT_EQ(f.modal.shown(),
              (QStringList{kStats, QStringLiteral("TFrmlockedMsg"), QStringLiteral("TFrmlockedMsg")}));
    EXPECT_EQ(owner, &window);
}
