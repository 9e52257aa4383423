#include "platform/IniFile.h"

#include "platform/FaultInjector.h"
#include "platform/Machine.h"
#include "platform/WinPath.h"
#include "platform/WinTypes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kIni = QStringLiteral("C:\\x\\test.ini");

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray bytes(const char* text) {
    return QByteArray(text);
}

QByteArray utf16(const QString& text, bool bigEndian) {
    QByteArray out;
    out.append(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (QChar ch : text) {
        const char lo = static_cast<char>(ch.unicode() & 0xFF);
        const char hi = static_cast<char>(ch.unicode() >> 8);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    }
    return out;
}

// Shows bytes readably when an assertion fails.
std::string show(const QByteArray& data) {
    std::string out;
    for (char c : data) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\r')
            out += "\\r";
        else if (b == '\n')
            out += "\\n";
        else if (b >= 0x20 && b < 0x7F)
            out += c;
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0')).toStdString();
    }
    return out;
}

class IniFileTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("drive_c/x")));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("prog")));
        m_machine = std::make_unique<niv::Machine>(niv::MachineSettings{
            m_dir.path().toStdString(), (m_dir.path() + QStringLiteral("/prog")).toStdString(),
            QStringLiteral("tester"), true});
    }

    niv::Machine& machine() { return *m_machine; }
    QString host(const QString& relative) const { return m_dir.path() + QStringLiteral("/") + relative; }

    void put(const QByteArray& data, const QString& relative = QStringLiteral("drive_c/x/test.ini")) {
        QFile file(host(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(data), data.size());
    }

    std::optional<QByteArray> get(const QString& relative = QStringLiteral("drive_c/x/test.ini")) const {
        QFile file(host(relative));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        return file.readAll();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<niv::Machine> m_machine;
};

// ---- reading ----

struct ReadCase {
    const char* name;
    QByteArray file; // null: no file
    QString section;
    QString key;
    QString defaultValue;
    QString expected;
};

TEST_F(IniFileTest, ReadsValuesWithWindowsRules) {
    const QString d = QStringLiteral("dflt");
    const ReadCase cases[] = {
        {"plain key", bytes("[a]\r\nk=v\r\n"), "a", "k", d, "v"},
        {"section and key in any case", bytes("[Sect]\r\nKey=v\r\n"), "sECT", "kEY", d, "v"},
        {"non-ASCII names in any case",
         bytes("[Gr\xC3\xB6\xC3\x9F"
               "e]\r\nSchl\xC3\xBCssel=1\r\n"),
         utf8("GRÖßE"), utf8("SCHLÜSSEL"), d, "1"},
        {"file without sections", bytes("k=v\r\n"), "a", "k", d, d},
        {"keys before the first section are unreachable", bytes("k=v\r\n[a]\r\nx=1\r\n"), "a", "k", d, d},
        {"first of duplicate sections wins", bytes("[a]\r\nk=1\r\n[b]\r\nk=2\r\n[A]\r\nk=3\r\n"), "a", "k", d,
         "1"},
        {"later duplicate section is not searched", bytes("[a]\r\nk=1\r\n[A]\r\nz=4\r\n"), "a", "z", d, d},
        {"first of duplicate keys wins", bytes("[a]\r\nk=1\r\nK=2\r\n"), "a", "k", d, "1"},
        {"key of the next section", bytes("[a]\r\n[b]\r\nk=1\r\n"), "a", "k", d, d},
        {"line without = is not a key", bytes("[a]\r\nk\r\n"), "a", "k", d, d},
        {"comment line is skipped", bytes("[a]\r\n;k=1\r\nk=2\r\n"), "a", "k", d, "2"},
        {"comment line is no key", bytes("[a]\r\n;k=1\r\n"), "a", ";k", d, d},
        {"indented comment", bytes("[a]\r\n  ;k=1\r\n"), "a", ";k", d, d},
        {"blanks around names and value trimmed", bytes(" [ a ] \r\n \t k \t=  v w \t \r\n"), "a", "k", d,
         "v w"},
        {"text after the section bracket", bytes("[a] ; note\r\nk=1\r\n"), "a", "k", d, "1"},
        {"first = splits key and value", bytes("[a]\r\nk=x=y\r\n"), "a", "k", d, "x=y"},
        {"empty value is no default", bytes("[a]\r\nk=\r\n"), "a", "k", d, ""},
        {"double quotes removed", bytes("[a]\r\nk=\"  v \"\r\n"), "a", "k", d, "  v "},
        {"single quotes removed", bytes("[a]\r\nk='v'\r\n"), "a", "k", d, "v"},
        {"quotes inside trimmed value", bytes("[a]\r\nk=  'v'  \r\n"), "a", "k", d, "v"},
        {"only one pair of quotes", bytes("[a]\r\nk=\"\"v\"\"\r\n"), "a", "k", d, "\"v\""},
        {"mismatched quotes kept", bytes("[a]\r\nk=\"v'\r\n"), "a", "k", d, "\"v'"},
        {"lone quote kept", bytes("[a]\r\nk=\"\r\n"), "a", "k", d, "\""},
        {"LF line ends", bytes("[a]\nk=1\nj=2\n"), "a", "j", d, "2"},
        {"CR line ends", bytes("[a]\rk=1\rj=2"), "a", "j", d, "2"},
        {"mixed line ends", bytes("[a]\r\nk=1\nj=2\rm=3"), "a", "m", d, "3"},
        {"CR LF is one line end", bytes("[a]\r\n\r\nk=1\r\n"), "a", "k", d, "1"},
        {"last line without line end", bytes("[a]\r\nk=last"), "a", "k", d, "last"},
        {"UTF-8", bytes("[a]\r\nk=caf\xC3\xA9 \xE2\x82\xAC\r\n"), "a", "k", d, utf8("café €")},
        {"UTF-8 with BOM", bytes("\xEF\xBB\xBF[a]\r\nk=\xC3\xBC\r\n"), "a", "k", d, utf8("ü")},
        {"invalid UTF-8 read as Windows-1252", bytes("[a]\r\nk=caf\xE9 \x80\x9F\x8A\r\n"), "a", "k", d,
         utf8("café €ŸŠ")},
        {"undefined Windows-1252 byte", bytes("[a]\r\nk=\x81\x9D\r\n"), "a", "k", d,
         QString::fromUtf16(u"\u0081\u009D")},
        {"overlong UTF-8 is not UTF-8", bytes("[a]\r\nk=\xC0\xAF\r\n"), "a", "k", d, utf8("À¯")},
        {"encoded surrogate is not UTF-8", bytes("[a]\r\nk=\xED\xA0\x80\r\n"), "a", "k", d, utf8("í\u00A0€")},
        {"one bad byte makes the whole file Windows-1252", bytes("[\xC3\xA9]\r\nk=1\r\nj=\xFF\r\n"),
         utf8("Ã©"), "k", d, "1"},
        {"UTF-16 LE with BOM", utf16(utf8("[ä]\r\nk=wert ü\r\n"), false), utf8("Ä"), "k", d, utf8("wert ü")},
        {"UTF-16 BE with BOM", utf16(utf8("[a]\nk=\"ü\"\n"), true), "a", "k", d, utf8("ü")},
        {"missing file", QByteArray(), "a", "k", d, d},
        {"missing key", bytes("[a]\r\nk=1\r\n"), "a", "j", d, d},
        {"missing section", bytes("[a]\r\nk=1\r\n"), "b", "k", d, d},
        {"default of one blank reads empty", bytes("[a]\r\n"), "a", "k", " ", ""},
        {"default loses trailing blanks", QByteArray(), "a", "k", "x y  ", "x y"},
        {"default keeps leading blanks", QByteArray(), "a", "k", "  x", "  x"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(host(QStringLiteral("drive_c/x/test.ini")));
        if (!c.file.isNull()) put(c.file);
        EXPECT_EQ(niv::GetPrivateProfileString(machine(), c.section, c.key, c.defaultValue, kIni),
                  c.expected);
        EXPECT_EQ(niv::TIniFile(machine(), kIni).ReadString(c.section, c.key, c.defaultValue), c.expected);
    }
}

struct IntCase {
    const char* value; // nullptr: key missing
    int profileInt;    // GetPrivateProfileInt, default 7
    int readInteger;   // TIniFile::ReadInteger, default 7
};

TEST_F(IniFileTest, ReadsIntegers) {
    const IntCase cases[] = {
        {"42", 42, 42},
        {"0", 0, 0},
        {"  12  ", 12, 12},
        {"'12'", 12, 12},
        {"+5", 5, 5},
        {"-5", 0, -5},
        {"102abc", 102, 7},
        {"1 2", 1, 7},
        {"abc", 0, 7},
        {"0x1F", 0, 7},
        {"$1F", 0, 7},
        {"1e3", 1, 7},
        {"-", 0, 7},
        {"", 7, 7},
        {nullptr, 7, 7},
        {"2147483647", INT_MAX, INT_MAX},
        {"-2147483648", 0, INT_MIN},
        {"2147483648", INT_MAX, 7},
        {"99999999999999999999", INT_MAX, 7},
        {"\xD9\xA1\xD9\xA2", 0, 7}, // Arabic-Indic digits are not decimal digits here
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(missing)");
        QByteArray file("[Frmdir]\r\nH=1\r\n");
        if (c.value) file += QByteArray("W=") + c.value + "\r\n";
        put(file);
        EXPECT_EQ(niv::GetPrivateProfileInt(machine(), "Frmdir", "W", 7, kIni), c.profileInt);
        EXPECT_EQ(niv::TIniFile(machine(), kIni).ReadInteger("Frmdir", "W", 7), c.readInteger);
    }
}

TEST_F(IniFileTest, IntegerOfMissingFileIsTheDefault) {
    EXPECT_EQ(niv::GetPrivateProfileInt(machine(), "a", "k", -3, kIni), -3);
    EXPECT_EQ(niv::TIniFile(machine(), kIni).ReadInteger("a", "k", 0), 0);
}

TEST_F(IniFileTest, EveryCallReadsTheFileAfresh) {
    put("[a]\r\nk=1\r\n");
    niv::TIniFile ini(machine(), kIni);
    EXPECT_EQ(ini.ReadString("a", "k", ""), "1");
    put("[a]\r\nk=2\r\n");
    EXPECT_EQ(ini.ReadString("a", "k", ""), "2");
    QFile::remove(host(QStringLiteral("drive_c/x/test.ini")));
    EXPECT_EQ(ini.ReadString("a", "k", "gone"), "gone");
}

// A file once read is kept parsed; each call must still see every way the file can change.
TEST_F(IniFileTest, EveryChangeAfterAReadIsSeen) {
    struct ChangeCase {
        const char* name;
        std::function<void(IniFileTest&)> change;
        QString expected;
    };
    const ChangeCase cases[] = {
        {"rewritten in place, same size", [](IniFileTest& t) { t.put("[a]\r\nk=2\r\n"); }, "2"},
        {"rewritten in place with its times put back",
         [](IniFileTest& t) {
             struct stat before {};
             const std::string path = t.host(QStringLiteral("drive_c/x/test.ini")).toStdString();
             ASSERT_EQ(::stat(path.c_str(), &before), 0);
             t.put("[a]\r\nk=3\r\n");
             const struct timespec times[2] = {before.st_atim, before.st_mtim};
             ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
         },
         "3"},
        {"replaced by another file of the same size",
         [](IniFileTest& t) {
             t.put("[a]\r\nk=4\r\n", QStringLiteral("drive_c/x/other.ini"));
             ASSERT_EQ(::rename(t.host(QStringLiteral("drive_c/x/other.ini")).toLocal8Bit().constData(),
                                t.host(QStringLiteral("drive_c/x/test.ini")).toLocal8Bit().constData()),
                       0);
         },
         "4"},
        {"removed", [](IniFileTest& t) { QFile::remove(t.host(QStringLiteral("drive_c/x/test.ini"))); },
         "gone"},
        {"written through another spelling of its path",
         [](IniFileTest& t) {
             ASSERT_TRUE(niv::WritePrivateProfileString(t.machine(), "A", "K", "5", "c:\\X\\TEST.INI"));
         },
         "5"},
        {"locked",
         [](IniFileTest& t) {
             t.machine().faults().fail(niv::FaultInjector::Op::Open, kIni, niv::ERROR_SHARING_VIOLATION);
         },
         "gone"},
    };
    for (const ChangeCase& c : cases) {
        SCOPED_TRACE(c.name);
        machine().faults().clear();
        put("[a]\r\nk=1\r\n");
        ASSERT_EQ(niv::GetPrivateProfileString(machine(), "a", "k", "gone", kIni), "1");
        ASSERT_EQ(niv::GetPrivateProfileString(machine(), "a", "k", "gone", kIni), "1");
        c.change(*this);
        EXPECT_EQ(niv::GetPrivateProfileString(machine(), "a", "k", "gone", kIni), c.expected);
    }
}

TEST_F(IniFileTest, FindsTheFileInAnyLetterCase) {
    put("[a]\r\nk=1\r\n", QStringLiteral("drive_c/x/Test.INI"));
    EXPECT_EQ(niv::GetPrivateProfileString(machine(), "a", "k", "", QStringLiteral("c:\\X\\TEST.ini")), "1");
}

// ---- writing ----

struct WriteCase {
    const char* name;
    QByteArray before; // null: no file
    QString section;
    QString key;
    QString value;
    QByteArray after;
};

TEST_F(IniFileTest, WritesKeepingEveryOtherLine) {
    const WriteCase cases[] = {
        {"new file has CR LF and no BOM", QByteArray(), "a", "k", "v", bytes("[a]\r\nk=v\r\n")},
        {"empty file", bytes(""), "a", "k", "v", bytes("[a]\r\nk=v\r\n")},
        {"value replaced in place, key spelling kept", bytes("[S]\r\nKey=old\r\nz=1\r\n"), "s", "KEY", "new",
         bytes("[S]\r\nKey=new\r\nz=1\r\n")},
        {"blanks before the value kept, trailing ones dropped", bytes("[a]\r\n  k = old  \r\n"), "a", "k",
         "new", bytes("[a]\r\n  k = new\r\n")},
        {"empty value filled", bytes("[a]\r\nk =  \r\n"), "a", "k", "v", bytes("[a]\r\nk =v\r\n")},
        {"value emptied", bytes("[a]\r\nk=old\r\n"), "a", "k", "", bytes("[a]\r\nk=\r\n")},
        {"quoted value replaced whole", bytes("[a]\r\nk=\"old\"\r\n"), "a", "k", "v",
         bytes("[a]\r\nk=v\r\n")},
        {"value written as given", bytes("[a]\r\nk=1\r\n"), "a", "k", "  x  ", bytes("[a]\r\nk=  x  \r\n")},
        {"first of duplicate keys replaced", bytes("[a]\r\nk=1\r\nK=2\r\n"), "a", "k", "9",
         bytes("[a]\r\nk=9\r\nK=2\r\n")},
        {"replace keeps the line's own LF", bytes("[a]\r\nk=1\nz=2\r\n"), "a", "k", "9",
         bytes("[a]\r\nk=9\nz=2\r\n")},
        {"key appended after the section's last line", bytes("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"), "a", "k",
         "v", bytes("[a]\r\nx=1\r\nk=v\r\n\r\n[b]\r\ny=2\r\n")},
        {"key appended after a comment of the section", bytes("[a]\r\nx=1\r\n; note\r\n\r\n\r\n[b]\r\n"), "a",
         "k", "v", bytes("[a]\r\nx=1\r\n; note\r\nk=v\r\n\r\n\r\n[b]\r\n")},
        {"key appended to a section without keys", bytes("[a]\r\n[b]\r\n"), "a", "k", "v",
         bytes("[a]\r\nk=v\r\n[b]\r\n")},
        {"key goes to the first of duplicate sections", bytes("[a]\r\nx=1\r\n[b]\r\n[A]\r\nk=2\r\n"), "a",
         "k", "9", bytes("[a]\r\nx=1\r\nk=9\r\n[b]\r\n[A]\r\nk=2\r\n")},
        {"appended key before trailing blank lines", bytes("[a]\r\nx=1\r\n\r\n\r\n"), "a", "k", "v",
         bytes("[a]\r\nx=1\r\nk=v\r\n\r\n\r\n")},
        {"appended key after a last line without line end", bytes("[a]\r\nx=1"), "a", "k", "v",
         bytes("[a]\r\nx=1\r\nk=v\r\n")},
        {"appended key takes the LF of its line", bytes("[a]\nx=1\n"), "a", "k", "v",
         bytes("[a]\nx=1\nk=v\n")},
        {"appended key takes the CR of its line", bytes("[a]\rx=1\r[b]\r"), "a", "k", "v",
         bytes("[a]\rx=1\rk=v\r[b]\r")},
        {"line without = does not match the key", bytes("[a]\r\nk\r\n"), "a", "k", "v",
         bytes("[a]\r\nk\r\nk=v\r\n")},
        {"commented-out key is not replaced", bytes("[a]\r\n;k=1\r\n"), "a", "k", "v",
         bytes("[a]\r\n;k=1\r\nk=v\r\n")},
        {"section appended", bytes("[a]\r\nx=1\r\n"), "b", "k", "v", bytes("[a]\r\nx=1\r\n[b]\r\nk=v\r\n")},
        {"section appended after trailing blank lines", bytes("[a]\r\nx=1\r\n\r\n"), "b", "k", "v",
         bytes("[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n")},
        {"section appended to an LF file without final line end", bytes("[a]\nx=1"), "b", "k", "v",
         bytes("[a]\nx=1\n[b]\nk=v\n")},
        {"keys before any section stay where they are", bytes("k=1\r\n"), "a", "k", "v",
         bytes("k=1\r\n[a]\r\nk=v\r\n")},
        {"unchanged lines byte-identical in a Windows-1252 file",
         bytes("; caf\xE9\r\n[a]\rk=old\n\x81\x8D junk  \r\nz=\xFF\xFE"), "a", "k", utf8("né"),
         bytes("; caf\xE9\r\n[a]\rk=n\xE9\n\x81\x8D junk  \r\nz=\xFF\xFE")},
        {"characters outside Windows-1252 become ?", bytes("[a]\r\nk=\xE9\r\n"), "a", "k", utf8("€ ✓ 😀 Ÿ"),
         bytes("[a]\r\nk=\x80 ? ? \x9F\r\n")},
        {"appended key in Windows-1252", bytes("[\xE9]\r\nx=1\r\n"), utf8("É"), utf8("ü"), utf8("ß"),
         bytes("[\xE9]\r\nx=1\r\n\xFC=\xDF\r\n")},
        {"UTF-8 file stays UTF-8", bytes("[a]\r\nk=\xC3\xA9\r\nz=\xE2\x82\xAC\r\n"), "a", "k", utf8("ü"),
         bytes("[a]\r\nk=\xC3\xBC\r\nz=\xE2\x82\xAC\r\n")},
        {"ASCII file takes UTF-8", bytes("[a]\r\nk=1\r\n"), "a", "k", utf8("C:\\Ünï\\😀"),
         bytes("[a]\r\nk=C:\\\xC3\x9Cn\xC3\xAF\\\xF0\x9F\x98\x80\r\n")},
        {"undecodable line kept byte-identical in a UTF-8 file with BOM",
         bytes("\xEF\xBB\xBF[a]\r\nbad=\xFF\xC3\r\nk=1\r\n"), "a", "k", "2",
         bytes("\xEF\xBB\xBF[a]\r\nbad=\xFF\xC3\r\nk=2\r\n")},
        {"UTF-8 BOM kept", bytes("\xEF\xBB\xBF[a]\r\nk=1\r\n"), "a", "k", "2",
         bytes("\xEF\xBB\xBF[a]\r\nk=2\r\n")},
        {"UTF-16 LE stays UTF-16 LE", utf16(utf8("[a]\r\nk=1\r\n"), false), "b", "x", utf8("ü€"),
         utf16(utf8("[a]\r\nk=1\r\n[b]\r\nx=ü€\r\n"), false)},
        {"UTF-16 LE value replaced", utf16(utf8("[a]\nk=1\n"), false), "A", "K", "22",
         utf16(utf8("[a]\nk=22\n"), false)},
        {"UTF-16 BE stays UTF-16 BE", utf16(utf8("[a]\rk=1"), true), "a", "j", "2",
         utf16(utf8("[a]\rk=1\rj=2\r"), true)},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(host(QStringLiteral("drive_c/x/test.ini")));
        if (!c.before.isNull()) put(c.before);
        EXPECT_TRUE(niv::WritePrivateProfileString(machine(), c.section, c.key, c.value, kIni));
        const std::optional<QByteArray> after = get();
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(show(*after), show(c.after));
    }
}

TEST_F(IniFileTest, WrittenValuesReadBack) {
    niv::TIniFile ini(machine(), kIni);
    ini.WriteString("MM20", "P1", utf8("C:\\Users\\tester\\AppData\\Local\\Microsoft\\Media Player\\"));
    ini.WriteString("MM20", "P2", "  spaced  ");
    ini.WriteInteger("Frminit", "W", 640);
    ini.WriteInteger("Frminit", "H", -12);
    EXPECT_EQ(ini.ReadString("mm20", "p1", ""),
              utf8("C:\\Users\\tester\\AppData\\Local\\Microsoft\\Media Player\\"));
    EXPECT_EQ(ini.ReadString("MM20", "P2", ""), "spaced");
    EXPECT_EQ(ini.ReadInteger("Frminit", "W", 0), 640);
    EXPECT_EQ(ini.ReadInteger("Frminit", "H", 0), -12);
    EXPECT_EQ(show(*get()),
              show(bytes("[MM20]\r\nP1=C:\\Users\\tester\\AppData\\Local\\Microsoft\\Media Player\\\r\n"
                         "P2=  spaced  \r\n[Frminit]\r\nW=640\r\nH=-12\r\n")));
}

TEST_F(IniFileTest, SectionsAndKeysKeepTheirOrderAsWritten) {
    niv::TIniFile ini(machine(), kIni);
    ini.WriteString("K17", "P1", "");
    ini.WriteString("L44", "P1", "");
    ini.WriteString("K17", "P2", "");
    ini.WriteString("L44", "P2", "");
    ini.WriteString("k17", "p1", "C:\\a\\");
    EXPECT_EQ(show(*get()), show(bytes("[K17]\r\nP1=C:\\a\\\r\nP2=\r\n[L44]\r\nP1=\r\nP2=\r\n")));
}

TEST_F(IniFileTest, RefusedWriteLeavesTheFileAndReports) {
    const QByteArray before("[a]\r\nk=1\r\n");
    put(before);
    machine().faults().fail(niv::FaultInjector::Op::Write, "C:\\x\\*", niv::ERROR_ACCESS_DENIED);

    EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "2", kIni));
    EXPECT_EQ(machine().lastError(), niv::ERROR_ACCESS_DENIED);
    EXPECT_EQ(show(*get()), show(before));

    niv::TIniFile ini(machine(), kIni);
    try {
        ini.WriteString("a", "k", "2");
        ADD_FAILURE() << "WriteString did not raise";
    } catch (const niv::PlatformError& error) {
        EXPECT_EQ(error.message(), "Unable to write to C:\\x\\test.ini");
    }
    EXPECT_THROW(ini.WriteInteger("a", "k", 2), niv::PlatformError);
    EXPECT_EQ(show(*get()), show(before));
    // Reading is not affected.
    EXPECT_EQ(ini.ReadString("a", "k", ""), "1");
}

