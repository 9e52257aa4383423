#include "support/ScriptedUi.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace niv {
namespace {

TEST(ScriptedDialogs, AnswersMessageBoxesInOrderAndRecordsThem) {
    ScriptedDialogs dialogs;
    dialogs.answerYes();
    dialogs.answerOk();
    dialogs.answerCancel();
    dialogs.answerNo();

    EXPECT_EQ(dialogs.messageDlg(MsgKind::Confirmation, "Delete?", MsgButtons::YesNo), mrYes);
    EXPECT_EQ(dialogs.messageDlg(MsgKind::Error, "Failed", MsgButtons::Ok), mrOk);
    EXPECT_EQ(dialogs.messageDlg(MsgKind::Warning, "Sure?", MsgButtons::YesNoCancel), mrCancel);
    EXPECT_EQ(dialogs.messageDlg(MsgKind::Information, "Remove?", MsgButtons::YesNo), mrNo);

    const QList<ShownBox> boxes = dialogs.messages();
    ASSERT_EQ(boxes.size(), 4);
    const struct {
        MsgKind kind;
        MsgButtons buttons;
        const char* text;
    } expected[] = {
        {MsgKind::Confirmation, MsgButtons::YesNo, "Delete?"},
        {MsgKind::Error, MsgButtons::Ok, "Failed"},
        {MsgKind::Warning, MsgButtons::YesNoCancel, "Sure?"},
        {MsgKind::Information, MsgButtons::YesNo, "Remove?"},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(boxes[i].kind, expected[i].kind) << i;
        EXPECT_EQ(boxes[i].buttons, expected[i].buttons) << i;
        EXPECT_EQ(boxes[i].text, QString::fromUtf8(expected[i].text)) << i;
    }
    EXPECT_EQ(dialogs.messageTexts(), (QStringList{"Delete?", "Failed", "Sure?", "Remove?"}));
    EXPECT_EQ(dialogs.pendingAnswers(), 0);
}

TEST(ScriptedDialogs, ShowMessageIsAPlainOkBox) {
    ScriptedDialogs dialogs;
    dialogs.answerOk();
    dialogs.showMessage("Nothing was added.");
    ASSERT_EQ(dialogs.shown().size(), 1);
    EXPECT_EQ(dialogs.shown()[0].type, ShownBox::Type::Message);
    EXPECT_EQ(dialogs.shown()[0].kind, MsgKind::Plain);
    EXPECT_EQ(dialogs.shown()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogs.shown()[0].text, "Nothing was added.");
}

TEST(ScriptedDialogs, UnexpectedMessageBoxFailsAndIsDismissed) {
    const struct {
        MsgButtons buttons;
        int dismissed;
    } cases[] = {
        {MsgButtons::Ok, mrOk},
        {MsgButtons::OkCancel, mrCancel},
        {MsgButtons::YesNo, mrNo},
        {MsgButtons::YesNoCancel, mrCancel},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        int result = -1;
        EXPECT_NONFATAL_FAILURE(result = dialogs.messageDlg(MsgKind::Warning, "Surprise", c.buttons),
                                "unexpected warning box");
        EXPECT_EQ(result, c.dismissed);
        ASSERT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(dialogs.shown()[0].text, "Surprise");
    }
}

TEST(ScriptedDialogs, AnswerForAnotherKindOfBoxFails) {
    ScriptedDialogs dialogs;
    dialogs.answerFolder("C:\\x");
    int result = -1;
    EXPECT_NONFATAL_FAILURE(result = dialogs.messageDlg(MsgKind::Error, "Oops", MsgButtons::Ok),
                            "next answer is for a folder browser");
    EXPECT_EQ(result, mrOk);
}

TEST(ScriptedDialogs, AnswerWithAButtonTheBoxLacksFails) {
    const struct {
        MsgButtons buttons;
        int answer;
    } cases[] = {
        {MsgButtons::Ok, mrYes},       {MsgButtons::Ok, mrCancel},   {MsgButtons::YesNo, mrOk},
        {MsgButtons::YesNo, mrCancel}, {MsgButtons::OkCancel, mrNo}, {MsgButtons::YesNoCancel, mrOk},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs.answerMessage(c.answer);
        EXPECT_NONFATAL_FAILURE(dialogs.messageDlg(MsgKind::Confirmation, "Q", c.buttons), "is not a button");
    }
}

TEST(ScriptedDialogs, UnusedAnswerFailsAtTheEnd) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedDialogs dialogs;
            dialogs.answerYes();
        },
        "never used");
}

