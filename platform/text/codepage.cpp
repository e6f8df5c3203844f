#include "platform/text/text.h"

#include <array>
#include <cwctype>

namespace velmar::text {

namespace {

// Code points of the bytes 0x80-0x9F; the rest of 1252 equals Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    std::array<bool, 256> alnum{};
};

constexpr CaseTables makeCaseTables() {
    CaseTables t{};
    for (int i = 0; i < 256; ++i) {
        t.upper[i] = static_cast<unsigned char>(i);
        t.lower[i] = static_cast<unsigned char>(i);
    }
    auto pair = [&t](int up, int low) {
        t.upper[low] = static_cast<unsigned char>(up);
        t.lower[up] = static_cast<unsigned char>(low);
        t.alnum[up] = true;
        t.alnum[low] = true;
    };
    for (int c = 'A'; c <= 'Z'; ++c) {
        pair(c, c + 32);
    }
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            pair(c, c + 32);
        }
    }
    pair(0x8A, 0x9A); // S caron
    pair(0x8C, 0x9C); // OE
    pair(0x8E, 0x9E); // Z caron
    pair(0x9F, 0xFF); // Y diaeresis
    for (int c = '0'; c <= '9'; ++c) {
        t.alnum[c] = true;
    }
    // Letters without a case partner in the code page.
    for (int c : {0x83, 0xAA, 0xB5, 0xBA, 0xDF}) {
        t.alnum[c] = true;
    }
    return t;
}

constexpr CaseTables kCase = makeCaseTables();

// Decodes one UTF-8 sequence at i; returns false (and consumes one byte) when it is invalid.
bool decodeUtf8(std::string_view s, std::size_t& i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    }
    int extra = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return false;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

} // namespace

char32_t ansiToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

char codePointToAnsi(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

std::wstring ansiToWide(std::string_view ansi) {
    std::wstring out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        out += static_cast<wchar_t>(ansiToCodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string wideToAnsi(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide) {
        out += codePointToAnsi(static_cast<char32_t>(c));
    }
    return out;
}

std::string ansiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            appendUtf8(out, ansiToCodePoint(b));
        }
    }
    return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        out += decodeUtf8(utf8, i, cp) ? codePointToAnsi(cp) : '?';
    }
    return out;
}

std::string wideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide) {
        auto cp = static_cast<char32_t>(c);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::wstring utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        out += decodeUtf8(utf8, i, cp) ? static_cast<wchar_t>(cp) : L'\xFFFD';
    }
    return out;
}

std::string wideToUtf16le(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 2);
    auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (wchar_t c : wide) {
        auto cp = static_cast<char32_t>(c);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp > 0xFFFF ? 0xFFFD : cp);
        }
    }
    return out;
}

std::wstring utf16leToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    auto at = [&bytes](std::size_t k) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                     (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t u = at(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && at(k + 1) >= 0xDC00 &&
            at(k + 1) <= 0xDFFF) {
            out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (at(k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += L'\xFFFD';
        } else {
            out += static_cast<wchar_t>(u);
        }
    }
    return out;
}

char ansiToUpper(char c) {
    return static_cast<char>(kCase.upper[static_cast<unsigned char>(c)]);
}

char ansiToLower(char c) {
    return static_cast<char>(kCase.lower[static_cast<unsigned char>(c)]);
}

// Wide text maps like narrow text where 1252 has the character, so that both forms of an
// operation agree; beyond it the C library's mapping applies.
wchar_t wideToUpper(wchar_t c) {
    const char ansi = codePointToAnsi(static_cast<char32_t>(c));
    if (ansi != '?' || c == L'?') {
        return static_cast<wchar_t>(ansiToCodePoint(kCase.upper[static_cast<unsigned char>(ansi)]));
    }
    return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

wchar_t wideToLower(wchar_t c) {
    const char ansi = codePointToAnsi(static_cast<char32_t>(c));
    if (ansi != '?' || c == L'?') {
        return static_cast<wchar_t>(ansiToCodePoint(kCase.lower[static_cast<unsigned char>(ansi)]));
    }
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

bool isAnsiAlphaNumeric(char c) {
    return kCase.alnum[static_cast<unsigned char>(c)];
}

int compareAnsiNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = kCase.upper[static_cast<unsigned char>(a[i])];
        const unsigned char y = kCase.upper[static_cast<unsigned char>(b[i])];
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace velmar::text
