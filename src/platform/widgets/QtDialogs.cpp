#include "platform/widgets/QtDialogs.h"

#include "platform/WinPath.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace niv {

namespace {

QMessageBox::Icon iconOf(MsgKind kind) {
    switch (kind) {
    case MsgKind::Information:
        return QMessageBox::Information;
    case MsgKind::Warning:
        return QMessageBox::Warning;
    case MsgKind::Error:
        return QMessageBox::Critical;
    case MsgKind::Confirmation:
        return QMessageBox::Question;
    case MsgKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QString mapped(const std::function<QString(const QString&)>& map, const QString& path) {
    return map ? map(path) : QString();
}

} // namespace

QtDialogs::QtDialogs(QString appTitle, PathMapper paths)
    : m_appTitle(std::move(appTitle)), m_paths(std::move(paths)) {}

int QtDialogs::messageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
    QMessageBox box(iconOf(kind), m_appTitle, text, buttonsOf(buttons), QApplication::activeWindow());
    // The first button (Yes, else OK) is the default one: Enter answers it.
    const bool yesFirst = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    box.setDefaultButton(yesFirst ? QMessageBox::Yes : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    default:
        return mrCancel;
    }
}

bool QtDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(value);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.textValue();
    return true;
}

std::optional<QString> QtDialogs::openFile(const QString& title, const QString& filter,
                                           const QString& initialFolder) {
    // Qt's own dialog: a desktop portal would hand back paths outside the machine's drives.
    QFileDialog dialog(QApplication::activeWindow(), title, mapped(m_paths.toHost, initialFolder),
                       qtFileFilter(filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty() && !isWindowsHostPath(chosen.first().toStdString())) return std::nullopt;
    return chosen.isEmpty() ? QString() : mapped(m_paths.toWindows, chosen.first());
}

QString QtDialogs::browseForFolder(const QString& title) {
    QFileDialog dialog(QApplication::activeWindow(), title, mapped(m_paths.toHost, QStringLiteral("C:\\")));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || !isWindowsHostPath(chosen.first().toStdString())) return {};
    return mapped(m_paths.toWindows, chosen.first());
}

QString qtFileFilter(const QString& filter) {
    if (filter.isEmpty()) return {};
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList masks = i + 1 < parts.size() ? parts[i + 1].split(QLatin1Char(';')) : QStringList();
        // "*.*" matches every name under DOS rules, but only dotted ones in Qt's wildcards.
        for (QString& mask : masks)
            if (mask.trimmed() == QLatin1String("*.*")) mask = QStringLiteral("*");
        out << QStringLiteral("%1 (%2)").arg(parts[i], masks.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace niv
