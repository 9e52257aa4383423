#pragma once

#include "RegHive.h"
#include "WinTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace niv {

class Machine;

// The registry roots the program uses. HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes.
enum RegRoot { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT };

// A registry error the caller can catch; its text names the value and what failed
// ("Invalid data type for 'Name'", "Failed to get data for 'Name'", ...).
class ERegistryException : public PlatformError {
public:
    using PlatformError::PlatformError;
};

// The machine's two hives: HKLM in <machine>/system.reg and HKCU in <machine>/user.reg. Each is
// read on first use; a missing file is an empty hive, created by the first change. Every change is
// written through at once (whole file, flushed, replaced atomically), or, inside a WriteScope, when
// the outermost scope ends. Before each change and each read operation (checkFile; inside a scope,
// only at its first use of the hive) the file is checked as the INI files are, and read again when
// another program changed it, so that reads show what that program wrote and changes land on it.
// A scope's save checks again: a file changed while the scope was open is read afresh and the
// scope's changes are made again on it, in order. A file that cannot be parsed is never written:
// reads find nothing in it and every change raises its HiveParseError. While a wineserver
// runs for the machine (see WineServer.h), it owns the registry: nothing is written. The server is
// looked for again after each save's rename, since one that started meanwhile may have read the old
// file. Each change holds the machine's WriterTurn from its check to its save.
//
// Paths are key paths below the root ("Software\Foo", any case, "\" separated). These calls apply
// no access rights; TRegistry does.
class RegistryStore {
public:
    explicit RegistryStore(Machine& machine);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Reads both hives now; throws HiveParseError for the first that cannot be parsed.
    void loadAll();
    // Forgets what was read, so that the next use reads the files again.
    void unload();

    // The host file of the hive that holds `root`.
    std::string hiveFile(RegRoot root) const;

    // Starts a read operation on the hive of `root`: one stat of its file, which is read again when
    // another program changed or deleted it. The reads below use the hive as last checked.
    void checkFile(RegRoot root);

    bool keyExists(RegRoot root, const QString& path);
    // The key (links followed), or nullptr. Valid until the next change, checkFile or unload.
    const RegKey* findKey(RegRoot root, const QString& path);
    const RegValue* findValue(RegRoot root, const QString& path, const QString& name);
    QStringList subkeyNames(RegRoot root, const QString& path);
    QStringList valueNames(RegRoot root, const QString& path);

    // Creates the key and its missing parents; true when it was new, false when it existed or would
    // lie deeper than RegHive::kMaxDepth (then nothing is created).
    bool createKey(RegRoot root, const QString& path);
    // Sets a value of an existing key; false when the key does not exist.
    bool setValue(RegRoot root, const QString& path, const QString& name, std::uint32_t type,
                  const QByteArray& data);
    // Sets a value of any type and data, creating the key when needed (for tests and builders);
    // raises ERegistryException when the key would lie too deep.
    void setRawValue(RegRoot root, const QString& path, const QString& name, std::uint32_t type,
                     const QByteArray& data);
    bool deleteValue(RegRoot root, const QString& path, const QString& name);
    // Deletes the key with all its subkeys; false when it does not exist or is a root.
    bool deleteKey(RegRoot root, const QString& path);

    // setValue, deleteValue and deleteKey also give false when the machine's fault rules refuse
    // the key (FaultInjector::Op::RegWrite, RegDelete), as Windows refuses a key without rights.
    // Every changing call above throws ERegistryException when the hive cannot be written: "Cannot
    // write the registry file <file>. <why>" (SysErrorMessage), or while a wineserver runs its
    // wineServerMessage (BeforeChange); the change is then undone. A server found after the rename
    // raises its AfterChange message: the change is on disk, but may not last. A file that could
    // not be parsed raises its HiveParseError.

