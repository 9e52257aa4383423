#include "Registry.h"

#include "FileSys.h"
#include "HostIO.h"
#include "Machine.h"
#include "WineServer.h"

namespace niv {

namespace {

const QString kClassesPath = QStringLiteral("Software\\Classes");
const QString kMachineBase = QStringLiteral("\\Machine");
// The user's SID as Wine gives it to the only user of a prefix.
const QString kUserBase = QStringLiteral("\\User\\S-1-5-21-0-0-0-1000");

bool isRootPath(const QString& path) {
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).isEmpty();
}

// The "#arch=" option of a hive file, "" when it has none.
QString archOf(const std::string& file) {
    QByteArray text;
    if (!host::readFile(file, text)) return QString();
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('[')) break;
        if (t.startsWith("#arch=")) return QString::fromLatin1(t.mid(6));
    }
    return QString();
}

QString unreadable(host::ReadError why) {
    QString text = QStringLiteral("the file cannot be read");
    if (why == host::ReadError::NotRegular) text += QStringLiteral(": it is not a regular file");
    if (why == host::ReadError::TooLarge)
        text += QStringLiteral(": it is larger than %1 MiB").arg(host::kMaxReadSize / (1024 * 1024));
    return text;
}

// The path that registry fault rules are matched against.
QString faultPath(RegRoot root, const QString& path) {
    static const char* const names[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT"};
    return QLatin1String(names[root]) + QLatin1Char('\\') + path;
}

// A value set, to be made again on the hive another program wrote meanwhile: that program may have
// deleted its key, which the value then brings back, as a section comes back in an INI file.
std::function<void(RegHive&)> setting(const QString& full, const QString& name, std::uint32_t type,
                                      const QByteArray& data) {
    return [=](RegHive& again) {
        if (RegKey* key = again.createKey(full)) again.setValue(*key, name, type, data);
    };
}

QString quoted(const QString& name) {
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

} // namespace

struct RegistryStore::Hive {
    std::string file;
    bool dirty = false;          // changed by gathered writes, not saved yet
    std::vector<Change> changes; // while dirty, in order: made again on what another program wrote
    bool checked = false;        // compared with its file since the outermost WriteScope opened
    std::string otherFile;       // the other hive, which tells the machine's architecture
    QString baseName;
    bool loaded = false;
    host::KeptVersion version; // of the file the model was read from or saved as
    QByteArray bytes;          // that file's bytes, which the model serialises to
    std::unique_ptr<RegHive> model;
    std::optional<HiveParseError> error;

    void load() {
        if (loaded) return;
        model.reset();
        error.reset();
        version = {};
        bytes.clear();
        if (!host::exists(file)) {
            QString arch = archOf(otherFile);
            model = std::make_unique<RegHive>(baseName, arch.isEmpty() ? QStringLiteral("win64") : arch);
        } else {
            const std::int64_t readStart = host::wallClockNs();
            QByteArray text;
            host::ReadError why = host::ReadError::None;
            if (!host::readFile(file, text, host::kMaxReadSize, &why, &version.stamp)) {
                error.emplace(QString::fromStdString(file), 0, unreadable(why));
            } else {
                version.settled = host::isSettled(version.stamp, readStart);
                try {
                    model = RegHive::parse(text, QString::fromStdString(file));
                    bytes = text;
                } catch (const HiveParseError& e) {
                    error = e;
                }
            }
        }
        loaded = true;
    }

    // Reads the file again when another program changed it since it was read or saved, and tells
    // whether it did; the bytes kept tell a change within the clock's tick.
    bool refresh() {
        if (loaded && !error && host::isUnchanged(file, version, [this] { return bytes; })) return false;
        loaded = false;
        load();
        return true;
    }
};

RegistryStore& Machine::registry() {
    if (!m_registry) m_registry = std::make_shared<RegistryStore>(*this);
    return *m_registry;
}

RegistryStore::RegistryStore(Machine& machine) : m_machine(machine) {
    const std::string system = machine.root() + "/system.reg";
    const std::string user = machine.root() + "/user.reg";
    m_hives[0] = std::make_unique<Hive>();
    m_hives[0]->file = system;
    m_hives[0]->otherFile = user;
    m_hives[0]->baseName = kMachineBase;
    m_hives[1] = std::make_unique<Hive>();
    m_hives[1]->file = user;
    m_hives[1]->otherFile = system;
    m_hives[1]->baseName = kUserBase;
}

RegistryStore::~RegistryStore() = default;

RegistryStore::Hive& RegistryStore::hiveOf(RegRoot root) {
    return *m_hives[root == HKEY_CURRENT_USER ? 1 : 0];
}

std::string RegistryStore::hiveFile(RegRoot root) const {
    return m_hives[root == HKEY_CURRENT_USER ? 1 : 0]->file;
}

void RegistryStore::loadAll() {
    for (auto& h : m_hives) {
        h->load();
        if (h->error) throw *h->error;
    }
}

void RegistryStore::unload() {
    for (auto& h : m_hives) {
        h->dirty = false;
        h->changes.clear();
        h->checked = false;
        h->loaded = false;
        h->model.reset();
        h->error.reset();
    }
}

QString RegistryStore::fullPath(RegRoot root, const QString& path) {
    if (root != HKEY_CLASSES_ROOT) return path;
    return kClassesPath + QLatin1Char('\\') + path;
}

RegHive* RegistryStore::model(RegRoot root) {
    Hive& h = hiveOf(root);
    h.load();
    return h.model.get();
}

void RegistryStore::checkFile(RegRoot root) {
    Hive& h = hiveOf(root);
    // Once per operation, or once per scope: a later check could drop the changes gathered so far.
    if (h.checked) return;
    // Within a scope the machine's turn, once taken, lasts until the scope has saved: taken here, what
    // the scope reads is what it changes, with no other writer between.
    if (m_machine.gatheringWrites()) WriterTurn{m_machine};
    h.refresh();
    h.checked = m_machine.gatheringWrites();
}

RegHive& RegistryStore::writable(RegRoot root) {
    checkFile(root);
    Hive& h = hiveOf(root);
    if (h.error) throw *h.error;
    return *h.model;
}

namespace {

// Says why, as a full disk or a refused folder are the user's to mend.
QString cannotWrite(const std::string& file, int error) {
    return QStringLiteral("Cannot write the registry file %1. %2")
        .arg(QString::fromStdString(file), SysErrorMessage(host::errnoToWin(error)));
}

} // namespace

QString RegistryStore::save(Hive& h) {
    QString failure;
    const std::int64_t writeStart = host::wallClockNs();
    const QByteArray bytes = h.model->serialise();
    if (wineServerRunning(m_machine))
        failure = wineServerMessage(m_machine, ServerFound::BeforeChange);
    else if (!host::writeFileAtomic(h.file, bytes, m_machine.faults().takeHostWrite(h.file)))
        failure = cannotWrite(h.file, errno);
    if (failure.isEmpty()) {
        h.version = host::versionOf(h.file, writeStart);
        h.bytes = bytes;
        // A server that started meanwhile may have read the old file, and writes it back when it ends.
        return wineServerRunning(m_machine) ? wineServerMessage(m_machine, ServerFound::AfterChange)
                                            : failure;
    }
    // Read the file again on next use, so memory never holds what the disk does not.
    h.loaded = false;
    h.model.reset();
    return failure;
}

void RegistryStore::commit(RegRoot root, Change change) {
    Hive& h = hiveOf(root);
    if (m_machine.gatheringWrites()) {
        h.dirty = true;
        h.changes.push_back(std::move(change));
        return;
    }
    const QString failure = save(h);
    if (!failure.isEmpty()) throw ERegistryException(failure);
}

QString RegistryStore::saveGathered() {
    QString failure;
    for (auto& h : m_hives) {
        h->checked = false;
        if (!h->dirty) continue;
        const std::vector<Change> changes = std::move(h->changes);
        h->changes.clear();
        // Wine takes no lock, and this process's other machines on the folder share the turn: the
        // file may have changed since the scope checked it. The changes then go onto what is there;
        // what cannot be parsed is kept, and the changes fail as they would one at a time.
        if (h->refresh() && !h->error) {
            for (const Change& change : changes)
                change(*h->model);
        }
        h->dirty = false;
        const QString why = h->error ? h->error->message() : save(*h);
        if (failure.isEmpty()) failure = why;
    }
    return failure;
}

bool RegistryStore::keyExists(RegRoot root, const QString& path) {
    if (isRootPath(path)) return true;
    return findKey(root, path) != nullptr;
}

const RegKey* RegistryStore::findKey(RegRoot root, const QString& path) {
    RegHive* m = model(root);
    return m ? m->findKey(fullPath(root, path)) : nullptr;
}

const RegValue* RegistryStore::findValue(RegRoot root, const QString& path, const QString& name) {
    const RegKey* key = findKey(root, path);
    return key ? key->findValue(name) : nullptr;
}

QStringList RegistryStore::subkeyNames(RegRoot root, const QString& path) {
    const RegKey* key = findKey(root, path);
    return key ? key->subkeyNames() : QStringList();
}

QStringList RegistryStore::valueNames(RegRoot root, const QString& path) {
    const RegKey* key = findKey(root, path);
    return key ? key->valueNames() : QStringList();
}

bool RegistryStore::createKey(RegRoot root, const QString& path) {
    const WriterTurn turn(m_machine);
    RegHive& m = writable(root);
    const QString full = fullPath(root, path);
    bool created = false;
    if (!m.createKey(full, &created)) return false;
    if (created) commit(root, [full](RegHive& again) { again.createKey(full); });
    return created;
}

bool RegistryStore::setValue(RegRoot root, const QString& path, const QString& name, std::uint32_t type,
                             const QByteArray& data) {
    const WriterTurn turn(m_machine);
    RegHive& m = writable(root);
    const QString full = fullPath(root, path);
    RegKey* key = m.findKey(full);
    if (!key || m_machine.faults().check(FaultInjector::Op::RegWrite, faultPath(root, path))) return false;
    if (m.setValue(*key, name, type, data)) commit(root, setting(full, name, type, data));
    return true;
}

void RegistryStore::setRawValue(RegRoot root, const QString& path, const QString& name, std::uint32_t type,
                                const QByteArray& data) {
    const WriterTurn turn(m_machine);
    RegHive& m = writable(root);
    const QString full = fullPath(root, path);
    bool created = false;
    RegKey* key = m.createKey(full, &created);
    if (!key) throw ERegistryException(QStringLiteral("Failed to create key %1").arg(path));
    if (m.setValue(*key, name, type, data) || created) commit(root, setting(full, name, type, data));
}

bool RegistryStore::deleteValue(RegRoot root, const QString& path, const QString& name) {
    const WriterTurn turn(m_machine);
    RegHive& m = writable(root);
    const QString full = fullPath(root, path);
    RegKey* key = m.findKey(full);
    if (!key || m_machine.faults().check(FaultInjector::Op::RegDelete, faultPath(root, path))) return false;
    if (!m.deleteValue(*key, name)) return false;
    commit(root, [full, name](RegHive& again) {
        if (RegKey* k = again.findKey(full)) again.deleteValue(*k, name);
    });
    return true;
}

bool RegistryStore::deleteKey(RegRoot root, const QString& path) {
    if (isRootPath(path)) return false;
    const WriterTurn turn(m_machine);
    RegHive& m = writable(root);
    // A link is deleted itself, not the key it leads to.
    const QString full = fullPath(root, path);
    RegKey* key = m.findKey(full, false);
    if (!key || m_machine.faults().check(FaultInjector::Op::RegDelete, faultPath(root, path))) return false;
    if (!m.deleteKey(*key)) return false;
    commit(root, [full](RegHive& again) {
        if (RegKey* k = again.findKey(full, false)) again.deleteKey(*k);
    });
    return true;
}

// ---- TRegistry ----

TRegistry::TRegistry(Machine& machine) : m_machine(machine) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(RegRoot root) {
    if (root == m_root) return;
    m_root = root;
    CloseKey();
}

bool TRegistry::fullRights() const {
    return m_root == HKEY_CURRENT_USER || m_machine.isAdministrator();
}

QString TRegistry::target(const QString& key, bool& relative) const {
    relative = !key.startsWith(QLatin1Char('\\'));
    const QString sub = relative ? key : key.mid(1);
    return relative && m_open ? m_path + QLatin1Char('\\') + sub : sub;
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    bool relative = false;
    const QString path = target(key, relative);
    if (!fullRights()) return false;
    RegistryStore& store = m_machine.registry();
    store.checkFile(m_root);
    const bool wantsCreate = canCreate && key.size() > (relative ? 0 : 1);
    if (!store.keyExists(m_root, path)) {
        // A key opened read-only cannot have subkeys created below it.
        if (!wantsCreate || (relative && m_open && m_readOnly)) return false;
        // Not new when another program made it meanwhile; missing afterwards when too deep.
        if (!store.createKey(m_root, path) && !store.keyExists(m_root, path)) return false;
    }
    m_open = true;
    m_readOnly = false;
    m_path = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& key) {
    bool relative = false;
    const QString path = target(key, relative);
    RegistryStore& store = m_machine.registry();
    store.checkFile(m_root);
    if (!store.keyExists(m_root, path)) return false;
    m_open = true;
    m_readOnly = true;
    m_path = path;
    return true;
}

void TRegistry::CloseKey() {
    m_open = false;
    m_readOnly = false;
    m_path.clear();
}

bool TRegistry::CreateKey(const QString& key) {
    bool relative = false;
    const QString path = target(key, relative);
    if (!fullRights() || (relative && m_open && m_readOnly))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(key));
    RegistryStore& store = m_machine.registry();
    if (!store.createKey(m_root, path) && !store.keyExists(m_root, path))
        throw ERegistryException(QStringLiteral("Failed to create key %1").arg(key));
    return true;
}

