#include "platform/SysInfo.h"
#include "platform/Registry.h"
#include "support/MachineBuilder.h"
#include "support/RegBytes.h"

#include <QDate>
#include <QTime>
#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

namespace niv {
namespace {

const QString kNt = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");
const QString k9x = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");

struct Value {
    QString key;
    QString name;
    std::uint32_t type;
    QByteArray data;
};

Value sz(const QString& key, const QString& name, const QString& text) {
    return {key, name, REG_SZ, utf16Bytes(text)};
}

Value dw(const QString& key, const QString& name, std::uint32_t v) {
    return {key, name, REG_DWORD, dwordBytes(v)};
}

struct VersionCase {
    const char* name;
    std::vector<Value> values;
    bool ok;
    OsVersionInfo expected;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class VersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTest, RecordFromRegistry) {
    const VersionCase& c = GetParam();
    MachineBuilder b;
    for (const Value& v : c.values)
        b.machine().registry().setRawValue(HKEY_LOCAL_MACHINE, v.key, v.name, v.type, v.data);
    // Left over from an earlier call: every field must be rewritten.
    OsVersionInfo info{7, 99, 99, 99, QStringLiteral("stale")};
    EXPECT_EQ(GetVersionEx(b.machine(), info), c.ok);
    EXPECT_EQ(info.platformId, c.expected.platformId);
    EXPECT_EQ(info.majorVersion, c.expected.majorVersion);
    EXPECT_EQ(info.minorVersion, c.expected.minorVersion);
    EXPECT_EQ(info.buildNumber, c.expected.buildNumber);
    EXPECT_EQ(info.csdVersion, c.expected.csdVersion);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionTest,
    ::testing::Values(
        VersionCase{"nt61sp1",
                    {sz(kNt, "CurrentVersion", "6.1"), sz(kNt, "CurrentBuildNumber", "7601"),
                     sz(kNt, "CSDVersion", "Service Pack 1")},
                    true,
                    {VER_PLATFORM_WIN32_NT, 6, 1, 7601, QStringLiteral("Service Pack 1")}},
        VersionCase{"xpSp3",
                    {sz(kNt, "CurrentVersion", "5.1"), sz(kNt, "CurrentBuildNumber", "2600"),
                     sz(kNt, "CSDVersion", "Service Pack 3")},
                    true,
                    {VER_PLATFORM_WIN32_NT, 5, 1, 2600, QStringLiteral("Service Pack 3")}},
        VersionCase{"dwordMajorMinorWin",
                    {sz(kNt, "CurrentVersion", "6.3"), dw(kNt, "CurrentMajorVersionNumber", 10),
                     dw(kNt, "CurrentMinorVersionNumber", 0), sz(kNt, "CurrentBuildNumber", "19045")},
                    true,
                    {VER_PLATFORM_WIN32_NT, 10, 0, 19045, QString()}},
        VersionCase{"dwordMajorAlone",
                    {dw(kNt, "CurrentMajorVersionNumber", 6), sz(kNt, "CurrentBuildNumber", "9200")},
                    true,
                    {VER_PLATFORM_WIN32_NT, 6, 0, 9200, QString()}},
        VersionCase{"majorOfWrongTypeIgnored",
                    {sz(kNt, "CurrentVersion", "6.2"), sz(kNt, "CurrentMajorVersionNumber", "10")},
                    true,
                    {VER_PLATFORM_WIN32_NT, 6, 2, 0, QString()}},
        VersionCase{"win98se",
                    {sz(k9x, "VersionNumber", "4.10.2222"), sz(k9x, "SubVersionNumber", " A ")},
                    true,
                    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, QStringLiteral(" A ")}},
        VersionCase{"win98",
                    {sz(k9x, "VersionNumber", "4.10.1998"), sz(k9x, "SubVersionNumber", "")},
                    true,
                    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, QString()}},
        VersionCase{"win95",
                    {sz(k9x, "VersionNumber", "4.00.950")},
                    true,
                    {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, QString()}},
        VersionCase{"winMe",
                    {sz(k9x, "VersionNumber", "4.90.3000")},
                    true,
                    {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, QString()}},
        VersionCase{"ntWinsOver9x",
                    {sz(k9x, "VersionNumber", "4.10.2222"), sz(kNt, "CurrentVersion", "6.0"),
                     sz(kNt, "CurrentBuildNumber", "6002"), sz(kNt, "CSDVersion", "Service Pack 2")},
                    true,
                    {VER_PLATFORM_WIN32_NT, 6, 0, 6002, QStringLiteral("Service Pack 2")}},
        VersionCase{"noValues",
                    {sz(kNt, "ProductName", "Windows"), sz(k9x, "ProgramFilesDir", "C:\\Program Files")},
                    false,
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- memory ---

constexpr std::uint64_t KiB = 1024, MiB = 1024 * KiB, GiB = 1024 * MiB;

TEST(MemoryStatusTest, LargeMachineClampsTheThirtyTwoBitRecord) {
    const QByteArray meminfo = "MemTotal:       16777216 kB\n"
                               "MemFree:         1000000 kB\n"
                               "MemAvailable:    8388608 kB\n"
                               "Buffers:          200000 kB\n"
                               "SwapTotal:       2097152 kB\n"
                               "SwapFree:        1048576 kB\n";
    MemoryStatusEx ex;
    ASSERT_TRUE(memoryStatusFromMeminfo(meminfo, 3 * GiB, ex));
    EXPECT_EQ(ex.memoryLoad, 50u);
    EXPECT_EQ(ex.totalPhys, 16 * GiB);
    EXPECT_EQ(ex.availPhys, 8 * GiB);
    EXPECT_EQ(ex.totalPageFile, 18 * GiB);
    EXPECT_EQ(ex.availPageFile, 9 * GiB);
    EXPECT_EQ(ex.totalVirtual, 0x7FFFFFFE0000ULL);
    EXPECT_EQ(ex.availVirtual, 0x7FFFFFFE0000ULL - 3 * GiB);
    EXPECT_EQ(ex.availExtendedVirtual, 0u);

    const MemoryStatus m = clampMemoryStatus(ex);
    EXPECT_EQ(m.memoryLoad, 50u);
    EXPECT_EQ(m.totalPhys, 0xFFFFFFFFu);
    EXPECT_EQ(m.availPhys, 0xFFFFFFFFu);
    EXPECT_EQ(m.totalPageFile, 0xFFFFFFFFu);
    EXPECT_EQ(m.availPageFile, 0xFFFFFFFFu);
    EXPECT_EQ(m.totalVirtual, 0xFFFFFFFFu);
    EXPECT_EQ(m.availVirtual, 0xFFFFFFFFu);
}

TEST(MemoryStatusTest, SmallMachineFitsThirtyTwoBits) {
    const QByteArray meminfo = "MemTotal:        1048576 kB\n"
                               "MemAvailable:     524288 kB\n"
                               "SwapTotal:             0 kB\n"
                               "SwapFree:              0 kB\n";
    MemoryStatusEx ex;
    ASSERT_TRUE(memoryStatusFromMeminfo(meminfo, 0, ex));
    const MemoryStatus m = clampMemoryStatus(ex);
    EXPECT_EQ(m.totalPhys, 1073741824u);
    EXPECT_EQ(m.availPhys, 536870912u);
    EXPECT_EQ(m.totalPageFile, 1073741824u);
    EXPECT_EQ(m.availPageFile, 536870912u);
    EXPECT_EQ(m.memoryLoad, 50u);
    // 3 GiB of RAM stays below the clamp while RAM plus swap goes over it.
    ASSERT_TRUE(memoryStatusFromMeminfo("MemTotal: 3145728 kB\nMemAvailable: 1048576 kB\n"
                                        "SwapTotal: 2097152 kB\nSwapFree: 2097152 kB\n",
                                        0, ex));
    const MemoryStatus m2 = clampMemoryStatus(ex);
    EXPECT_EQ(m2.totalPhys, 3221225472u);
    EXPECT_EQ(m2.availPhys, 1073741824u);
    EXPECT_EQ(m2.totalPageFile, 0xFFFFFFFFu);
    EXPECT_EQ(m2.availPageFile, 3221225472u);
    EXPECT_EQ(m2.memoryLoad, 66u);
}

TEST(MemoryStatusTest, OldKernelWithoutMemAvailable) {
    const QByteArray meminfo = "MemTotal:        4000000 kB\n"
                               "MemFree:          100000 kB\n"
                               "Buffers:           20000 kB\n"
                               "Cached:           300000 kB\n"
                               "SwapCached:        99999 kB\n";
    MemoryStatusEx ex;
    ASSERT_TRUE(memoryStatusFromMeminfo(meminfo, 0, ex));
    EXPECT_EQ(ex.availPhys, 420000 * KiB);
    EXPECT_EQ(ex.totalPageFile, 4000000 * KiB);
    EXPECT_EQ(ex.availPageFile, 420000 * KiB);
    EXPECT_EQ(ex.memoryLoad, 89u);
}

TEST(MemoryStatusTest, UnreadableMeminfoFailsWithZeros) {
    for (const QByteArray& text :
         {QByteArray(), QByteArray("MemFree: 100 kB\n"), QByteArray("MemTotal: x kB\n")}) {
        MemoryStatusEx ex;
        ex.totalPhys = 5;
        ex.memoryLoad = 5;
        EXPECT_FALSE(memoryStatusFromMeminfo(text, 0, ex)) << text.toStdString();
        EXPECT_EQ(ex.totalPhys, 0u);
        EXPECT_EQ(ex.memoryLoad, 0u);
        EXPECT_EQ(ex.totalVirtual, 0u);
        const MemoryStatus m = clampMemoryStatus(ex);
        EXPECT_EQ(m.totalPhys, 0u);
    }
}

TEST(MemoryStatusTest, HostFigures) {
    MemoryStatusEx ex;
    ASSERT_TRUE(GlobalMemoryStatusEx(ex));
    EXPECT_GT(ex.totalPhys, 0u);
    EXPECT_LE(ex.availPhys, ex.totalPhys);
    EXPECT_GE(ex.totalPageFile, ex.totalPhys);
    EXPECT_LE(ex.memoryLoad, 100u);
    EXPECT_EQ(ex.totalVirtual, kUserAddressSpace);
    EXPECT_LT(ex.availVirtual, ex.totalVirtual); // this process uses some of it

    MemoryStatus m;
    GlobalMemoryStatus(m);
    EXPECT_EQ(m.totalPhys, static_cast<std::uint32_t>(std::min<std::uint64_t>(ex.totalPhys, 0xFFFFFFFFu)));
    EXPECT_EQ(m.totalVirtual, 0xFFFFFFFFu);
}

struct PictureCase {
    const char* picture;
    bool isDate;
    const char* expected;
};

TEST(DateTimePictureTest, FieldsQuotesAndLiterals) {
    const QDate date(2007, 3, 4); // a Sunday
    const QTime afternoon(15, 7, 9);
    const QTime pastMidnight(0, 5, 0);
    const PictureCase cases[] = {
        {"M/d/yyyy", true, "3/4/2007"},
        {"dd.MM.yy", true, "04.03.07"},
        {"y-M-d", true, "7-3-4"},
        {"ddd, MMM d yyyy", true, "Sun, Mar 4 2007"},
        {"dddd d MMMM", true, "Sunday 4 March"},
        {"'Day' d 'o''clock' gg", true, "Day 4 o'clock A.D."},
        {"h:mm:ss tt", false, "3:07:09 PM"},
        {"HH:mm:ss", false, "15:07:09"},
        {"hh 'h' m t", false, "03 h 7 P"},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.picture);
        const QString picture = QString::fromLatin1(c.picture);
        EXPECT_EQ(c.isDate ? formatDatePicture(picture, date) : formatTimePicture(picture, afternoon),
                  QString::fromLatin1(c.expected));
    }
    EXPECT_EQ(formatTimePicture(QStringLiteral("h:mm tt"), pastMidnight), QStringLiteral("12:05 AM"));
}

TEST(DateTimePictureTest, TheUsersPicturesOrTheDefaults) {
    MachineBuilder b;
    const QDate date(2026, 12, 9);
    const QTime time(4, 30, 2);
    EXPECT_EQ(FormatShortDate(b.machine(), date), QStringLiteral("12/9/2026"));
    EXPECT_EQ(FormatLongTime(b.machine(), time), QStringLiteral("4:30:02 AM"));

    const QString key = QStringLiteral("Control Panel\\International");
    b.regString(HKEY_CURRENT_USER, key, QStringLiteral("sShortDate"), QStringLiteral("dd/MM/yyyy"));
    b.regString(HKEY_CURRENT_USER, key, QStringLiteral("sTimeFormat"), QStringLiteral("HH:mm:ss"));
    EXPECT_EQ(FormatShortDate(b.machine(), date), QStringLiteral("09/12/2026"));
    EXPECT_EQ(FormatLongTime(b.machine(), time), QStringLiteral("04:30:02"));

    b.regString(HKEY_CURRENT_USER, key, QStringLiteral("sShortDate"), QStringLiteral(" "));
    EXPECT_EQ(FormatShortDate(b.machine(), date), QStringLiteral("12/9/2026"));
}

} // namespace
} // namespace niv
