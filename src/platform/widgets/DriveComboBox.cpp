#include "platform/widgets/DriveComboBox.h"

#include "platform/Machine.h"

#include <algorithm>

namespace niv {

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {}

void DriveComboBox::loadDrives(const Machine& machine) {
    const QString folder = machine.currentFolder();
    setDrives(machine.driveLetters(), folder.isEmpty() ? QChar() : folder.front());
}

void DriveComboBox::setDrives(const QStringList& letters, QChar current) {
    QList<QChar> drives;
    for (const QString& letter : letters) {
        if (letter.size() != 1) continue;
        const QChar lower = letter.front().toLower();
        if (lower < QLatin1Char('a') || lower > QLatin1Char('z')) continue;
        if (!drives.contains(lower)) drives.append(lower);
    }
    std::sort(drives.begin(), drives.end());
    clear();
    for (QChar letter : drives)
        addItem(QString(letter) + QLatin1Char(':'), letter);
    if (!setDrive(current) && count() > 0) setCurrentIndex(0);
}

QChar DriveComboBox::drive() const {
    return currentIndex() < 0 ? QChar() : currentData().toChar();
}

bool DriveComboBox::setDrive(QChar letter) {
    const int index = findData(QChar(letter.toLower()));
    if (index < 0) return false;
    setCurrentIndex(index);
    return true;
}

} // namespace niv
