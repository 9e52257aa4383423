#include "FaultInjector.h"

#include "FileSys.h"
#include "WinPath.h"

namespace niv {

void FaultInjector::fail(Op op, const QString& pathMask, int error) {
    m_rules.push_back({op, pathMask, error});
}

int FaultInjector::check(Op op, const QString& winPath) const {
    for (const Rule& rule : m_rules)
        if (rule.op == op && matchesMask(winPath, rule.mask)) return rule.error;
    return 0;
}

} // namespace niv
