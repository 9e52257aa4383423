#include "CmdInterp.h"

#include "FileSys.h"
#include "HostIO.h"
#include "Machine.h"

#include <QStringList>

#include <algorithm>
#include <cstring>
#include <dirent.h>

namespace niv {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QString trimmedLeft(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && isBlank(s.at(i)))
        ++i;
    return s.mid(i);
}

QString trimmedBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

QString padRight(const QString& s, int width) {
    return s.size() >= width ? s : s + QString(width - s.size(), u' ');
}

QString padLeft(const QString& s, int width) {
    return s.size() >= width ? s : QString(width - s.size(), u' ') + s;
}

// Where a command's output goes.
struct Redirect {
    enum class Kind { None, Replace, Append };
    Kind kind = Kind::None;
    QString target;
};

// Splits the first unquoted ">" or ">>" and its target off a command line. A quoted target runs
// to its closing quote, a bare one to the next blank; what follows the target stays with the
// command.
QString splitRedirect(const QString& line, Redirect& redirect) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"') quoted = !quoted;
        if (quoted || c != u'>') continue;
        qsizetype j = i + 1;
        redirect.kind = Redirect::Kind::Replace;
        if (j < line.size() && line.at(j) == u'>') {
            redirect.kind = Redirect::Kind::Append;
            ++j;
        }
        while (j < line.size() && isBlank(line.at(j)))
            ++j;
        qsizetype end = j;
        if (j < line.size() && line.at(j) == u'"') {
            end = line.indexOf(u'"', j + 1);
            if (end < 0) end = line.size();
            redirect.target = line.mid(j + 1, end - j - 1);
            if (end < line.size()) ++end;
        } else {
            while (end < line.size() && !isBlank(line.at(end)))
                ++end;
            redirect.target = line.mid(j, end - j);
        }
        return line.left(i) + line.mid(end);
    }
    return line;
}

