#include "app/forms/TFrmscandrv.h"
#include "core/AppContext.h"
#include "platform/IniFile.h"
#include "platform/widgets/DriveComboBox.h"
#include "support/AppFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace niv;

namespace {

const QString kLog = QStringLiteral("C:\\Nivora\\nvscan7.ini");
const QString kCompleted = QStringLiteral("Scan has completed.  The log you have just done will always be in "
                                          "effect when you run Nivora, and will only "
                                          "need to be run once. In the future, if you uninstall/install new "
                                          "browsers, you may want to run the scan again, "
                                          "and it can be accessed under the \"NV Settings\" button.");
const QString kWriteError = QStringLiteral("Unable to write to C:\\Nivora\\nvscan7.ini");

struct WindowFixture : AppFixture {
    // A log that exists spares the tests that are not about the skeleton its 750 writes.
    explicit WindowFixture(bool withLog = true) {
        b.folder(QStringLiteral("C:\\Nivora"));
        if (withLog) b.file(kLog, "[Frminit]\r\nW=800\r\nH=600\r\n");
        ctx.g.ScanLogPath = kLog;
    }

    QString logValue(const QString& section, const QString& key) {
        return TIniFile(b.machine(), kLog).ReadString(section, key, QStringLiteral("missing"));
    }
};

template <typename T> T* child(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST(TFrmscandrvTest, ControlsCarryTheirTexts) {
    const QString kParagraphStart = QStringLiteral(
        "This logging feature doesn't actually delete anything, but simply makes a log of your "
        "setup so Nivora can find all possible browser files, even old ones which have been "
        "left behind by \"uninstalling\".  Nivora will normally find all the ");
    const QString kParagraphEnd =
        QStringLiteral("current files even without using this feature.  Although most people only have one "
                       "disk drive, those of you who use several disk drives, can also scan each of those "
                       "drives.");
    WindowFixture f;
    TFrmscandrv window(f.ctx);
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" Scan Drive"));
    struct Case {
        const char* name;
        QString text;
    };
    const Case labels[] = {
        {"Label1",
         QStringLiteral(
             "The first time you run Nivora, this window will open, which will allow you to scan "
             "your entire drive for old, uninstalled browser files or instant message logs which may "
             "have been left behind. This will also verify that all the necessary files are found.")},
        {"Label2",
         QStringLiteral("You will only need to do this once, but you can always access this feature again by "
                        "clicking the \"NV Settings\" button on the main window. (In the future, if you "
                        "uninstall old browsers, you can \"Scan\" again to make sure the old and new entries "
                        "are logged).")},
        // One paragraph, kept in two labels: the first shows it whole, so it never breaks mid-line.
        {"Label3", kParagraphStart + kParagraphEnd},
        {"Label4", kParagraphEnd},
        {"Lblfiles", QString()},
    };
    for (const Case& c : labels) {
        SCOPED_TRACE(c.name);
        if (QLabel* label = child<QLabel>(window, c.name)) {
            EXPECT_EQ(label->text(), c.text);
        }
    }
    if (QLabel* rest = child<QLabel>(window, "Label4")) {
        EXPECT_FALSE(rest->isVisibleTo(&window));
    }
    if (QPushButton* scan = child<QPushButton>(window, "BitBtn1")) {
        EXPECT_EQ(scan->text(), QStringLiteral("Scan Drive Now"));
    }
    if (QPushButton* back = child<QPushButton>(window, "Cmdreturn")) {
        EXPECT_EQ(back->text(), QStringLiteral("Return"));
    }
    child<DriveComboBox>(window, "DriveComboBox1");
}

TEST(TFrmscandrvTest, CreationWritesTheSkeletonOnlyWhenTheLogIsMissing) {
    {
        WindowFixture f(false);
        TFrmscandrv window(f.ctx);
        const QByteArray log = f.b.readHost(kLog);
        EXPECT_TRUE(log.startsWith("[K17]\r\nP1=\r\nP2=\r\n"));
        EXPECT_TRUE(log.endsWith("CKK199=\r\nCKK200=\r\n"));
        EXPECT_EQ(log.count("=\r\n"), 6 * 25 + 400 + 200);
    }
    {
        WindowFixture f;
        f.b.file(kLog, "[Frmscandrv]\r\nW=700\r\nH=500\r\n");
        TFrmscandrv window(f.ctx);
        EXPECT_EQ(f.b.readHost(kLog), QByteArray("[Frmscandrv]\r\nW=700\r\nH=500\r\n"));
        // The window's size is not restored.
        EXPECT_NE(window.width(), 700);
    }
}

