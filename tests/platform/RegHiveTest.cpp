#include "platform/RegHive.h"

#include <QDateTime>
#include <QRegularExpression>

#include "support/RegBytes.h"

#include <gtest/gtest.h>

#include <ostream>

#include <initializer_list>

using namespace niv;

namespace {

// A hive as Wine writes it, with hand edits Wine accepts: every value type, escapes, wrapped and
// loosely spaced hex lists, options, a comment, odd spacing and a link.
const QByteArray kSample = QByteArrayLiteral(R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Classes\\*] 1616153637
#time=1d71cc1d4b5ec1a
@="Unknown file"
"EditFlags"=dword:00000002

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1616153640
#time=1d71cc1d4b5ec1b
"Bin"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\
  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\
  30,31
"CSDVersion"="Service Pack 1"
"Escapes"="tab\there \"quoted\" back\\slash cr\r nl\n bell\a esc\e vt\v ff\f bs\b nul\0 end"
"Octal"="\001\0012\7"
"Multi"=str(7):"first\0second\0"
"Odd"=hex(7e):de,ad
"Path"=str(2):"%SystemRoot%\\system32;%SystemRoot%"
"Qword"=hex(b):00,00,00,00,01,00,00,00
"Unicode"="caf\xe9 \x4e2d\x6587 \x00e9a"
"Utf8"="Grüße"
"Empty"=""
"EmptyBin"=hex:
  "Spaced" = "around equals"	
"Str"=str:"plain"
; a comment line kept as it is
#unknownoption=1

[Software\\Wine\\Brackets \[x\]] 1616153645
#time=1d71cc1d4b5ec1c
#class="My class"
"Short"=hex(4):01,02
"Loose"=hex: 1 , 2 ,\
	ff

[System\\ControlSet001\\Services\\Foo] 1616153651
#time=1d71cc1d4b5ec1d
"ImagePath"=str(2):"C:\\foo.exe"

[System\\CurrentControlSet] 1616153650
#time=1d71cc1d4b5ec1e
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\
  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,79,00,73,00,\
  74,00,65,00,6d,00,5c,00,43,00,6f,00,6e,00,74,00,72,00,6f,00,6c,00,53,00,65,\
  00,74,00,30,00,30,00,31,00
)REG");

const QString kCurrentVersion = QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion");

QByteArray range(int n) {
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += static_cast<char>(i);
    return out;
}

// "k\k\..." with `depth` components.
QString nestedPath(int depth) {
    return QStringList(depth, QStringLiteral("k")).join(QLatin1Char('\\'));
}

// A hive whose one key, on line 3, lies `depth` levels below the root.
QByteArray nestedHive(int depth) {
    return "WINE REGISTRY Version 2\n\n[" + nestedPath(depth).toLatin1().replace("\\", "\\\\") +
           "] 1\n\"v\"=\"w\"\n";
}

std::unique_ptr<RegHive> parse(const QByteArray& text) {
    return RegHive::parse(text, QStringLiteral("test.reg"));
}

qint64 nowSeconds() {
    return QDateTime::currentSecsSinceEpoch();
}

// The seconds written behind the key `escapedPath` (as it appears between the brackets).
qint64 keySeconds(const QByteArray& text, const QByteArray& escapedPath) {
    const QByteArray head = '[' + escapedPath + "] ";
    const qsizetype at = text.indexOf('\n' + head);
    if (at < 0) return -1;
    const qsizetype from = at + 1 + head.size();
    return text.mid(from, text.indexOf('\n', from) - from).toLongLong();
}

// A whole-text pattern for `text`, in which "QQSECSQQ" stands for a key's seconds and "QQTIMEQQ"
// for a "#time" value.
QRegularExpression textPattern(const QByteArray& text) {
    QString p = QRegularExpression::escape(QString::fromUtf8(text));
    p.replace(QStringLiteral("QQSECSQQ"), QStringLiteral("\\d+"))
        .replace(QStringLiteral("QQTIMEQQ"), QStringLiteral("[0-9a-f]+"));
    return QRegularExpression(QStringLiteral("\\A") + p + QStringLiteral("\\z"));
}

bool matches(const QByteArray& text, const QByteArray& pattern) {
    return textPattern(pattern).match(QString::fromUtf8(text)).hasMatch();
}

