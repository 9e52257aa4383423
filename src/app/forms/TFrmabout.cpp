#include "app/forms/TFrmabout.h"

#include "ui_TFrmabout.h"

namespace niv {

TFrmabout::TFrmabout(AppContext& context, QWidget* parent)
    : TNivDialog(context, parent), m_ui(std::make_unique<Ui::TFrmabout>()) {
    m_ui->setupUi(this);
    centreWhenShown();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TFrmabout::Button1Click);
    FormCreate();
}

TFrmabout::~TFrmabout() = default;

void TFrmabout::FormCreate() {
    m_ui->LblCopy1->setText(QStringLiteral("Copyright (C) Hollbrook. All rights reserved."));
    m_ui->LblCopy2->setText(QStringLiteral("Version 5.23 "));
    m_ui->LblCopy3->setText(QStringLiteral("Nivora is a trademark of Hollbrook."));
    m_ui->LblInfo1->setText(QStringLiteral("There are NO warranties express or implied."));
    m_ui->LblInfo2->setText(QString());
    m_ui->LblInfo3->setText(
        QStringLiteral("By using this software, you are agreeing to these terms.  If these terms "
                       "are not agreeable, do not use this software."));
}

void TFrmabout::Button1Click() {
    close();
}

} // namespace niv
