#pragma once

#include <QByteArray>

#include <string>

namespace niv::host {

// Plain host-file helpers for the platform layer's own use; callers pass resolved host paths.

// Reads a whole file; false when it cannot be opened or read.
bool readFile(const std::string& path, QByteArray& out);

// Replaces a file as a whole: writes a temporary file beside it, optionally flushes it to disk,
// then renames it over the old one. When the target is a symbolic link or has further hard links
// it is rewritten in place instead, so the link keeps working. Returns false (and leaves the old
// file) on any failure.
bool writeFileAtomic(const std::string& path, const QByteArray& data, bool sync);

// Appends to a file, creating it when missing.
bool appendFile(const std::string& path, const QByteArray& data);

bool exists(const std::string& path);      // follows links
bool isDirectory(const std::string& path); // follows links

} // namespace niv::host
