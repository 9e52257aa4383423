#include "platform/widgets/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace niv {
namespace {

// Acts on the next modal window as soon as its event loop runs.
template <typename Window> void whenShown(std::function<void(Window&)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(*window);
    });
    timer->start();
}

PathMapper noPaths() {
    return {[](const QString&) { return QString(); }, [](const QString&) { return QString(); }};
}

TEST(QtDialogs, MessageBoxCarriesTitleIconTextAndButtons) {
    const struct {
        MsgKind kind;
        QMessageBox::Icon icon;
        MsgButtons buttons;
        QMessageBox::StandardButtons standard;
    } cases[] = {
        {MsgKind::Information, QMessageBox::Information, MsgButtons::Ok, QMessageBox::Ok},
        {MsgKind::Warning, QMessageBox::Warning, MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No},
        {MsgKind::Error, QMessageBox::Critical, MsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel},
        {MsgKind::Confirmation, QMessageBox::Question, MsgButtons::YesNoCancel,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MsgKind::Plain, QMessageBox::NoIcon, MsgButtons::Ok, QMessageBox::Ok},
    };
    QtDialogs dialogs("Nivora", noPaths());
    for (const auto& c : cases) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons standard;
        whenShown<QMessageBox>([&](QMessageBox& box) {
            title = box.windowTitle();
            text = box.text();
            icon = box.icon();
            standard = box.standardButtons();
            box.defaultButton()->click();
        });
        dialogs.messageDlg(c.kind, "Some text", c.buttons);
        EXPECT_EQ(title, "Nivora");
        EXPECT_EQ(text, "Some text");
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(standard, c.standard);
    }
}

TEST(QtDialogs, MessageBoxReturnsTheButtonPressed) {
    const struct {
        MsgButtons buttons;
        QMessageBox::StandardButton press;
        int result;
    } cases[] = {
        {MsgButtons::Ok, QMessageBox::Ok, mrOk},
        {MsgButtons::OkCancel, QMessageBox::Ok, mrOk},
        {MsgButtons::OkCancel, QMessageBox::Cancel, mrCancel},
        {MsgButtons::YesNo, QMessageBox::Yes, mrYes},
        {MsgButtons::YesNo, QMessageBox::No, mrNo},
        {MsgButtons::YesNoCancel, QMessageBox::Yes, mrYes},
        {MsgButtons::YesNoCancel, QMessageBox::No, mrNo},
        {MsgButtons::YesNoCancel, QMessageBox::Cancel, mrCancel},
    };
    QtDialogs dialogs("Nivora", noPaths());
    for (const auto& c : cases) {
        whenShown<QMessageBox>([&](QMessageBox& box) { box.button(c.press)->click(); });
        EXPECT_EQ(dialogs.messageDlg(MsgKind::Confirmation, "Q", c.buttons), c.result) << int(c.press);
    }
}

TEST(QtDialogs, FirstButtonIsTheDefault) {
    const struct {
        MsgButtons buttons;
        int result;
    } cases[] = {{MsgButtons::Ok, mrOk},
                 {MsgButtons::OkCancel, mrOk},
                 {MsgButtons::YesNo, mrYes},
                 {MsgButtons::YesNoCancel, mrYes}};
    QtDialogs dialogs("Nivora", noPaths());
    for (const auto& c : cases) {
        whenShown<QMessageBox>([](QMessageBox& box) { box.defaultButton()->click(); });
        EXPECT_EQ(dialogs.messageDlg(MsgKind::Information, "Q", c.buttons), c.result);
    }
}

TEST(QtDialogs, InputQueryShowsCaptionPromptAndValue) {
    QtDialogs dialogs("Nivora", noPaths());
    QString caption, prompt, initial;
    whenShown<QInputDialog>([&](QInputDialog& dialog) {
        caption = dialog.windowTitle();
        prompt = dialog.labelText();
        initial = dialog.textValue();
        dialog.setTextValue("new text");
        dialog.accept();
    });
    QString value = "old text";
    EXPECT_TRUE(dialogs.inputQuery("Input Box", "Prompt", value));
    EXPECT_EQ(value, "new text");
    EXPECT_EQ(caption, "Input Box");
    EXPECT_EQ(prompt, "Prompt");
    EXPECT_EQ(initial, "old text");
}