bool TRegistry::KeyExists(const QString& key) {
    bool relative = false;
    RegistryStore& store = m_machine.registry();
    store.checkFile(m_root);
    return store.keyExists(m_root, target(key, relative));
}

bool TRegistry::DeleteKey(const QString& key) {
    bool relative = false;
    const QString path = target(key, relative);
    if (!fullRights() || (relative && m_open && m_readOnly)) return false;
    if (isRootPath(relative ? key : key.mid(1))) return false;
    return m_machine.registry().deleteKey(m_root, path);
}

bool TRegistry::HasSubKeys() {
    if (!m_open) return false;
    const RegKey* k = m_machine.registry().findKey(m_root, m_path);
    return k && k->subkeyCount() > 0;
}

QStringList TRegistry::GetKeyNames() {
    return m_open ? m_machine.registry().subkeyNames(m_root, m_path) : QStringList();
}

QStringList TRegistry::GetValueNames() {
    return m_open ? m_machine.registry().valueNames(m_root, m_path) : QStringList();
}

const RegValue* TRegistry::valueOf(const QString& name) {
    return m_open ? m_machine.registry().findValue(m_root, m_path, name) : nullptr;
}

bool TRegistry::ValueExists(const QString& name) {
    return valueOf(name) != nullptr;
}

