// The main of every test executable that has none of its own: the linker takes it from the
// support library only when a test folder defines no main.
#include <QApplication>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
    // Tests never touch the real display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
