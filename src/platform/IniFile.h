#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace niv {

class Machine;

// The private-profile functions over INI files of the machine. Every call sees the file as it is on
// disk, and (for writes) replaces it whole. A parsed file is kept (see IniCache below) only as long as the
// file is unchanged.
//
// Reading: sections and keys compare case-insensitively and the first match wins (a section that
// appears twice is only looked up in its first place). The value is trimmed of blanks and tabs and
// loses one pair of matching surrounding quotes. A missing file, section or key gives the default
// without its trailing blanks.
//
// Writing keeps every line it does not change byte for byte, in the file's own encoding (UTF-8,
// Windows-1252 for files that are not valid UTF-8, UTF-16 with its BOM) and line ends.

// The value of `key` in `section`, or `defaultValue` (trailing blanks removed).
QString GetPrivateProfileString(Machine& machine, const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName);

// The leading decimal number of the value ("102abc" gives 102, "abc" gives 0, a negative number 0);
// `defaultValue` when the key is missing or its value empty.
int GetPrivateProfileInt(Machine& machine, const QString& section, const QString& key, int defaultValue,
                         const QString& fileName);

// Sets `key` in `section` to `value` as given: the value of the first matching key is replaced in
// place, else the key is added after the last non-blank line of the section, else the section is
// appended at the end. Creates the file when it is missing (not its folder). False when the file
// cannot be read or written, or when the section, key or value holds a line break or the key
// begins with "[" (nothing is written); the machine's last error tells why.
bool WritePrivateProfileString(Machine& machine, const QString& section, const QString& key,
                               const QString& value, const QString& fileName);

// What a refused INI write raises: "Unable to write to <file name>", followed by ". The folder
// <folder> cannot be written." when the file's folder refuses new files (a read-only folder or
// mount), since its name tells the user what to mend.
QString iniWriteError(Machine& machine, const QString& fileName);

// An INI file's object over the functions above. It holds only the file name.
class TIniFile {
public:
    TIniFile(Machine& machine, const QString& fileName) : m_machine(machine), m_fileName(fileName) {}

    const QString& FileName() const { return m_fileName; }

    QString ReadString(const QString& section, const QString& ident, const QString& defaultValue) const;
    // A decimal integer (optional sign, digits only, within 32 bits); anything else gives the default.
    int ReadInteger(const QString& section, const QString& ident, int defaultValue) const;

    // Raise PlatformError (iniWriteError) when the write is refused.
    void WriteString(const QString& section, const QString& ident, const QString& value);
    void WriteInteger(const QString& section, const QString& ident, int value);

private:
    Machine& m_machine;
    QString m_fileName;
};

// The parsed INI files of one machine, owned by it, so that reading many keys parses a file once.
// Every call still looks at the file: its identity, size and times must be those it was parsed
// from, and a file changed so recently that a further change could keep all of them (same size,
// same clock tick) is read again and compared byte for byte. A write through the private-profile
// functions replaces what is kept. Used from the program's own thread only.
class IniCache {
public:
    IniCache();
    ~IniCache();
    IniCache(const IniCache&) = delete;
    IniCache& operator=(const IniCache&) = delete;

    // Saves each file changed while WriteScopes were open, once, and returns the files (as the
    // callers named them) that could not be written; their changes are forgotten, so what is kept
    // is again what the disk holds. A file that another program changed meanwhile gets the changes
    // on its new content; one that was deleted meanwhile stays deleted.
    QStringList saveGathered(Machine& machine);

    struct State;
    State& state() { return *m_state; }

private:
    std::unique_ptr<State> m_state;
};

} // namespace niv