TEST_F(IniFileTest, LineBreakOrKeyOpeningABracketIsRefusedAndWritesNothing) {
    const QByteArray before("[Dirs]\r\nName1=Null\r\nName2=Null\r\n");
    put(before);
    struct Case {
        QString section, key, value;
    };
    const Case cases[] = {
        {"Dirs", "Name1", "C:\\x\nName2=C:\\victim\\*"},
        {"Dirs", "Name1", "C:\\x\r\nName2=C:\\victim\\*"},
        {"Dirs", "Name1", "C:\\x\r"},
        {"Dirs", "Name1\nName2", "v"},
        {"Dirs]\n[Other", "Name1", "v"},
        {"Dirs", " [Other]", "v"}, // would read as a section
    };
    niv::TIniFile ini(machine(), kIni);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        EXPECT_FALSE(niv::WritePrivateProfileString(machine(), c.section, c.key, c.value, kIni));
        EXPECT_EQ(machine().lastError(), niv::ERROR_INVALID_PARAMETER);
        EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), niv::PlatformError);
        EXPECT_EQ(show(*get()), show(before));
    }
}

TEST_F(IniFileTest, RefusedWriteOfANewFileCreatesNothing) {
    machine().faults().fail(niv::FaultInjector::Op::Write, "C:\\x\\*", niv::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "2", kIni));
    EXPECT_FALSE(get().has_value());
    EXPECT_EQ(QDir(host(QStringLiteral("drive_c/x"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

// A missing folder is not created; a read-only one is named.
TEST_F(IniFileTest, FolderThatCannotTakeTheFile) {
    const std::string readOnly = host(QStringLiteral("drive_c/ro")).toStdString();
    ASSERT_EQ(::mkdir(readOnly.c_str(), 0555), 0);
    // Root writes in any folder but that of a read-only mount.
    const bool mounted =
        ::geteuid() == 0 && ::mount("none", readOnly.c_str(), "tmpfs", MS_RDONLY, nullptr) == 0;
    if (::geteuid() == 0 && !mounted)
        GTEST_SKIP() << "cannot mount a read-only folder: " << std::strerror(errno);
    const struct {
        QString path;
        QString raised;
    } cases[] = {
        {"C:\\nofolder\\n.ini", "Unable to write to C:\\nofolder\\n.ini"},
        {"C:\\ro\\n.ini", "Unable to write to C:\\ro\\n.ini. The folder C:\\ro cannot be written."},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "v", c.path));
        try {
            niv::TIniFile(machine(), c.path).WriteString("a", "k", "v");
            ADD_FAILURE() << "WriteString did not raise";
        } catch (const niv::PlatformError& error) {
            EXPECT_EQ(error.message(), c.raised);
        }
    }
    EXPECT_FALSE(QDir(host(QStringLiteral("drive_c/nofolder"))).exists());
    if (mounted) ::umount2(readOnly.c_str(), MNT_DETACH);
}

TEST_F(IniFileTest, ProgramFolderIsNeverWritten) {
    put("[a]\r\nk=1\r\n", QStringLiteral("prog/own.ini"));
    const QString path = niv::exeFolderPath() + QStringLiteral("own.ini");
    EXPECT_EQ(niv::GetPrivateProfileString(machine(), "a", "k", "", path), "1");
    EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "2", path));
    EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "2", niv::exeFolderPath() + "new.ini"));
    EXPECT_EQ(show(*get(QStringLiteral("prog/own.ini"))), show(bytes("[a]\r\nk=1\r\n")));
    EXPECT_FALSE(get(QStringLiteral("prog/new.ini")).has_value());
}

