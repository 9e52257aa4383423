// Every caption of every window fits its box in the default font, so no text is cut short on a
// desktop whose font is wider than the one the windows were laid out with.
#include "ui_TFrmAutoPwd.h"
#include "ui_TFrmDups.h"
#include "ui_TFrmExtension.h"
#include "ui_TFrmIM.h"
#include "ui_TFrmLocked.h"
#include "ui_TFrmMiscMsg.h"
#include "ui_TFrmPerformance.h"
#include "ui_TFrmPicCache.h"
#include "ui_TFrmSkins.h"
#include "ui_TFrmVideoCookies.h"
#include "ui_TFrmabout.h"
#include "ui_TFrmaol.h"
#include "ui_TFrmconfmsg.h"
#include "ui_TFrmdir.h"
#include "ui_TFrmdocs.h"
#include "ui_TFrmenter.h"
#include "ui_TFrminit.h"
#include "ui_TFrmlockedMsg.h"
#include "ui_TFrmnon.h"
#include "ui_TFrmreg.h"
#include "ui_TFrmsavecookie.h"
#include "ui_TFrmstartup.h"
#include "ui_TFrmscandrv.h"
#include "ui_TFrmstats.h"
#include "ui_TFrmtimerwindow.h"
#include "ui_TFrmurls.h"
#include "ui_TFrmviewer.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <memory>

namespace {

template <class Form, class Top = QDialog> std::unique_ptr<QWidget> build() {
    auto window = std::make_unique<Top>();
    Form form;
    form.setupUi(window.get());
    return window;
}

const struct {
    const char* name;
    std::unique_ptr<QWidget> (*make)();
} kWindows[] = {
    {"TFrmAutoPwd", build<Ui::TFrmAutoPwd>},
    {"TFrmDups", build<Ui::TFrmDups>},
    {"TFrmExtension", build<Ui::TFrmExtension>},
    {"TFrmIM", build<Ui::TFrmIM>},
    {"TFrmLocked", build<Ui::TFrmLocked>},
    {"TFrmMiscMsg", build<Ui::TFrmMiscMsg>},
    {"TFrmPerformance", build<Ui::TFrmPerformance>},
    {"TFrmPicCache", build<Ui::TFrmPicCache>},
    {"TFrmSkins", build<Ui::TFrmSkins>},
    {"TFrmVideoCookies", build<Ui::TFrmVideoCookies>},
    {"TFrmabout", build<Ui::TFrmabout>},
    {"TFrmaol", build<Ui::TFrmaol>},
    {"TFrmconfmsg", build<Ui::TFrmconfmsg>},
    {"TFrmdir", build<Ui::TFrmdir>},
    {"TFrmdocs", build<Ui::TFrmdocs>},
    {"TFrmenter", build<Ui::TFrmenter>},
    {"TFrminit", build<Ui::TFrminit, QWidget>},
    {"TFrmlockedMsg", build<Ui::TFrmlockedMsg>},
    {"TFrmnon", build<Ui::TFrmnon>},
    {"TFrmreg", build<Ui::TFrmreg>},
    {"TFrmsavecookie", build<Ui::TFrmsavecookie>},
    {"TFrmstartup", build<Ui::TFrmstartup>},
    {"TFrmscandrv", build<Ui::TFrmscandrv>},
    {"TFrmstats", build<Ui::TFrmstats>},
    {"TFrmtimerwindow", build<Ui::TFrmtimerwindow>},
    {"TFrmurls", build<Ui::TFrmurls>},
    {"TFrmviewer", build<Ui::TFrmviewer>},
};

// The room a caption needs inside its control, or an empty size for a control without one.
QSize needed(QWidget& control) {
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        if (label->text().isEmpty()) return {};
        if (!label->wordWrap()) return label->sizeHint();
        return {0, label->heightForWidth(label->width())};
    }
    if (qobject_cast<QCheckBox*>(&control) || qobject_cast<QRadioButton*>(&control)) {
        // The hint's height adds a focus frame; the caption needs its line.
        const auto* button = static_cast<QAbstractButton*>(&control);
        return button->text().isEmpty() ? QSize()
                                        : QSize(button->sizeHint().width(), button->fontMetrics().height());
    }
    if (auto* button = qobject_cast<QPushButton*>(&control)) {
        if (button->text().isEmpty()) return {};
        // The style's own hint adds a minimum width; what counts is that the caption shows whole.
        QString shown = button->text();
        shown.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&');
        const QFontMetrics metrics = button->fontMetrics();
        const int margins = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        return {metrics.horizontalAdvance(shown) + icon + margins, metrics.height()};
    }
    return {};
}

} // namespace

TEST(FormTextFitTest, EveryCaptionFitsItsControlInTheDefaultFont) {
    QStringList listed;
    for (const auto& entry : kWindows)
        listed << QString::fromLatin1(entry.name);
    QStringList forms = QDir(QStringLiteral(NIVORA_SOURCE_DIR "/resources/forms"))
                            .entryList({QStringLiteral("*.ui")}, QDir::Files, QDir::Name);
    forms.replaceInStrings(QStringLiteral(".ui"), QString());
    listed.sort();
    forms.sort();
    EXPECT_EQ(listed, forms) << "every window's form is measured";

    QStringList cut;
    for (const auto& entry : kWindows) {
        const std::unique_ptr<QWidget> window = entry.make();
        window->show(); // lays out the forms that use layouts
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const QSize need = needed(*control);
            if (!need.isValid()) continue;
            if (need.width() <= control->width() && need.height() <= control->height()) continue;
            cut << QStringLiteral("%1.%2 needs %3x%4, has %5x%6")
                       .arg(QString::fromLatin1(entry.name), control->objectName())
                       .arg(need.width())
                       .arg(need.height())
                       .arg(control->width())
                       .arg(control->height());
        }
    }
    EXPECT_TRUE(cut.isEmpty()) << cut.join(u'\n').toStdString();
}