int TRegistry::GetDataType(const QString& name) {
    const RegValue* v = valueOf(name);
    return v ? static_cast<int>(v->type) : -1;
}

int TRegistry::GetDataSize(const QString& name) {
    const RegValue* v = valueOf(name);
    return v ? static_cast<int>(v->data.size()) : -1;
}

QString TRegistry::ReadString(const QString& name) {
    const RegValue* v = valueOf(name);
    if (!v || v->data.isEmpty()) return QString();
    if (v->type != REG_SZ && v->type != REG_EXPAND_SZ)
        throw ERegistryException(QStringLiteral("Invalid data type for %1").arg(quoted(name)));
    QString out;
    const QByteArray& d = v->data;
    for (qsizetype i = 0; i + 1 < d.size(); i += 2) {
        const auto c = static_cast<char16_t>(static_cast<unsigned char>(d[i]) |
                                             (static_cast<unsigned char>(d[i + 1]) << 8));
        if (!c) break;
        out.append(QChar(c));
    }
    return out;
}

int TRegistry::ReadInteger(const QString& name) {
    const RegValue* v = valueOf(name);
    // Data larger than the 4-byte buffer cannot be fetched at all, whatever its type.
    if (!v || v->data.size() > 4)
        throw ERegistryException(QStringLiteral("Failed to get data for %1").arg(quoted(name)));
    if (v->type != REG_DWORD)
        throw ERegistryException(QStringLiteral("Invalid data type for %1").arg(quoted(name)));
    std::uint32_t n = 0;
    for (qsizetype i = 0; i < v->data.size(); ++i)
        n |= std::uint32_t(static_cast<unsigned char>(v->data[i])) << (8 * i);
    return static_cast<int>(n);
}

