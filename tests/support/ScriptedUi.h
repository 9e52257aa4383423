#pragma once

#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "platform/widgets/Clipboard.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace niv {

// One box or dialog the code under test showed.
struct ShownBox {
    enum class Type { Message, Input, OpenFile, Folder };
    Type type = Type::Message;
    MsgKind kind = MsgKind::Plain;       // message boxes
    MsgButtons buttons = MsgButtons::Ok; // message boxes
    QString text;                        // message text, input prompt, or dialog title
    QString caption;                     // input box caption
    QString initial;                     // input box's initial text, open dialog's initial folder
    QString filter;                      // open dialog filter
};

const char* typeName(ShownBox::Type type);
QString describe(const ShownBox& box);

// Dialogs that answer from a script, in order, and record every box shown. A box for which the
// script holds no answer of its type fails the test and is dismissed (Cancel, No, or OK when that
// is the only button). Answers left over when the object is destroyed fail the test too.
class ScriptedDialogs : public Dialogs {
public:
    ScriptedDialogs() = default;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;
    ~ScriptedDialogs() override;

    // The next message box is answered with this button (mrOk, mrCancel, mrYes, mrNo); an answer
    // the box has no button for fails the test.
    void answerMessage(int modalResult);
    void answerOk() { answerMessage(mrOk); }
    void answerYes() { answerMessage(mrYes); }
    void answerNo() { answerMessage(mrNo); }
    void answerCancel() { answerMessage(mrCancel); }
    // The next input box: the text typed and OK, or nothing for Cancel.
    void answerInput(std::optional<QString> text);
    // The next open dialog: the chosen Windows path, or nothing for Cancel.
    void answerOpenFile(std::optional<QString> winPath);
    // The next folder browser: the chosen Windows path, "" for Cancel.
    void answerFolder(QString winPath);

    // Every box shown so far, in order, unexpected ones included.
    const QList<ShownBox>& shown() const { return m_shown; }
    // The message boxes among them.
    QList<ShownBox> messages() const;
    // The texts of the message boxes, in order.
    QStringList messageTexts() const;
    int pendingAnswers() const { return int(m_answers.size()); }

    int messageDlg(MsgKind kind, const QString& text, MsgButtons buttons) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& initialFolder) override;
    QString browseForFolder(const QString& title) override;

private:
    struct Answer {
        ShownBox::Type type;
        int result = mrNone;
        std::optional<QString> text;
    };
    // Records the box and takes the next answer when it is of the box's type.
    std::optional<Answer> take(const ShownBox& box);

    QList<Answer> m_answers;
    QList<ShownBox> m_shown;
};

// Counts how often the code lets pending messages through; `onProcess` runs at each call, where a
// test can play a user acting during long work.
class CountingMessagePump : public MessagePump {
public:
    void processMessages() override;
    int count() const { return m_count; }
    std::function<void()> onProcess;

private:
    int m_count = 0;
};

// A clipboard held in memory, starting empty (no text).
class FakeClipboard : public Clipboard {
public:
    bool hasText() const override { return m_hasText; }
    QString text() const override { return m_hasText ? m_text : QString(); }
    void clear() override;

    // Puts text on the clipboard.
    void setText(const QString& text);
    // Leaves data on the clipboard that is not text (a picture).
    void setNonText();

private:
    bool m_hasText = false;
    QString m_text;
};

} // namespace niv
