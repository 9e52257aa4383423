#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace niv {

// Lets tests make chosen operations fail, since a folder of plain files never refuses root.
class FaultInjector {
public:
    // RegWrite (setting a value) and RegDelete (deleting a value or a key) act on registry keys:
    // their path is the root's name and the key path, "HKEY_LOCAL_MACHINE\Software\Run".
    enum class Op {
        DeleteFile,
        RemoveDir,
        CreateDir,
        Open,
        Write,
        Rename,
        Recycle,
        Execute,
        RegWrite,
        RegDelete
    };

    // Makes `op` on every path matching `pathMask` (a Windows path or a registry key path, DOS
    // wildcards, any case) fail with the Windows error `error`.
    void fail(Op op, const QString& pathMask, int error);

    // A full disk: a host file write stops with ENOSPC once `bytes` bytes of the new content are
    // down. One rule hits the `nth` host file write from now (1 is the next), the other every write
    // of one host file (the path the layer writes, a link's own path for a link).
    void failNthHostWrite(int nth, std::int64_t bytes);
    void failHostWrites(const std::string& hostPath, std::int64_t bytes);

    // Called by every walk just before it opens a folder (its Windows path, with a trailing "\"), so
    // a test can swap the folder for a link at the worst moment.
    void onWalkEnter(std::function<void(const QString&)> hook) { m_walkHook = std::move(hook); }
    void beforeWalkEnters(const QString& winFolder) const {
        if (m_walkHook) m_walkHook(winFolder);
    }

    // Called as each host file write begins (with the host path it writes), after the checks that
    // come before it, so a test can act while a save is under way.
    void onHostWrite(std::function<void(const std::string&)> hook) { m_hostWriteHook = std::move(hook); }
    // Called as each check() begins, so a test can change a place between a call's look at it and
    // its act.
    void onCheck(std::function<void(Op, const QString&)> hook) { m_checkHook = std::move(hook); }

    void clear();

    // True when some operation is made to fail, so callers build no path for check() otherwise.
    bool armed() const { return !m_rules.empty(); }

    // The error to report for `op` on the full Windows path, 0 when the operation may go ahead.
    int check(Op op, const QString& winPath) const;

    // Counts a host file write to `hostPath`; how many bytes the disk takes before it is full, -1
    // when there is no limit.
    std::int64_t takeHostWrite(const std::string& hostPath);

private:
    struct Rule {
        Op op;
        QString mask;
        int error;
    };
    struct DiskFull {
        int writeNumber; // 0: every write of `path`
        std::string path;
        std::int64_t bytes;
    };
    std::vector<Rule> m_rules;
    std::vector<DiskFull> m_diskFull;
    int m_hostWrites = 0;
    std::function<void(const QString&)> m_walkHook;
    std::function<void(const std::string&)> m_hostWriteHook;
    std::function<void(Op, const QString&)> m_checkHook;
};

} // namespace niv
