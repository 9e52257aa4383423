#include "app/forms/TFrmtimerwindow.h"

#include "platform/ModalResult.h"
#include "ui_TFrmtimerwindow.h"

#include <QCheckBox>

namespace niv {

TFrmtimerwindow::TFrmtimerwindow(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent, SizeRecord::SaveOnly, QStringLiteral("Frmtimerwindow")),
      m_ui(std::make_unique<Ui::TFrmtimerwindow>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    connect(m_ui->ScrollBar1, &QScrollBar::valueChanged, this, &TFrmtimerwindow::ScrollBar1Change);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFrmtimerwindow::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &TFrmtimerwindow::BitBtn2Click);
    FormCreate();
}

TFrmtimerwindow::~TFrmtimerwindow() = default;

void TFrmtimerwindow::FormCreate() {
    for (QCheckBox* box : {m_ui->Chk_IECache, m_ui->Chk_IECookies, m_ui->Chk_IEHistory, m_ui->Chk_NetCache,
                           m_ui->Chk_NetCookies, m_ui->Chk_NetHistory, m_ui->Chk_Othergarb, m_ui->Chk_Temp,
                           m_ui->Chk_StartDocs})
        box->setChecked(true);
    m_ui->ScrollBar1->setRange(kAutoCleanMinMinutes, kAutoCleanMaxMinutes);
    m_ui->ScrollBar1->setValue(kAutoCleanDefaultMinutes);
    m_ui->Lblminutes->setText(QString::number(kAutoCleanDefaultMinutes));
    m_activated = false;
}

void TFrmtimerwindow::ScrollBar1Change() {
    m_ui->Lblminutes->setText(QString::number(m_ui->ScrollBar1->value()));
}

void TFrmtimerwindow::BitBtn1Click() {
    m_activated = true;
    done(mrOk);
}

void TFrmtimerwindow::BitBtn2Click() {
    done(mrCancel);
}

AutoCleanBoxes TFrmtimerwindow::boxes() const {
    return {m_ui->Chk_IECache->isChecked(),    m_ui->Chk_IECookies->isChecked(),
            m_ui->Chk_IEHistory->isChecked(),  m_ui->Chk_NetCache->isChecked(),
            m_ui->Chk_NetCookies->isChecked(), m_ui->Chk_NetHistory->isChecked(),
            m_ui->Chk_Othergarb->isChecked(),  m_ui->Chk_Temp->isChecked(),
            m_ui->Chk_StartDocs->isChecked()};
}

int TFrmtimerwindow::minutes() const {
    return m_ui->ScrollBar1->value();
}

} // namespace niv
