#include "app/UAutoPwd.h"

#include "platform/Registry.h"

namespace niv {

QStringList autoFormStorageKeys() {
    return {QStringLiteral("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1"),
            QStringLiteral("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2")};
}

int clearAutoFormEntries(Machine& machine) {
    int removed = 0;
    TRegistry reg(machine);
    reg.SetRootKey(HKEY_CURRENT_USER);
    for (const QString& key : autoFormStorageKeys()) {
        if (!reg.OpenKey(QLatin1Char('\\') + key, false)) continue;
        // The names first: deleting while walking the key would skip values.
        const QStringList names = reg.GetValueNames();
        for (const QString& name : names) {
            if (reg.DeleteValue(name)) ++removed;
        }
        reg.CloseKey();
    }
    return removed;
}

} // namespace niv
