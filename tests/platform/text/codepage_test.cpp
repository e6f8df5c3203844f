#include "platform/text/text.h"

#include <gtest/gtest.h>

using namespace velmar::text;

TEST(CodePage, EveryByteSurvivesWideAndUtf8RoundTrips) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(wideToAnsi(ansiToWide(all)), all);
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
    EXPECT_EQ(utf16leToWide(wideToUtf16le(ansiToWide(all))), ansiToWide(all));
}

TEST(CodePage, MapsTheWindows1252Specials) {
    EXPECT_EQ(ansiToWide("\xB0"), L"\u00B0");
    EXPECT_EQ(ansiToWide("\x80"), L"\u20AC");
    EXPECT_EQ(ansiToUtf8("\xB0"), "\xC2\xB0");
    EXPECT_EQ(wideToAnsi(L"\u0141x\U0001F600"), "?x?");
    EXPECT_EQ(utf8ToAnsi("a\xFF"
                         "b"),
              "a?b");
    EXPECT_EQ(wideToUtf16le(L"\U0001F600"), std::string("\x3D\xD8\x00\xDE", 4));
}

TEST(CodePage, CaseMappingCoversAccentedLetters) {
    EXPECT_EQ(ansiToUpper('a'), 'A');
    EXPECT_EQ(ansiToUpper('\xE9'), '\xC9');
    EXPECT_EQ(ansiToLower('\x8A'), '\x9A');
    EXPECT_EQ(ansiToUpper('\xF7'), '\xF7'); // division sign has no case
    EXPECT_EQ(wideToUpper(L'\u00E9'), L'\u00C9');
    EXPECT_EQ(compareAnsiNoCase("abc", "ABD"), -1);
    EXPECT_EQ(compareAnsiNoCase("\xE9t\xE9", "\xC9T\xC9"), 0);
    EXPECT_TRUE(isAnsiAlphaNumeric('\xE9'));
    EXPECT_FALSE(isAnsiAlphaNumeric('-'));
}
