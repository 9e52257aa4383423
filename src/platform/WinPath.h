#pragma once

#include "WinTypes.h"

#include <QString>

#include <string>
#include <sys/stat.h>

namespace niv {

class Machine;

// Upper-cases with Unicode simple case mapping, one code point at a time (as NTFS compares).
QString winUpper(const QString& text);
// Upper-cases a-z only.
QString asciiUpper(const QString& text);
// Case-insensitive equality under winUpper.
bool sameText(const QString& a, const QString& b);
// Removes every character up to U+0020 (blanks and control characters) at both ends and nothing
// else; QString::trimmed takes other characters and leaves some controls.
QString trimControls(const QString& text);
// Equal after trimControls and winUpper. A text that trims to nothing equals nothing, so a blank
// entry is never mistaken for another.
bool sameTrimmedText(const QString& a, const QString& b);

// True for a host file name that a Windows name can hold: valid UTF-8, none of <>:"/\|?* or
// control characters, and not ending in a dot or a blank ("." and ".." pass). Other host names are
// invisible to the machine: Windows would resolve them to another entry.
bool isWindowsName(const char* hostName, std::size_t length);
// True when every component of a host path ("/" separated) is a name Windows can hold: a Windows
// name that does not end in a dot or a blank.
bool isWindowsHostPath(const std::string& hostPath);

// Makes a Windows path absolute and canonical: drive letter upper-cased, "\" separators, repeated
// separators collapsed, "." and ".." applied, trailing dots and blanks of the last component
// dropped. A path without a drive is taken relative to the current folder ("\x" to its drive).
// Keeps a trailing "\" when the path had one. Returns "" for a path the machine cannot have
// (UNC, unknown syntax).
QString fullPath(const Machine& machine, const QString& winPath);

// The folder part of a search mask: up to and including its last "\" ("" when it has none).
inline QString folderPart(const QString& mask) {
    return mask.left(mask.lastIndexOf(u'\\') + 1);
}
// The "." and ".." entries a search lists.
inline bool isDotName(const QString& name) {
    return name == u"." || name == u"..";
}

// The folder part of a path up to and including its last "\" (ExtractFilePath).
QString extractFilePath(const QString& winPath);
// The name after the last "\" or ":" (ExtractFileName).
QString extractFileName(const QString& winPath);
// The extension from the last "." of the name, with the dot; "" when there is none.
QString extractFileExt(const QString& winPath);
// The name as Windows takes it: without its trailing dots and blanks.
QString stripTrailingDotsBlanks(QString s);
// Adds a "\" when the path does not end in one.
QString includeTrailingBackslash(const QString& winPath);
QString excludeTrailingBackslash(const QString& winPath);

// Where a Windows path lies on the host, and what was found there. The calls that take one act on
// that very entry: when another stands at its place by then, they act on nothing.
struct HostPath {
    std::string path;      // host path; empty when the Windows path has no host place
    QString winPath;       // the canonical Windows path (fullPath)
    QString found{};       // winPath with each name spelt as it was found on disk
    bool exists = false;   // every component was found (the last one may be a dangling link)
    bool isRoot = false;   // the root folder of a drive
    unsigned mode = 0;     // the host's lstat mode of the last component when it exists
    FileId id{};           // the last component itself (not followed) when it exists
    bool valid() const { return !path.empty(); }
    bool isLink() const { return exists && S_ISLNK(mode); }
};

// Maps a Windows path onto the host: the drive's folder (drive_c or the dosdevices link; the
// program folder for ExeFolder) plus each component as `spelling` says: any case (exact spelling
// first, then a search of the folder; the spelling on disk wins), or exactly as spelt. Components
// that do not exist keep their spelling, so the result can be created.
HostPath resolve(const Machine& machine, const QString& winPath, Spelling spelling = Spelling::AnyCase);

// True when a resolved path is the program folder or lies inside it, which is never written, deleted,
// recycled or created in: told by identity (host::isWithin), whatever drive, link, Z: path, ".."
// or case reaches it. `followLast` for a call that acts on what a link at the end leads to (a
// write), not on the link itself (a delete or a move).
bool inProgramFolder(const Machine& machine, const HostPath& place, bool followLast = false);

// True when a resolved entry is a folder (not a link to one) that holds the program folder or is it:
// moving it would take the program folder along, out of every check made by its place.
bool holdsProgramFolder(const Machine& machine, const HostPath& place);

// The Windows path of a host path inside one of the machine's drives (or the program folder);
// "" for a host path that no drive reaches.
QString windowsPathOf(const Machine& machine, const std::string& hostPath);

// The Windows path of the program folder.
inline QString exeFolderPath() {
    return QStringLiteral("C:\\Program Files\\Nivora\\");
}

} // namespace niv