TEST_F(IniFileTest, ReadOnlyFileBehindALinkIsNotReplaced) {
    const QByteArray before("[a]\r\nk=1\r\n");
    put(before, QStringLiteral("drive_c/x/real.ini"));
    ASSERT_EQ(::chmod(host(QStringLiteral("drive_c/x/real.ini")).toLocal8Bit(), 0444), 0);
    ASSERT_EQ(::symlink("real.ini", host(QStringLiteral("drive_c/x/test.ini")).toLocal8Bit()), 0);
    EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "2", kIni));
    EXPECT_EQ(machine().lastError(), niv::ERROR_ACCESS_DENIED);
    EXPECT_EQ(show(*get(QStringLiteral("drive_c/x/real.ini"))), show(before));
}

TEST_F(IniFileTest, UnreadableFileIsNotReplaced) {
    const QByteArray before("[a]\r\nk=1\r\n");
    put(before);
    machine().faults().fail(niv::FaultInjector::Op::Open, "C:\\x\\test.ini", niv::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(niv::GetPrivateProfileString(machine(), "a", "k", "d", kIni), "d");
    EXPECT_FALSE(niv::WritePrivateProfileString(machine(), "a", "k", "2", kIni));
    EXPECT_EQ(machine().lastError(), niv::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(show(*get()), show(before));
}

} // namespace
