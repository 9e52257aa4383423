#include "FaultInjector.h"

#include "FileSys.h"
#include "WinPath.h"

namespace niv {

void FaultInjector::fail(Op op, const QString& pathMask, int error) {
    m_rules.push_back({op, pathMask, error});
}

void FaultInjector::failNthHostWrite(int nth, std::int64_t bytes) {
    m_diskFull.push_back({m_hostWrites + nth, std::string(), bytes});
}

void FaultInjector::failHostWrites(const std::string& hostPath, std::int64_t bytes) {
    m_diskFull.push_back({0, hostPath, bytes});
}

void FaultInjector::clear() {
    m_rules.clear();
    m_diskFull.clear();
    m_hostWrites = 0;
    m_walkHook = nullptr;
    m_hostWriteHook = nullptr;
    m_checkHook = nullptr;
}

int FaultInjector::check(Op op, const QString& winPath) const {
    if (m_checkHook) m_checkHook(op, winPath);
    for (const Rule& rule : m_rules)
        if (rule.op == op && matchesMask(winPath, rule.mask)) return rule.error;
    return 0;
}

std::int64_t FaultInjector::takeHostWrite(const std::string& hostPath) {
    ++m_hostWrites;
    if (m_hostWriteHook) m_hostWriteHook(hostPath);
    for (const DiskFull& rule : m_diskFull)
        if (rule.writeNumber == m_hostWrites || (rule.writeNumber == 0 && rule.path == hostPath))
            return rule.bytes;
    return -1;
}

} // namespace niv
