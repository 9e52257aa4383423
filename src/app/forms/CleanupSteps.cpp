#include "app/forms/CleanupSteps.h"

#include "app/AppContext.h"
#include "app/forms/TFrminit.h"
#include "cleaners/uie.h"
#include "ui_TFrminit.h"

#include <QColor>
#include <QLabel>
#include <QVariant>

namespace niv {

namespace {

// The class library's name for a control's colour; kept on the label so it can be read back.
constexpr const char* kColorProperty = "Color";

using Gate = CleanupStep::Gate;
using Form = CategoryButton::Form;
using U = Ui::TFrminit;

template <FoundCounter NetUnit::*Counter> FoundCounter firefox(const AppContext& c) {
    return c.net.*Counter;
}
template <FoundCounter GlobalVars::*Counter> FoundCounter chrome(const AppContext& c) {
    return c.g.*Counter;
}
template <FoundCounter IeUnit::*Counter> FoundCounter ie(const AppContext& c) {
    return c.ie.*Counter;
}

// A cleaner that needs no owner window.
template <void (*Clean)(AppContext&)> void clean(AppContext& c, QWidget*) {
    Clean(c);
}

// The places below marked "comes with" are filled when their unit joins the program. The junk
// steps' no-files lines follow the junk unit's ConfirmsCopy, which holds the same value as
// Confirms.
const std::array<CleanupStep, kCleanupStepCount> kSteps{{
    {"Firefox cookies", &U::ChkNSCookies, Gate::Counted, firefox<&NetUnit::Cookies>, &U::Label4,
     ResultNSCookies, "There were no FireFox cookie files found on your system.", false,
     nullptr /* DeleteFirefoxCookies: comes with the Firefox/Chrome unit */},
    {"Firefox history", &U::ChkNSHistory, Gate::Counted, firefox<&NetUnit::History>, &U::Label6,
     ResultNSHistory, "There were no FireFox history files found on your system.", false,
     nullptr /* DeleteFirefoxHistory: comes with the Firefox/Chrome unit */},
    {"Firefox cache", &U::ChkNSCache, Gate::Counted, firefox<&NetUnit::Cache>, &U::Label5, ResultNSCache,
     "There were no FireFox cache files found on your system.", false,
     nullptr /* DeleteFirefoxCache: comes with the Firefox/Chrome unit */},
    {"Chrome cookies", &U::ChkGCookies, Gate::Counted, chrome<&GlobalVars::ChromeCookies>, &U::Label4,
     ResultGCookies, "There were no Google Chrome cookie files found on your system.", false,
     nullptr /* DeleteChromeCookies: comes with the Firefox/Chrome unit */},
    {"Chrome history", &U::ChkGHistory, Gate::Counted, chrome<&GlobalVars::ChromeHistory>, &U::Label6,
     ResultGHistory, "There were no Google Chrome history files found on your system.", false,
     nullptr /* DeleteChromeHistory: comes with the Firefox/Chrome unit */},
    {"Chrome cache", &U::ChkGCache, Gate::Counted, chrome<&GlobalVars::ChromeCache>, &U::Label5, ResultGCache,
     "There were no Google Chrome cache files found on your system.", false,
     nullptr /* DeleteChromeCache: comes with the Firefox/Chrome unit */},
    // The cleaner writes its own line.
    {"recycle bin", &U::Chkrecycle, Gate::Always, nullptr, nullptr, -1, nullptr, false,
     nullptr /* EmptyRecycleBin: comes with the junk-file unit */},
    {"dump files", &U::ChkExcess, Gate::Counted, nullptr /* dump-file count: junk-file unit */, nullptr,
     ResultDump, "There were no dump files found on your system.", false,
     nullptr /* CleanDumpFiles: comes with the junk-file unit */},
    {"recent documents", &U::ChkRecent, Gate::Counted, nullptr /* recent-document count: junk-file unit */,
     nullptr, ResultRecent, "There were no recent document files found on your system.", false,
     nullptr /* CleanRecentDocs: comes with the junk-file unit */},
    {"temp files", &U::ChkTemp, Gate::Counted, nullptr /* temp-file count: junk-file unit */, nullptr,
     ResultTemp, "There were no temp files found on your system.", false,
     nullptr /* CleanTempFiles: comes with the junk-file unit */},
    {"IE cookies", &U::ChkIECookies, Gate::Counted, ie<&IeUnit::Cookies>, &U::Label1, ResultIECookies,
     "There were no IE cookie files found on your system.", false, clean<DeleteIECookies>},
    {"IE history", &U::ChkIEHistory, Gate::Counted, ie<&IeUnit::History>, &U::Label3, ResultIEHistory,
     "There were no IE history files found on your system.", false, clean<DeleteIEHistory>},
    {"IE cache", &U::ChkIECache, Gate::Counted, ie<&IeUnit::Cache>, &U::Label2, ResultIECache,
     "There were no IE cache files found on your system.", false, clean<DeleteIECache>},
    {"ActiveX", &U::ChkActiveX, Gate::Counted, nullptr /* ActiveX count: junk-file unit */, nullptr,
     ResultActiveX, "There were no activex or java applets found on your system.", true,
     nullptr /* CleanActiveXCache: comes with the junk-file unit */},
    {"media cache", &U::ChkMedia, Gate::Counted, nullptr /* media-cache count: junk-file unit */, nullptr,
     ResultMedia, "There were no media cache files found on your system.", true,
     nullptr /* CleanMediaCache: comes with the junk-file unit */},
    {"additional garbage", &U::ChkOtherj, Gate::Counted,
     nullptr /* additional-garbage count: junk-file unit */, nullptr, ResultAdditional,
     "There were no additional garbage files found on your system.", true,
     nullptr /* CleanAdditionalGarbage: comes with the junk-file unit */},
    // Emptied a second time: what the steps in between recycled goes in the same run.
    {"recycle bin again", &U::Chkrecycle, Gate::Always, nullptr, nullptr, -1, nullptr, true,
     nullptr /* EmptyRecycleBin: comes with the junk-file unit */},
    // A typed-URLs window, never shown: its IE and Firefox clean-ups in this order.
    {"typed URLs", &U::Chkurls, Gate::Always, nullptr, nullptr, -1, nullptr, false,
     nullptr /* TFrmurls CmdIEAllClick + CmdFirefoxClick: comes with the typed-URLs unit */},
    // Asks its own confirmation.
    {"own list", &U::ChkYourOwn, Gate::Always, nullptr, nullptr, -1, nullptr, false,
     nullptr /* TFrmdir cmdcleanClick: comes with the own-list unit */},
}};

const std::array<CategoryButton, kCategoryButtonCount> kButtons{{
    {&U::btnnsck, &TFrminit::btnnsckClick, 1, Form::Cookies, " bytes of FireFox cookies "},
    {&U::btnnsh, &TFrminit::btnnshClick, 2, Form::Files, " FireFox history "},
    {&U::btnnsch, &TFrminit::btnnschClick, 3, Form::Files, " FireFox cache "},
    {&U::CmdGoogCook, &TFrminit::CmdGoogCookClick, 4, Form::Cookies, " bytes of Google Chrome cookies "},
    {&U::CmdGoogHist, &TFrminit::CmdGoogHistClick, 5, Form::Files, " Google Chrome history "},
    {&U::CmdGoogCache, &TFrminit::CmdGoogCacheClick, 6, Form::Files, " Google Chrome cache "},
    {&U::btnieck, &TFrminit::btnieckClick, 11, Form::Cookies, " bytes of IE cookies "},
    {&U::btnieh, &TFrminit::btniehClick, 12, Form::Files, " IE history "},
    {&U::btniech, &TFrminit::btniechClick, 13, Form::Files, " IE cache "},
}};

} // namespace

void setPanelLineColor(QLabel* label, std::uint32_t windowsColor) {
    const QColor color(int(windowsColor & 0xFF), int((windowsColor >> 8) & 0xFF),
                       int((windowsColor >> 16) & 0xFF));
    label->setProperty(kColorProperty, QVariant::fromValue(windowsColor));
    // The panel's style sheet gives font and text colour; the label's own adds the background.
    label->setStyleSheet(QStringLiteral("background-color: %1;").arg(color.name()));
}

std::uint32_t panelLineColor(const QLabel* label) {
    return label->property(kColorProperty).value<std::uint32_t>();
}

const std::array<CleanupStep, kCleanupStepCount>& cleanupSteps() {
    return kSteps;
}

const std::array<CategoryButton, kCategoryButtonCount>& categoryButtons() {
    return kButtons;
}

QString categoryQuestion(const CategoryButton& row, const FoundCounter& found) {
    const QString ask = QStringLiteral("Would you like me to remove these files for you?");
    if (row.form == Form::Cookies)
        return QString::number(found.FoundBytes) + QString::fromLatin1(row.text) +
               QStringLiteral("have been found on your system. Without removing these files, some ") +
               QStringLiteral("websites may track which webpages and websites you have been visiting. ") +
               ask;
    return QString::number(found.FoundFiles) + QString::fromLatin1(row.text) +
           QStringLiteral("files were found on your system. This consumes ") +
           QString::number(found.FoundBytes) + QStringLiteral(" bytes of your hard drive. ") + ask;
}

QString cleanupAllQuestion() {
    return QStringLiteral(
        "You are about to remove all files that you have selected on the \"customize boxes\" "
        "below. This may include all cookie, cache, and history files for Internet Explorer, "
        "Mozilla Firefox, and AOL. Would you like me to remove these files for you?");
}

QString nothingDeletedText() {
    return QStringLiteral("Nothing deleted from your system.");
}

QString nothingRemovedText() {
    return QStringLiteral("Nothing removed from your system.");
}

} // namespace niv
