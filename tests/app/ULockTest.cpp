#include "app/ULock.h"
#include "app/ufirst.h"
#include "core/SettingsStore.h"
#include "platform/CmdInterp.h"
#include "platform/FileSys.h"
#include "platform/Registry.h"
#include "support/AppFixture.h"

#include <gtest/gtest.h>

#include <optional>

using namespace niv;

namespace {

const QString kFolder = QStringLiteral("C:\\Data Folder\\Nivfold");
const QString kBatch = kFolder + QStringLiteral("\\compind.bat");
const QString kQuotedBatch = u'"' + kBatch + u'"';
const QString kCleanup = QStringLiteral("Cleanup");

// A context whose data folder exists and holds a path with a blank.
struct LockFixture : AppFixture {
    LockFixture() {
        b.folder(kFolder);
        ctx.g.LockedBatchPath = kBatch;
    }
    void commands(const QStringList& lines) {
        for (int i = 0; i < lines.size(); ++i)
            ctx.g.LockedFileCommands[static_cast<std::size_t>(i + 1)] = lines[i];
    }
    // The start-up key: absent, present without "Cleanup", or with it.
    enum class Key { Absent, Empty, Registered };
    void startupKey(const QString& path, Key state) {
        if (state == Key::Absent) return;
        b.regString(HKEY_CURRENT_USER, path, QStringLiteral("Other"), QStringLiteral("C:\\other.exe"));
        if (state == Key::Registered)
            b.regString(HKEY_CURRENT_USER, path, kCleanup, QStringLiteral("C:\\old.bat"));
    }
    // "-" for a missing key, "" for a key without "Cleanup", else the value's text. Every key
    // that exists must still hold its other value.
    QString cleanupIn(const QString& path) {
        TRegistry reg(b.machine());
        if (!reg.OpenKey(path, false)) return QStringLiteral("-");
        EXPECT_EQ(reg.ReadString(QStringLiteral("Other")), QStringLiteral("C:\\other.exe"))
            << path.toStdString();
        if (!reg.ValueExists(kCleanup)) return QString();
        EXPECT_EQ(reg.GetDataType(kCleanup), REG_SZ);
        return reg.ReadString(kCleanup);
    }
};

} // namespace

TEST(LockedFileBatchTest, CommandsUpToTheFirstEmptySlotThenExit) {
    AppFixture f;
    EXPECT_EQ(lockedFileBatchText(f.ctx.g), QByteArray("Exit\r\n"));
    f.ctx.g.LockedFileCommands[1] = QStringLiteral("Del C:\\WINDOWS\\TEMPOR~1\\index.dat");
    f.ctx.g.LockedFileCommands[2] = QStringLiteral("Del C:\\WINDOWS\\Cookies\\index.dat");
    f.ctx.g.LockedFileCommands[4] = QStringLiteral("Del C:\\after-the-gap.dat");
    EXPECT_EQ(lockedFileBatchText(f.ctx.g),
              QByteArray(
                  "Del C:\\WINDOWS\\TEMPOR~1\\index.dat\r\nDel C:\\WINDOWS\\Cookies\\index.dat\r\nExit\r\n"));
}

TEST(LockedFileBatchTest, FiftyCommandsGiveFiftyOneLines) {
    AppFixture f;
    QByteArray expected;
    for (int slot = 1; slot <= 50; ++slot) {
        f.ctx.g.LockedFileCommands[static_cast<std::size_t>(slot)] =
            QStringLiteral("Del C:\\f%1.dat").arg(slot);
        expected += "Del C:\\f" + QByteArray::number(slot) + ".dat\r\n";
    }
    expected += "Exit\r\n";
    const QByteArray text = lockedFileBatchText(f.ctx.g);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.count("\r\n"), 51);
    EXPECT_TRUE(text.endsWith("\r\nExit\r\n"));
}

TEST(LockedFileBatchTest, DelPathsWithBlanksAreQuoted) {
    struct Case {
        const char* stored;
        const char* written;
    };
    const Case cases[] = {
        {"Del C:\\DOCUME~1\\index.dat", "Del C:\\DOCUME~1\\index.dat"},
        {"Del C:\\Users\\John Smith\\index.dat", "Del \"C:\\Users\\John Smith\\index.dat\""},
        {"del C:\\a b\\index.dat", "del \"C:\\a b\\index.dat\""},
        {"DEL C:\\a b\\index.dat", "DEL \"C:\\a b\\index.dat\""},
        {"Del \"C:\\a b\\index.dat\"", "Del \"C:\\a b\\index.dat\""},
        {"Delete C:\\a b", "Delete C:\\a b"}, // not a del command
        {"Echo a b", "Echo a b"},
    };
    for (const Case& c : cases) {
        AppFixture f;
        f.ctx.g.LockedFileCommands[1] = QString::fromUtf8(c.stored);
        EXPECT_EQ(lockedFileBatchText(f.ctx.g), QByteArray(c.written) + "\r\nExit\r\n") << c.stored;
    }
}

