#include "WriteScope.h"

#include "IniFile.h"
#include "Machine.h"
#include "Registry.h"
#include "WinTypes.h"

#include <optional>

namespace niv {

WriteScope::WriteScope(Machine& machine) : m_machine(machine) {
    ++m_machine.m_openWriteScopes;
}

WriteScope::~WriteScope() {
    if (!m_open) return;
    try {
        commit();
    } catch (...) { // a destructor that may run during unwinding must not throw
    }
}

void WriteScope::commit() {
    if (!m_open) return;
    m_open = false;
    // Closed before anything is saved, so that no failure below leaves writes gathering.
    if (--m_machine.m_openWriteScopes > 0) return;
    // Ends, once the saves are done, the turn that the scope's changes took. A scope that took none
    // gathered nothing, and does not wait for another writer's turn only to end it.
    std::optional<WriterTurn> turn;
    if (m_machine.m_machineLock) turn.emplace(m_machine);
    QString registryFailure;
    try {
        registryFailure = m_machine.registry().saveGathered();
    } catch (...) {
        m_machine.iniCache().saveGathered(m_machine);
        throw;
    }
    const QStringList iniFailures = m_machine.iniCache().saveGathered(m_machine);
    if (!registryFailure.isEmpty()) throw ERegistryException(registryFailure);
    if (!iniFailures.isEmpty()) throw PlatformError(iniWriteError(m_machine, iniFailures.first()));
}

} // namespace niv
