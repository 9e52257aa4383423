#pragma once

#include <QString>

#include <vector>

namespace niv {

// Lets tests make chosen operations fail, since a folder of plain files never refuses root.
class FaultInjector {
public:
    enum class Op { DeleteFile, RemoveDir, CreateDir, Open, Write, Rename, Recycle, Execute };

    // Makes `op` on every path matching `pathMask` (a Windows path, DOS wildcards, any case)
    // fail with the Windows error `error`.
    void fail(Op op, const QString& pathMask, int error);
    void clear() { m_rules.clear(); }

    // The error to report for `op` on the full Windows path, 0 when the operation may go ahead.
    int check(Op op, const QString& winPath) const;

private:
    struct Rule {
        Op op;
        QString mask;
        int error;
    };
    std::vector<Rule> m_rules;
};

} // namespace niv
