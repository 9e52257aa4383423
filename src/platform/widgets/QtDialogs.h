#pragma once

#include "platform/Dialogs.h"

#include <functional>

namespace niv {

// Translates between the machine's Windows paths and host paths for the standard dialogs.
// Each returns "" for a path with no counterpart; a missing function maps everything to "".
struct PathMapper {
    std::function<QString(const QString& winPath)> toHost;
    std::function<QString(const QString& hostPath)> toWindows;
};

// The dialogs over QMessageBox, QInputDialog and QFileDialog. Boxes are owned by the active
// window and carry the application's title.
class QtDialogs : public Dialogs {
public:
    QtDialogs(QString appTitle, PathMapper paths);

    int messageDlg(MsgKind kind, const QString& text, MsgButtons buttons) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& initialFolder) override;
    QString browseForFolder(const QString& title) override;

private:
    QString m_appTitle;
    PathMapper m_paths;
};

// "Text files|*.txt;*.log|All files|*.*" -> "Text files (*.txt *.log);;All files (*.*)".
QString qtFileFilter(const QString& filter);

} // namespace niv