TEST(TFrmscandrvTest, RefusedSkeletonWriteShowsTheErrorBox) {
    WindowFixture f(false);
    f.b.machine().faults().fail(FaultInjector::Op::Write, kLog, ERROR_ACCESS_DENIED);
    f.dialogs.answerOk();
    TFrmscandrv window(f.ctx);
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(f.dialogs.messages().at(0).kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.messages().at(0).buttons, MsgButtons::Ok);
    EXPECT_EQ(f.dialogs.messages().at(0).text, kWriteError);
    EXPECT_FALSE(f.b.exists(kLog));
}

TEST(TFrmscandrvTest, ScanDriveNowScansTheChosenDriveAndSaysSo) {
    struct Case {
        const char* name;
        char drive;
        QString expected;
    };
    const Case cases[] = {
        {"drive c", 'c', QStringLiteral("c:\\Users\\tester\\Mozilla\\Firefox\\Profiles\\p\\COOKIES.SQLITE*")},
        {"drive d", 'd', QStringLiteral("d:\\Old\\Mozilla\\Firefox\\Profiles\\q\\COOKIES.SQLITE*")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture f;
        f.b.drive('d');
        f.b.file(QStringLiteral("C:\\Users\\tester\\Mozilla\\Firefox\\Profiles\\p\\cookies.sqlite"));
        f.b.file(QStringLiteral("D:\\Old\\Mozilla\\Firefox\\Profiles\\q\\cookies.sqlite"));
        f.dialogs.answerOk();
        QString labelAfter = QStringLiteral("unset");
        f.modal.onShow(QStringLiteral("TFrmscandrv"), [&](QDialog& dialog) {
            auto* drives = dialog.findChild<DriveComboBox*>(QStringLiteral("DriveComboBox1"));
            EXPECT_TRUE(drives->setDrive(QChar::fromLatin1(c.drive)));
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
            EXPECT_TRUE(dialog.isVisible()); // the window stays open after a scan
            labelAfter = dialog.findChild<QLabel*>(QStringLiteral("Lblfiles"))->text();
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Cmdreturn")), Qt::LeftButton);
            EXPECT_FALSE(dialog.isVisible());
            return mrCancel;
        });
        TFrmscandrv window(f.ctx);
        f.ctx.modal.run(window, QStringLiteral("TFrmscandrv"));
        ASSERT_EQ(f.dialogs.messages().size(), 1);
        EXPECT_EQ(f.dialogs.messages().at(0).kind, MsgKind::Information);
        EXPECT_EQ(f.dialogs.messages().at(0).buttons, MsgButtons::Ok);
        EXPECT_EQ(f.dialogs.messages().at(0).text, kCompleted);
        EXPECT_EQ(f.logValue(QStringLiteral("FFCK"), QStringLiteral("P0")), c.expected);
        EXPECT_EQ(labelAfter, QString());
    }
}

TEST(TFrmscandrvTest, EveryScanAddsToTheSameLog) {
    WindowFixture f;
    f.b.drive('d');
    f.b.file(QStringLiteral("C:\\Temporary Internet Files\\Content.IE5\\index.dat"));
    f.b.file(QStringLiteral("D:\\x\\Temporary Internet Files\\Content.IE5\\index.dat"));
    TFrmscandrv window(f.ctx);
    auto* drives = window.findChild<DriveComboBox*>(QStringLiteral("DriveComboBox1"));
    auto* scan = window.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    for (char drive : {'c', 'd', 'c'}) {
        f.dialogs.answerOk();
        drives->setDrive(QChar::fromLatin1(drive));
        scan->click();
    }
    EXPECT_EQ(f.dialogs.messageTexts(), (QStringList{kCompleted, kCompleted, kCompleted}));
    EXPECT_EQ(f.logValue(QStringLiteral("HI24"), QStringLiteral("P1")),
              QStringLiteral("c:\\Temporary Internet Files\\Content.IE5\\"));
    EXPECT_EQ(f.logValue(QStringLiteral("HI24"), QStringLiteral("P2")),
              QStringLiteral("d:\\x\\Temporary Internet Files\\Content.IE5\\"));
    // The second scan of c: finds its folder already recorded.
    EXPECT_EQ(f.logValue(QStringLiteral("HI24"), QStringLiteral("P3")), QStringLiteral("missing"));
}

TEST(TFrmscandrvTest, ButtonsAndCloseBoxDoNothingWhileAScanRuns) {
    WindowFixture f;
    for (int i = 0; i < 30; ++i)
        f.b.file(QStringLiteral("C:\\tree\\d%1\\f.txt").arg(i));
    f.dialogs.answerOk();
    int checks = 0;
    QStringList progress;
    f.modal.onShow(QStringLiteral("TFrmscandrv"), [&](QDialog& dialog) {
        auto* scan = dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
        auto* back = dialog.findChild<QPushButton*>(QStringLiteral("Cmdreturn"));
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("Lblfiles"));
        f.pump.onProcess = [&] {
            ++checks;
            EXPECT_TRUE(static_cast<TFrmscandrv&>(dialog).scanning());
            EXPECT_FALSE(scan->isEnabled());
            EXPECT_FALSE(back->isEnabled());
            progress.append(label->text());
            // The user tries everything while the walk goes on.
            QTest::mouseClick(scan, Qt::LeftButton);
            QTest::mouseClick(back, Qt::LeftButton);
            dialog.close();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            EXPECT_TRUE(dialog.isVisible());
        };
        scan->click();
        f.pump.onProcess = nullptr;
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(scan->isEnabled());
        EXPECT_TRUE(back->isEnabled());
        EXPECT_FALSE(static_cast<TFrmscandrv&>(dialog).scanning());
        back->click();
        return mrCancel;
    });
    TFrmscandrv window(f.ctx);
    f.ctx.modal.run(window, QStringLiteral("TFrmscandrv"));
    EXPECT_GE(checks, 1);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.first(), QStringLiteral("c:"));            // the folder being walked
    EXPECT_EQ(f.dialogs.messageTexts(), QStringList{kCompleted}); // one scan only
    EXPECT_FALSE(window.isVisible());
}

