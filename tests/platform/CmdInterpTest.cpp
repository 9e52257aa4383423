#include "platform/CmdInterp.h"
#include "platform/FileSys.h"
#include "support/MachineBuilder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace niv {
namespace {

const std::vector<TaskEntry> kTasks = {
    {QStringLiteral("systemd"), 1, 12288},
    {QStringLiteral("a-process-with-a-very-long-name.exe"), 4242, 0},
    {QStringLiteral("nivora"), 1234567, 98765432},
};
const TaskSource kTaskSource = [] { return kTasks; };

// The listing of kTasks, written out by hand.
const QByteArray kListing =
    "\r\n"
    "Image Name                     PID Session Name        Session#    Mem Usage\r\n"
    "========================= ======== ================ =========== ============\r\n"
    "systemd                          1 Console                    1      12288 K\r\n"
    "a-process-with-a-very-lon     4242 Console                    1          0 K\r\n"
    "nivora                     1234567 Console                    1   98765432 K\r\n";

TEST(TaskListTest, WindowsTableFormat) {
    EXPECT_EQ(formatTaskList(kTasks).toStdString(), kListing.toStdString());
}

TEST(TaskListTest, ColumnWidths) {
    const QList<QByteArray> lines = formatTaskList({}).split('\n');
    ASSERT_EQ(lines.size(), 4); // blank, header, underline, and the empty rest after the last CR LF
    EXPECT_EQ(lines[0], "\r");
    QList<int> widths;
    for (const QByteArray& run : lines[2].chopped(1).split(' '))
        widths.append(static_cast<int>(run.size()));
    EXPECT_EQ(widths, (QList<int>{25, 8, 16, 11, 12}));
    EXPECT_EQ(lines[1].size(), lines[2].size());
    EXPECT_EQ(lines[3], "");
}

TEST(TaskListTest, HostTasksIncludeThisProcess) {
    const std::vector<TaskEntry> tasks = hostTasks();
    const TaskEntry* self = nullptr;
    for (const TaskEntry& t : tasks)
        if (t.pid == ::getpid()) self = &t;
    ASSERT_NE(self, nullptr);
    EXPECT_FALSE(self->imageName.isEmpty());
    EXPECT_GT(self->memoryKb, 0);
    for (std::size_t i = 1; i < tasks.size(); ++i)
        EXPECT_LT(tasks[i - 1].pid, tasks[i].pid);
}

// --- del ---

struct DelCase {
    const char* name;
    QString line;
    QStringList gone; // files the line deletes; every other file stays
};

void PrintTo(const DelCase& c, std::ostream* out) {
    *out << c.name;
}

class DelTest : public ::testing::TestWithParam<DelCase> {};

TEST_P(DelTest, DeletesNamedFilesOnly) {
    const DelCase& c = GetParam();
    MachineBuilder b;
    const QStringList files = {QStringLiteral("C:\\Documents and Settings\\tester\\index.dat"),
                               QStringLiteral("C:\\Documents"), QStringLiteral("C:\\cache\\index.dat"),
                               QStringLiteral("C:\\cache\\other.dat"), QStringLiteral("C:\\cache\\ro.dat")};
    for (const QString& f : files)
        b.file(f, "x");
    b.folder(QStringLiteral("C:\\cache\\sub"));
    b.attributes(QStringLiteral("C:\\cache\\ro.dat"), faReadOnly);

    runBatchText(b.machine(), c.line);

    for (const QString& f : files)
        EXPECT_EQ(b.exists(f), !c.gone.contains(f)) << f.toStdString();
    EXPECT_TRUE(b.isFolder(QStringLiteral("C:\\cache\\sub")));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DelTest,
    ::testing::Values(
        DelCase{"quotedWithBlanks",
                QStringLiteral("del \"C:\\Documents and Settings\\tester\\index.dat\""),
                {QStringLiteral("C:\\Documents and Settings\\tester\\index.dat")}},
        DelCase{"bare", QStringLiteral("Del C:\\cache\\index.dat"), {QStringLiteral("C:\\cache\\index.dat")}},
        DelCase{"bareAnyCase",
                QStringLiteral("DEL c:\\CACHE\\INDEX.DAT  "),
                {QStringLiteral("C:\\cache\\index.dat")}},
        // Unquoted blanks are part of the one path, never a second file ("C:\Documents").
        DelCase{"bareWithBlanks",
                QStringLiteral("Del C:\\Documents and Settings\\tester\\index.dat"),
                {QStringLiteral("C:\\Documents and Settings\\tester\\index.dat")}},
        DelCase{"switchesSkipped",
                QStringLiteral("del /f /q \"C:\\cache\\index.dat\""),
                {QStringLiteral("C:\\cache\\index.dat")}},
        DelCase{"twoQuoted",
                QStringLiteral("del \"C:\\cache\\index.dat\" \"C:\\cache\\other.dat\""),
                {QStringLiteral("C:\\cache\\index.dat"), QStringLiteral("C:\\cache\\other.dat")}},
        DelCase{"leadingAtAndBlanks",
                QStringLiteral("  @del C:\\cache\\other.dat"),
                {QStringLiteral("C:\\cache\\other.dat")}},
        DelCase{"readOnlyStays", QStringLiteral("del C:\\cache\\ro.dat"), {}},
        DelCase{"folderStays", QStringLiteral("del C:\\cache\\sub"), {}},
        DelCase{"wildcardDeletesNothing", QStringLiteral("del C:\\cache\\*.dat"), {}},
        DelCase{"missingIsQuiet", QStringLiteral("del C:\\cache\\gone.dat"), {}},
        DelCase{"remSkipped", QStringLiteral("rem del C:\\cache\\index.dat"), {}},
        DelCase{"echoSkipped", QStringLiteral("echo del C:\\cache\\index.dat"), {}},
        DelCase{"labelSkipped", QStringLiteral(":del C:\\cache\\index.dat"), {}},
        DelCase{"unknownSkipped", QStringLiteral("delete C:\\cache\\index.dat"), {}},
        DelCase{"otherCommandSkipped", QStringLiteral("copy C:\\cache\\index.dat C:\\x.dat"), {}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- redirection, echo, exit ---

struct OutputCase {
    const char* name;
    QString text;
    QByteArray expected; // C:\out.txt afterwards; "-" when it must not exist
};

void PrintTo(const OutputCase& c, std::ostream* out) {
    *out << c.name;
}

class OutputTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputTest, FileAfterwards) {
    const OutputCase& c = GetParam();
    MachineBuilder b;
    runBatchText(b.machine(), c.text, BatchOptions{kTaskSource});
    if (c.expected == "-") {
        EXPECT_FALSE(b.exists(QStringLiteral("C:\\out.txt")));
        EXPECT_FALSE(b.exists(QStringLiteral("C:\\nul")));
    } else {
        EXPECT_TRUE(b.exists(QStringLiteral("C:\\out.txt")));
        EXPECT_EQ(b.readHost(QStringLiteral("C:\\out.txt")).toStdString(), c.expected.toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batches, OutputTest,
    ::testing::Values(
        OutputCase{"tasklistReplace", QStringLiteral("tasklist > \"C:\\out.txt\"\r\n"), kListing},
        OutputCase{"tasklistAppendTwice",
                   QStringLiteral("tasklist >> \"C:\\out.txt\"\r\nTASKLIST>>C:\\out.txt\r\n"),
                   kListing + kListing},
        OutputCase{"tasklistReplaceAfterAppend",
                   QStringLiteral("tasklist >> C:\\out.txt\ntasklist > C:\\out.txt\n"), kListing},
        OutputCase{"tasklistToConsole", QStringLiteral("tasklist\r\n"), "-"},
        OutputCase{"tasklistToNul", QStringLiteral("tasklist > nul\r\n"), "-"},
        OutputCase{"echoText", QStringLiteral("@echo off\r\necho hello world>C:\\out.txt\r\n"),
                   "hello world\r\n"},
        OutputCase{"echoKeepsBlankBeforeRedirect", QStringLiteral("echo hi > C:\\out.txt"), "hi \r\n"},
        OutputCase{"echoAppends",
                   QStringLiteral("echo one>C:\\out.txt\necho two>>C:\\out.txt\necho.>>C:\\out.txt\n"),
                   "one\r\ntwo\r\n\r\n"},
        OutputCase{"echoState", QStringLiteral("echo>C:\\out.txt\n@echo off\necho>>C:\\out.txt\n"),
                   "ECHO is on.\r\nECHO is off.\r\n"},
        OutputCase{"echoOffPrintsNothing", QStringLiteral("echo off > C:\\out.txt"), ""},
        OutputCase{"echoToConsole", QStringLiteral("echo hello\r\n"), "-"},
        OutputCase{"remIgnoresRedirect", QStringLiteral("rem tasklist > C:\\out.txt\r\n"), "-"},
        OutputCase{"unknownIgnoresRedirect", QStringLiteral("dir > C:\\out.txt\r\n"), "-"},
        OutputCase{"exitStops", QStringLiteral("echo a>C:\\out.txt\r\nExit\r\necho b>>C:\\out.txt\r\n"),
                   "a\r\n"},
        OutputCase{"exitWithSwitchStops",
                   QStringLiteral("echo a>C:\\out.txt\nexit /b 0\necho b>>C:\\out.txt\n"), "a\r\n"},
        OutputCase{"lfOnlyLines", QStringLiteral("echo a>C:\\out.txt\necho b>>C:\\out.txt"), "a\r\nb\r\n"},
        OutputCase{"quotedGreaterThanIsText", QStringLiteral("echo \"a>b\">C:\\out.txt"), "\"a>b\"\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchFileTest, TaskListBatchAsTheProgramWritesIt) {
    MachineBuilder b;
    const QString data = QStringLiteral("C:\\users\\tester\\AppData\\Roaming\\Nivfold");
    b.folder(data);
    b.file(data + QStringLiteral("\\nivwipe-task.bat"),
           "tasklist >> \"C:\\users\\tester\\AppData\\Roaming\\Nivfold\\taskl.txt\"\r\nExit\r\n");
    EXPECT_TRUE(
        runBatchFile(b.machine(), data + QStringLiteral("\\NIVWIPE-TASK.BAT"), BatchOptions{kTaskSource}));
    EXPECT_EQ(b.readHost(data + QStringLiteral("\\taskl.txt")).toStdString(), kListing.toStdString());
}

TEST(BatchFileTest, LockedFileBatchDeletesEachLine) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\ie\\one\\index.dat"), "1");
    b.file(QStringLiteral("C:\\ie\\two words\\index.dat"), "2");
    b.file(QStringLiteral("C:\\ie\\keep.dat"), "3");
    b.file(QStringLiteral("C:\\compind.bat"), "Del C:\\ie\\one\\index.dat\r\nDel \"C:\\ie\\two "
                                              "words\\index.dat\"\r\nExit\r\nDel C:\\ie\\keep.dat\r\n");
    EXPECT_TRUE(runBatchFile(b.machine(), QStringLiteral("C:\\compind.bat")));
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\ie\\one\\index.dat")));
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\ie\\two words\\index.dat")));
    EXPECT_TRUE(b.exists(QStringLiteral("C:\\ie\\keep.dat")));
}

TEST(BatchFileTest, NonUtf8FileIsWindows1252) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\café€.txt"), "x");
    b.file(QStringLiteral("C:\\run.bat"), QByteArray("del \"C:\\caf\xe9\x80.txt\"\r\n"));
    EXPECT_TRUE(runBatchFile(b.machine(), QStringLiteral("C:\\run.bat")));
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\café€.txt")));
}

TEST(BatchFileTest, Utf8File) {
    MachineBuilder b;
    b.file(QStringLiteral("C:\\café.txt"), "x");
    b.file(QStringLiteral("C:\\run.bat"), QStringLiteral("del C:\\café.txt\r\n").toUtf8());
    EXPECT_TRUE(runBatchFile(b.machine(), QStringLiteral("C:\\run.bat")));
    EXPECT_FALSE(b.exists(QStringLiteral("C:\\café.txt")));
}

TEST(BatchFileTest, MissingFileRunsNothing) {
    MachineBuilder b;
    EXPECT_FALSE(runBatchFile(b.machine(), QStringLiteral("C:\\none.bat")));
}

} // namespace
} // namespace niv
