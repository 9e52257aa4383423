#pragma once

#include "support/MachineBuilder.h"

#include <QString>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace niv {

// Entries planted in the folders a cleaner walks, each a way out of what the user chose:
//
//   lnkdir, lnk.tmp         links to the sentinel tree outside the machine (and again one and two
//   level1\lnkdir, ...      levels down); a link to a sentinel file and one to a sentinel folder
//   hard.tmp                a second name of a sentinel file
//   fifo.tmp                a FIFO
//   keep. / "a " / ...      names ending in a dot or a blank, next to "keep" and "a"
//   swap\                   a folder that becomes a link to the sentinel the moment a walk enters it
//   mnt\, level1\mnt\       folders outside the machine bound there (mount --bind); left out when
//                           the test may not mount (see mountError)
//   mntfile.tmp,            files outside the machine bound onto files, the second in a folder
//   held\mntfile.tmp        that holds nothing else
//
// plus plain files (plain.tmp, level1\plain.tmp, ...) that a cleaner may rightly remove. Everything
// outside, the program folder, the invisible names and what lies behind the mount points are
// recorded when planted, and so is where each mount point is; `changes()` compares them byte for
// byte.
class HostileTree {
public:
    explicit HostileTree(MachineBuilder& builder);
    ~HostileTree(); // unmounts, wherever a cleaner moved the mount points
    HostileTree(const HostileTree&) = delete;

    // Plants the entries inside `winFolder` (made when missing); `prefix` starts every plain and
    // hostile name, so a cleaner that takes only some names (a mask, a prefix) meets them too.
    void plant(const QString& winFolder, const QString& prefix = {},
               const QString& ext = QStringLiteral(".tmp"));

    // From now on, the first walk about to enter a planted "swap" folder finds a link there.
    void armSwap();

    // Empty when everything outside, invisible or behind a mount point is as planted; else what changed.
    std::string changes() const;

    const std::string& sentinel() const { return m_sentinel; }
    // Why the mount points could not be planted; empty when they were.
    const std::string& mountError() const { return m_mountError; }

private:
    std::map<std::string, std::string> snapshot() const;

    MachineBuilder& m_builder;
    std::string m_sentinel;
    std::vector<std::string> m_watched; // host paths recorded by the snapshot
    std::vector<QString> m_swapFolders; // Windows paths, with a trailing "\"
    std::map<std::string, std::string> m_before;
    int m_swapped = 0;
    std::vector<int> m_mounts;              // a handle on each mount
    std::vector<std::string> m_mountPoints; // host paths where they were planted
    std::string m_mountError;
};

} // namespace niv
