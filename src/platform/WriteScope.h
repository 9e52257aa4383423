#pragma once

namespace niv {

class Machine;

// Gathers the writes of one operation, so that a step that changes many values saves each file
// once instead of once per value. While a scope is open, registry changes (RegistryStore,
// TRegistry) and INI writes (WritePrivateProfileString, TIniFile) change memory only, and every
// read sees them. When the outermost scope ends, each changed hive and INI file is saved once,
// whole and atomically, as a single write saves it: a program killed at any moment leaves each
// file as it was before the operation or after it. Scopes nest; an inner one saves nothing when it
// ends.
//
// Each hive is checked against its file at the scope's first read or change of it, and read again
// when another program changed it, so what the operation reads and changes is what that program
// wrote. Each changed file is checked again as it is saved, as a program that takes no turn (Wine)
// may have written it meanwhile: the scope's changes are then made again on what it wrote.
//
// An exception that leaves the scope does not undo what was changed before it: those changes are
// saved, as separate writes would already have been. A file that cannot be saved loses every
// change of the operation, in memory too, so memory never holds what the disk does not.
class WriteScope {
public:
    explicit WriteScope(Machine& machine);
    // Saves, unless commit() did; a failure is then not reported.
    ~WriteScope();
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

    // Ends the scope. The outermost saves, and raises for the first file that could not be
    // saved: ERegistryException for a hive (see RegistryStore), PlatformError (iniWriteError) for
    // an INI file. The machine's WriterTurn taken by the scope's changes is held until
    // the saves are done.
    void commit();

private:
    Machine& m_machine;
    bool m_open = true;
};

} // namespace niv
