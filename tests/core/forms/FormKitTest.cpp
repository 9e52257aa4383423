// The window helper: one close step whatever closes a dialog, the saved size, the error box.
#include "core/forms/FormKit.h"
#include "support/AppFixture.h"

#include <QCloseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace niv;

namespace {

const QString kScanLog = QStringLiteral("C:\\data\\nvscan7.ini");

class Probe final : public TNivDialog {
public:
    Probe(AppContext& ctx, SizeRecord record) : TNivDialog(ctx, nullptr, record, QStringLiteral("Probe")) {
        resize(300, 200);
        form().restoreSize();
    }
    int queries = 0;
    bool refuse = false;
    FormKit& kit() { return form(); }

protected:
    void FormCloseQuery(bool& canClose) override {
        ++queries;
        canClose = !refuse;
    }
};

struct FormFixture : AppFixture {
    FormFixture() {
        b.file(kScanLog, "[Probe]\r\nW=0\r\nH=250\r\n");
        ctx.g.ScanLogPath = kScanLog;
    }
    QByteArray scanLog() { return b.readHost(kScanLog); }
};

} // namespace

TEST(FormKitTest, EveryWayOfClosingRunsTheCloseStepOnce) {
    const std::pair<const char*, std::function<void(Probe&)>> routes[] = {
        {"button", [](Probe& p) { p.done(QDialog::Accepted); }},
        {"Escape", [](Probe& p) { p.reject(); }},
        {"close box", [](Probe& p) { p.show(), p.close(); }},
        {"close of a hidden dialog", [](Probe& p) { p.close(); }},
    };
    for (const auto& [name, close] : routes) {
        SCOPED_TRACE(name);
        FormFixture f;
        Probe probe(f.ctx, SizeRecord::SaveOnly);
        probe.resize(320, 240);
        close(probe);
        EXPECT_EQ(probe.queries, 1);
        EXPECT_FALSE(probe.isVisible());
        EXPECT_TRUE(f.scanLog().contains("W=320\r\nH=240"));
    }
}

TEST(FormKitTest, ARefusedCloseKeepsTheWindowAndSavesNothing) {
    FormFixture f;
    Probe probe(f.ctx, SizeRecord::SaveOnly);
    probe.refuse = true;
    probe.show();
    probe.resize(320, 240);
    probe.close();
    probe.done(QDialog::Accepted);
    EXPECT_EQ(probe.queries, 2);
    EXPECT_TRUE(probe.isVisible());
    EXPECT_FALSE(f.scanLog().contains("W=320"));
}

TEST(FormKitTest, SizeRecords) {
    struct Case {
        SizeRecord record;
        int height; // after creation; the saved width of 0 keeps the designed width
        bool saves;
    };
    const Case cases[] = {
        {SizeRecord::None, 200, false},
        {SizeRecord::SaveOnly, 200, true},
        {SizeRecord::Restored, 250, true},
    };
    for (const Case& c : cases) {
        FormFixture f;
        Probe probe(f.ctx, c.record);
        EXPECT_EQ(probe.width(), 300);
        EXPECT_EQ(probe.height(), c.height);
        probe.resize(310, 210);
        probe.done(QDialog::Accepted);
        EXPECT_EQ(f.scanLog().contains("W=310"), c.saves);
    }
}

TEST(FormKitTest, GuardEndsTheHandlerWithTheErrorBox) {
    FormFixture f;
    Probe probe(f.ctx, SizeRecord::None);
    f.dialogs.answerOk();
    bool after = false;
    probe.kit().guard([&] {
        throw PlatformError(QStringLiteral("Unable to write to C:\\x.ini"));
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(f.dialogs.messages().size(), 1);
    EXPECT_EQ(f.dialogs.messages()[0].kind, MsgKind::Error);
    EXPECT_EQ(f.dialogs.messages()[0].text, QStringLiteral("Unable to write to C:\\x.ini"));
}

TEST(FormKitTest, ABusyScopeSetsBackWhatItChangedOnEveryWayOut) {
    FormFixture f;
    Probe probe(f.ctx, SizeRecord::None);
    QPushButton scan(&probe), disabled(&probe);
    disabled.setEnabled(false);
    try {
        BusyScope busy(probe.kit(), {&scan, &disabled});
        { BusyScope inner(probe.kit(), {}); }
        EXPECT_TRUE(probe.kit().busy()); // an inner scope leaves the outer one's state
        EXPECT_FALSE(scan.isEnabled());
        throw PlatformError(QStringLiteral("Unable to read C:\\x"));
    } catch (const PlatformError&) {
    }
    EXPECT_FALSE(probe.kit().busy());
    EXPECT_TRUE(scan.isEnabled());
    EXPECT_FALSE(disabled.isEnabled());
}
