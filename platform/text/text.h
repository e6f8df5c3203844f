// Text: the ANSI code page and the host's UTF-8, case mapping, and the rules of a Windows
// path as text.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>

// The ANSI code page (Windows-1252) and the host's UTF-8.
//
// Narrow text inside the system is Windows-1252; wide text is UTF-32 in wchar_t. The host
// (file names, environment, command lines, terminals) speaks UTF-8, so narrow text is
// converted at that boundary only. Characters that 1252 cannot carry become "?", as the
// narrow Windows functions make them.

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
// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);
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

// The rules of a Windows path as text, for every character type: narrow text (1252 or UTF-8)
// byte by byte, wide text by code unit.
//
// Every rule looks only at ASCII separators, colons, dots and wildcards, which are never part
// of a UTF-8 sequence nor of 1252's upper half, so narrow text gives what a round trip through
// wide text gives. Nothing here asks the host or std::filesystem::path (whose rules are POSIX
// here), so the rules hold and are tested on any machine.
//
// These are the primitives. A caller whose contract differs from Windows' own (the C runtime
// takes any character before a colon as a drive) builds its rule from them.

namespace velmar::text::winpath {

template <typename Ch>
using View = std::basic_string_view<Ch>;

template <typename Ch>
constexpr bool isSeparator(Ch c) {
    return c == Ch('\\') || c == Ch('/');
}

// Only ASCII letters name drives: "é:x" is a relative name holding a colon.
template <typename Ch>
constexpr bool isDriveLetter(Ch c) {
    return (c >= Ch('a') && c <= Ch('z')) || (c >= Ch('A') && c <= Ch('Z'));
}

template <typename Ch>
constexpr Ch asciiLower(Ch c) {
    return (c >= Ch('A') && c <= Ch('Z')) ? static_cast<Ch>(c - Ch('A') + Ch('a')) : c;
}

template <typename Ch>
constexpr bool isWildcard(Ch c) {
    return c == Ch('*') || c == Ch('?');
}

// Characters no Windows name holds: controls and < > " |; the wildcards unless the name is a
// pattern; the colon where it would name a stream, which host files do not have.
template <typename Ch>
constexpr bool isReservedNameChar(Ch c, bool wildcardsAllowed, bool colonReserved) {
    // Narrow text is bytes: 1252 letters and UTF-8 sequences above 0x7F are no controls.
    bool control = false;
    if constexpr (sizeof(Ch) == 1) {
        control = static_cast<unsigned char>(c) < 32;
    } else {
        control = c < Ch(32);
    }
    if (control || c == Ch('<') || c == Ch('>') || c == Ch('"') || c == Ch('|')) {
        return true;
    }
    if (isWildcard(c)) {
        return !wildcardsAllowed;
    }
    return c == Ch(':') && colonReserved;
}

// "C:" at the start.
template <typename Ch>
constexpr bool hasDriveLetter(View<Ch> p) {
    return p.size() >= 2 && p[1] == Ch(':') && isDriveLetter(p[0]);
}

// 2 when the path starts with any character and a colon, else 0: the C runtime's path
// splitting and the find functions cut a drive off without asking whether it is a letter.
template <typename Ch>
constexpr std::size_t looseDriveLength(View<Ch> p) {
    return p.size() >= 2 && p[1] == Ch(':') ? 2 : 0;
}

// "\\server" at the start: two separators and then a name. "\\" and "\\\x" have no server.
template <typename Ch>
constexpr bool isNetworkRoot(View<Ch> p) {
    return p.size() >= 3 && isSeparator(p[0]) && isSeparator(p[1]) && !isSeparator(p[2]);
}

// Length of the root name: "C:" for a drive, "\\server" for a network path, else 0.
template <typename Ch>
constexpr std::size_t rootNameLength(View<Ch> p) {
    if (hasDriveLetter(p)) {
        return 2;
    }
    if (!isNetworkRoot(p)) {
        return 0;
    }
    std::size_t i = 3;
    while (i < p.size() && !isSeparator(p[i])) {
        ++i;
    }
    return i;
}

// End of the root: the root name and every separator directly after it. "C:\\\a" => 4.
template <typename Ch>
constexpr std::size_t rootEnd(View<Ch> p) {
    std::size_t i = rootNameLength(p);
    while (i < p.size() && isSeparator(p[i])) {
        ++i;
    }
    return i;
}

// Root names compare as Windows resolves them: letters without regard to case, "/" as "\".
template <typename Ch>
constexpr bool sameRootName(View<Ch> a, View<Ch> b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]) && !(isSeparator(a[i]) && isSeparator(b[i]))) {
            return false;
        }
    }
    return true;
}

// Length of a leading "\\?\" (slashes count too), which asks for the path as given; else 0.
template <typename Ch>
constexpr std::size_t longPathPrefixLength(View<Ch> p) {
    return p.size() >= 4 && isSeparator(p[0]) && isSeparator(p[1]) && p[2] == Ch('?') &&
                   isSeparator(p[3])
               ? 4
               : 0;
}

template <typename Ch>
constexpr View<Ch> withoutLongPathPrefix(View<Ch> p) {
    return p.substr(longPathPrefixLength(p));
}

// The names between separators, empty ones skipped: "\a\\b/" => "a", "b". A root name is not
// set apart ("C:\a" => "C:", "a"): a caller takes off what it treats as the root first.
template <typename Ch>
class Components {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = View<Ch>;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = View<Ch>;

        constexpr Iterator() = default;
        constexpr Iterator(View<Ch> path, std::size_t from) : m_path(path) { seek(from); }

