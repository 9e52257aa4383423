#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace niv {

namespace {

const char* kindName(MsgKind kind) {
    switch (kind) {
    case MsgKind::Information:
        return "information";
    case MsgKind::Warning:
        return "warning";
    case MsgKind::Error:
        return "error";
    case MsgKind::Confirmation:
        return "confirmation";
    case MsgKind::Plain:
        break;
    }
    return "plain";
}

const char* buttonsName(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return "OK";
    case MsgButtons::OkCancel:
        return "OK/Cancel";
    case MsgButtons::YesNo:
        return "Yes/No";
    case MsgButtons::YesNoCancel:
        return "Yes/No/Cancel";
    }
    return "?";
}

bool hasButton(MsgButtons buttons, int result) {
    switch (result) {
    case mrOk:
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel;
    case mrCancel:
        return buttons == MsgButtons::OkCancel || buttons == MsgButtons::YesNoCancel;
    case mrYes:
    case mrNo:
        return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel;
    default:
        return false;
    }
}

// What closing an unexpected box gives: its Cancel, else No, else OK.
int dismissResult(MsgButtons buttons) {
    if (hasButton(buttons, mrCancel)) return mrCancel;
    if (hasButton(buttons, mrNo)) return mrNo;
    return mrOk;
}

} // namespace

const char* typeName(ShownBox::Type type) {
    switch (type) {
    case ShownBox::Type::Message:
        return "message box";
    case ShownBox::Type::Input:
        return "input box";
    case ShownBox::Type::OpenFile:
        return "open dialog";
    case ShownBox::Type::Folder:
        return "folder browser";
    }
    return "?";
}

QString describe(const ShownBox& box) {
    if (box.type == ShownBox::Type::Message)
        return QStringLiteral("%1 box (%2): \"%3\"")
            .arg(QLatin1String(kindName(box.kind)), QLatin1String(buttonsName(box.buttons)), box.text);
    return QStringLiteral("%1: \"%2\"").arg(QLatin1String(typeName(box.type)), box.text);
}

ScriptedDialogs::~ScriptedDialogs() {
    for (const Answer& answer : m_answers)
        ADD_FAILURE() << "an answer for a " << typeName(answer.type)
                      << " was never used: no such box was shown";
}

void ScriptedDialogs::answerMessage(int modalResult) {
    m_answers.append({ShownBox::Type::Message, modalResult, std::nullopt});
}

void ScriptedDialogs::answerInput(std::optional<QString> text) {
    m_answers.append({ShownBox::Type::Input, mrNone, std::move(text)});
}

void ScriptedDialogs::answerOpenFile(std::optional<QString> winPath) {
    m_answers.append({ShownBox::Type::OpenFile, mrNone, std::move(winPath)});
}

void ScriptedDialogs::answerFolder(QString winPath) {
    m_answers.append({ShownBox::Type::Folder, mrNone, std::move(winPath)});
}

QList<ShownBox> ScriptedDialogs::messages() const {
    QList<ShownBox> out;
    for (const ShownBox& box : m_shown)
        if (box.type == ShownBox::Type::Message) out.append(box);
    return out;
}

QStringList ScriptedDialogs::messageTexts() const {
    QStringList out;
    for (const ShownBox& box : m_shown)
        if (box.type == ShownBox::Type::Message) out.append(box.text);
    return out;
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::take(const ShownBox& box) {
    m_shown.append(box);
    if (m_answers.isEmpty()) {
        ADD_FAILURE() << "unexpected " << describe(box).toStdString() << ": the script holds no answer";
        return std::nullopt;
    }
    const Answer answer = m_answers.takeFirst();
    if (answer.type != box.type) {
        ADD_FAILURE() << "unexpected " << describe(box).toStdString()
                      << ": the script's next answer is for a " << typeName(answer.type);
        return std::nullopt;
    }
    return answer;
}

int ScriptedDialogs::messageDlg(MsgKind kind, const QString& text, MsgButtons buttons) {
    ShownBox box;
    box.type = ShownBox::Type::Message;
    box.kind = kind;
    box.buttons = buttons;
    box.text = text;
    const std::optional<Answer> answer = take(box);
    if (!answer) return dismissResult(buttons);
    if (!hasButton(buttons, answer->result)) {
        ADD_FAILURE() << "scripted answer " << answer->result << " is not a button of the "
                      << describe(box).toStdString();
        return dismissResult(buttons);
    }
    return answer->result;
}

bool ScriptedDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value) {
    ShownBox box;
    box.type = ShownBox::Type::Input;
    box.text = prompt;
    box.caption = caption;
    box.initial = value;
    const std::optional<Answer> answer = take(box);
    if (!answer || !answer->text) return false;
    value = *answer->text;
    return true;
}

std::optional<QString> ScriptedDialogs::openFile(const QString& title, const QString& filter,
                                                 const QString& initialFolder) {
    ShownBox box;
    box.type = ShownBox::Type::OpenFile;
    box.text = title;
    box.filter = filter;
    box.initial = initialFolder;
    const std::optional<Answer> answer = take(box);
    return answer ? answer->text : std::nullopt;
}

QString ScriptedDialogs::browseForFolder(const QString& title) {
    ShownBox box;
    box.type = ShownBox::Type::Folder;
    box.text = title;
    const std::optional<Answer> answer = take(box);
    return answer && answer->text ? *answer->text : QString();
}

void CountingMessagePump::processMessages() {
    ++m_count;
    if (onProcess) onProcess();
}

void FakeClipboard::clear() {
    m_hasText = true;
    m_text.clear();
}

void FakeClipboard::setText(const QString& text) {
    m_hasText = true;
    m_text = text;
}

void FakeClipboard::setNonText() {
    m_hasText = false;
    m_text.clear();
}

} // namespace niv
