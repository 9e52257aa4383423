#include "app/forms/TFrminit.h"
#include "core/SettingsStore.h"
#include "platform/widgets/JpegDecoder.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

#include <cmath>

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

namespace {

double relativeLuminance(QColor c) {
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double contrast(QColor a, QColor b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// Every check box, label and group title of the main window stands on the picture in its own text
// colour; on each skin, every pixel under it leaves that text a contrast of 4.5:1 at least.
TEST(SkinPicturesTest, TheMainWindowsTextsReadOnEverySkin) {
    niv::AppFixture f;
    f.b.file(QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold\\nvscan7.ini"), "[Frminit]\r\n");
    f.b.regString(niv::HKEY_CURRENT_USER, niv::settingsKeyPath(), QStringLiteral("Skin"),
                  QStringLiteral("skinnone"));
    f.modal.onShow(QStringLiteral("TFrmenter"), [](QDialog&) { return int(niv::mrNone); });
    niv::TFrminit window(f.ctx);

    struct Area {
        QString name;
        QRect rect;
        QColor text;
    };
    std::vector<Area> areas;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool groupTitle = qobject_cast<QGroupBox*>(w) != nullptr;
        if (!groupTitle && !qobject_cast<QCheckBox*>(w) && !qobject_cast<QLabel*>(w)) continue;
        if (w->objectName() == u"ImageSkin" || !w->isVisibleTo(&window)) continue;
        w->ensurePolished();
        QRect rect(w->mapTo(&window, QPoint(0, 0)), w->size());
        if (groupTitle) rect.setHeight(w->fontMetrics().height());
        areas.push_back({w->objectName(), rect, w->palette().color(w->foregroundRole())});
    }
    ASSERT_GE(areas.size(), 18u + 8u + 9u);

    for (const char* name : {"skinshark", "skinsunset", "skinwildlife", "skinnyc", "skinocean"}) {
        QFile file(QStringLiteral(NIVORA_SOURCE_DIR "/resources/") + QString::fromLatin1(name) +
                   QStringLiteral(".jpg"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QImage image = niv::decodeJpeg(file.readAll());
        for (const Area& area : areas) {
            double worst = 21;
            const QRect inside = area.rect.intersected(image.rect());
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x)
                    worst = std::min(worst, contrast(area.text, image.pixelColor(x, y)));
            EXPECT_GE(worst, 4.5) << name << " under " << area.name.toStdString();
        }
    }
}
