#include "misc/text/text.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

template <typename Token>
Tokens narrowed(const std::vector<Token>& tokens) {
    Tokens out;
    for (const Token& token : tokens) {
        if constexpr (std::is_same_v<Token, CStringW>) {
            out.push_back(narrowCharacters(token.native()));
        } else if constexpr (std::is_same_v<Token, std::wstring>) {
            out.push_back(narrowCharacters(token));
        } else if constexpr (std::is_same_v<Token, CString>) {
            out.push_back(token.native());
        } else {
            out.push_back(token);
        }
    }
    return out;
}

CStringW wideOf(const std::string& text) {
    return CStringW(widenCharacters(text));
}

struct SplitRow {
    std::string text;
    std::string delimiters;
    bool honourQuotes;
    bool result;
    Tokens tokens;
};

TEST(SplitAtAnyChar, SplitsTheSameInEveryForm) {
    const SplitRow rows[] = {
        {"2022.10.05", ".", false, true, {"2022", "10", "05"}},
        {"a,,b,", ",", false, true, {"a", "b"}},
        {"", ",", false, false, {}},
        {",,,", ",", false, false, {}},
        {"a b;c", " ;", false, true, {"a", "b", "c"}},
        {"abc", "", false, true, {"abc"}},
        {"a,b\r\n", ",", false, true, {"a", "b\r"}},
        {"a,\n", ",", false, true, {"a"}},
        {"x\r", ",", false, true, {"x"}},
        {"\"a,b\",c", ",", true, true, {"a,b", "c"}},
        {"\"a,b\",c", ",", false, true, {"\"a", "b\"", "c"}},
        {"\"a,b", ",", true, false, {}},
        {"x,\"a,b", ",", true, false, {"x"}},
        {"x\"y,z\"", ",", true, true, {"x\"y", "z\""}},
        {"\"\",a", ",", true, true, {"a"}},
        {"\"a\"b,c", ",", true, true, {"a", "b", "c"}},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(row.text + " at " + row.delimiters);
        std::vector<CString> narrow{CString("stale")};
        EXPECT_EQ(
            splitAtAnyChar(narrow, CString(row.text), CString(row.delimiters), row.honourQuotes),
            row.result);
        EXPECT_EQ(narrowed(narrow), row.tokens);

        std::vector<CStringW> wide{CStringW(L"stale")};
        EXPECT_EQ(splitAtAnyChar(wide, wideOf(row.text), wideOf(row.delimiters), row.honourQuotes),
                  row.result);
        EXPECT_EQ(narrowed(wide), row.tokens);

        // The standard-string form appends, also the tokens found before a failure.
        std::vector<std::string> standard{"kept"};
        EXPECT_EQ(splitAtAnyChar(standard, row.text, row.delimiters, row.honourQuotes), row.result);
        Tokens expected{"kept"};
        expected.insert(expected.end(), row.tokens.begin(), row.tokens.end());
        EXPECT_EQ(standard, expected);
    }
}

TEST(SplitAtAnyChar, WideDelimitersBeyondTheCodePage) {
    std::vector<CStringW> tokens;
    EXPECT_TRUE(
        splitAtAnyChar(tokens, CStringW(L"a\u2192b\u20ACc"), CStringW(L"\u20AC\u2192"), false));
    ASSERT_EQ(tokens.size(), 3U);
    EXPECT_EQ(tokens[2], L"c");
}

