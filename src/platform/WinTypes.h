#pragma once

#include <QString>

#include <compare>
#include <cstdint>
#include <stdexcept>

namespace niv {

// How the names of a path are found. A path the user typed, or one from the registry or the
// system, takes the exact spelling first, then any case, as Wine does. A name that a listing found
// is that entry only: when it has gone since, an entry differing only in case is another file.
enum class Spelling { AnyCase, Exact };

// File attribute bits, as Windows reports them.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faNormal = 0x80;
constexpr int faReparsePoint = 0x400;
constexpr int faAnyFile = 0x1FF;

// Windows error numbers the layer reports.
constexpr int ERROR_SUCCESS = 0;
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr int ERROR_ACCESS_DENIED = 5;
constexpr int ERROR_SHARING_VIOLATION = 32;
constexpr int ERROR_FILE_EXISTS = 80;
constexpr int ERROR_DISK_FULL = 112;
constexpr int ERROR_DIR_NOT_EMPTY = 145;
constexpr int ERROR_ALREADY_EXISTS = 183;
constexpr int ERROR_INVALID_PARAMETER = 87;
constexpr int ERROR_INVALID_NAME = 123;
constexpr int ERROR_FILE_TOO_LARGE = 223;

// An error raised by the platform, carrying the text its error box shows.
class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A Windows FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
using FileTime = std::int64_t;

// Which file an entry is (device and inode), whatever name reaches it.
struct FileId {
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    auto operator<=>(const FileId&) const = default;
};

} // namespace niv
