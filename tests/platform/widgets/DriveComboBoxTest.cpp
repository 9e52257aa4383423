#include "platform/widgets/DriveComboBox.h"

#include "platform/Machine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace niv {
namespace {

QStringList itemTexts(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

TEST(DriveComboBox, ListsDrivesInLetterOrderInLowerCase) {
    const struct {
        const char* name;
        QStringList letters;
        QChar current;
        QStringList texts;
        QChar chosen;
    } cases[] = {
        {"machine order", {"C", "D"}, 'C', {"c:", "d:"}, 'c'},
        {"unsorted, current upper", {"Z", "C", "D"}, 'D', {"c:", "d:", "z:"}, 'd'},
        {"current in lower case", {"C", "E"}, 'e', {"c:", "e:"}, 'e'},
        {"current missing: first", {"D", "C"}, 'Q', {"c:", "d:"}, 'c'},
        {"no current: first", {"C"}, QChar(), {"c:"}, 'c'},
        {"duplicates and non-letters dropped", {"C", "c", "1", "", "DD", "D"}, 'D', {"c:", "d:"}, 'd'},
        {"no drives", {}, 'C', {}, QChar()},
    };
    for (const auto& c : cases) {
        DriveComboBox box;
        box.setDrives(c.letters, c.current);
        EXPECT_EQ(itemTexts(box), c.texts) << c.name;
        EXPECT_EQ(box.drive(), c.chosen) << c.name;
    }
}

TEST(DriveComboBox, RefillReplacesTheList) {
    DriveComboBox box;
    box.setDrives({"C", "D", "E"}, 'E');
    box.setDrives({"C"}, 'C');
    EXPECT_EQ(itemTexts(box), QStringList{"c:"});
    EXPECT_EQ(box.drive(), 'c');
}

TEST(DriveComboBox, ChoosingADrive) {
    DriveComboBox box;
    box.setDrives({"C", "D", "Z"}, 'C');
    EXPECT_TRUE(box.setDrive('Z'));
    EXPECT_EQ(box.drive(), 'z');
    EXPECT_EQ(box.currentText(), "z:");
    EXPECT_TRUE(box.setDrive('d'));
    EXPECT_EQ(box.drive(), 'd');
    EXPECT_FALSE(box.setDrive('q'));
    EXPECT_EQ(box.drive(), 'd');
    box.setCurrentIndex(0);
    EXPECT_EQ(box.drive(), 'c');
}

TEST(DriveComboBox, LoadsTheMachinesDrivesWithTheCurrentOne) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir dir(root.path());
    ASSERT_TRUE(dir.mkpath("drive_c"));
    ASSERT_TRUE(dir.mkpath("dosdevices"));
    ASSERT_TRUE(dir.mkpath("data"));
    ASSERT_TRUE(QFile::link(root.path() + "/drive_c", root.path() + "/dosdevices/c:"));
    ASSERT_TRUE(QFile::link(root.path() + "/data", root.path() + "/dosdevices/e:"));

    MachineSettings settings;
    settings.root = root.path().toStdString();
    Machine machine(settings);
    machine.setCurrentFolderRaw("E:\\work\\");

    DriveComboBox box;
    box.loadDrives(machine);
    EXPECT_EQ(itemTexts(box), (QStringList{"c:", "e:"}));
    EXPECT_EQ(box.drive(), 'e');
}

} // namespace
} // namespace niv
