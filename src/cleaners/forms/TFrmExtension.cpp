#include "cleaners/forms/TFrmExtension.h"

#include "cleaners/udir.h"
#include "core/AppContext.h"
#include "platform/ModalResult.h"
#include "ui_TFrmExtension.h"

#include <array>

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
    connect(m_ui->RadioButton1, &QRadioButton::clicked, this, &TFrmExtension::RadioButton1Click);
    connect(m_ui->RadioButton2, &QRadioButton::clicked, this, &TFrmExtension::RadioButton2Click);
    connect(m_ui->RadioButton3, &QRadioButton::clicked, this, &TFrmExtension::RadioButton3Click);
    connect(m_ui->RadioButton4, &QRadioButton::clicked, this, &TFrmExtension::RadioButton4Click);
    connect(m_ui->RadioButton5, &QRadioButton::clicked, this, &TFrmExtension::RadioButton5Click);
    connect(m_ui->RadioButton6, &QRadioButton::clicked, this, &TFrmExtension::RadioButton6Click);
    connect(m_ui->RadioButton7, &QRadioButton::clicked, this, &TFrmExtension::RadioButton7Click);
    connect(m_ui->RadioButton8, &QRadioButton::clicked, this, &TFrmExtension::RadioButton8Click);
    connect(m_ui->RadioButton9, &QRadioButton::clicked, this, &TFrmExtension::RadioButton9Click);
    connect(m_ui->RadioButton10, &QRadioButton::clicked, this, &TFrmExtension::RadioButton10Click);
    connect(m_ui->RadioButton11, &QRadioButton::clicked, this, &TFrmExtension::RadioButton11Click);
    connect(m_ui->RadioButton12, &QRadioButton::clicked, this, &TFrmExtension::RadioButton12Click);
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
    m_ui->Edit1->setText(m_ui->Edit1->text().trimmed());
    done(mrOk);
}

} // namespace niv
