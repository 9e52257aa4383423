#pragma once

#include "platform/Machine.h"
#include "platform/Registry.h"

#include <QListWidget>
#include <QString>
#include <QStringList>

// What the tests of the recent-list and history cleaners share.
namespace niv::historytest {

inline QString q(const char* text) {
    return QString::fromUtf8(text);
}

inline const QString kRunKey = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU)");
inline const QString kFindKey = q(R"(Software\Microsoft\Windows\CurrentVersion\Explorer\Doc Find Spec MRU)");
inline const QString kDocumentKey = q(R"(Software\Microsoft\MM20\Recent Document List)");

// The names of a key's values in registry order; empty when the key does not open.
inline QStringList keyValueNames(Machine& machine, RegRoot root, const QString& key) {
    TRegistry reg(machine);
    reg.SetRootKey(root);
    return reg.OpenKey(key, false) ? reg.GetValueNames() : QStringList();
}

// A key's values as "name=text" in registry order ("name#" for one that holds no text).
inline QStringList keyValues(Machine& machine, RegRoot root, const QString& key) {
    TRegistry reg(machine);
    reg.SetRootKey(root);
    QStringList out;
    if (!reg.OpenKey(key, false)) return out;
    for (const QString& name : reg.GetValueNames()) {
        const std::optional<QString> data = ReadStringIfText(reg, name);
        out << (data ? name + u'=' + *data : name + u'#');
    }
    return out;
}

// The lines of a list box.
inline QStringList listLines(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

} // namespace niv::historytest
