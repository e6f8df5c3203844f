#include "misc/text/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CaseCopies, ChangeTheCodePagesLettersAndLeaveTheArgument) {
    const CString text("Caf\xE9 \xC0 la Z 1!");
    EXPECT_EQ(toLowerCopy(text), "caf\xE9 \xE0 la z 1!");
    EXPECT_EQ(toUpperCopy(text), "CAF\xC9 \xC0 LA Z 1!");
    EXPECT_EQ(text, "Caf\xE9 \xC0 la Z 1!");
}

TEST(EqualsNoCaseAt, ComparesThePartAsMidTakesIt) {
    struct Row {
        const char* text;
        const char* other;
        int start;
        int count;
        bool expected;
    };
    const Row rows[] = {
        {"File.TXT", "txt", 5, 3, true},   {"File.TXT", "txt", 5, 2, false},
        {"File.TXT", "txt", 5, 50, true},  {"File.TXT", "file", -3, 4, true},
        {"File.TXT", "", 2, -1, true},     {"File.TXT", "", 20, 3, true},
        {"File.TXT", "x", 20, 3, false},   {"CAF\xC9", "caf\xE9", 0, 4, true},
        {"File.TXT", nullptr, 8, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " @" + std::to_string(row.start));
        EXPECT_EQ(equalsNoCaseAt(CString(row.text), row.other, row.start, row.count), row.expected);
    }
}

TEST(FindFirstOf, FindsTheFirstCharacterInTheSetInEveryForm) {
    struct Row {
        const char* text;
        const char* set;
        int start;
        int expected;
    };
    const Row rows[] = {
        {"a,b;c", ",;", 0, 1},  {"a,b;c", ",;", 2, 3},   {"a,b;c", ",;", 4, -1},
        {"a,b;c", ",;", 5, -1}, {"a,b;c", ",;", 99, -1}, {"a,b;c", ",;", -7, 1},
        {"a,b;c", "", 0, -1},   {"", ",", 0, -1},        {"a,b;c", ";", 0, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " @" + std::to_string(row.start));
        EXPECT_EQ(findFirstOf(CString(row.text), CString(row.set), row.start), row.expected);
        EXPECT_EQ(findFirstOf(CStringW(row.text), CStringW(row.set), row.start), row.expected);
    }
    EXPECT_EQ(findFirstOf(CStringW(L"a\u0141b\u20AC"), CStringW(L"\u20AC\u0141"), 0), 1);
    EXPECT_EQ(findFirstOf(CStringW(L"a\u0141b\u20AC"), CStringW(L"\u20AC"), 0), 3);
}

TEST(FindFirstNotOf, FindsTheFirstCharacterOutsideTheSet) {
    struct Row {
        const char* text;
        const char* set;
        int start;
        int expected;
    };
    const Row rows[] = {
        {"   x", " ", 0, 3}, {"   ", " ", 0, -1}, {"ab", "", 1, 1}, {"ab", "", 2, -1},
        {" x y", " ", 2, 3}, {"xx", " ", -1, 0},  {"", " ", 0, -1}, {"\xE9 ", " ", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " @" + std::to_string(row.start));
        EXPECT_EQ(findFirstNotOf(CString(row.text), CString(row.set), row.start), row.expected);
    }
}

TEST(RemoveFirst, RemovesOnlyTheFirstOccurrence) {
    struct Row {
        const char* text;
        const char* sub;
        bool found;
        const char* expected;
    };
    const Row rows[] = {
        {"abcabc", "bc", true, "aabc"},
        {"abc", "x", false, "abc"},
        {"abc", "", true, "abc"},
        {"abc", "abc", true, ""},
        {"", "a", false, ""},
        {"aBc", "b", false, "aBc"},
        {"", "", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " - " + row.sub);
        CString text(row.text);
        EXPECT_EQ(removeFirst(text, CString(row.sub)), row.found);
        EXPECT_EQ(text, row.expected);
    }
}

TEST(CollapseRuns, KeepsTheFirstOfEachRunAndDropsATrailingRun) {
    struct Row {
        const char* text;
        const char* set;
        bool changed;
        const char* expected;
    };
    const Row rows[] = {
        {"a  b   c", " ", true, "a b c"}, {"  a", " ", true, " a"},
        {"a b  ", " ", true, "a b"},      {"a  b", " ", true, "a b"},
        {"abc ", " ", true, "abc"},       {"abc", " ", false, "abc"},
        {"a  b", "", false, "a  b"},      {"a,;b;", ",;", true, "a,b"},
        {"   ", " ", true, ""},           {"", " ", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("[") + row.text + "]");
        CString text(row.text);
        EXPECT_EQ(collapseRuns(text, CString(row.set)), row.changed);
        EXPECT_EQ(text, row.expected);
    }
}

