#include "app/forms/TFrmSkins.h"

#include "app/Uskins.h"
#include "core/AppContext.h"
#include "core/SettingsStore.h"
#include "platform/widgets/JpegDecoder.h"
#include "platform/widgets/ModalRunner.h"
#include "ui_TFrmSkins.h"

#include <QPixmap>

namespace niv {

TFrmSkins::TFrmSkins(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmSkins>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    // A selection made from code runs the handler as a click does; a click on the selected button
    // changes nothing.
    const std::pair<QRadioButton*, void (TFrmSkins::*)()> handlers[] = {
        {m_ui->RadNone, &TFrmSkins::RadNoneClick},     {m_ui->RadShark, &TFrmSkins::RadSharkClick},
        {m_ui->RadSunset, &TFrmSkins::RadSunsetClick}, {m_ui->RadWildlife, &TFrmSkins::RadWildlifeClick},
        {m_ui->RadNYC, &TFrmSkins::RadNYCClick},       {m_ui->RadOcean, &TFrmSkins::RadOceanClick}};
    for (const auto& [button, handler] : handlers)
        connect(button, &QRadioButton::toggled, this, [this, handler = handler](bool on) {
            if (on) (this->*handler)();
        });
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, [this] { done(mrOk); });
}

TFrmSkins::~TFrmSkins() = default;

QRadioButton* TFrmSkins::radio(const char* name) const {
    return findChild<QRadioButton*>(QString::fromLatin1(name));
}

void TFrmSkins::RadNoneClick() {
    context().g.SkinFile = noSkinName();
    m_ui->Image1->clear();
}

void TFrmSkins::pictureSkinClick(const char* name) {
    context().g.SkinFile = skinFileFor(context(), QString::fromLatin1(name));
    previewSkinFile();
}

void TFrmSkins::RadSharkClick() {
    pictureSkinClick("skinshark");
}

void TFrmSkins::RadSunsetClick() {
    pictureSkinClick("skinsunset");
}

void TFrmSkins::RadWildlifeClick() {
    pictureSkinClick("skinwildlife");
}

void TFrmSkins::RadNYCClick() {
    pictureSkinClick("skinnyc");
}

void TFrmSkins::RadOceanClick() {
    pictureSkinClick("skinocean");
}

void TFrmSkins::previewSkinFile() {
    QByteArray data;
    if (!ReadSkinPicture(context(), context().g.SkinFile, data)) return;
    const QImage image = decodeJpeg(data);
    if (!image.isNull()) m_ui->Image1->setPixmap(QPixmap::fromImage(image));
}

void TFrmSkins::selectStoredSkin() {
    const QString stored = context().g.SkinName;
    QRadioButton* chosen = m_ui->RadNone;
    for (const SkinChoice& skin : skinChoices())
        if (stored == QLatin1String(skin.name)) chosen = radio(skin.radio);
    // No button is selected when the dialog is made, so this runs the button's handler.
    chosen->setChecked(true);
    if (chosen != m_ui->RadNone) previewSkinFile();
}

QString TFrmSkins::chosenSkin() const {
    for (const SkinChoice& skin : skinChoices())
        if (radio(skin.radio)->isChecked() && isPictureSkin(QString::fromLatin1(skin.name)))
            return QString::fromLatin1(skin.name);
    return noSkinName();
}

void ShowSkinsDialog(AppContext& context, QWidget* owner) {
    TFrmSkins dialog(context, owner);
    dialog.selectStoredSkin();
    context.modal.run(dialog, QStringLiteral("TFrmSkins"));
    if (!SaveSkinSetting(context, dialog.chosenSkin()))
        context.dialogs.messageDlg(
            MsgKind::Error,
            QStringLiteral(
                "An error occurred while saving the skin settings. It appears to be a space error or "
                "registry error. You will not be able to use the skin settings while this error is "
                "happening."),
            MsgButtons::Ok);
}

} // namespace niv