    // Saves each hive changed while WriteScopes were open and returns the first failure ("" when
    // every save went through): a save's failure above, or the HiveParseError of a file changed
    // meanwhile into one that cannot be parsed (kept as it is, without the scope's changes). A hive
    // that could not be saved is read again on next use.
    QString saveGathered();

private:
    struct Hive;
    // A change as made to the hive, to make again on a newer file.
    using Change = std::function<void(RegHive&)>;
    Hive& hiveOf(RegRoot root);
    RegHive* model(RegRoot root);
    RegHive& writable(RegRoot root);
    void commit(RegRoot root, Change change);
    QString save(Hive& hive);
    static QString fullPath(RegRoot root, const QString& path);

    Machine& m_machine;
    std::unique_ptr<Hive> m_hives[2];
};

// A registry object: a root, one open key, and typed reads and writes. Opening a key, and each call
// that names a key, starts a read operation (RegistryStore::checkFile); the open key's values are
// read from the hive as then checked, and every write checks the file again.
// Keys are always opened asking for full rights; without the machine's administrator flag such
// opens of HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT keys fail. A path with a leading "\" starts
// at the root, any other at the open key (or the root when none is open). Readers never create
// keys.
class TRegistry {
public:
    explicit TRegistry(Machine& machine);
    ~TRegistry();

    RegRoot RootKey() const { return m_root; }
    // Switching to another root closes the open key.
    void SetRootKey(RegRoot root);

    // False when the key is missing and cannot be made: not asked to, no rights, or it would lie
    // deeper than the registry allows.
    bool OpenKey(const QString& key, bool canCreate);
    // Opens with read rights: works without administrator rights; the key's values cannot be
    // changed through it.
    bool OpenKeyReadOnly(const QString& key);
    void CloseKey();
    // Creates the key; raises ERegistryException "Failed to create key <key>" when it cannot.
    bool CreateKey(const QString& key);
    bool KeyExists(const QString& key);
    // Deletes the key with its subkeys; false when it is missing or cannot be deleted.
    bool DeleteKey(const QString& key);
    bool HasSubKeys();
    QStringList GetKeyNames();
    // The names of the open key's values; the default value is "".
    QStringList GetValueNames();
    QString CurrentPath() const { return m_path; }

    bool ValueExists(const QString& name);
    // The value's Windows type (REG_SZ, ...), -1 when it does not exist.
    int GetDataType(const QString& name);
    // The data size in bytes, -1 when the value does not exist.
    int GetDataSize(const QString& name);

    // REG_SZ or REG_EXPAND_SZ text (unexpanded) up to the first NUL; "" for a missing or empty
    // value; any other type raises "Invalid data type for 'Name'".
    QString ReadString(const QString& name);
    // A REG_DWORD; a missing value raises "Failed to get data for 'Name'", another type
    // "Invalid data type for 'Name'".
    int ReadInteger(const QString& name);
    bool ReadBool(const QString& name) { return ReadInteger(name) != 0; }
    // The bytes of a value of any type but string and DWORD (those raise); empty when missing.
    QByteArray ReadBinaryData(const QString& name);

    // Each write raises "Failed to set data for 'Name'" when no key is open or it was opened
    // read-only, and PlatformError when the hive file cannot be written.
    void WriteString(const QString& name, const QString& value); // REG_SZ
    void WriteExpandString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int value); // REG_DWORD
    void WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    void WriteBinaryData(const QString& name, const QByteArray& data);
    bool DeleteValue(const QString& name);

private:
    bool fullRights() const;
    QString target(const QString& key, bool& relative) const;
    const RegValue* valueOf(const QString& name);
    void write(const QString& name, std::uint32_t type, const QByteArray& data);

    Machine& m_machine;
    RegRoot m_root = HKEY_CURRENT_USER;
    bool m_open = false;
    bool m_readOnly = false;
    QString m_path;
};

// ReadString for readers that pass over what is not text: nothing, instead of the read error, when
// the value holds data of another type.
std::optional<QString> ReadStringIfText(TRegistry& reg, const QString& name);

} // namespace niv
