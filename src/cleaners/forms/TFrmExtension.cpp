#include "cleaners/forms/TFrmExtension.h"

#include "cleaners/udir.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "platform/WinPath.h"
#include "ui_TFrmExtension.h"

#include <array>
#include <utility>

namespace niv {

namespace {

// The presets' wildcards, by radio button (RadioButton1 first).
constexpr std::array<const char*, 12> WildcardPresets{"*.html", "*.mpg", "*.*",   "*.wmv", "*.jpg", "*.exe",
                                                      "*.txt",  "*.avi", "*.doc", "*.gif", "*.bmp", "*.zip"};

} // namespace

TFrmExtension::TFrmExtension(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmExtension>()) {
    m_ui->setupUi(this);
    move(218, 189);
    // A preset acts when the choice changes: a click on the chosen one keeps what was typed since.
    const std::pair<QRadioButton*, void (TFrmExtension::*)()> handlers[] = {
        {m_ui->RadioButton1, &TFrmExtension::RadioButton1Click},
        {m_ui->RadioButton2, &TFrmExtension::RadioButton2Click},
        {m_ui->RadioButton3, &TFrmExtension::RadioButton3Click},
        {m_ui->RadioButton4, &TFrmExtension::RadioButton4Click},
        {m_ui->RadioButton5, &TFrmExtension::RadioButton5Click},
        {m_ui->RadioButton6, &TFrmExtension::RadioButton6Click},
        {m_ui->RadioButton7, &TFrmExtension::RadioButton7Click},
        {m_ui->RadioButton8, &TFrmExtension::RadioButton8Click},
        {m_ui->RadioButton9, &TFrmExtension::RadioButton9Click},
        {m_ui->RadioButton10, &TFrmExtension::RadioButton10Click},
        {m_ui->RadioButton11, &TFrmExtension::RadioButton11Click},
        {m_ui->RadioButton12, &TFrmExtension::RadioButton12Click}};
    for (const auto& [button, handler] : handlers)
        connect(button, &QRadioButton::toggled, this, [this, handler = handler](bool on) {
            if (on) (this->*handler)();
        });
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmExtension::BitBtn1Click);
}

TFrmExtension::~TFrmExtension() = default;

QString TFrmExtension::wildcard() const {
    return m_ui->Edit1->text();
}

void TFrmExtension::choosePreset(int radioButton) {
    m_ui->Edit1->setText(QString::fromLatin1(WildcardPresets[std::size_t(radioButton - 1)]));
}

void TFrmExtension::RadioButton1Click() {
    choosePreset(1);
}
void TFrmExtension::RadioButton2Click() {
    choosePreset(2);
}
void TFrmExtension::RadioButton3Click() {
    choosePreset(3);
    context().dialogs.showMessage(ownListStarWarningText());
}
void TFrmExtension::RadioButton4Click() {
    choosePreset(4);
}
void TFrmExtension::RadioButton5Click() {
    choosePreset(5);
}
void TFrmExtension::RadioButton6Click() {
    choosePreset(6);
}
void TFrmExtension::RadioButton7Click() {
    choosePreset(7);
}
void TFrmExtension::RadioButton8Click() {
    choosePreset(8);
}
void TFrmExtension::RadioButton9Click() {
    choosePreset(9);
}
void TFrmExtension::RadioButton10Click() {
    choosePreset(10);
}
void TFrmExtension::RadioButton11Click() {
    choosePreset(11);
}
void TFrmExtension::RadioButton12Click() {
    choosePreset(12);
}

void TFrmExtension::BitBtn1Click() {
    m_ui->Edit1->setText(trimControls(m_ui->Edit1->text()));
    done(mrOk);
}

} // namespace niv