        constexpr View<Ch> operator*() const { return m_path.substr(m_begin, m_end - m_begin); }
        constexpr Iterator& operator++() {
            seek(m_end);
            return *this;
        }
        constexpr Iterator operator++(int) {
            Iterator before = *this;
            seek(m_end);
            return before;
        }
        // Iterators of one path compare by position.
        friend constexpr bool operator==(const Iterator& a, const Iterator& b) {
            return a.m_begin == b.m_begin;
        }

    private:
        constexpr void seek(std::size_t from) {
            m_begin = from;
            while (m_begin < m_path.size() && isSeparator(m_path[m_begin])) {
                ++m_begin;
            }
            m_end = m_begin;
            while (m_end < m_path.size() && !isSeparator(m_path[m_end])) {
                ++m_end;
            }
        }

        View<Ch> m_path;
        std::size_t m_begin = 0;
        std::size_t m_end = 0;
    };

    constexpr explicit Components(View<Ch> path) : m_path(path) {}
    constexpr Iterator begin() const { return Iterator(m_path, 0); }
    constexpr Iterator end() const { return Iterator(m_path, m_path.size()); }

private:
    View<Ch> m_path;
};

template <typename Ch>
constexpr Components<Ch> components(View<Ch> p) {
    return Components<Ch>(p);
}

// Where the file name starts: after the last separator at or after root, else at root.
template <typename Ch>
constexpr std::size_t fileNameStart(View<Ch> p, std::size_t root) {
    for (std::size_t i = p.size(); i > root; --i) {
        if (isSeparator(p[i - 1])) {
            return i;
        }
    }
    return root;
}

// Where the file name starts: after the last separator that follows the root name.
// "C:x" => 2, "\\server" => 8 (a server alone has no file name).
template <typename Ch>
constexpr std::size_t fileNameStart(View<Ch> p) {
    return fileNameStart(p, rootNameLength(p));
}

// Where the name of a search pattern starts: after its last separator, else after a leading
// "X:" of any character, as FindFirstFile and CFileFind cut "C:*.txt".
template <typename Ch>
constexpr std::size_t patternNameStart(View<Ch> p) {
    const std::size_t start = fileNameStart(p, 0);
    return start == 0 ? looseDriveLength(p) : start;
}

template <typename Ch>
constexpr View<Ch> fileName(View<Ch> p) {
    return p.substr(fileNameStart(p));
}

// The last dot of a name, unless that is its first character (".profile" has no extension);
// npos when there is none. Nothing else set apart: see extensionStart for streams and "..".
template <typename Ch>
constexpr std::size_t extensionDot(View<Ch> name) {
    const std::size_t dot = name.rfind(Ch('.'));
    return dot == 0 ? View<Ch>::npos : dot;
}

// Where the extension of a file name starts (its dot), or where the name's stream suffix
// starts (a colon) or its end when it has none: "a.tar.gz" => 5, ".profile" => 8, "x:s" => 1.
template <typename Ch>
constexpr std::size_t extensionStart(View<Ch> name) {
    std::size_t end = name.find(Ch(':'));
    if (end == View<Ch>::npos) {
        end = name.size();
    }
    const View<Ch> part = name.substr(0, end);
    if (part.size() == 2 && part[0] == Ch('.') && part[1] == Ch('.')) {
        return end;
    }
    const std::size_t dot = extensionDot(part);
    return dot == View<Ch>::npos ? end : dot;
}

// The extension with its dot ("" when none; "." for a name ending in a lone dot).
template <typename Ch>
constexpr View<Ch> extensionWithDot(View<Ch> p) {
    const View<Ch> name = fileName(p);
    const std::size_t start = extensionStart(name);
    std::size_t end = name.find(Ch(':'));
    if (end == View<Ch>::npos) {
        end = name.size();
    }
    return name.substr(start, end - start);
}

template <typename Ch>
constexpr View<Ch> stem(View<Ch> p) {
    const View<Ch> name = fileName(p);
    return name.substr(0, extensionStart(name));
}

template <typename Ch>
constexpr View<Ch> extension(View<Ch> p) {
    const View<Ch> ext = extensionWithDot(p);
    return ext.empty() ? ext : ext.substr(1);
}

// The path without its last name and the separators before it, never shorter than limit.
template <typename Ch>
constexpr View<Ch> withoutLastName(View<Ch> p, std::size_t limit) {
    std::size_t end = p.size();
    while (end > limit && !isSeparator(p[end - 1])) {
        --end;
    }
    while (end > limit && isSeparator(p[end - 1])) {
        --end;
    }
    return p.substr(0, end);
}

// The folder part of a path. With its trailing separator it ends where the file name starts;
// without, the separators go too, except the one that makes a root: "C:\a\" => "C:\a",
// "C:\a" => "C:\", "C:a" => "C:".
template <typename Ch>
constexpr View<Ch> directoryOf(View<Ch> p, bool withoutTrailingSeparator) {
    if (!withoutTrailingSeparator) {
        return p.substr(0, fileNameStart(p));
    }
    std::size_t limit = rootNameLength(p);
    if (limit < p.size() && isSeparator(p[limit])) {
        ++limit;
    }
    return withoutLastName(p, limit);
}

// The path without its last name and the separators before it; a root stays whole:
// "C:\a\b\" => "C:\a\b", "C:\\\a" => "C:\\\".
template <typename Ch>
constexpr View<Ch> parentPathOf(View<Ch> p) {
    return withoutLastName(p, rootEnd(p));
}

} // namespace velmar::text::winpath