// ---- loss-less reading and writing ----

struct RoundTripCase {
    const char* name;
    QByteArray text;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class RegHiveRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RegHiveRoundTrip, SavesTheBytesItRead) {
    const auto hive = parse(GetParam().text);
    EXPECT_EQ(hive->serialise(), GetParam().text);
}

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegHiveRoundTrip,
    testing::Values(
        RoundTripCase{"Sample", kSample}, RoundTripCase{"SampleWithCrLf", crlf(kSample)},
        RoundTripCase{"NoFinalLineEnd", kSample.chopped(1)},
        RoundTripCase{"HeaderOnly", "WINE REGISTRY Version 2\n"},
        RoundTripCase{"HeaderWithoutLineEnd", "WINE REGISTRY Version 2"},
        RoundTripCase{
            "RepeatedKeysAndValues",
            "WINE REGISTRY Version 2\n\n[A] 1\n\"x\"=\"1\"\n\n[B] 2\n\n[A] 3\n\"x\"=\"2\"\n\"x\"=\"3\"\n"},
        RoundTripCase{"KeysOutOfOrderAndTrailingBlanks", "WINE REGISTRY Version 2\n[B] 1\n\n[a] 2\n\n\n"},
        RoundTripCase{
            "OldFormatRootAndComments",
            "WINE REGISTRY Version 2\n; comment\n   ;; indented\n[] 5\n@=\"root\"\n  [X]\n\"v\"=dword:1\n"},
        RoundTripCase{"DeepestKeyWindowsAllows", nestedHive(RegHive::kMaxDepth)}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// ---- what the text means ----

struct ValueCase {
    const char* name;
    QString key;
    QString value;
    std::uint32_t type;
    QByteArray data;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class RegHiveValues : public testing::TestWithParam<ValueCase> {};

TEST_P(RegHiveValues, DecodesTypeAndData) {
    const auto hive = parse(kSample);
    const ValueCase& c = GetParam();
    const RegKey* key = hive->findKey(c.key);
    ASSERT_NE(key, nullptr);
    const RegValue* v = key->findValue(c.value);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data.toHex(' '), c.data.toHex(' '));
}

const QString kEscapes = QStringLiteral("tab\there \"quoted\" back\\slash cr\r nl\n bell\a esc") + QChar(27) +
                         QStringLiteral(" vt\v ff\f bs\b nul") + QChar(0) + QStringLiteral(" end");

INSTANTIATE_TEST_SUITE_P(
    Sample, RegHiveValues,
    testing::Values(
        ValueCase{"Default", "Software\\Classes\\*", "", REG_SZ, utf16Bytes("Unknown file")},
        ValueCase{"Dword", "Software\\Classes\\*", "EditFlags", REG_DWORD, byteList({2, 0, 0, 0})},
        ValueCase{"WrappedHex", kCurrentVersion, "Bin", REG_BINARY, range(50)},
        ValueCase{"String", kCurrentVersion, "CSDVersion", REG_SZ, utf16Bytes("Service Pack 1")},
        ValueCase{"Escapes", kCurrentVersion, "Escapes", REG_SZ, utf16Bytes(kEscapes)},
        ValueCase{"Octal", kCurrentVersion, "Octal", REG_SZ,
                  utf16Bytes(QString() + QChar(1) + QChar(1) + '2' + QChar(7))},
        ValueCase{"MultiString", kCurrentVersion, "Multi", REG_MULTI_SZ,
                  utf16Bytes(QStringLiteral("first") + QChar(0) + QStringLiteral("second") + QChar(0))},
        ValueCase{"UnknownType", kCurrentVersion, "Odd", 0x7e, byteList({0xde, 0xad})},
        ValueCase{"ExpandString", kCurrentVersion, "Path", REG_EXPAND_SZ,
                  utf16Bytes("%SystemRoot%\\system32;%SystemRoot%")},
        ValueCase{"Qword", kCurrentVersion, "Qword", REG_QWORD, byteList({0, 0, 0, 0, 1, 0, 0, 0})},
        ValueCase{"HexEscapes", kCurrentVersion, "Unicode", REG_SZ,
                  utf16Bytes(QString::fromUtf8("café 中文 éa"))},
        ValueCase{"RawUtf8", kCurrentVersion, "Utf8", REG_SZ, utf16Bytes(QString::fromUtf8("Grüße"))},
        ValueCase{"EmptyString", kCurrentVersion, "Empty", REG_SZ, byteList({0, 0})},
        ValueCase{"EmptyHex", kCurrentVersion, "EmptyBin", REG_BINARY, QByteArray()},
        ValueCase{"Spacing", kCurrentVersion, "spaced", REG_SZ, utf16Bytes("around equals")},
        ValueCase{"StrTag", kCurrentVersion, "Str", REG_SZ, utf16Bytes("plain")},
        ValueCase{"ShortDword", "Software\\Wine\\Brackets [x]", "Short", REG_DWORD, byteList({1, 2})},
        ValueCase{"LooseHex", "software\\wine\\BRACKETS [X]", "loose", REG_BINARY, byteList({1, 2, 0xff})},
        ValueCase{"ThroughLink", "System\\CurrentControlSet\\Services\\Foo", "ImagePath", REG_EXPAND_SZ,
                  utf16Bytes("C:\\foo.exe")}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

TEST(RegHive, KeepsTheOrderOfValuesAndKeys) {
    const auto hive = parse(kSample);
    EXPECT_EQ(hive->findKey(kCurrentVersion)->valueNames(),
              QStringList({"Bin", "CSDVersion", "Escapes", "Octal", "Multi", "Odd", "Path", "Qword",
                           "Unicode", "Utf8", "Empty", "EmptyBin", "Spaced", "Str"}));
    EXPECT_EQ(hive->root().subkeyNames(), QStringList({"Software", "System"}));
    EXPECT_EQ(hive->findKey("Software")->subkeyNames(), QStringList({"Classes", "Microsoft", "Wine"}));
    EXPECT_EQ(hive->findKey("System")->subkeyNames(), QStringList({"ControlSet001", "CurrentControlSet"}));
    EXPECT_EQ(hive->baseName(), QStringLiteral("\\Machine"));
}

TEST(RegHive, FollowsLinksInsideTheHive) {
    const auto hive = parse(kSample);
    RegKey* direct = hive->findKey("System\\ControlSet001\\Services");
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(hive->findKey("SYSTEM\\CurrentControlSet\\Services"), direct);
    EXPECT_EQ(hive->findKey("System\\CurrentControlSet"), hive->findKey("System\\ControlSet001"));
    RegKey* link = hive->findKey("System\\CurrentControlSet", false);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->isLink());
    EXPECT_EQ(link->name(), QStringLiteral("CurrentControlSet"));
}

TEST(RegHive, LinkToItselfEndsAtTheLink) {
    const auto hive =
        parse("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n[Loop] 1\n#link\n"
              "\"SymbolicLinkValue\"=hex(6):" +
              QByteArray("\\Registry\\Machine\\Loop").toHex(',').replace(",", ",00,") + ",00\n");
    RegKey* loop = hive->findKey("Loop", false);
    ASSERT_NE(loop, nullptr);
    ASSERT_TRUE(loop->isLink());
    EXPECT_EQ(hive->findKey("Loop"), loop);
    EXPECT_EQ(hive->findKey("Loop\\Sub"), nullptr);
}

TEST(RegHive, LaterValueOfTheSameNameWins) {
    const auto hive =
        parse("WINE REGISTRY Version 2\n[A] 1\n\"x\"=\"1\"\n\n[B] 2\n\n[a] 3\n\"X\"=\"2\"\n\"x\"=\"3\"\n");
    const RegKey* a = hive->findKey("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->valueNames(), QStringList({"x"}));
    EXPECT_EQ(a->findValue("x")->data, utf16Bytes("3"));
}

// ---- malformed files ----

struct ErrorCase {
    const char* name;
    QByteArray text;
    int line;
    const char* what;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class RegHiveErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(RegHiveErrors, NameFileAndLine) {
    const ErrorCase& c = GetParam();
    try {
        parse(c.text);
        FAIL() << "parsed without error";
    } catch (const HiveParseError& e) {
        EXPECT_EQ(e.file(), QStringLiteral("test.reg"));
        EXPECT_EQ(e.line(), c.line);
        const QString prefix = QStringLiteral("test.reg: line %1: ").arg(c.line);
        EXPECT_TRUE(e.message().startsWith(prefix)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.what))) << e.message().toStdString();
    }
}

const QByteArray kHead = "WINE REGISTRY Version 2\n\n[K] 1\n"; // a value line goes on line 4

INSTANTIATE_TEST_SUITE_P(
    Malformed, RegHiveErrors,
    testing::Values(
        ErrorCase{"EmptyFile", "", 1, "not a Wine registry file"},
        ErrorCase{"WrongHeader", "REGEDIT4\n[K]\n", 1, "not a Wine registry file"},
        ErrorCase{"OldVersion", "WINE REGISTRY Version 1\n", 1, "not a Wine registry file"},
        ErrorCase{"ValueBeforeKey", "WINE REGISTRY Version 2\n\n\"a\"=\"b\"\n", 3, "value outside of a key"},
        ErrorCase{"UnclosedBracket", "WINE REGISTRY Version 2\n[K\\\\L 12\n", 2, "missing closing bracket"},
        ErrorCase{"TextAfterKey", "WINE REGISTRY Version 2\n[K] 12 x\n", 2,
                  "unexpected text after the key name"},
        ErrorCase{"BadEscapeInKey", "WINE REGISTRY Version 2\n[K\\q]\n", 2, "bad escape"},
        ErrorCase{"UnclosedName", kHead + "\"abc=\"1\"\n", 4, "missing \"=\""},
        ErrorCase{"UnclosedNameAtEnd", kHead + "\"abc\n", 4, "missing closing quote"},
        ErrorCase{"MissingEquals", kHead + "\"a\" \"b\"\n", 4, "missing \"=\""},
        ErrorCase{"UnclosedString", kHead + "\"a\"=\"abc\n", 4, "missing closing quote"},
        ErrorCase{"UnclosedExpandString", kHead + "\"a\"=str(2):\"abc\n\"b\"=\"c\"\n", 4,
                  "missing closing quote"},
        ErrorCase{"BadEscape", kHead + "\"a\"=\"x\\qy\"\n", 4, "bad escape \"\\q\""},
        ErrorCase{"HexEscapeWithoutDigits", kHead + "\"a\"=\"\\xg\"\n", 4, "bad escape"},
        ErrorCase{"BackslashAtEnd", kHead + "\"a\"=\"abc\\\n", 4, "missing closing quote"},
        ErrorCase{"TextAfterString", kHead + "\"a\"=\"b\" junk\n", 4, "unexpected text after the value"},
        ErrorCase{"HexContinuesPastEnd", kHead + "\"a\"=hex:01,02,\\\n", 4, "continues past the end"},
        ErrorCase{"HexContinuesPastEndWithoutLineEnd", kHead + "\"b\"=dword:1\n\"a\"=hex:01,\\", 5,
                  "continues past the end"},
        ErrorCase{"BadHexOnContinuation", kHead + "\"a\"=hex:01,\\\n  02,zz\n", 5, "bad hex data"},
        ErrorCase{"BadHex", kHead + "\"a\"=hex:01,zz\n", 4, "bad hex data"},
        ErrorCase{"DoubleComma", kHead + "\"a\"=hex:01,,02\n", 4, "bad hex data"},
        ErrorCase{"HexByteTooLong", kHead + "\"a\"=hex:123\n", 4, "bad hex byte"},
        ErrorCase{"TextAfterContinuation", kHead + "\"a\"=hex:01,\\ x\n  02\n", 4, "after \"\\\""},
        ErrorCase{"BadDword", kHead + "\"a\"=dword:xyz\n", 4, "bad dword"},
        ErrorCase{"DwordTooLong", kHead + "\"a\"=dword:123456789\n", 4, "bad dword"},
        ErrorCase{"DwordTrailingText", kHead + "\"a\"=dword:12 z\n", 4, "unexpected text after the value"},
        ErrorCase{"BadHexType", kHead + "\"a\"=hex(zz):01\n", 4, "bad value type"},
        ErrorCase{"UnclosedHexType", kHead + "\"a\"=hex(7:01\n", 4, "bad value type"},
        ErrorCase{"UnknownData", kHead + "\"a\"=foo:1\n", 4, "unknown value data"},
        ErrorCase{"UnknownStringType", kHead + "\"a\"=str(1):\"x\"\n", 4, "unknown value data"},
        ErrorCase{"Garbage", kHead + "\"a\"=\"b\"\nhello\n", 5, "unrecognised line"},
        ErrorCase{"NulByte", kHead + QByteArray("\"a\"=\"b\0c\"\n", 10), 4, "NUL"},
        ErrorCase{"KeyOneLevelTooDeep", nestedHive(513), 3, "deeper than 512 levels"},
        ErrorCase{"KeyFarTooDeep", nestedHive(200000), 3, "deeper than 512 levels"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

// ---- changes ----

// Replaces the timestamps of the key line that starts with `keyHead` and of its "#time" line by
// what `changed` holds there, after checking that they are the current time.
QByteArray expectRetimed(QByteArray text, const QByteArray& changed, const QByteArray& escapedPath,
                         const QByteArray& oldTime, qint64 before) {
    const qint64 secs = keySeconds(changed, escapedPath);
    EXPECT_GE(secs, before);
    EXPECT_LE(secs, nowSeconds());
    const qsizetype keyAt = changed.indexOf('[' + escapedPath + "] ");
    const qsizetype timeAt = changed.indexOf("#time=", keyAt) + 6;
    const QByteArray newTime = changed.mid(timeAt, changed.indexOf('\n', timeAt) - timeAt);
    bool ok = false;
    const qint64 ft = newTime.toLongLong(&ok, 16);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ft / 10000000 - 11644473600LL, secs);
    const qint64 oldSecs = keySeconds(text, escapedPath);
    text.replace('[' + escapedPath + "] " + QByteArray::number(oldSecs),
                 '[' + escapedPath + "] " + QByteArray::number(secs));
    text.replace("#time=" + oldTime, "#time=" + newTime);
    return text;
}

TEST(RegHiveChange, ChangedValueRewritesOnlyItsLineAndItsKeysTime) {
    const auto hive = parse(kSample);
    const qint64 before = nowSeconds();
    RegKey* cv = hive->findKey(kCurrentVersion);
    EXPECT_TRUE(hive->setValue(*cv, "csdversion", REG_SZ, utf16Bytes("Service Pack 2")));
    const QByteArray out = hive->serialise();

    QByteArray expected = kSample;
    expected.replace("\"CSDVersion\"=\"Service Pack 1\"", "\"CSDVersion\"=\"Service Pack 2\"");
    expected = expectRetimed(expected, out, "Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion",
                             "1d71cc1d4b5ec1b", before);
    EXPECT_EQ(out, expected);
}

TEST(RegHiveChange, SameDataChangesNothing) {
    const auto hive = parse(kSample);
    RegKey* cv = hive->findKey(kCurrentVersion);
    EXPECT_FALSE(hive->setValue(*cv, "CSDVersion", REG_SZ, utf16Bytes("Service Pack 1")));
    EXPECT_EQ(hive->serialise(), kSample);
}

TEST(RegHiveChange, NewValueFollowsTheKeysLastValue) {
    const auto hive = parse(kSample);
    const qint64 before = nowSeconds();
    EXPECT_TRUE(hive->setValue(*hive->findKey("System\\ControlSet001\\Services\\Foo"), "Start", REG_DWORD,
                               byteList({2, 0, 0, 0})));
    const QByteArray out = hive->serialise();
    QByteArray expected = kSample;
    expected.replace("\"ImagePath\"=str(2):\"C:\\\\foo.exe\"\n",
                     "\"ImagePath\"=str(2):\"C:\\\\foo.exe\"\n\"Start\"=dword:00000002\n");
    expected =
        expectRetimed(expected, out, "System\\\\ControlSet001\\\\Services\\\\Foo", "1d71cc1d4b5ec1d", before);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(hive->findKey("System\\ControlSet001\\Services\\Foo")->valueNames(),
              QStringList({"ImagePath", "Start"}));
}

// New lines take the file's own line ends.
TEST(RegHiveChange, NewTextAfterALastLineWithoutLineEnd) {
    for (const bool crlfEnds : {false, true}) {
        const auto ends = [crlfEnds](const QByteArray& text) { return crlfEnds ? crlf(text) : text; };
        const auto hive = parse(ends("WINE REGISTRY Version 2\n\n[A] 1\n\"v\"=\"w\""));
        hive->setValue(*hive->findKey("A"), "x", REG_DWORD, byteList({1, 0, 0, 0}));
        hive->createKey("B");
        EXPECT_TRUE(matches(hive->serialise(), ends("WINE REGISTRY Version 2\n\n[A] QQSECSQQ\n\"v\"=\"w\"\n"
                                                    "\"x\"=dword:00000001\n\n[B] QQSECSQQ\n")))
            << hive->serialise().toStdString();
    }
}

TEST(RegHiveChange, DeletedValueTakesItsContinuationLines) {
    const auto hive = parse(kSample);
    const qint64 before = nowSeconds();
    RegKey* cv = hive->findKey(kCurrentVersion);
    EXPECT_TRUE(hive->deleteValue(*cv, "BIN"));
    EXPECT_FALSE(hive->deleteValue(*cv, "Bin"));
    const QByteArray out = hive->serialise();
    QByteArray expected = kSample;
    const qsizetype from = expected.indexOf("\"Bin\"=");
    expected.remove(from, expected.indexOf("\"CSDVersion\"") - from);
    expected = expectRetimed(expected, out, "Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion",
                             "1d71cc1d4b5ec1b", before);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(cv->findValue("Bin"), nullptr);
}

TEST(RegHiveChange, ChangingARepeatedValueDropsTheEarlierLines) {
    const QByteArray text = "WINE REGISTRY Version 2\n[A] 1\n\"x\"=\"1\"\n\"y\"=\"k\"\n\"x\"=\"2\"\n";
    {
        const auto hive = parse(text);
        hive->setValue(*hive->findKey("A"), "x", REG_SZ, utf16Bytes("9"));
        const QByteArray out = hive->serialise();
        EXPECT_EQ(out.count("\"x\"="), 1);
        EXPECT_TRUE(out.contains("\"y\"=\"k\"\n\"x\"=\"9\"\n"));
    }
    {
        // A deleted value must not come back from an earlier line when the file is read again.
        const auto hive = parse(text);
        hive->deleteValue(*hive->findKey("A"), "x");
        const auto again = parse(hive->serialise());
        EXPECT_EQ(again->findKey("A")->valueNames(), QStringList({"y"}));
    }
}

TEST(RegHiveChange, NewKeysTakeTheirPlaceInNameOrder) {
    const auto hive = parse(kSample);
    bool created = false;
    hive->createKey("Software\\Classes\\.txt", &created);
    EXPECT_TRUE(created);
    hive->createKey("Software\\Classes\\!first", &created);
    EXPECT_TRUE(created);
    hive->createKey("SOFTWARE\\classes\\.TXT", &created);
    EXPECT_FALSE(created);
    EXPECT_EQ(hive->findKey("Software\\Classes")->subkeyNames(), QStringList({"!first", "*", ".txt"}));

    QByteArray expected = kSample;
    expected.insert(expected.indexOf("\n[Software\\\\Microsoft"),
                    "\n[Software\\\\Classes\\\\.txt] QQSECSQQ\n#time=QQTIMEQQ\n");
    expected.insert(expected.indexOf("\n[Software\\\\Classes\\\\*]"),
                    "\n[Software\\\\Classes\\\\!first] QQSECSQQ\n#time=QQTIMEQQ\n");
    const QByteArray out = hive->serialise();
    EXPECT_TRUE(matches(out, expected)) << out.left(700).toStdString();
}

TEST(RegHiveChange, NewKeyBelowTheLastSectionGoesAfterIt) {
    const auto hive = parse(kSample);
    hive->createKey("System\\CurrentControlSet2\\Control");
    const QByteArray out = hive->serialise();
    EXPECT_TRUE(
        matches(out, kSample + "\n[System\\\\CurrentControlSet2\\\\Control] QQSECSQQ\n#time=QQTIMEQQ\n"))
        << out.mid(kSample.size()).toStdString();
}

TEST(RegHiveChange, NoKeyIsCreatedDeeperThanWindowsAllows) {
    // A key 510 levels deep, and a link to it at the top.
    const QByteArray linked = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n[" +
                              nestedPath(510).toLatin1().replace("\\", "\\\\") +
                              "] 1\n\n[L] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" +
                              utf16Bytes("\\Registry\\Machine\\" + nestedPath(510), false).toHex(',') + "\n";
    struct Case {
        const char* name;
        QByteArray text;
        QString path;
        bool exists;
        bool created;
    };
    const Case cases[] = {
        {"deepest allowed", linked, nestedPath(512), true, true},
        {"one level too deep", linked, nestedPath(513), false, false},
        {"far too deep", linked, nestedPath(200000), false, false},
        {"two below a deep key", linked, nestedPath(510) + "\\a\\b", true, true},
        {"three below a deep key", linked, nestedPath(510) + "\\a\\b\\c", false, false},
        {"two below through a link", linked, "L\\a\\b", true, true},
        {"three below through a link", linked, "L\\a\\b\\c", false, false},
        {"deepest of a file", nestedHive(512), nestedPath(512), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto hive = parse(c.text);
        bool created = !c.created;
        RegKey* key = hive->createKey(c.path, &created);
        EXPECT_EQ(created, c.created);
        ASSERT_EQ(key != nullptr, c.exists);
        if (key) {
            EXPECT_EQ(hive->findKey(c.path), key);
        } else {
            EXPECT_EQ(hive->serialise(), c.text);
        }
    }
}

TEST(RegHiveChange, DeletedKeyTakesItsSubtreeAndLeavesItsParentWritten) {
    const auto hive = parse(kSample);
    RegKey* foo = hive->findKey("System\\ControlSet001\\Services\\Foo");
    hive->setValue(*hive->createKey("System\\ControlSet001\\Services\\Foo\\Enum\\Root"), "n", REG_DWORD,
                   byteList({1, 0, 0, 0}));
    foo = hive->findKey("System\\ControlSet001\\Services\\Foo");
    EXPECT_TRUE(hive->deleteKey(*foo));
    EXPECT_EQ(hive->findKey("System\\ControlSet001\\Services\\Foo"), nullptr);
    EXPECT_FALSE(hive->deleteKey(hive->root()));

    const QByteArray out = hive->serialise();
    EXPECT_FALSE(out.contains("Foo"));
    EXPECT_FALSE(out.contains("Enum"));
    // Services lost its only subkey; it must stay in the file to stay in the registry.
    const auto again = parse(out);
    ASSERT_NE(again->findKey("System\\ControlSet001\\Services"), nullptr);
    EXPECT_EQ(again->findKey("System\\ControlSet001\\Services")->subkeyCount(), 0);
    EXPECT_TRUE(out.contains("\n[System\\\\ControlSet001\\\\Services] "));
}

TEST(RegHiveChange, TimestampsOfUnchangedKeysStay) {
    const auto hive = parse(kSample);
    hive->setValue(*hive->findKey("Software\\Classes\\*"), "EditFlags", REG_DWORD, byteList({3, 0, 0, 0}));
    const QByteArray out = hive->serialise();
    EXPECT_NE(keySeconds(out, "Software\\\\Classes\\\\*"), 1616153637);
    EXPECT_EQ(keySeconds(out, "Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion"), 1616153640);
    EXPECT_EQ(keySeconds(out, "Software\\\\Wine\\\\Brackets \\[x\\]"), 1616153645);
    EXPECT_EQ(keySeconds(out, "System\\\\CurrentControlSet"), 1616153650);
    EXPECT_EQ(out.count("#time=1d71cc1d4b5ec1a"), 0);
    for (const char* t : {"#time=1d71cc1d4b5ec1b", "#time=1d71cc1d4b5ec1c", "#time=1d71cc1d4b5ec1d"})
        EXPECT_EQ(out.count(t), 1) << t;
}

TEST(RegHiveChange, HiveWithoutTimeLinesGetsNoneForNewKeys) {
    const auto hive = parse("WINE REGISTRY Version 2\n\n[A] 1\n\"v\"=\"1\"\n");
    hive->createKey("B");
    EXPECT_FALSE(hive->serialise().contains("#time="));
}

TEST(RegHiveChange, NewHiveHasWinesHeaderAndEscapedKeyNames) {
    RegHive hive(QStringLiteral("\\User\\S-1-5-21-0-0-0-1000"), QStringLiteral("win32"));
    EXPECT_EQ(
        hive.serialise(),
        QByteArray("WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                   "#arch=win32\n"));
    const qint64 before = nowSeconds();
    hive.createKey(QString::fromUtf8("Software\\A [b]\\é"));
    const QByteArray out = hive.serialise();
    const QRegularExpression keyLine(
        QStringLiteral("\\n") +
        QRegularExpression::escape(QStringLiteral("[Software\\\\A \\[b\\]\\\\\\xe9] ")) +
        QStringLiteral("(\\d+)\n#time=([0-9a-f]+)\n$"));
    const auto m = keyLine.match(QString::fromUtf8(out));
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    const qint64 secs = m.captured(1).toLongLong();
    EXPECT_GE(secs, before);
    EXPECT_LE(secs, nowSeconds());
    EXPECT_EQ(m.captured(2).toLongLong(nullptr, 16) / 10000000 - 11644473600LL, secs);
    const auto again = parse(out);
    EXPECT_NE(again->findKey(QString::fromUtf8("software\\a [B]\\É")), nullptr);
}

// ---- how changed values are written ----

struct FormatCase {
    const char* name;
    QString value;
    std::uint32_t type;
    QByteArray data;
    QByteArray line;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class RegHiveFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(RegHiveFormat, WritesAsWineDoesAndReadsBack) {
    const FormatCase& c = GetParam();
    RegHive hive(QStringLiteral("\\Machine"), QString());
    RegKey* key = hive.createKey("K");
    hive.setValue(*key, c.value, c.type, c.data);
    const QByteArray out = hive.serialise();
    const qsizetype at = out.indexOf("\n#time=");
    const QByteArray valueText = out.mid(out.indexOf('\n', at + 1) + 1);
    EXPECT_EQ(valueText, c.line);

    const auto again = parse(out);
    const RegValue* v = again->findKey("K")->findValue(c.value);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->name, c.value);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data.toHex(' '), c.data.toHex(' '));
}

const QString kEscapeText = QStringLiteral("a\"b\\c\td") + QChar(1) + "7" + QChar(1) + "x" + QChar(0xe9) +
                            "a" + QChar(0xe9) + "z" + QChar(0x4e2d);

INSTANTIATE_TEST_SUITE_P(
    Values, RegHiveFormat,
    testing::Values(
        FormatCase{"String", "S", REG_SZ, utf16Bytes("plain"), "\"S\"=\"plain\"\n"},
        FormatCase{"Default", "", REG_SZ, utf16Bytes("def"), "@=\"def\"\n"},
        FormatCase{"Expand", "E", REG_EXPAND_SZ, utf16Bytes("%a%"), "\"E\"=str(2):\"%a%\"\n"},
        FormatCase{"Multi", "M", REG_MULTI_SZ, utf16Bytes(QStringLiteral("a") + QChar(0) + "b" + QChar(0)),
                   "\"M\"=str(7):\"a\\0b\\0\"\n"},
        FormatCase{"Dword", "D", REG_DWORD, byteList({0x2a, 0, 0, 0}), "\"D\"=dword:0000002a\n"},
        FormatCase{"ShortDword", "D3", REG_DWORD, byteList({1, 2, 3}), "\"D3\"=hex(4):01,02,03\n"},
        FormatCase{"UnterminatedString", "U", REG_SZ, utf16Bytes("ab", false), "\"U\"=hex(1):61,00,62,00\n"},
        FormatCase{"EmptyBinary", "B", REG_BINARY, QByteArray(), "\"B\"=hex:\n"},
        FormatCase{"Qword", "Q", REG_QWORD, byteList({1, 0, 0, 0, 0, 0, 0, 0}),
                   "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n"},
        FormatCase{"Escapes", "Esc", REG_SZ, utf16Bytes(kEscapeText),
                   "\"Esc\"=\"a\\\"b\\\\c\\td\\0017\\1x\\x00e9a\\xe9z\\x4e2d\"\n"},
        FormatCase{"EscapedName", "q\"n\\", REG_SZ, utf16Bytes("v"), "\"q\\\"n\\\\\"=\"v\"\n"},
        FormatCase{"WrappedHex", "Bin", REG_BINARY, range(50),
                   "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
                   "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\n"
                   "  30,31\n"},
        FormatCase{"LongNameWrapsEarly", QString(70, QChar('n')), REG_BINARY, range(4),
                   "\"" + QByteArray(70, 'n') + "\"=hex:00,\\\n  01,02,03\n"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

} // namespace
