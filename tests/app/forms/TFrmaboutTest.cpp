#include "app/forms/TFrmabout.h"
#include "support/AppFixture.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

TEST(TFrmaboutTest, CreationSetsTheLabelTexts) {
    AppFixture f;
    TFrmabout about(f.ctx);
    const struct {
        const char* label;
        QString text;
    } labels[] = {
        {"LblCopy1", QStringLiteral("Copyright (C) Hollbrook. All rights reserved.")},
        {"LblCopy2", QStringLiteral("Version 5.23 ")},
        {"LblCopy3", QStringLiteral("Nivora is a trademark of Hollbrook.")},
        {"Label2", QStringLiteral("Disclaimer :")},
        {"LblInfo1", QStringLiteral("There are NO warranties express or implied.")},
        {"LblInfo2", QString()},
        {"LblInfo3",
         QStringLiteral("By using this software, you are agreeing to these terms.  If these terms are "
                        "not agreeable, do not use this software.")},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.label);
        auto* label = about.findChild<QLabel*>(QString::fromLatin1(l.label));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), l.text);
    }
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("Label2"))->font().underline());
    EXPECT_FALSE(about.findChild<QLabel*>(QStringLiteral("LblInfo1"))->font().underline());
    EXPECT_EQ(about.findChild<QPushButton*>(QStringLiteral("Button1"))->text(), QStringLiteral("Ok"));
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
}

TEST(TFrmaboutTest, OkCloses) {
    AppFixture f;
    TFrmabout about(f.ctx);
    f.modal.onShow(QStringLiteral("TFrmabout"), [](QDialog& dialog) {
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("Button1"));
        EXPECT_NE(ok, nullptr);
        if (ok) ok->click();
        EXPECT_FALSE(dialog.isVisible());
        return int(mrNone);
    });
    f.ctx.modal.run(about, QStringLiteral("TFrmabout"));
    EXPECT_EQ(about.result(), int(QDialog::Rejected));
    EXPECT_EQ(f.modal.shown(), QStringList{QStringLiteral("TFrmabout")});
}
