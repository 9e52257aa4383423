#include "platform/widgets/ModalRunner.h"
#include "support/ScriptedModalRunner.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace niv {
namespace {

// A small modal window: a check box, a button that ends the window with mrOk, and a count of the
// times it was shown.
class SampleDialog : public QDialog {
public:
    SampleDialog() {
        auto* layout = new QVBoxLayout(this);
        check = new QCheckBox("Tick", this);
        button = new QPushButton("Return", this);
        layout->addWidget(check);
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, this, [this] { done(mrOk); });
    }
    QCheckBox* check;
    QPushButton* button;
    int showCount = 0;

protected:
    void showEvent(QShowEvent* event) override {
        ++showCount;
        QDialog::showEvent(event);
    }
};

TEST(ModalResult, DialogCodes) {
    const struct {
        int code;
        int result;
    } cases[] = {{QDialog::Rejected, mrCancel},
                 {QDialog::Accepted, mrOk},
                 {mrCancel, mrCancel},
                 {mrYes, mrYes},
                 {mrNo, mrNo}};
    for (const auto& c : cases)
        EXPECT_EQ(modalResultOf(c.code), c.result) << c.code;
}

TEST(QtModalRunner, ReturnsTheModalResultTheWindowEndsWith) {
    const struct {
        const char* how;
        void (*end)(QDialog&);
        int result;
    } cases[] = {
        {"close box", [](QDialog& d) { d.close(); }, mrCancel},
        {"accept", [](QDialog& d) { d.accept(); }, mrOk},
        {"done(mrYes)", [](QDialog& d) { d.done(mrYes); }, mrYes},
        {"done(mrNo)", [](QDialog& d) { d.done(mrNo); }, mrNo},
    };
    for (const auto& c : cases) {
        SampleDialog dialog;
        QTimer::singleShot(0, &dialog, [&] { c.end(dialog); });
        QtModalRunner runner;
        EXPECT_EQ(runner.run(dialog, "SampleDialog"), c.result) << c.how;
        EXPECT_EQ(dialog.showCount, 1) << c.how;
        EXPECT_FALSE(dialog.isVisible()) << c.how;
    }
}

TEST(ScriptedModalRunner, HandlerActsOnTheShownWindow) {
    ScriptedModalRunner runner;
    runner.onShow("SampleDialog", [](QDialog& dialog) {
        auto& sample = static_cast<SampleDialog&>(dialog);
        EXPECT_TRUE(sample.isVisible());
        sample.check->setChecked(true);
        sample.button->click();
        return mrOk;
    });
    SampleDialog dialog;
    EXPECT_EQ(runner.run(dialog, "SampleDialog"), mrOk);
    EXPECT_TRUE(dialog.check->isChecked());
    EXPECT_EQ(dialog.showCount, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), mrOk);
    EXPECT_EQ(runner.shown(), QStringList{"SampleDialog"});
}

TEST(ScriptedModalRunner, WindowLeftOpenIsEndedWithTheResult) {
    ScriptedModalRunner runner;
    runner.onShow("SampleDialog", [](QDialog&) { return mrCancel; });
    SampleDialog dialog;
    EXPECT_EQ(runner.run(dialog, "SampleDialog"), mrCancel);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), mrCancel);
}

TEST(ScriptedModalRunner, RecordsEveryShowingInOrder) {
    ScriptedModalRunner runner;
    int extensionShows = 0;
    runner.onShow("TFrmExtension", [&](QDialog&) { return ++extensionShows == 1 ? mrOk : mrCancel; });
    runner.onShow("TFrmstats", [](QDialog&) { return mrOk; });
    SampleDialog a, b, c;
    EXPECT_EQ(runner.run(a, "TFrmExtension"), mrOk);
    EXPECT_EQ(runner.run(b, "TFrmstats"), mrOk);
    EXPECT_EQ(runner.run(c, "TFrmExtension"), mrCancel);
    EXPECT_EQ(runner.shown(), (QStringList{"TFrmExtension", "TFrmstats", "TFrmExtension"}));
}

TEST(ScriptedModalRunner, UnexpectedWindowFailsAndIsCancelled) {
    ScriptedModalRunner runner;
    runner.onShow("TFrmstats", [](QDialog&) { return mrOk; });
    SampleDialog dialog;
    int result = -1;
    EXPECT_NONFATAL_FAILURE(result = runner.run(dialog, "TFrmDups"), "unexpected modal window TFrmDups");
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(dialog.showCount, 0);
    EXPECT_EQ(runner.shown(), QStringList{"TFrmDups"});
}

} // namespace
} // namespace niv
