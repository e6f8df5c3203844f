#include "platform/framework/framework.h"

#include <gtest/gtest.h>

TEST(CString, PartsClampTheirArguments) {
    const CString s("File.TXT");
    EXPECT_EQ(s.Mid(5), "TXT");
    EXPECT_EQ(s.Mid(-3, 4), "File");
    EXPECT_EQ(s.Mid(5, -1), "");
    EXPECT_EQ(s.Mid(50), "");
    EXPECT_EQ(s.Left(-2), "");
    EXPECT_EQ(s.Left(100), "File.TXT");
    EXPECT_EQ(s.Right(3), "TXT");
    EXPECT_EQ(s.GetAt(100), '\0');
}

TEST(CString, SearchesAndChanges) {
    CString s("a,b;c,d");
    EXPECT_EQ(s.Find(','), 1);
    EXPECT_EQ(s.Find(',', 2), 5);
    EXPECT_EQ(s.Find(',', 99), -1);
    EXPECT_EQ(s.Find("c,"), 4);
    EXPECT_EQ(s.ReverseFind(','), 5);
    EXPECT_EQ(s.FindOneOf(";"), 3);
    EXPECT_EQ(s.Replace(",", "::"), 2);
    EXPECT_EQ(s, "a::b;c::d");
    EXPECT_EQ(s.Remove(':'), 4);
    CString t("  x y \r\n");
    EXPECT_EQ(t.Trim(), "x y");
    CString u("caf\xE9");
    EXPECT_EQ(u.MakeUpper(), "CAF\xC9");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
}

TEST(CString, FormatTakesFrameworkAndStandardStrings) {
    CString s;
    const CString name("deg");
    const std::string unit("m");
    s.Format("%s=%5.2f %s %d", name, 3.14159, unit, -4);
    EXPECT_EQ(s, "deg= 3.14 m -4");
    CStringW w;
    w.Format(L"%ls-%d", L"ab", 7);
    EXPECT_EQ(w, L"ab-7");
}

TEST(CString, ConvertsBetweenWidthsThroughTheCodePage) {
    const CStringW wide(CString("\xB0x"));
    EXPECT_EQ(wide, L"\u00B0x");
    EXPECT_EQ(CString(CStringW(L"\u0141")), "?");
    CString buffer;
    char* raw = buffer.GetBuffer(10);
    std::strcpy(raw, "abc");
    buffer.ReleaseBuffer();
    EXPECT_EQ(buffer.GetLength(), 3);
}
