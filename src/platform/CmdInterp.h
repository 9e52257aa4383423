#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace niv {

class Machine;

// One host process as the "tasklist" command lists it.
struct TaskEntry {
    QString imageName;
    std::int64_t pid = 0;
    std::int64_t memoryKb = 0; // resident memory
};
using TaskSource = std::function<std::vector<TaskEntry>()>;

// The host's processes in pid order, from /proc (name and VmRSS of each /proc/<pid>/status).
std::vector<TaskEntry> hostTasks();

// What "tasklist" prints: a blank line, the header, the "=" underline and one row per process,
// columns 25/8/16/11/12 wide, every line ended by CR LF. Every process is in session 1, "Console".
QByteArray formatTaskList(const std::vector<TaskEntry>& tasks);

struct BatchOptions {
    TaskSource tasks; // where "tasklist" gets its processes; hostTasks when empty
};

// Runs the lines of a batch file on the calling thread. Understood: "@", "echo off"/"echo on",
// "rem", "echo" (its text goes only into a redirection), "del" of one or more quoted or bare
// Windows paths, "tasklist", "exit"; ">" and ">>" redirect a command's output into a file (">nul"
// drops it). Everything else is skipped. Lines end in CR LF or LF.
void runBatchText(Machine& machine, const QString& text, const BatchOptions& options = {});

// Reads a batch file (UTF-8, or Windows-1252 when it is not valid UTF-8) and runs it as above.
// False when the file cannot be read.
bool runBatchFile(Machine& machine, const QString& winPath, const BatchOptions& options = {});

} // namespace niv
