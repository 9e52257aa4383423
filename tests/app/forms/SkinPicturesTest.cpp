#include "platform/widgets/JpegDecoder.h"

#include <QFile>

#include <gtest/gtest.h>

// The pictures shipped beside the program decode with libjpeg at the main window's backdrop size.
TEST(SkinPicturesTest, EveryShippedSkinDecodesAt800By600) {
    for (const char* name : {"skinshark", "skinsunset", "skinwildlife", "skinnyc", "skinocean"}) {
        SCOPED_TRACE(name);
        QFile file(QStringLiteral(NIVORA_SOURCE_DIR "/resources/") + QString::fromLatin1(name) +
                   QStringLiteral(".jpg"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QImage image = niv::decodeJpeg(file.readAll());
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), 800);
        EXPECT_EQ(image.height(), 600);
    }
}