TEST(LockedFileBatchTest, WrittenInUtf8AndRunnableByTheCommandInterpreter) {
    LockFixture f;
    f.b.file(QStringLiteral("C:\\Users\\Jörg Weiß\\index.dat"), "locked");
    f.b.file(QStringLiteral("C:\\Cache\\index.dat"), "locked");
    f.b.file(QStringLiteral("C:\\Users\\Jörg Weiß\\keep.dat"), "kept");
    f.commands(
        {QStringLiteral("Del C:\\Users\\Jörg Weiß\\index.dat"), QStringLiteral("Del C:\\Cache\\index.dat")});
    ASSERT_TRUE(WriteLockedFileBatch(f.ctx, kBatch));
    EXPECT_EQ(f.b.readHost(kBatch), QStringLiteral("Del \"C:\\Users\\Jörg Weiß\\index.dat\"\r\n"
                                                   "Del C:\\Cache\\index.dat\r\nExit\r\n")
                                        .toUtf8());
    ASSERT_TRUE(runBatchFile(f.b.machine(), kBatch));
    EXPECT_FALSE(f.b.exists(QStringLiteral("C:\\Users\\Jörg Weiß\\index.dat")));
    EXPECT_FALSE(f.b.exists(QStringLiteral("C:\\Cache\\index.dat")));
    EXPECT_TRUE(f.b.exists(QStringLiteral("C:\\Users\\Jörg Weiß\\keep.dat")));
}

TEST(LockedFileBatchTest, RewrittenWholeEachTime) {
    LockFixture f;
    f.b.file(kBatch, "Del C:\\one.dat\r\nDel C:\\two.dat\r\nDel C:\\three.dat\r\nExit\r\n");
    f.commands({QStringLiteral("Del C:\\new.dat")});
    ASSERT_TRUE(WriteLockedFileBatch(f.ctx, kBatch));
    EXPECT_EQ(f.b.readHost(kBatch), QByteArray("Del C:\\new.dat\r\nExit\r\n"));
}

TEST(LockedFileBatchTest, WriteFailuresGiveFalse) {
    {
        LockFixture f;
        f.commands({QStringLiteral("Del C:\\x.dat")});
        f.b.machine().faults().fail(FaultInjector::Op::Write, kBatch, ERROR_ACCESS_DENIED);
        EXPECT_FALSE(WriteLockedFileBatch(f.ctx, kBatch));
        EXPECT_FALSE(f.b.exists(kBatch));
    }
    {
        AppFixture f; // the data folder is missing
        EXPECT_FALSE(WriteLockedFileBatch(f.ctx, kBatch));
        EXPECT_FALSE(f.b.exists(kBatch));
    }
}

