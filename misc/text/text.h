// Text and number formatting: angle and number texts, string helpers, tokenizers, and the
// printf-style formatting of standard strings.
//
// Narrow text is Windows-1252. No function here throws on bad input, except where a comment
// says so (formatString, splitByRegex); indexes and counts out of range are clamped.
#pragma once

#include "platform/framework/framework.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// printf-style formatting into a standard string. Throws std::runtime_error("Error during
// formatting.") when the formatter reports an error or the result would not fit an int.
// Standard and framework strings may be passed for %s (%ls in the wide form).
std::string formatStringV(const char* pattern, ...);
std::wstring formatStringV(const wchar_t* pattern, ...);

template <typename... Args>
std::string formatString(const char* pattern, const Args&... args) {
    return formatStringV(pattern, velmar::framework::passArg(args)...);
}
template <typename... Args>
std::wstring formatString(const wchar_t* pattern, const Args&... args) {
    return formatStringV(pattern, velmar::framework::passArg(args)...);
}

// ---------------------------------------------------------------------------------------------
// Angle and number formatting
//
// The formatters store their text in `out` and return a copy of it. Doubles are rounded as
// the C library's printf rounds them.

// The most decimals a formatter writes; a double has no non-zero digit beyond the 1074th, so
// a larger request is served with this many.
inline constexpr unsigned kMaxDecimals = 1074;

// Degrees, minutes and seconds with `decimals` decimals of the seconds; the sign is not shown
// and seconds that round to 60 are not carried. 45.50416666666667, 1 -> "45°30'15.0", the
// degree sign being the byte 0xB0.
CString formatDegreesMinutesSeconds(CString& out, double angle, unsigned decimals);

// prefix + value with `decimals` decimals in a field of two + suffix; a null prefix or suffix
// is left out. 3.14159, 2, "x=", " m" -> "x=3.14 m"; 5, 0 -> " 5".
CString formatDecimal(CString& out, double value, unsigned decimals, const char* prefix = nullptr,
                      const char* suffix = nullptr);

// prefix + decimal value + suffix; a null prefix or suffix is left out.
CString formatInteger(CString& out, int value, const char* prefix = nullptr,
                      const char* suffix = nullptr);

// The decimal value with "," between groups of three digits: -1234567 -> "-1,234,567".
CString addThousandsSeparators(CString& out, int value);

// The value with `decimals` decimals in a field of two, "," between the groups of the integer
// part: 1234567.891, 1 -> "1,234,567.9"; 5, 0 -> " 5".
CString addThousandsSeparators(CString& out, double value, unsigned decimals);

// The number in a text typed or read as a field: white space around it and "," anywhere are
// ignored, then the leading number is read as atof reads it ("1,234.5" -> 1234.5, "abc" -> 0).
// An empty field gives -1.0.
double parseDouble(const CString& text);

// parseDouble of the field of `count` characters at `start` (clamped as CString::Mid clamps).
double parseDouble(const CString& text, int start, int count);

// As parseDouble, for an int; -1 also when the cleaned field holds anything but digits, so
// "1,234" -> 1234 but "-5" -> -1 and "12a" -> -1. Numbers beyond int give INT_MAX or INT_MIN.
int parseInteger(const CString& text);

// The leading integer of the field of `count` characters at `start`, cleaned as parseInteger
// cleans it but without the digits test ("-5" -> -5, "12a" -> 12); an empty field gives -1.
int parseInteger(const CString& text, int start, int count);

// True when every character is 0-9, or also "," or "." when separators are allowed; an empty
// text is digits only.
bool isDigitsOnly(const CString& text, bool separatorsAllowed);

// Tag texts: 42 -> "<42/>", 2.5 -> "<2.500000/>", "abc" -> "<abc/>" (a null text is empty).
CString formatTag(int value);
CString formatTag(double value);
CString formatTag(const char* text);

// The bits from the most significant down, "1" or "0", in groups of eight joined by "-":
// uint16_t 0x1234 -> "00010010-00110100".
CString formatBitPattern(std::uint8_t value);
CString formatBitPattern(std::uint16_t value);
CString formatBitPattern(std::uint32_t value);

// ---------------------------------------------------------------------------------------------
// String helpers
//
// Case changes and case-blind comparisons use the letters of the code page (A-Z and the
// accented letters of 1252).

// A lower-cased copy of the text.
CString toLowerCopy(const CString& text);

// An upper-cased copy of the text.
CString toUpperCopy(const CString& text);

// Whether text.Mid(start, count) equals `other` ignoring case; lengths must be equal.
// "File.TXT", "txt", 5, 3 -> true; the same with count 2 -> false.
bool equalsNoCaseAt(const CString& text, const char* other, int start, int count);

// Index of the first character at or after start (a negative start counts as 0) that occurs
// in the set, or -1. An empty set never matches.
int findFirstOf(const CString& text, const CString& set, int start);
int findFirstOf(const CStringW& text, const CStringW& set, int start);

// Index of the first character at or after start (a negative start counts as 0) that does not
// occur in the set, or -1.
int findFirstNotOf(const CString& text, const CString& set, int start);

