#include "misc/text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

// The degree sign of the ANSI code page.
const std::string kDeg = "\xB0";

TEST(FormatDegreesMinutesSeconds, ShowsAbsoluteAngleWithoutCarry) {
    struct Row {
        double angle;
        unsigned decimals;
        std::string expected;
    };
    const Row rows[] = {
        {12.5, 2, "12" + kDeg + "30' 0.00"},        {45.50416666666667, 1, "45" + kDeg + "30'15.0"},
        {5.0, 0, " 5" + kDeg + "00'  0"},           {-12.5, 2, "12" + kDeg + "30' 0.00"},
        {123.456789, 2, "123" + kDeg + "27'24.44"}, {10.999999, 2, "10" + kDeg + "59'60.00"},
        {-0.5, 3, " 0" + kDeg + "30' 0.000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        CString out("old");
        const CString result = formatDegreesMinutesSeconds(out, row.angle, row.decimals);
        EXPECT_EQ(result, row.expected.c_str());
        EXPECT_EQ(out, result);
    }
}

TEST(FormatDecimal, WritesPrefixValueAndSuffixLiterally) {
    struct Row {
        double value;
        unsigned decimals;
        const char* prefix;
        const char* suffix;
        const char* expected;
    };
    const Row rows[] = {
        {3.14159, 2, "x=", " m", "x=3.14 m"},
        {5, 0, nullptr, nullptr, " 5"},
        {-2.5, 1, "%d", nullptr, "%d-2.5"},
        {1234.5678, 3, nullptr, "%s", "1234.568%s"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        CString out("old");
        EXPECT_EQ(formatDecimal(out, row.value, row.decimals, row.prefix, row.suffix),
                  row.expected);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(FormatDecimal, CapsTheDecimalsADoubleCanHave) {
    CString out;
    formatDecimal(out, 0.5, UINT_MAX);
    EXPECT_EQ(out.GetLength(), 2 + static_cast<int>(kMaxDecimals));
    EXPECT_EQ(out.Left(4), "0.50");
}

TEST(FormatInteger, WritesPrefixValueAndSuffix) {
    struct Row {
        int value;
        const char* prefix;
        const char* suffix;
        const char* expected;
    };
    const Row rows[] = {
        {42, "n=", "!", "n=42!"},
        {-7, nullptr, nullptr, "-7"},
        {INT_MIN, nullptr, " min", "-2147483648 min"},
        {0, "", "", "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        CString out("old");
        EXPECT_EQ(formatInteger(out, row.value, row.prefix, row.suffix), row.expected);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(FormatInteger, PrefixAndSuffixMayComeFromOut) {
    CString out("ab");
    formatInteger(out, 1, out, out);
    EXPECT_EQ(out, "ab1ab");
    formatDecimal(out, 2.0, 0, out, out);
    EXPECT_EQ(out, "ab1ab 2ab1ab");
}

TEST(AddThousandsSeparators, GroupsAnInteger) {
    struct Row {
        int value;
        const char* expected;
    };
    const Row rows[] = {
        {1234567, "1,234,567"}, {1000, "1,000"},          {999, "999"}, {-1234, "-1,234"},
        {-123, "-123"},         {-1000000, "-1,000,000"}, {0, "0"},     {INT_MIN, "-2,147,483,648"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        CString out;
        EXPECT_EQ(addThousandsSeparators(out, row.value), row.expected);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(AddThousandsSeparators, GroupsTheIntegerPartOfADouble) {
    struct Row {
        double value;
        unsigned decimals;
        const char* expected;
    };
    const Row rows[] = {
        {1234.5, 2, "1,234.50"},
        {1234567.891, 1, "1,234,567.9"},
        {999.999, 2, "1,000.00"},
        {1234, 0, "1,234"},
        {5, 0, " 5"},
        {0.5, 2, "0.50"},
        {-1234.5, 2, "-1,234.50"},
        {-123.4, 1, "-123.4"},
        {1234.56789, 4, "1,234.5679"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        CString out;
        EXPECT_EQ(addThousandsSeparators(out, row.value, row.decimals), row.expected);
        EXPECT_EQ(out, row.expected);
    }
}

TEST(ParseInteger, WholeFieldMustBeDigits) {
    struct Row {
        const char* text;
        int expected;
    };
    const Row rows[] = {
        {"1,234", 1234}, {" 42 ", 42}, {"-5", -1},
        {"", -1},        {"12a", -1},  {"\t7\r\n", 7},
        {"1.5", -1},     {",,", -1},   {"99999999999", INT_MAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(parseInteger(CString(row.text)), row.expected);
    }
}

TEST(ParseInteger, FieldReadsTheLeadingNumber) {
    struct Row {
        const char* text;
        int start;
        int count;
        int expected;
    };
    const Row rows[] = {
        {"ab123cd", 2, 3, 123}, {"ab123cd", 10, 3, -1},  {"ab123cd", 2, 100, 123},
        {"ab123cd", 0, 7, 0},   {"12a", -4, 3, 12},      {"-5", 0, 2, -5},
        {"12345", 1, -2, -1},   {" 1,000 ", 0, 7, 1000}, {"-99999999999", 0, 12, INT_MIN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " @" + std::to_string(row.start));
        EXPECT_EQ(parseInteger(CString(row.text), row.start, row.count), row.expected);
    }
}

TEST(ParseDouble, ReadsTheLeadingNumberOfTheCleanedField) {
    struct Row {
        const char* text;
        int start;
        int count;
        double expected;
    };
    // start -1 stands for the whole-text form.
    const Row rows[] = {
        {"1,234.5", -1, 0, 1234.5}, {"   ", -1, 0, -1.0},       {"abc", -1, 0, 0.0},
        {"", -1, 0, -1.0},          {" -2.5e1x", -1, 0, -25.0}, {"x=1,5.25;", 2, 6, 15.25},
        {"x=1,5.25;", 20, 6, -1.0}, {"x=1,5.25;", -3, 3, 0.0},  {"12", 0, -1, -1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " @" + std::to_string(row.start));
        const CString text(row.text);
        const double parsed =
            row.start == -1 ? parseDouble(text) : parseDouble(text, row.start, row.count);
        EXPECT_DOUBLE_EQ(parsed, row.expected);
    }
}

TEST(IsDigitsOnly, AcceptsSeparatorsOnlyWhenAllowed) {
    struct Row {
        const char* text;
        bool plain;
        bool withSeparators;
    };
    const Row rows[] = {
        {"1.5", false, true}, {"1,234", false, true}, {"0123456789", true, true}, {"", true, true},
        {"-1", false, false}, {"1 2", false, false},  {"\xB2", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(isDigitsOnly(CString(row.text), false), row.plain);
        EXPECT_EQ(isDigitsOnly(CString(row.text), true), row.withSeparators);
    }
}

TEST(FormatTag, FillsTheTagOfEachKind) {
    EXPECT_EQ(formatTag(42), "<42/>");
    EXPECT_EQ(formatTag(-1), "<-1/>");
    EXPECT_EQ(formatTag(2.5), "<2.500000/>");
    EXPECT_EQ(formatTag("abc"), "<abc/>");
    EXPECT_EQ(formatTag("%d"), "<%d/>");
    EXPECT_EQ(formatTag(static_cast<const char*>(nullptr)), "</>");
}

TEST(FormatBitPattern, GroupsEightBitsFromTheTop) {
    EXPECT_EQ(formatBitPattern(std::uint8_t{5}), "00000101");
    EXPECT_EQ(formatBitPattern(std::uint8_t{0xFF}), "11111111");
    EXPECT_EQ(formatBitPattern(std::uint16_t{0x1234}), "00010010-00110100");
    EXPECT_EQ(formatBitPattern(std::uint16_t{0}), "00000000-00000000");
    EXPECT_EQ(formatBitPattern(std::uint32_t{0x1020304}), "00000001-00000010-00000011-00000100");
    EXPECT_EQ(formatBitPattern(std::uint32_t{0x80000001}), "10000000-00000000-00000000-00000001");
}

} // namespace
