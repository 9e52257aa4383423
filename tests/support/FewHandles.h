#pragma once

#include <sys/resource.h>

#include <filesystem>

namespace niv {

// Lets the process open only about `spare` more files than it holds now, until destroyed, as on a
// host with a low handle limit: a walk deep enough then runs out of handles. Each test runs in its
// own process, and the limit is restored at the end.
class FewHandles {
public:
    explicit FewHandles(int spare) {
        ::getrlimit(RLIMIT_NOFILE, &m_old);
        rlim_t open = 0;
        for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd"))
            ++open;
        rlimit lower = m_old;
        lower.rlim_cur = open + static_cast<rlim_t>(spare);
        m_lowered = lower.rlim_cur < m_old.rlim_cur && ::setrlimit(RLIMIT_NOFILE, &lower) == 0;
    }
    ~FewHandles() {
        if (m_lowered) ::setrlimit(RLIMIT_NOFILE, &m_old);
    }
    FewHandles(const FewHandles&) = delete;
    FewHandles& operator=(const FewHandles&) = delete;

    bool lowered() const { return m_lowered; }

private:
    rlimit m_old{};
    bool m_lowered = false;
};

} // namespace niv