TEST(SplitAtAnyString, TriesTheDelimitersInListOrderAtEachPosition) {
    struct Row {
        std::string text;
        std::vector<CString> delimiters;
        bool honourQuotes;
        bool result;
        Tokens tokens;
    };
    const Row rows[] = {
        {"a::b;c", {"::", ";"}, false, true, {"a", "b", "c"}},
        {"a,b,", {","}, false, true, {"a", "b"}},
        {"a::b", {":", "::"}, false, true, {"a", "b"}},
        {"a::b", {"::", ":"}, false, true, {"a", "b"}},
        {"a:::b", {"::"}, false, true, {"a", ":b"}},
        {"abc", {"", "b"}, false, true, {"a", "c"}},
        {"abc", {""}, false, true, {"abc"}},
        {"abc", {}, false, true, {"abc"}},
        {"a--", {"--"}, false, true, {"a"}},
        {"a--b\r\n", {"--"}, false, true, {"a", "b\r"}},
        {"\"ab\",c", {","}, true, true, {"ab", "c"}},
        {"\"a::b\"::c", {"::"}, true, true, {"a::b", "c"}},
        {"x::\"ab", {"::"}, true, false, {"x"}},
        {"", {","}, false, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::vector<CString> tokens{CString("stale")};
        EXPECT_EQ(splitAtAnyString(CString(row.text), tokens, row.delimiters, row.honourQuotes),
                  row.result);
        EXPECT_EQ(narrowed(tokens), row.tokens);
        if (row.delimiters.size() == 1) {
            std::vector<CString> single;
            EXPECT_EQ(
                splitAtAnyString(CString(row.text), single, row.delimiters[0], row.honourQuotes),
                row.result);
            EXPECT_EQ(narrowed(single), row.tokens);
        }
    }
}

struct TokenizeRow {
    std::string text;
    std::string delimiters;
    bool honourQuotes;
    bool keepEmpty;
    bool result;
    Tokens tokens;
};

const TokenizeRow kTokenizeRows[] = {
    {"a,,b", ",", false, true, true, {"a", "*EMPTY_TOKEN*", "b"}},
    {"a,,b", ",", false, false, true, {"a", "b"}},
    {",a,", ",", false, true, true, {"*EMPTY_TOKEN*", "a"}},
    {"a,b\r\n", ",", false, false, true, {"a", "b\r"}},
    {"a,\n", ",", false, true, true, {"a", "*EMPTY_TOKEN*"}},
    {"x=\"1=2\"", "=", true, false, true, {"x", "1=2"}},
    {"x=\"1=2\"", "=", false, false, true, {"x", "\"1", "2\""}},
    {"\"a\"=\"b=c\"=d", "=", true, false, true, {"a", "b=c", "d"}},
    {"k\"a=b\"c=d", "=", true, false, true, {"ka=bc", "d"}},
    {"\"\"=x", "=", true, true, true, {"", "x"}},
    {"\"a=b", "=", true, false, false, {}},
    {"x=\"a=b", "=", true, false, false, {"x"}},
    {"x=\"ab", "=", true, false, true, {"x", "ab"}},
    {"\"a\"\"b\"=c", "=", true, false, true, {"ab", "c"}},
    {"", ",", false, true, false, {}},
    {",", ",", false, false, false, {}},
    {"a;b c", "; ", false, false, true, {"a", "b", "c"}},
    {"\"Name\"=dword:0000007b\r\n", "=", true, false, true, {"Name", "dword:0000007b\r"}},
};

TEST(Tokenize, SplitsWithQuotedPartsAndEmptyTokens) {
    for (const TokenizeRow& row : kTokenizeRows) {
        SCOPED_TRACE(row.text + " at " + row.delimiters);
        std::vector<CString> tokens{CString("stale")};
        EXPECT_EQ(tokenize(CString(row.text), tokens, CString(row.delimiters), row.honourQuotes,
                           row.keepEmpty),
                  row.result);
        EXPECT_EQ(narrowed(tokens), row.tokens);
    }
}

TEST(AppendTokens, AppendsOnlyWhenTokenizeSucceeds) {
    for (const TokenizeRow& row : kTokenizeRows) {
        SCOPED_TRACE(row.text + " at " + row.delimiters);
        std::vector<CString> tokens{CString("kept")};
        EXPECT_EQ(appendTokens(CString(row.text), tokens, CString(row.delimiters), row.honourQuotes,
                               row.keepEmpty),
                  row.result);
        Tokens expected{"kept"};
        if (row.result) {
            expected.insert(expected.end(), row.tokens.begin(), row.tokens.end());
        }
        EXPECT_EQ(narrowed(tokens), expected);
    }
}

TEST(EmptyToken, FollowsThePointer) {
    EXPECT_TRUE(isEmptyToken(CString("*EMPTY_TOKEN*")));
    EXPECT_FALSE(isEmptyToken(CString("*empty_token*")));
    EXPECT_FALSE(isEmptyToken(CString("")));

    const char* const saved = g_emptyToken;
    g_emptyToken = "<none>";
    std::vector<CString> tokens;
    EXPECT_TRUE(tokenize(CString("a,,b"), tokens, CString(","), false, true));
    EXPECT_EQ(narrowed(tokens), (Tokens{"a", "<none>", "b"}));
    EXPECT_TRUE(isEmptyToken(tokens[1]));
    EXPECT_FALSE(isEmptyToken(CString("*EMPTY_TOKEN*")));

    g_emptyToken = nullptr;
    EXPECT_TRUE(tokenize(CString("a,,b"), tokens, CString(","), false, true));
    EXPECT_EQ(narrowed(tokens), (Tokens{"a", "", "b"}));
    EXPECT_TRUE(isEmptyToken(CString("")));
    g_emptyToken = saved;
}

TEST(Tokenizers, TheTextMayBeATokenOfTheOutput) {
    std::vector<CString> tokens{CString("a,b,c")};
    EXPECT_TRUE(splitAtAnyChar(tokens, tokens[0], CString(","), false));
    EXPECT_EQ(narrowed(tokens), (Tokens{"a", "b", "c"}));

    tokens = {CString("a,b,c")};
    EXPECT_TRUE(tokenize(tokens[0], tokens, CString(","), false, false));
    EXPECT_EQ(narrowed(tokens), (Tokens{"a", "b", "c"}));

    tokens = {CString("a,b,c")};
    EXPECT_TRUE(appendTokens(tokens[0], tokens, tokens[0].Mid(1, 1), false, false));
    EXPECT_EQ(narrowed(tokens), (Tokens{"a,b,c", "a", "b", "c"}));

    // No spare capacity: appending moves the elements, the text among them.
    std::vector<std::string> standard{"a;b"};
    standard.shrink_to_fit();
    EXPECT_TRUE(splitAtAnyChar(standard, standard[0], ";", false));
    splitByRegex(standard[0], ";", standard);
    EXPECT_EQ(standard, (Tokens{"a;b", "a", "b", "a", "b"}));
}

TEST(SplitByRegex, AppendsTheRunsTheDelimiterTextFollows) {
    struct Row {
        std::string text;
        std::string delimiters;
        Tokens tokens;
    };
    const Row rows[] = {
        {"a,b,,c", ",", {"a", "b", "c"}},
        {"a;b", ";", {"a", "b"}},
        {"a, b,c, d", ", ", {"a", "c", "d"}},
        {"a\\b\\c", "\\", {"a", "b", "c"}},
        {"a.b", ".", {"a", "b"}},
        {"", ",", {}},
        {",,,", ",", {}},
        {"abc", "", {"abc"}},
        {"a|b|", "|", {"a", "b"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text + " at " + row.delimiters);
        std::vector<std::string> narrow{"kept"};
        splitByRegex(row.text, row.delimiters, narrow);
        Tokens expected{"kept"};
        expected.insert(expected.end(), row.tokens.begin(), row.tokens.end());
        EXPECT_EQ(narrow, expected);

        std::vector<std::wstring> wide{L"kept"};
        splitByRegex(widenCharacters(row.text), widenCharacters(row.delimiters), wide);
        EXPECT_EQ(narrowed(wide), expected);
    }
}

TEST(SplitByRegex, RefusedPatternThrows) {
    std::vector<std::string> tokens;
    EXPECT_THROW(splitByRegex("a-b", "z-a", tokens), std::regex_error);
    std::vector<std::wstring> wide;
    EXPECT_THROW(splitByRegex(L"a-b", L"(", wide), std::regex_error);
}

TEST(SplitByRegex, LongTokensNeedNoDeepStack) {
    // Far beyond what a depth-first matcher survives on a default stack.
    const std::string longToken(150000, 'x');
    std::vector<std::string> tokens;
    splitByRegex(longToken + ",y", ",", tokens);
    ASSERT_EQ(tokens.size(), 2U);
    EXPECT_EQ(tokens[0].size(), longToken.size());
}

} // namespace
