#pragma once

#include "platform/ModalResult.h"

#include <QString>

#include <optional>

namespace niv {

// The kinds of message box the program shows; each decides the box's icon.
enum class MsgKind { Information, Warning, Error, Confirmation, Plain };

// The button sets of a message box.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Message boxes and the standard dialogs. Every path that crosses this interface is a Windows path.
// The header needs Qt Core only, so logic code may show boxes through it.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box (MessageDlg): returns the button pressed as mrOk, mrCancel, mrYes or mrNo.
    virtual int messageDlg(MsgKind kind, const QString& text, MsgButtons buttons) = 0;

    // The input box (InputQuery): false on Cancel, leaving `value` as it was.
    virtual bool inputQuery(const QString& caption, const QString& prompt, QString& value) = 0;

    // The open-file dialog: the chosen file, or nothing on Cancel; "" for a file outside every
    // drive. A host name that Windows cannot hold counts as Cancel. `filter` is pairs of a
    // description and its masks, all separated by "|" ("Text files|*.txt|All files|*.*"); empty shows
    // every file.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter,
                                            const QString& initialFolder) = 0;

    // The folder browser: the chosen folder, or "" on Cancel, for a folder outside every drive or
    // for a host name that Windows cannot hold.
    virtual QString browseForFolder(const QString& title) = 0;

    // ShowMessage: a plain box with an OK button.
    void showMessage(const QString& text) { messageDlg(MsgKind::Plain, text, MsgButtons::Ok); }

    // InputBox: the text typed, or `defaultText` on Cancel.
    QString inputBox(const QString& caption, const QString& prompt, const QString& defaultText) {
        QString value = defaultText;
        return inputQuery(caption, prompt, value) ? value : defaultText;
    }
};

} // namespace niv
