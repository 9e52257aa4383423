#include "platform/MessagePump.h"
#include "platform/widgets/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTimer>

#include <gtest/gtest.h>

namespace niv {
namespace {

TEST(QtClipboard, ReadsAndClearsTheApplicationsClipboard) {
    QClipboard* system = QGuiApplication::clipboard();
    QtClipboard clipboard;

    system->setText("  copied text ");
    EXPECT_TRUE(clipboard.hasText());
    EXPECT_EQ(clipboard.text(), "  copied text ");

    clipboard.clear();
    EXPECT_EQ(system->text(), "");
    EXPECT_EQ(clipboard.text(), "");
}

TEST(QtClipboard, PictureIsNoText) {
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    QtClipboard clipboard;
    EXPECT_FALSE(clipboard.hasText());
    EXPECT_EQ(clipboard.text(), "");
}

TEST(QtMessagePump, HandlesPendingEvents) {
    QObject receiver;
    bool ran = false;
    QMetaObject::invokeMethod(
        &receiver, [&] { ran = true; }, Qt::QueuedConnection);
    ASSERT_FALSE(ran);
    QtMessagePump pump;
    pump.processMessages();
    EXPECT_TRUE(ran);
}

} // namespace
} // namespace niv
