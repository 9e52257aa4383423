#pragma once
// Best times of the runs of one benchmark program, by name, and the ratios it prints.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace bench {

inline std::map<std::string, double>& bestTimes() {
    static std::map<std::string, double> best;
    return best;
}

inline void record(const std::string& name, double seconds) {
    auto& best = bestTimes();
    auto it = best.find(name);
    if (it == best.end() || seconds < it->second) best[name] = seconds;
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs a shell command; a failing command ends the benchmark, whose figures would mean nothing.
inline void run(const std::string& cmd) {
    if (std::system(cmd.c_str()) != 0) std::abort();
}

inline double timeCommand(const std::string& cmd) {
    const auto start = std::chrono::steady_clock::now();
    run(cmd);
    return secondsSince(start);
}

// Prints ours / theirs from the best times, when both ran.
inline void printRatio(const char* ours, const char* theirs) {
    auto& best = bestTimes();
    if (!best.count(ours) || !best.count(theirs)) return;
    std::printf("%-12s / %-12s = %.2f (best %.3f s vs %.3f s)\n", ours, theirs, best[ours] / best[theirs],
                best[ours], best[theirs]);
}

} // namespace bench