// Removes the first occurrence of `sub` (case-sensitive); false, text unchanged, when there is
// none. An empty `sub` is found at the start: nothing changes and the result is true.
bool removeFirst(CString& text, const CString& sub);

// Each run of characters from the set becomes its first character, and a run at the end of
// the text goes: with " ", "a  b   c" -> "a b c", "a b  " -> "a b". False, text unchanged,
// when the set is empty or no character of it occurs.
bool collapseRuns(CString& text, const CString& set);

// Removes every character outside printable ASCII (32-126); true when something is left.
bool keepPrintable(CString& text);

// Replaces every character that is not a letter or digit of the code page by "_", keeping
// spaces when asked: "a-b c" -> "a_b_c", or "a_b c" with spaces kept. True when not empty.
bool makeIdentifierSafe(CString& text, bool keepSpaces);

// Replaces every occurrence of `search`, scanning left to right and never rescanning a
// replacement: "aaa", "a", "aa" -> "aaaaaa". An empty `search` changes nothing.
void replaceAll(std::string& text, std::string_view search, std::string_view replacement);
void replaceAll(std::wstring& text, std::wstring_view search, std::wstring_view replacement);

// Puts a backslash before each of + . ^ ? $ | ( ) * so the text matches itself literally in
// a regular expression (backslashes, brackets and braces are left as they are).
// "a.b(x)" -> "a\.b\(x\)".
void escapeRegex(std::string& text);
void escapeRegex(std::wstring& text);

// The text converted through the ANSI code page, up to its first zero character.
std::wstring toWide(const std::string& text);
std::string toNarrow(const std::wstring& text);

// One wide character per byte, byte 0x80-0xFF becoming U+0080-U+00FF, so that
// narrowCharacters gives the same bytes back.
std::wstring widenCharacters(const std::string& text);

// One byte per wide character: its low eight bits.
std::string narrowCharacters(const std::wstring& text);

// ---------------------------------------------------------------------------------------------
// Tokenizers
//
// Rules the tokenizers share: the token after the last delimiter loses one final "\n" or
// "\r" ("x\r\n" keeps "x\r"); empty tokens are dropped unless tokenize is asked to keep them;
// with quotes honoured, an unmatched double quote ends the split with false, keeping the
// tokens found before it. The text may be one of the output's own tokens.

// The text tokenize stores for an empty token, and that isEmptyToken looks for; a program
// may point it at another text (a null pointer counts as an empty text).
extern const char* g_emptyToken;

// Splits at any of the delimiter characters into `tokens` (emptied first). With quotes
// honoured, a token that starts with a double quote runs to the next one, quotes left out:
// "\"a,b\",c" at "," -> a,b and c. True when the split ended and found a token.
bool splitAtAnyChar(std::vector<CString>& tokens, const CString& text, const CString& delimiters,
                    bool honourQuotes);
bool splitAtAnyChar(std::vector<CStringW>& tokens, const CStringW& text, const CStringW& delimiters,
                    bool honourQuotes);

// As above, but the tokens are appended to `tokens`, also those found before a failure.
bool splitAtAnyChar(std::vector<std::string>& tokens, const std::string& text,
                    const std::string& delimiters, bool honourQuotes);

// As splitAtAnyChar, at any of the delimiter strings; at each position the first one of the
// list that matches there wins, even if a later one is longer. Empty strings are ignored.
// "a::b;c" at {"::", ";"} -> a, b, c.
bool splitAtAnyString(const CString& text, std::vector<CString>& tokens,
                      const std::vector<CString>& delimiters, bool honourQuotes);
bool splitAtAnyString(const CString& text, std::vector<CString>& tokens, CString delimiter,
                      bool honourQuotes);

// Splits at any of the delimiter characters into `tokens` (emptied first). With quotes
// honoured, delimiters between double quotes do not split and every double quote is removed
// from the tokens: "x=\"1=2\"" at "=" -> x and 1=2. An empty token between delimiters or at
// the start becomes g_emptyToken's text when kept ("a,,b" -> a, *EMPTY_TOKEN*, b); a
// delimiter at the end yields none. True when the split ended and `tokens` is not empty.
bool tokenize(const CString& text, std::vector<CString>& tokens, CString delimiters,
              bool honourQuotes, bool keepEmptyTokens);

// tokenize, appending to `tokens`; on failure nothing is appended and the result is false,
// otherwise it is whether `tokens` is not empty.
bool appendTokens(const CString& text, std::vector<CString>& tokens, CString delimiters,
                  bool honourQuotes, bool keepEmptyTokens);

// Whether the token is g_emptyToken's text (case-sensitive).
bool isEmptyToken(const CString& token);

// Appends every match of "[^D]+(?=D|$)", D being the delimiter text with its backslashes
// doubled: the runs free of delimiter characters that the whole delimiter text or the end
// follows. "a,b,,c" at "," -> a, b, c. Other characters of D keep their meaning in the
// pattern; a pattern the regular-expression library refuses throws std::regex_error.
void splitByRegex(const std::string& text, const std::string& delimiters,
                  std::vector<std::string>& tokens);
void splitByRegex(const std::wstring& text, const std::wstring& delimiters,
                  std::vector<std::wstring>& tokens);
