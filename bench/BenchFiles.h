#pragma once
// The trees the benchmarks build, written straight to the host: their making is never timed.
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace bench {

// A file of `size` zero bytes (at most 4096); a failure ends the benchmark.
inline void writeFile(const std::string& path, std::size_t size) {
    static const char zeros[4096] = {};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, zeros, size) != static_cast<ssize_t>(size)) std::abort();
    ::close(fd);
}

// A Firefox cache as the drive scan finds it: 16 hex folders "0" to "F", each with ten sub-folders
// where the entries lie, 100,000 files in all. `name(f)` and `size(h, s, f)` give each file's name
// and size; returns the bytes written. The folder must exist and be empty.
constexpr int kHexFolders = 16;
constexpr int kHexSubfolders = 10;
constexpr int kFilesPerHexSubfolder = 625;
constexpr int kHexCacheFiles = kHexFolders * kHexSubfolders * kFilesPerHexSubfolder;

template <class Name, class Size> std::int64_t makeHexCache(const std::string& folder, Name name, Size size) {
    std::int64_t bytes = 0;
    for (int h = 0; h < kHexFolders; ++h) {
        const std::string hex = folder + '/' + "0123456789ABCDEF"[h];
        ::mkdir(hex.c_str(), 0755);
        for (int s = 0; s < kHexSubfolders; ++s) {
            const std::string sub = hex + "/" + std::to_string(10 + s);
            ::mkdir(sub.c_str(), 0755);
            for (int f = 0; f < kFilesPerHexSubfolder; ++f) {
                const std::size_t n = size(h, s, f);
                writeFile(sub + '/' + name(f), n);
                bytes += static_cast<std::int64_t>(n);
            }
        }
    }
    ::sync();
    return bytes;
}

} // namespace bench
