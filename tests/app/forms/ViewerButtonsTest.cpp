// The main window's "Review IM's", "Cache Viewer" and "Video Cookies" buttons.
#include "app/forms/TFrminit.h"
#include "cleaners/forms/TFrmviewer.h"
#include "support/AppFixture.h"
#include "support/Controls.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace niv;

namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const QString kFlash = q("C:\\users\\tester\\AppData\\Roaming\\Macromedia\\Flash Player\\#SharedObjects");

struct ButtonsFixture : AppFixture {
    ButtonsFixture() {
        windowsVersion(q("6.1"));
        b.file(q("C:\\users\\tester\\AppData\\Roaming\\Nivfold\\nvscan7.ini"), "[Frminit]\r\n");
        modal.onShow(q("TFrmenter"), [](QDialog&) { return int(mrNone); });
        modal.onShow(q("TFrmMiscMsg"), [](QDialog&) { return int(mrOk); });
        dialogs.answerOk(); // no skin picture in the program folder
    }
    void click(QWidget& window, const char* name) { ctl<QPushButton>(window, name)->click(); }
};

} // namespace

TEST(ViewerButtonsTest, TheFlashWalkBlocksEveryButtonAndClosing) {
    ButtonsFixture f;
    f.b.file(kFlash + q("\\AB\\site.com\\s.sol"));
    TFrminit window(f.ctx);
    window.show();
    QStringList listed;
    f.modal.onShow(q("TFrmVideoCookies"), [&](QDialog& d) {
        listed.append(ctl<QListWidget>(d, "ListNameOnly")->item(0)->text());
        return int(mrOk);
    });
    int during = 0;
    f.pump.onProcess = [&] {
        ++during;
        // The window's own buttons; those of the windows it owns are left alone.
        for (const QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->window() == &window) {
                EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
            }
        }
        f.click(window, "CmdIMLogs");
        EXPECT_FALSE(window.close());
    };
    const bool imEnabled = ctl<QPushButton>(window, "CmdIMLogs")->isEnabled();
    f.click(window, "BitBtn1");
    f.pump.onProcess = nullptr;
    EXPECT_GT(during, 0);
    EXPECT_EQ(listed, QStringList({q("site.com")}));
    EXPECT_FALSE(f.modal.shown().contains(q("TFrmIM")));
    EXPECT_EQ(ctl<QPushButton>(window, "CmdIMLogs")->isEnabled(), imEnabled);
    EXPECT_TRUE(window.isVisible());
}

TEST(ViewerButtonsTest, EachButtonOpensItsWindow) {
    ButtonsFixture f;
    TFrminit window(f.ctx);
    TFrmviewer viewer(f.ctx, &window);
    window.setWindows({.Frmviewer = &viewer});
    for (const char* cls : {"TFrmIM", "TFrmviewer", "TFrmVideoCookies"})
        f.modal.onShow(q(cls), [](QDialog&) { return int(mrOk); });
    f.dialogs.answerOk(); // the empty viewer list
    f.dialogs.answerOk(); // no Flash location
    f.click(window, "CmdIMLogs");
    f.click(window, "Cmdviewer");
    f.click(window, "BitBtn1");
    EXPECT_TRUE(f.modal.shown().endsWith(q("TFrmviewer")));
    EXPECT_EQ(f.modal.shown().filter(q("TFrmIM")).size(), 1);
    EXPECT_TRUE(f.dialogs.messageTexts().last().startsWith(q("No video cookie location exists")));
}
