// The ANSI code page (Windows-1252) and the host's UTF-8.
//
// Narrow text inside the system is Windows-1252; wide text is UTF-32 in wchar_t. The host
// (file names, environment, command lines, terminals) speaks UTF-8, so narrow text is
// converted at that boundary only. Characters that 1252 cannot carry become "?", as the
// narrow Windows functions make them.
#pragma once

#include <string>
#include <string_view>

namespace velmar::text {

// The Unicode code point of a 1252 byte. The five bytes that 1252 leaves undefined map to
// the C1 controls of the same value, so every byte survives a round trip.
char32_t ansiToCodePoint(unsigned char byte);

// The 1252 byte of a code point, or '?' when 1252 has none.
char codePointToAnsi(char32_t codePoint);

std::wstring ansiToWide(std::string_view ansi);
std::string wideToAnsi(std::wstring_view wide);

std::string ansiToUtf8(std::string_view ansi);
// Invalid UTF-8 sequences become "?" byte by byte.
std::string utf8ToAnsi(std::string_view utf8);

std::string wideToUtf8(std::wstring_view wide);
std::wstring utf8ToWide(std::string_view utf8);

// UTF-16LE bytes of wide text (code points above U+FFFF as surrogate pairs), and back.
// An odd trailing byte is dropped; unpaired surrogates become U+FFFD.
std::string wideToUtf16le(std::wstring_view wide);
std::wstring utf16leToWide(std::string_view bytes);

// Case mapping of the code page: A-Z, a-z and the accented letters of 1252.
char ansiToUpper(char c);
char ansiToLower(char c);
wchar_t wideToUpper(wchar_t c);
wchar_t wideToLower(wchar_t c);

// The letter-or-digit test of the code page (ASCII letters and digits and the accented
// letters of 1252).
bool isAnsiAlphaNumeric(char c);

// Case-blind comparison by the upper-case mapping, as the registry orders names: <0, 0, >0.
int compareAnsiNoCase(std::string_view a, std::string_view b);

} // namespace velmar::text
