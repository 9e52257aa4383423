// Every caption of every window fits its box in each font family a Debian desktop's "Sans" and
// "Monospace" commonly resolve to, so no text is cut short whichever of them the user has.
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
#include "ui_TFrmscandrv.h"
#include "ui_TFrmstartup.h"
#include "ui_TFrmstats.h"
#include "ui_TFrmtimerwindow.h"
#include "ui_TFrmurls.h"
#include "ui_TFrmviewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

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

// Named explicitly, so the result does not hang on what fontconfig picks on this machine;
// scripts/deps.sh installs each package.
const struct {
    const char* sans;
    const char* sansPackage;
    const char* mono;
    const char* monoPackage;
} kDesktops[] = {
    {"DejaVu Sans", "fonts-dejavu-core", "DejaVu Sans Mono", "fonts-dejavu-core"},
    {"Noto Sans", "fonts-noto-core", "Noto Sans Mono", "fonts-noto-core"},
    {"Noto Sans", "fonts-noto-core", "Noto Mono", "fonts-noto-mono"},
    {"Liberation Sans", "fonts-liberation2", "Liberation Mono", "fonts-liberation2"},
};

// The room a caption needs inside its control, or an empty size for a control without one.
QSize needed(QWidget& control) {
    if (auto* label = qobject_cast<QLabel*>(&control)) {
        if (label->text().isEmpty()) return {};
        if (!label->wordWrap()) return label->sizeHint();
        // A wrapped caption needs its longest word across and all its lines at the label's width.
        return {label->minimumSizeHint().width(), label->heightForWidth(label->width())};
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
    if (auto* box = qobject_cast<QGroupBox*>(&control)) {
        if (box->title().isEmpty()) return {};
        // The title ends where the style lays it out, which must be inside the box.
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        return {title.right() + 1, title.bottom() + 1};
    }
    return {};
}

bool installed(const char* family, const char* package) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(family))) return true;
    ADD_FAILURE() << family << " is not installed; scripts/deps.sh installs it with " << package;
    return false;
}

class AppFont {
public:
    explicit AppFont(const QFont& font) { QApplication::setFont(font); }
    ~AppFont() { QApplication::setFont(m_saved); }

private:
    const QFont m_saved = QApplication::font();
};

} // namespace

TEST(FormTextFitTest, EveryCaptionFitsItsControlInEachDesktopFamily) {
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
    for (const auto& desktop : kDesktops) {
        if (!installed(desktop.sans, desktop.sansPackage) || !installed(desktop.mono, desktop.monoPackage))
            continue;
        // The windows set no size of their own, so the application's size is the one they show in.
        QFont sans = QApplication::font();
        sans.setFamily(QString::fromLatin1(desktop.sans));
        const AppFont appFont(sans);
        for (const auto& entry : kWindows) {
            const std::unique_ptr<QWidget> window = entry.make();
            const QList<QWidget*> controls = window->findChildren<QWidget*>();
            for (QWidget* control : controls) {
                if (control->font().family() != QStringLiteral("Monospace")) continue;
                QFont mono = control->font();
                mono.setFamily(QString::fromLatin1(desktop.mono));
                control->setFont(mono);
            }
            window->show(); // lays out the forms that use layouts
            for (QWidget* control : controls) {
                const QSize need = needed(*control);
                if (!need.isValid()) continue;
                if (need.width() <= control->width() && need.height() <= control->height()) continue;
                cut << QStringLiteral("%1.%2 in %3: needs %4x%5, has %6x%7")
                           .arg(QString::fromLatin1(entry.name), control->objectName(),
                                control->fontInfo().family())
                           .arg(need.width())
                           .arg(need.height())
                           .arg(control->width())
                           .arg(control->height());
            }
        }
    }
    cut.removeDuplicates(); // two desktops share a sans family
    EXPECT_TRUE(cut.isEmpty()) << cut.join(u'\n').toStdString();
}
