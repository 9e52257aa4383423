#pragma once

#include "WinTypes.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace niv {

// Registry value types.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;
constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr std::uint32_t REG_LINK = 6;
constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::uint32_t REG_QWORD = 11;

// A hive file that is not in Wine's registry format: "<file>: line <n>: <what>". Such a file is
// never written.
class HiveParseError : public PlatformError {
public:
    HiveParseError(const QString& file, int line, const QString& what);
    const QString& file() const { return m_file; }
    int line() const { return m_line; } // 1-based; 0 when the file could not be read at all

private:
    QString m_file;
    int m_line;
};

// One value: its name ("" for the default value), type and data as Windows stores them (strings
// are UTF-16LE with their terminating NUL).
struct RegValue {
    QString name;
    std::uint32_t type = REG_NONE;
    QByteArray data;
};

struct HiveLine;
struct HiveBlock;
class RegHive;

// A key of a hive. Keys are owned by their hive and changed only through it.
class RegKey {
public:
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey();

    const QString& name() const { return m_name; }
    RegKey* parent() const { return m_parent; }

    // Subkeys in enumeration order.
    int subkeyCount() const { return static_cast<int>(m_subkeys.size()); }
    RegKey* subkey(int index) const { return m_subkeys[static_cast<std::size_t>(index)].get(); }
    RegKey* findSubkey(const QString& name) const; // case-insensitive
    QStringList subkeyNames() const;

    // Values in enumeration order (the order of the file; new values at the end).
    int valueCount() const { return static_cast<int>(m_values.size()); }
    const RegValue& value(int index) const;
    const RegValue* findValue(const QString& name) const; // case-insensitive
    QStringList valueNames() const;

    // A symbolic link (Wine's "#link" option); its target is the value "SymbolicLinkValue".
    bool isLink() const { return m_link; }

private:
    friend class RegHive;
    friend class HiveParser;
    RegKey(const QString& name, RegKey* parent);
    int findValueIndex(const QString& upperName) const;

    QString m_name;
    QString m_upper;
    RegKey* m_parent;
    std::vector<std::unique_ptr<RegKey>> m_subkeys;
    QHash<QString, RegKey*> m_index;  // subkeys by upper-cased name
    std::vector<HiveLine*> m_values;  // live values, owned by the blocks
    std::vector<HiveBlock*> m_blocks; // the file sections of this key, in file order
    bool m_link = false;
};

// A registry hive in Wine's text format ("WINE REGISTRY Version 2"). The file's text is kept: a
// hive loaded and saved without change gives the same bytes, and a change rewrites only the lines
// it touches (the value's line, the key's timestamp line and "#time" option). Comments, options,
// unknown value types and odd but well-formed spacing all survive.
class RegHive {
public:
    // Keys lie at most this many levels below the root, as on Windows: a file with a deeper key
    // cannot be parsed, and no deeper key is created.
    static constexpr int kMaxDepth = 512;

    // A new, empty hive: the header lines Wine writes, keys relative to `baseName` ("\Machine" or
    // "\User\S-1-5-21-0-0-0-1000"), "#arch=" `arch` unless it is empty.
    RegHive(const QString& baseName, const QString& arch);
    ~RegHive();
    RegHive(const RegHive&) = delete;
    RegHive& operator=(const RegHive&) = delete;

    // Reads a hive file's text; throws HiveParseError naming `fileName` and the line at fault.
    static std::unique_ptr<RegHive> parse(const QByteArray& text, const QString& fileName);

    // The file's text.
    QByteArray serialise() const;

    // The path the keys are relative to, from the header (e.g. "\Machine"); "" when absent.
    const QString& baseName() const { return m_baseName; }

    RegKey& root() { return *m_root; }
    const RegKey& root() const { return *m_root; }

    // The key at `path` ("A\B\C", any case, "" for the root). Links are followed when their
    // target lies in this hive (the last component's only when `followLastLink`). nullptr when
    // missing.
    RegKey* findKey(const QString& path, bool followLastLink = true) const;
    // The key at `path`, created with its missing parents. `created` tells whether it was new.
    // nullptr, with nothing created, when the key would lie deeper than kMaxDepth.
    RegKey* createKey(const QString& path, bool* created = nullptr);

    // Sets a value (created at the end of the key's values when new). Returns false when nothing
    // changed because the value already had this type and data.
    bool setValue(RegKey& key, const QString& name, std::uint32_t type, const QByteArray& data);
    // False when the key has no such value.
    bool deleteValue(RegKey& key, const QString& name);
    // Deletes a key with all its subkeys; false for the root.
    bool deleteKey(RegKey& key);

    // The key's path from the root, with the spelling of the hive.
    static QString keyPath(const RegKey& key);

private:
    RegHive();
    RegKey* resolveLink(const RegKey& link) const;
    static const RegKey* lastWritten(const RegKey& key);
    static int depth(const RegKey& key);
    RegKey* addSubkey(RegKey& parent, const QString& name);
    HiveBlock* addBlock(RegKey& key);
    void touch(RegKey& key, bool needBlock);
    void removeBlocks(RegKey& key);
    void dropShadowed(RegKey& key, const QString& upperName);

    QByteArray m_header; // the lines before the first key
    QByteArray m_eol = "\n"; // the file's line end (that of its first line), for the lines we add
    QString m_baseName;
    bool m_writesTime = true; // new keys get a "#time=" line, as current Wine writes
    std::unique_ptr<RegKey> m_root;
    std::vector<std::unique_ptr<HiveBlock>> m_blocks; // file order
    mutable int m_linkHops = 0;

    friend class HiveParser;
};

} // namespace niv
