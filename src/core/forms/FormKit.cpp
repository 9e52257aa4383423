#include "core/forms/FormKit.h"

#include "core/AppContext.h"
#include "core/Uglobalvars.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include <utility>

namespace niv {

FormKit::FormKit(AppContext& context, QWidget& window, SizeRecord record, QString section)
    : m_context(context), m_window(window), m_record(record), m_section(std::move(section)) {}

void FormKit::restoreSize() {
    if (m_record != SizeRecord::Restored) return;
    const int w = ReadFormWidth(m_context, m_section);
    const int h = ReadFormHeight(m_context, m_section);
    m_window.resize(w != 0 ? w : m_window.width(), h != 0 ? h : m_window.height());
}

void FormKit::saveSize() {
    if (m_record != SizeRecord::None) SaveFormSize(m_context, m_section, m_window.width(), m_window.height());
}

void FormKit::centreOnScreen() {
    const QWidget* parent = m_window.parentWidget();
    // The window frame counts: a window's position is that of its frame.
    const QRect frame(QPoint(0, 0), m_window.frameGeometry().size());
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        m_window.move(screen->availableGeometry().center() - frame.center());
}

BusyScope::BusyScope(FormKit& form, const std::vector<QWidget*>& controls)
    : m_form(form), m_wasBusy(form.m_busy) {
    m_form.m_busy = true;
    for (QWidget* control : controls) {
        m_enabled.emplace_back(control, control->isEnabled());
        control->setEnabled(false);
    }
}

BusyScope::~BusyScope() {
    for (const auto& [control, enabled] : m_enabled)
        control->setEnabled(enabled);
    m_form.m_busy = m_wasBusy;
}

void FormKit::showError(const std::exception& error) {
    m_context.dialogs.messageDlg(MsgKind::Error, QString::fromUtf8(error.what()), MsgButtons::Ok);
}

TNivDialog::TNivDialog(AppContext& context, QWidget* parent, SizeRecord record, QString section)
    : QDialog(parent), m_context(context), m_form(context, *this, record, std::move(section)) {}

bool TNivDialog::closeStep() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) m_form.saveSize();
    return canClose;
}

void TNivDialog::done(int result) {
    if (closeStep()) QDialog::done(result);
}

void TNivDialog::showEvent(QShowEvent* event) {
    if (m_centred && !event->spontaneous()) m_form.centreOnScreen();
    QDialog::showEvent(event);
}

void TNivDialog::closeEvent(QCloseEvent* event) {
    // A shown dialog closes through reject() and so through done(); a hidden one has no result to
    // give but still runs its close step.
    if (isVisible()) {
        QDialog::closeEvent(event);
        return;
    }
    if (closeStep())
        event->accept();
    else
        event->ignore();
}

} // namespace niv