TEST(RegisterLockedFileBatchTest, WritesAndRegistersByPendingCommandsAndLockedj) {
    using Key = LockFixture::Key;
    const QByteArray earlier = "Del C:\\earlier.dat\r\nExit\r\n";
    const QByteArray fresh =
        "Del C:\\PROGRA~1\\index.dat\r\nDel \"C:\\Users\\John Smith\\index.dat\"\r\nExit\r\n";
    struct Case {
        const char* name;
        bool pending;
        bool earlierBatch;
        bool lockedj;
        Key runServices, run;
        QByteArray file; // empty: no batch
        const char* runServicesAfter;
        const char* runAfter; // "-" key missing, "" no value, "Q" the quoted batch path, else the text
    };
    const Case cases[] = {
        {"nothing pending and no batch touches no key",
         false,
         false,
         true,
         Key::Absent,
         Key::Empty,
         {},
         "-",
         ""},
        {"nothing pending and no batch keeps an old value",
         false,
         false,
         false,
         Key::Absent,
         Key::Registered,
         {},
         "-",
         "C:\\old.bat"},
        {"an earlier batch is registered again unchanged", false, true, true, Key::Absent, Key::Empty,
         earlier, "-", "Q"},
        {"an earlier batch is unregistered unchanged", false, true, false, Key::Absent, Key::Registered,
         earlier, "-", ""},
        {"pending with Lockedj off writes and removes", true, false, false, Key::Absent, Key::Registered,
         fresh, "-", ""},
        {"pending with Lockedj off and no value", true, false, false, Key::Absent, Key::Empty, fresh, "-",
         ""},
        {"pending replaces an earlier batch", true, true, true, Key::Absent, Key::Empty, fresh, "-", "Q"},
        {"an old value is overwritten", true, false, true, Key::Absent, Key::Registered, fresh, "-", "Q"},
        {"RunServices wins and Run is left alone", true, false, true, Key::Empty, Key::Empty, fresh, "Q", ""},
        {"removal from RunServices only", true, false, false, Key::Registered, Key::Registered, fresh, "",
         "C:\\old.bat"},
        {"neither key exists and none is created", true, false, true, Key::Absent, Key::Absent, fresh, "-",
         "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LockFixture f;
        f.startupKey(runServicesKeyPath(), c.runServices);
        f.startupKey(runKeyPath(), c.run);
        if (c.earlierBatch) f.b.file(kBatch, earlier);
        if (c.pending)
            f.commands({QStringLiteral("Del C:\\PROGRA~1\\index.dat"),
                        QStringLiteral("Del C:\\Users\\John Smith\\index.dat")});
        f.ctx.settings.Lockedj = c.lockedj;

        RegisterLockedFileBatch(f.ctx);

        EXPECT_EQ(f.b.exists(kBatch), !c.file.isEmpty());
        if (!c.file.isEmpty()) {
            EXPECT_EQ(f.b.readHost(kBatch), c.file);
        }
        const auto expected = [](const char* text) {
            return QString::fromLatin1(text) == u"Q" ? kQuotedBatch : QString::fromLatin1(text);
        };
        EXPECT_EQ(f.cleanupIn(runServicesKeyPath()), expected(c.runServicesAfter));
        EXPECT_EQ(f.cleanupIn(runKeyPath()), expected(c.runAfter));
        EXPECT_TRUE(f.dialogs.shown().isEmpty());
    }
}

TEST(RegisterLockedFileBatchTest, TheStartupValueQuotesThePath) {
    LockFixture f;
    f.startupKey(runKeyPath(), LockFixture::Key::Empty);
    f.commands({QStringLiteral("Del C:\\x.dat")});
    f.ctx.settings.Lockedj = true;
    RegisterLockedFileBatch(f.ctx);
    EXPECT_EQ(f.cleanupIn(runKeyPath()), QStringLiteral("\"C:\\Data Folder\\Nivfold\\compind.bat\""));
}

TEST(RegisterLockedFileBatchTest, ARefusedWriteStillRegistersWhateverBatchExists) {
    for (bool earlierBatch : {false, true}) {
        SCOPED_TRACE(earlierBatch ? "earlier batch" : "no earlier batch");
        LockFixture f;
        f.startupKey(runKeyPath(), LockFixture::Key::Empty);
        if (earlierBatch) f.b.file(kBatch, "Del C:\\earlier.dat\r\nExit\r\n");
        f.b.machine().faults().fail(FaultInjector::Op::Write, kBatch, ERROR_ACCESS_DENIED);
        f.commands({QStringLiteral("Del C:\\x.dat")});
        f.ctx.settings.Lockedj = true;

        RegisterLockedFileBatch(f.ctx); // returns, no box

        EXPECT_TRUE(f.dialogs.shown().isEmpty());
        EXPECT_EQ(f.b.exists(kBatch), earlierBatch);
        if (earlierBatch) {
            EXPECT_EQ(f.b.readHost(kBatch), QByteArray("Del C:\\earlier.dat\r\nExit\r\n"));
        }
        EXPECT_EQ(f.cleanupIn(runKeyPath()), earlierBatch ? kQuotedBatch : QString());
    }
}

TEST(RegisterLockedFileBatchTest, AMissingDataFolderEndsQuietly) {
    AppFixture f;
    f.ctx.g.LockedBatchPath = kBatch;
    f.ctx.g.LockedFileCommands[1] = QStringLiteral("Del C:\\x.dat");
    f.ctx.settings.Lockedj = true;
    f.b.regString(HKEY_CURRENT_USER, runKeyPath(), QStringLiteral("Other"), QStringLiteral("C:\\other.exe"));
    RegisterLockedFileBatch(f.ctx);
    EXPECT_FALSE(f.b.exists(kBatch));
    TRegistry reg(f.b.machine());
    ASSERT_TRUE(reg.OpenKey(runKeyPath(), false));
    EXPECT_FALSE(reg.ValueExists(kCleanup));
}

TEST(LockedChoiceTest, StoresLockedjInMemoryAndInTheSettingsKey) {
    for (bool choice : {true, false}) {
        SCOPED_TRACE(choice);
        AppFixture f;
        f.ctx.settings.Lockedj = !choice;
        SaveLockedChoice(f.ctx, choice); // the key is created when missing
        EXPECT_EQ(f.ctx.settings.Lockedj, choice);
        TRegistry reg(f.b.machine());
        ASSERT_TRUE(reg.OpenKey(settingsKeyPath(), false));
        EXPECT_EQ(reg.GetDataType(QStringLiteral("Lockedj")), REG_DWORD);
        EXPECT_EQ(reg.ReadInteger(QStringLiteral("Lockedj")), choice ? 1 : 0);
        EXPECT_EQ(reg.GetValueNames(), QStringList{QStringLiteral("Lockedj")});
    }
}