TEST(TFrmscandrvTest, RefusedWriteDuringTheScanShowsTheErrorBoxInsteadOfTheCompletion) {
    WindowFixture f(false);
    f.b.file(QStringLiteral("C:\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite"));
    TFrmscandrv window(f.ctx); // writes the skeleton
    f.b.machine().faults().fail(FaultInjector::Op::Write, kLog, ERROR_ACCESS_DENIED);
    f.dialogs.answerOk();
    auto* scan = window.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
    scan->click();
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(f.dialogs.messages().at(0).kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.messages().at(0).text, kWriteError);
    EXPECT_TRUE(scan->isEnabled());
    EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("Cmdreturn"))->isEnabled());
    EXPECT_FALSE(window.scanning());
}

TEST(TFrmscandrvTest, ClosingSavesTheWindowSize) {
    struct Case {
        const char* name;
        void (*close)(QDialog&);
    };
    const Case cases[] = {
        {"Return",
         [](QDialog& d) {
             QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Cmdreturn")), Qt::LeftButton);
         }},
        {"close box", [](QDialog& d) { d.close(); }},
        {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowFixture f;
        f.modal.onShow(QStringLiteral("TFrmscandrv"), [&](QDialog& dialog) {
            dialog.resize(611, 433);
            c.close(dialog);
            EXPECT_FALSE(dialog.isVisible());
            return mrCancel;
        });
        TFrmscandrv window(f.ctx);
        EXPECT_EQ(f.ctx.modal.run(window, QStringLiteral("TFrmscandrv")), mrCancel);
        EXPECT_EQ(f.logValue(QStringLiteral("Frmscandrv"), QStringLiteral("W")), QStringLiteral("611"));
        EXPECT_EQ(f.logValue(QStringLiteral("Frmscandrv"), QStringLiteral("H")), QStringLiteral("433"));
    }
}

} // namespace