QByteArray TRegistry::ReadBinaryData(const QString& name) {
    const RegValue* v = valueOf(name);
    if (!v) return QByteArray();
    if (v->type == REG_SZ || v->type == REG_EXPAND_SZ || v->type == REG_DWORD)
        throw ERegistryException(QStringLiteral("Invalid data type for %1").arg(quoted(name)));
    return v->data;
}

void TRegistry::write(const QString& name, std::uint32_t type, const QByteArray& data) {
    if (!m_open || m_readOnly || !m_machine.registry().setValue(m_root, m_path, name, type, data))
        throw ERegistryException(QStringLiteral("Failed to set data for %1").arg(quoted(name)));
}

namespace {

QByteArray utf16z(const QString& text) {
    QByteArray out;
    out.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    out.append(2, '\0');
    return out;
}

} // namespace

void TRegistry::WriteString(const QString& name, const QString& value) {
    write(name, REG_SZ, utf16z(value));
}

void TRegistry::WriteExpandString(const QString& name, const QString& value) {
    write(name, REG_EXPAND_SZ, utf16z(value));
}

void TRegistry::WriteInteger(const QString& name, int value) {
    QByteArray data;
    const auto n = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        data += static_cast<char>((n >> (8 * i)) & 0xFF);
    write(name, REG_DWORD, data);
}

void TRegistry::WriteBinaryData(const QString& name, const QByteArray& data) {
    write(name, REG_BINARY, data);
}

bool TRegistry::DeleteValue(const QString& name) {
    if (!m_open || m_readOnly) return false;
    return m_machine.registry().deleteValue(m_root, m_path, name);
}

std::optional<QString> ReadStringIfText(TRegistry& reg, const QString& name) {
    try {
        return reg.ReadString(name);
    } catch (const ERegistryException&) {
        return std::nullopt;
    }
}

} // namespace niv