TEST(QtDialogs, InputCancelledKeepsTheValue) {
    QtDialogs dialogs("Nivora", noPaths());
    whenShown<QInputDialog>([](QInputDialog& dialog) {
        dialog.setTextValue("typed");
        dialog.reject();
    });
    QString value = "old";
    EXPECT_FALSE(dialogs.inputQuery("C", "P", value));
    EXPECT_EQ(value, "old");
    whenShown<QInputDialog>([](QInputDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.inputBox("C", "P", "default"), "default");
}

// A machine whose drive C: is a temporary folder.
class QtFileDialogsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath("Docs"));
        QFile file(root.path() + "/Docs/notes.txt");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    PathMapper paths() {
        const QString host = root.path();
        return {[this, host](const QString& win) {
                    asked.append(win);
                    QString rest = win.mid(3);
                    rest.replace('\\', '/');
                    return win.startsWith("C:\\") ? host + "/" + rest : QString();
                },
                [host](const QString& hostPath) {
                    if (!hostPath.startsWith(host)) return QString();
                    QString rest = hostPath.mid(host.size());
                    rest.replace('/', '\\');
                    return "C:" + (rest.isEmpty() ? QString("\\") : rest);
                }};
    }
    QTemporaryDir root;
    QStringList asked;
};

TEST_F(QtFileDialogsTest, OpenDialogStartsInTheMappedFolderAndGivesAWindowsPath) {
    QtDialogs dialogs("Nivora", paths());
    QString title, folder;
    QStringList filters;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        folder = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
        dialog.selectFile(root.path() + "/Docs/notes.txt");
        static_cast<QDialog&>(dialog).accept(); // protected in QFileDialog
    });
    const std::optional<QString> chosen = dialogs.openFile("Open", "Text files|*.txt", "C:\\Docs");
    EXPECT_EQ(chosen, std::optional<QString>("C:\\Docs\\notes.txt"));
    EXPECT_EQ(title, "Open");
    EXPECT_EQ(folder, QDir(root.path() + "/Docs").absolutePath());
    EXPECT_EQ(filters, QStringList{"Text files (*.txt)"});
    EXPECT_EQ(asked, QStringList{"C:\\Docs"});
}

TEST_F(QtFileDialogsTest, OpenDialogCancelled) {
    QtDialogs dialogs("Nivora", paths());
    whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.openFile("Open", "", "C:\\"), std::nullopt);
}

TEST_F(QtFileDialogsTest, OpenDialogFileOutsideTheDrivesGivesAnEmptyName) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    QFile file(elsewhere.path() + "/other.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QtDialogs dialogs("Nivora", paths());
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(elsewhere.path() + "/other.txt");
        static_cast<QDialog&>(dialog).accept(); // protected in QFileDialog
    });
    EXPECT_EQ(dialogs.openFile("Open", "", "C:\\"), std::optional<QString>(""));
}

TEST_F(QtFileDialogsTest, FolderBrowserGivesAWindowsPath) {
    QtDialogs dialogs("Nivora", paths());
    QString title;
    bool dirsOnly = false;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        dirsOnly = dialog.fileMode() == QFileDialog::Directory;
        dialog.selectFile(root.path() + "/Docs");
        static_cast<QDialog&>(dialog).accept(); // protected in QFileDialog
    });
    EXPECT_EQ(dialogs.browseForFolder("First, select a folder"), "C:\\Docs");
    EXPECT_EQ(title, "First, select a folder");
    EXPECT_TRUE(dirsOnly);
}

TEST_F(QtFileDialogsTest, FolderBrowserCancelledOrOutsideTheDrivesGivesNothing) {
    QtDialogs dialogs("Nivora", paths());
    whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(dialogs.browseForFolder("Pick"), "");

    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(elsewhere.path());
        static_cast<QDialog&>(dialog).accept(); // protected in QFileDialog
    });
    EXPECT_EQ(dialogs.browseForFolder("Pick"), "");
}

TEST(QtFileFilter, ConvertsTheClassLibrarysFilter) {
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"Text files|*.txt", "Text files (*.txt)"},
        {"Text files|*.txt;*.log|All files|*.*", "Text files (*.txt *.log);;All files (*)"},
        {"Web pages (*.htm)|*.htm", "Web pages (*.htm) (*.htm)"},
        {"Odd", "Odd ()"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qtFileFilter(c.given), QString(c.expected)) << c.given;
}

} // namespace
} // namespace niv
