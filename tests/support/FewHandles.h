#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

// Lets the process open only `spare` more files than it holds now, until destroyed, as on a host
// with a low handle limit: a walk deep enough then runs out of handles.
struct FewHandles {
    explicit FewHandles(rlim_t spare) {
        ::getrlimit(RLIMIT_NOFILE, &old);
        rlimit low = old;
        using Fds = std::filesystem::directory_iterator;
        low.rlim_cur = std::min<rlim_t>(old.rlim_cur, std::distance(Fds("/proc/self/fd"), Fds()) + spare);
        ::setrlimit(RLIMIT_NOFILE, &low);
    }
    ~FewHandles() { ::setrlimit(RLIMIT_NOFILE, &old); }
    rlimit old{};
};