TEST(KeepPrintable, RemovesControlsAndBytesAbove126) {
    struct Row {
        std::string text;
        bool left;
        std::string expected;
    };
    const Row rows[] = {
        {"\r\n\r\n", false, ""},
        {"a\tb\x7F"
         "c\xE9~ ",
         true, "abc~ "},
        {std::string("x\0y", 3), true, "xy"},
        {"", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        CString text(row.text);
        EXPECT_EQ(keepPrintable(text), row.left);
        EXPECT_EQ(text, row.expected.c_str());
    }
}

TEST(MakeIdentifierSafe, ReplacesAllButLettersAndDigits) {
    struct Row {
        const char* text;
        bool keepSpaces;
        const char* expected;
    };
    const Row rows[] = {
        {"a-b c", false, "a_b_c"},  {"a-b c", true, "a_b c"}, {"Caf\xE9 1", false, "Caf\xE9_1"},
        {"\xD7\xB0.", true, "___"}, {"", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        CString text(row.text);
        EXPECT_EQ(makeIdentifierSafe(text, row.keepSpaces), row.expected[0] != '\0');
        EXPECT_EQ(text, row.expected);
    }
}

TEST(ReplaceAll, NeverRescansAReplacementInEveryForm) {
    struct Row {
        const char* text;
        const char* search;
        const char* replacement;
        const char* expected;
    };
    const Row rows[] = {
        {"aaa", "a", "aa", "aaaaaa"}, {"abc", "", "x", "abc"},  {"a.b.c", ".", "", "abc"},
        {"abab", "ab", "b", "bb"},    {"xyz", "q", "w", "xyz"}, {"", "a", "b", ""},
        {"aaaa", "aa", "a", "aa"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " / " + row.search);
        std::string narrow(row.text);
        replaceAll(narrow, row.search, row.replacement);
        EXPECT_EQ(narrow, row.expected);
        std::wstring wide = widenCharacters(row.text);
        replaceAll(wide, widenCharacters(row.search), widenCharacters(row.replacement));
        EXPECT_EQ(wide, widenCharacters(row.expected));
    }
}

TEST(ReplaceAll, SearchMayViewTheTextItself) {
    std::string text("abc");
    replaceAll(text, text, "x" + text);
    EXPECT_EQ(text, "xabc");
}

TEST(EscapeRegex, EscapesTheNineCharactersInEveryForm) {
    struct Row {
        const char* text;
        const char* expected;
    };
    const Row rows[] = {
        {"a.b(x)", "a\\.b\\(x\\)"},
        {"1+1=2?", "1\\+1=2\\?"},
        {"^$|*", "\\^\\$\\|\\*"},
        {"\\[]{}", "\\[]{}"},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::string narrow(row.text);
        escapeRegex(narrow);
        EXPECT_EQ(narrow, row.expected);
        std::wstring wide = widenCharacters(row.text);
        escapeRegex(wide);
        EXPECT_EQ(wide, widenCharacters(row.expected));
    }
}

TEST(CodePageConversions, GoThroughWindows1252UpToTheFirstZero) {
    struct Row {
        std::string narrow;
        std::wstring wide;
    };
    const Row both[] = {
        {"", L""},
        {"caf\xE9 \xB0", L"caf\u00E9 \u00B0"},
        {"\x80\x9F", L"\u20AC\u0178"},
    };
    for (const Row& row : both) {
        SCOPED_TRACE(row.narrow);
        EXPECT_EQ(toWide(row.narrow), row.wide);
        EXPECT_EQ(toNarrow(row.wide), row.narrow);
    }
    EXPECT_EQ(toWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(toNarrow(std::wstring(L"ab\0cd", 5)), "ab");
    EXPECT_EQ(toNarrow(L"\u0141\U0001F600"), "??");
}

TEST(CharacterConversions, RoundTripEveryByte) {
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    bytes.push_back('\0');
    const std::wstring wide = widenCharacters(bytes);
    ASSERT_EQ(wide.size(), bytes.size());
    EXPECT_EQ(wide[0xE8], L'\u00E9');
    EXPECT_EQ(wide.back(), L'\0');
    EXPECT_EQ(narrowCharacters(wide), bytes);
    EXPECT_EQ(narrowCharacters(L"\u0141\u20AC"), "\x41\xAC");
}

} // namespace
