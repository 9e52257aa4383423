#pragma once

#include <QComboBox>
#include <QStringList>

namespace niv {

class Machine;

// A drive combo box: one line per drive of the machine, "c:" with the letter in
// lower case, in letter order, the current drive chosen.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Lists the machine's drives and chooses the drive of its current folder.
    void loadDrives(const Machine& machine);
    // Lists the given drive letters (either case) and chooses `current`, else the first drive.
    void setDrives(const QStringList& letters, QChar current);

    // The chosen drive's letter in lower case; a null QChar when the box lists no drive.
    QChar drive() const;
    // Chooses the drive with this letter (either case); false when the box does not list it.
    bool setDrive(QChar letter);
};

} // namespace niv