// The paths of a "del" command: switches ("/q") are skipped, a quoted path runs to its closing
// quote, and a bare path takes the rest of the line, blanks included, so that an unquoted long
// path is never cut into pieces that would name other files.
QStringList delPaths(const QString& args) {
    QStringList paths;
    qsizetype i = 0;
    while (i < args.size()) {
        while (i < args.size() && isBlank(args.at(i)))
            ++i;
        if (i >= args.size()) break;
        if (args.at(i) == u'/') {
            while (i < args.size() && !isBlank(args.at(i)))
                ++i;
            continue;
        }
        if (args.at(i) == u'"') {
            qsizetype end = args.indexOf(u'"', i + 1);
            if (end < 0) end = args.size();
            paths.append(args.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        paths.append(trimmedBlanks(args.mid(i)));
        break;
    }
    return paths;
}

class Interpreter {
public:
    Interpreter(Machine& machine, const BatchOptions& options) : m_machine(machine), m_options(options) {}

    // False when the batch ends ("exit").
    bool runLine(QString line) {
        line = trimmedLeft(line);
        if (line.startsWith(u'@')) line = trimmedLeft(line.mid(1));
        if (line.isEmpty() || line.startsWith(u':')) return true;

        qsizetype w = 0;
        while (w < line.size() && line.at(w).isLetterOrNumber())
            ++w;
        const QString word = line.left(w).toLower();
        if (word == u"rem") return true;
        if (word == u"exit") return false;

        Redirect redirect;
        const QString command = splitRedirect(line, redirect);
        QByteArray output;
        if (word == u"echo") {
            echo(command.mid(w), output);
        } else if (word == u"del" || word == u"erase") {
            for (const QString& path : delPaths(command.mid(w)))
                if (!path.isEmpty() && !path.contains(u'*') && !path.contains(u'?'))
                    DeleteFile(m_machine, path);
        } else if (word == u"tasklist") {
            output = formatTaskList(m_options.tasks ? m_options.tasks() : hostTasks());
        } else {
            return true; // not a command this interpreter knows
        }
        writeOutput(redirect, output);
        return true;
    }

private:
    // "echo on"/"echo off" switch the echo state and print nothing.
    void echo(const QString& rest, QByteArray& output) {
        const QString arg = trimmedBlanks(rest);
        if (arg.compare(QStringLiteral("off"), Qt::CaseInsensitive) == 0) {
            m_echo = false;
            return;
        }
        if (arg.compare(QStringLiteral("on"), Qt::CaseInsensitive) == 0) {
            m_echo = true;
            return;
        }
        QString text;
        if (arg.isEmpty() && (rest.isEmpty() || isBlank(rest.at(0))))
            text = m_echo ? QStringLiteral("ECHO is on.") : QStringLiteral("ECHO is off.");
        else
            text = rest.mid(1); // the character after the word ("echo x", "echo.") only separates
        output = text.toUtf8() + "\r\n";
    }

    void writeOutput(const Redirect& redirect, const QByteArray& output) {
        if (redirect.kind == Redirect::Kind::None) return; // the console is not shown
        const QString target = trimmedBlanks(redirect.target);
        if (target.isEmpty() || target.compare(QStringLiteral("nul"), Qt::CaseInsensitive) == 0) return;
        if (redirect.kind == Redirect::Kind::Append)
            AppendFileBytes(m_machine, target, output);
        else
            WriteFileBytes(m_machine, target, output);
    }

    Machine& m_machine;
    const BatchOptions& m_options;
    bool m_echo = true;
};

} // namespace

std::vector<TaskEntry> hostTasks() {
    std::vector<TaskEntry> tasks;
    DIR* proc = ::opendir("/proc");
    if (!proc) return tasks;
    while (dirent* e = ::readdir(proc)) {
        const char* name = e->d_name;
        if (!*name || std::strspn(name, "0123456789") != std::strlen(name)) continue;
        QByteArray status;
        if (!host::readFile(std::string("/proc/") + name + "/status", status)) continue; // ended meanwhile
        TaskEntry task;
        task.pid = std::strtoll(name, nullptr, 10);
        for (const QByteArray& line : status.split('\n')) {
            if (line.startsWith("Name:"))
                task.imageName = QString::fromUtf8(line.mid(5).trimmed());
            else if (line.startsWith("VmRSS:"))
                task.memoryKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
        tasks.push_back(std::move(task));
    }
    ::closedir(proc);
    std::sort(tasks.begin(), tasks.end(),
              [](const TaskEntry& a, const TaskEntry& b) { return a.pid < b.pid; });
    return tasks;
}

QByteArray formatTaskList(const std::vector<TaskEntry>& tasks) {
    constexpr int kName = 25, kPid = 8, kSession = 16, kSessionNo = 11, kMem = 12;
    QString text = QStringLiteral("\r\n");
    text += padRight(QStringLiteral("Image Name"), kName) + u' ' + padLeft(QStringLiteral("PID"), kPid) +
            u' ' + padRight(QStringLiteral("Session Name"), kSession) + u' ' +
            padLeft(QStringLiteral("Session#"), kSessionNo) + u' ' +
            padLeft(QStringLiteral("Mem Usage"), kMem) + QStringLiteral("\r\n");
    text += QString(kName, u'=') + u' ' + QString(kPid, u'=') + u' ' + QString(kSession, u'=') + u' ' +
            QString(kSessionNo, u'=') + u' ' + QString(kMem, u'=') + QStringLiteral("\r\n");
    for (const TaskEntry& task : tasks) {
        text += padRight(task.imageName.left(kName), kName) + u' ' +
                padLeft(QString::number(task.pid), kPid) + u' ' +
                padRight(QStringLiteral("Console"), kSession) + u' ' +
                padLeft(QStringLiteral("1"), kSessionNo) + u' ' +
                padLeft(QString::number(task.memoryKb) + QStringLiteral(" K"), kMem) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

void runBatchText(Machine& machine, const QString& text, const BatchOptions& options) {
    Interpreter interpreter(machine, options);
    const QStringList lines = text.split(u'\n');
    for (QString line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (!interpreter.runLine(line)) break;
    }
}

bool runBatchFile(Machine& machine, const QString& winPath, const BatchOptions& options) {
    QByteArray bytes;
    if (!ReadFileBytes(machine, winPath, bytes)) return false;
    runBatchText(machine, decodeAnsi(bytes), options);
    return true;
}

} // namespace niv