TEST(ScriptedDialogs, InputBoxGivesTypedTextOrTheDefaultOnCancel) {
    ScriptedDialogs dialogs;
    dialogs.answerInput(QString("typed"));
    dialogs.answerInput(std::nullopt);
    EXPECT_EQ(dialogs.inputBox("Input Box", "Prompt", "old"), "typed");
    EXPECT_EQ(dialogs.inputBox("Input Box", "Prompt", "old"), "old");
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].type, ShownBox::Type::Input);
    EXPECT_EQ(dialogs.shown()[0].caption, "Input Box");
    EXPECT_EQ(dialogs.shown()[0].text, "Prompt");
    EXPECT_EQ(dialogs.shown()[0].initial, "old");
    EXPECT_TRUE(dialogs.messages().isEmpty());
}

TEST(ScriptedDialogs, InputQueryLeavesTheValueOnCancel) {
    ScriptedDialogs dialogs;
    dialogs.answerInput(std::nullopt);
    dialogs.answerInput(QString(""));
    QString value = "start";
    EXPECT_FALSE(dialogs.inputQuery("C", "P", value));
    EXPECT_EQ(value, "start");
    EXPECT_TRUE(dialogs.inputQuery("C", "P", value));
    EXPECT_EQ(value, "");
}

TEST(ScriptedDialogs, OpenDialogAndFolderBrowserAnswer) {
    ScriptedDialogs dialogs;
    dialogs.answerOpenFile(QString("C:\\a.txt"));
    dialogs.answerOpenFile(std::nullopt);
    dialogs.answerFolder("D:\\Data");
    dialogs.answerFolder("");

    EXPECT_EQ(dialogs.openFile("Open", "Text|*.txt", "C:\\"), std::optional<QString>("C:\\a.txt"));
    EXPECT_EQ(dialogs.openFile("Open", "", ""), std::nullopt);
    EXPECT_EQ(dialogs.browseForFolder("First, select a folder"), "D:\\Data");
    EXPECT_EQ(dialogs.browseForFolder("Again"), "");

    ASSERT_EQ(dialogs.shown().size(), 4);
    EXPECT_EQ(dialogs.shown()[0].type, ShownBox::Type::OpenFile);
    EXPECT_EQ(dialogs.shown()[0].text, "Open");
    EXPECT_EQ(dialogs.shown()[0].filter, "Text|*.txt");
    EXPECT_EQ(dialogs.shown()[0].initial, "C:\\");
    EXPECT_EQ(dialogs.shown()[2].type, ShownBox::Type::Folder);
    EXPECT_EQ(dialogs.shown()[2].text, "First, select a folder");
}

TEST(ScriptedDialogs, UnexpectedDialogsFailAndCancel) {
    ScriptedDialogs dialogs;
    QString value = "v";
    bool ok = true;
    EXPECT_NONFATAL_FAILURE(ok = dialogs.inputQuery("C", "P", value), "unexpected input box");
    EXPECT_FALSE(ok);
    EXPECT_EQ(value, "v");
    std::optional<QString> file = QString("x");
    EXPECT_NONFATAL_FAILURE(file = dialogs.openFile("Open", "", ""), "unexpected open dialog");
    EXPECT_EQ(file, std::nullopt);
    QString folder = "x";
    EXPECT_NONFATAL_FAILURE(folder = dialogs.browseForFolder("Pick"), "unexpected folder browser");
    EXPECT_EQ(folder, "");
}

TEST(CountingMessagePump, CountsAndRunsTheHook) {
    CountingMessagePump pump;
    int hooked = 0;
    pump.processMessages();
    pump.onProcess = [&] { ++hooked; };
    pump.processMessages();
    pump.processMessages();
    EXPECT_EQ(pump.count(), 3);
    EXPECT_EQ(hooked, 2);
}

TEST(FakeClipboard, HoldsTextUntilCleared) {
    FakeClipboard clipboard;
    EXPECT_FALSE(clipboard.hasText());
    clipboard.setText("secret");
    EXPECT_TRUE(clipboard.hasText());
    EXPECT_EQ(clipboard.text(), "secret");
    clipboard.clear();
    EXPECT_TRUE(clipboard.hasText());
    EXPECT_EQ(clipboard.text(), "");
    clipboard.setNonText();
    EXPECT_FALSE(clipboard.hasText());
    EXPECT_EQ(clipboard.text(), "");
}

} // namespace
} // namespace niv
