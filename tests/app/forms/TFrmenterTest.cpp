#include "app/forms/TFrmenter.h"
#include "platform/widgets/ModalRunner.h"
#include "support/AppFixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

using namespace niv;

namespace {

// The letters shown, in position order, with "." for a hidden one.
QString shownLetters(const TFrmenter& splash) {
    QString out;
    for (const QLabel* label : splash.letterRows().at(0))
        out += label->isHidden() ? QStringLiteral(".") : label->text();
    return out;
}

} // namespace

TEST(TFrmenterTest, OneRowOfHiddenLettersInSilverCourierOnNavy) {
    AppFixture f;
    TFrmenter splash(f.ctx);
    EXPECT_EQ(splash.objectName(), QStringLiteral("TFrmenter"));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.size(), QSize(428, 193));

    ASSERT_EQ(splash.letterRows().size(), 1u);
    const auto& row = splash.letterRows()[0];
    ASSERT_EQ(row.size(), 6u);
    QString word;
    for (std::size_t i = 0; i < row.size(); ++i) {
        SCOPED_TRACE(i);
        QLabel* label = row[i];
        word += label->text();
        EXPECT_EQ(label->objectName(), QStringLiteral("Label%1").arg(i + 1));
        EXPECT_TRUE(label->isHidden());
        EXPECT_EQ(label->y(), row[0]->y());
        if (i > 0) {
            EXPECT_EQ(label->x() - row[i - 1]->x(), 50);
        }
        label->ensurePolished();
        EXPECT_EQ(label->font().family(), QStringLiteral("Courier New"));
        EXPECT_EQ(label->font().pixelSize(), 64);
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0xC0, 0xC0, 0xC0));
    }
    EXPECT_EQ(word, QStringLiteral("Nivora"));
    EXPECT_TRUE(splash.styleSheet().contains(QStringLiteral("background-color: navy")));
}

TEST(TFrmenterTest, CreationStartsTheFiftyMillisecondTimerAtStepOne) {
    AppFixture f;
    TFrmenter splash(f.ctx);
    EXPECT_EQ(splash.timer1().objectName(), QStringLiteral("Timer1"));
    EXPECT_EQ(splash.timer1().interval(), 50);
    EXPECT_TRUE(splash.timer1().isActive());
    EXPECT_EQ(splash.step(), 1);
}

TEST(TFrmenterTest, EachTickRevealsItsPositionAndTheTenthCloses) {
    struct Tick {
        int step;
        const char* shown;
        bool open;
    };
    const Tick ticks[] = {
        {1, "N.....", true}, {2, "N..o..", true},   {3, "N.vo..", true}, {4, "Nivo..", true},
        {5, "Nivor.", true}, {6, "Nivora", true},   {7, "Nivora", true}, {8, "Nivora", true},
        {9, "Nivora", true}, {10, "Nivora", false},
    };
    AppFixture f;
    TFrmenter splash(f.ctx);
    splash.timer1().stop(); // the test plays the ticks
    f.modal.onShow(QStringLiteral("TFrmenter"), [&](QDialog& dialog) {
        EXPECT_EQ(shownLetters(splash), QStringLiteral("......"));
        for (const Tick& t : ticks) {
            SCOPED_TRACE(t.step);
            EXPECT_EQ(splash.step(), t.step);
            splash.Timer1Timer();
            EXPECT_EQ(shownLetters(splash), QString::fromLatin1(t.shown));
            EXPECT_EQ(dialog.isVisible(), t.open);
        }
        return int(mrNone);
    });
    f.ctx.modal.run(splash, QStringLiteral("TFrmenter"));
    EXPECT_EQ(splash.result(), int(QDialog::Rejected));

    // Any later tick closes it again.
    splash.show();
    ASSERT_TRUE(splash.isVisible());
    splash.Timer1Timer();
    EXPECT_FALSE(splash.isVisible());
}

TEST(TFrmenterTest, TheUserCannotCloseIt) {
    AppFixture f;
    TFrmenter splash(f.ctx);
    splash.timer1().stop();
    f.modal.onShow(QStringLiteral("TFrmenter"), [&](QDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible()) << "Escape";
        EXPECT_FALSE(dialog.close());
        EXPECT_TRUE(dialog.isVisible()) << "close box";
        dialog.reject();
        EXPECT_TRUE(dialog.isVisible()) << "reject";
        for (int i = 0; i < 9; ++i)
            splash.Timer1Timer();
        EXPECT_TRUE(dialog.isVisible());
        splash.Timer1Timer();
        EXPECT_FALSE(dialog.isVisible());
        return int(mrNone);
    });
    f.ctx.modal.run(splash, QStringLiteral("TFrmenter"));
}

TEST(TFrmenterTest, ClosesItselfAboutHalfASecondAfterItOpened) {
    AppFixture f;
    TFrmenter splash(f.ctx);
    // A safety net for a splash that never closes; done() is not the user's way out.
    QTimer::singleShot(10000, &splash, [&splash] { splash.done(99); });
    QElapsedTimer clock;
    clock.start();
    QtModalRunner runner;
    const int result = runner.run(splash, QStringLiteral("TFrmenter"));
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(result, mrCancel);
    EXPECT_GE(elapsed, 400);
    EXPECT_EQ(shownLetters(splash), QStringLiteral("Nivora"));
    EXPECT_EQ(splash.step(), 10);
}
