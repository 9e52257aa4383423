#include "cleaners/forms/TFrmnon.h"

#include "cleaners/CategoryCleaners.h"
#include "cleaners/forms/TFrmaol.h"
#include "cleaners/unon.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/widgets/ListExtent.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmnon.h"

#include <QLabel>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>

namespace niv {

// A Cleanup button's category and the line it stores when nothing was found; the category's
// cleaner comes from the one binding.
struct JunkRow {
    Category category;
    const char* noFilesLine;
};

namespace {

const JunkRow kActiveXRow{CatActiveX, "ACTIVEX/JAVA APPLETS -> There were no files found on your system."};
const JunkRow kDumpRow{CatOtherc, "DUMP FILES -> There were no files found on your system."};
const JunkRow kTempRow{CatTempc, "TEMP FILES -> There were no files found on your system."};
const JunkRow kRecentRow{CatRecentc, "RECENT DOC FILES -> There were no files found on your system."};
const JunkRow kMediaRow{CatMediac, "MEDIA CACHE -> There were no files found on your system."};
const JunkRow kOtherRow{CatOtherj, "There were no files found on your system."};

// Each Help button and the text it shows.
const std::pair<const char*, const char*> kHelpTexts[] = {
    {"CmdHelpActivex", "ActiveX and Java Applets are executable program code on your computer. These are "
                       "downloaded to your pc when you visit certain websites, and as with any other "
                       "executable code, they can be used in inappropriate ways. This may be one of the most "
                       "important cleanups, and this option of Nivora will safely find and remove all these "
                       "code snipplets, while not affecting your normal web browsing."},
    {"BitBtn4", "These files are automatically recreated by Windows if they are needed, so there is no "
                "need to waste the additional space until you actually need it, especially when some "
                "of these may never even be used by you! This will show you the amount of space, then "
                "allow you to safely remove the files."},
    {"BitBtn5", "This will cleanup the temp files which are located in your system defined temporary "
                "storage location. Everytime you do program installs, or anytime your pc locks up, "
                "there is the potential for garbage files to be left behind and NEVER cleaned up. This "
                "will verify how much space is being wasted and will then allow you to remove these "
                "files. Note that you can cleanup all temp files (that means garbage files which "
                "normally end with a \"tmp\" extension, or you can also check the box to clear "
                "everything in your temp storage location. Normally it is safe to clear everything, "
                "unless you have intentionally changed or tweaked your computer to store temp data "
                "elsewhere (most would never something like this, but it is possible to change your pc "
                "settings). Simply check the box, and everytime you run Nivora, it will automatically "
                "search and load all your temp garbage data if any is found. There is even a view "
                "option next to the cleanup button, so you can view your temp files before cleaning if "
                "you wish! For additional safety, this cleanup will even add your temp files to the "
                "recycle bin for you. (Of course, you should uncheck the recycle bin cleanup if you "
                "want these files to be left there for a while).  This is an important cleanup, as "
                "this can potentially include a large volume of garbage data."},
    {"BitBtn6", "These files are your recent history of viewed files. These show up automatically when "
                "you click \"start\", then click \"documents\". This will confirm the number of files "
                "and space, then allow you to remove the links. (The actual files are not deleted, "
                "just the document links)."},
    {"BitBtn2", "These files accumulate in your delete bin whenever you delete a file. Your recycle "
                "bin can accumulate many files over time, so it is good to occasionally  clean these "
                "files out. Clicking this cleanup button will confirm, then safely clean the files "
                "from your recycle bin."},
    {"CmdMHelp", "Click this button to cleanup all your media cache. This will remove the tracks from "
                 "the media player that show the videos you have been viewing. These can also reoccur "
                 "over time so you may see this number grow depending upon your media player settings."},
    {"Cmdotherhelp", "This category contains one of many additional garbage types which may or may not be "
                     "found on your system. This scans several areas, looking for many different garbage "
                     "files which are not included in the other cleanups. Many of these file types may also "
                     "reappear over time."},
    {"cmdaolhelp", "This category contains specific history cleanups for people using the AOL ISP "
                   "service. Many history tracks on AOL are not part of the normal internet cache, "
                   "cookies, or history, and must be cleaned up separately using this special cleanup "
                   "button. You can also view the tracks, and you will notice the names as places you "
                   "have visited while browsing within the AOL service. If you do not use AOL, then the "
                   "window will be blank since their is no AOL tracks left behind on your computer."},
    {"CmdCleanAllHelp",
     "Click this button to cleanup all items shown above instantly. Note that you can also "
     "cleanup all these items directly from the first screen by simply clicking the options "
     "shown under the \"Cleanup All\" button on the main window!"},
};

const char* const kCleanupButtons[] = {"CmdActivex", "cmdindex", "cmdtemp", "cmdstart",
                                       "CmdMCache",  "Cmdother", "Cmdaol",  "CmdCleanAll"};

} // namespace

TFrmnon::TFrmnon(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::Restored, QStringLiteral("Frmnon")),
      m_ui(std::make_unique<Ui::TFrmnon>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    m_ui->ListBox1->hide();
    m_ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    m_ui->Cmdrecycle->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    connect(m_ui->CmdActivex, &QPushButton::clicked, this, &TFrmnon::CmdActivexClick);
    connect(m_ui->cmdindex, &QPushButton::clicked, this, &TFrmnon::cmdindexClick);
    connect(m_ui->cmdtemp, &QPushButton::clicked, this, &TFrmnon::cmdtempClick);
    connect(m_ui->cmdstart, &QPushButton::clicked, this, &TFrmnon::cmdstartClick);
    connect(m_ui->CmdMCache, &QPushButton::clicked, this, &TFrmnon::CmdMCacheClick);
    connect(m_ui->Cmdother, &QPushButton::clicked, this, &TFrmnon::CmdotherClick);
    connect(m_ui->Cmdrecycle, &QPushButton::clicked, this, &TFrmnon::CmdrecycleClick);
    connect(m_ui->Cmdaol, &QPushButton::clicked, this, &TFrmnon::CmdaolClick);
    connect(m_ui->CmdCleanAll, &QPushButton::clicked, this, &TFrmnon::CmdCleanAllClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmnon::BitBtn1Click);
    connect(m_ui->BitBtn7, &QPushButton::clicked, this, &TFrmnon::BitBtn7Click);
    for (const auto& [button, text] : kHelpTexts)
        connect(findChild<QPushButton*>(QString::fromLatin1(button)), &QPushButton::clicked, this,
                [this, text = text] {
                    this->context().dialogs.messageDlg(MsgKind::Information, QString::fromUtf8(text),
                                                       MsgButtons::Ok);
                });
    FormCreate();
    form().restoreSize();
}

TFrmnon::~TFrmnon() = default;

void TFrmnon::FormCreate() {
    // Every Help and Cleanup button wears the picture of the recycle-bin row's.
    for (const auto& [button, text] : kHelpTexts)
        findChild<QPushButton*>(QString::fromLatin1(button))->setIcon(m_ui->BitBtn2->icon());
    for (const char* button : kCleanupButtons)
        findChild<QPushButton*>(QString::fromLatin1(button))->setIcon(m_ui->Cmdrecycle->icon());
    form().guard([this] { CountJunkFiles(context()); });
    showSummary();
}

void TFrmnon::showEvent(QShowEvent* event) {
    // Cleaners run from the main window redraw the summary too.
    showSummary();
    TNivDialog::showEvent(event);
}

void TFrmnon::showSummary() {
    const JunkSummaryTexts& texts = context().unit<NonUnit>().Summary;
    QLabel* const labels[kJunkSummaryLines] = {m_ui->Label12, m_ui->Label4,  m_ui->Label5,    m_ui->Label6,
                                               m_ui->Label9,  m_ui->Label11, m_ui->LblMCache, m_ui->Label7};
    for (int i = 0; i < kJunkSummaryLines; ++i)
        labels[i]->setText(texts[static_cast<std::size_t>(i)]);
}

void TFrmnon::cleanupRow(const JunkRow& row) {
    AppContext& ctx = context();
    const FoundCounter found = ctx.g.Found[row.category];
    if (found.FoundFiles < 1) {
        // Stored whatever the unit's Confirms copy says.
        SetCategoryResult(ctx.g, categoryInfo(row.category).slot, QString::fromLatin1(row.noFilesLine));
        return;
    }
    const QString question = QString::number(found.FoundFiles) +
                             QStringLiteral(" files were found on your ") +
                             QStringLiteral("system.  This consumes ") + QString::number(found.FoundBytes) +
                             QStringLiteral(" bytes on your hard drive.  ") +
                             QStringLiteral("Would you like me to remove these files for you?");
    if (ctx.dialogs.messageDlg(MsgKind::Confirmation, question, MsgButtons::YesNo) == mrYes) {
        cleanerOf(row.category)(ctx);
        showSummary();
    } else {
        ctx.dialogs.messageDlg(MsgKind::Information, QStringLiteral("Nothing deleted from your system."),
                               MsgButtons::Ok);
    }
}

void TFrmnon::CmdActivexClick() {
    form().guard([this] { cleanupRow(kActiveXRow); });
}

void TFrmnon::cmdindexClick() {
    form().guard([this] { cleanupRow(kDumpRow); });
}

void TFrmnon::cmdtempClick() {
    form().guard([this] { cleanupRow(kTempRow); });
}

void TFrmnon::cmdstartClick() {
    form().guard([this] { cleanupRow(kRecentRow); });
}

void TFrmnon::CmdMCacheClick() {
    form().guard([this] { cleanupRow(kMediaRow); });
}

void TFrmnon::CmdotherClick() {
    form().guard([this] { cleanupRow(kOtherRow); });
}

void TFrmnon::CmdrecycleClick() {
    form().guard([this] { cleanerOf(CatRecyclec)(context()); });
}

void TFrmnon::CmdaolClick() {
    if (m_aol) context().modal.run(*m_aol, QStringLiteral("TFrmaol"));
}

void TFrmnon::CmdCleanAllClick() {
    form().guard([this] {
        cleanupRow(kActiveXRow);
        cleanupRow(kDumpRow);
        cleanupRow(kTempRow);
        cleanupRow(kRecentRow);
        cleanerOf(CatRecyclec)(context());
        cleanupRow(kMediaRow);
        cleanupRow(kOtherRow);
        if (m_aol) m_aol->BitBtn2Click();
    });
}

void TFrmnon::BitBtn1Click() {
    QListWidget* list = m_ui->ListBox1;
    if (!list->isHidden()) {
        list->hide();
        return;
    }
    list->setGeometry(m_ui->Panel2->x(), list->y(), m_ui->Panel2->width(), list->height());
    list->show();
    list->raise();
    list->clear();
    list->addItem(
        QStringLiteral("(Your temp files are shown below. Click your view button again to toggle back "
                       "to your previous view)"));
    list->addItem(QStringLiteral("  "));
    const NonUnit& non = context().unit<NonUnit>();
    const std::int64_t shown =
        std::min<std::int64_t>(context().g.Found[CatTempc].FoundFiles, kTempFileListSlots);
    for (int slot = 1; slot <= shown; ++slot)
        list->addItem(non.TempFileList[slot]);
    if (list->count() == 2)
        list->addItem(
            QStringLiteral("Your temp files are currently empty. Otherwise the files and locations would "
                           "all be shown here."));
    setListExtent(*list, widestLineWidth(*list) + sizingFrameWidth() + 100);
}

void TFrmnon::BitBtn7Click() {
    done(mrOk);
}

} // namespace niv
