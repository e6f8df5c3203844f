// The Windows path rules, on text alone, for narrow (Windows-1252) and wide text.
//
// Internal to misc/files: the public forms in files.h forward here. Narrow text is worked on
// byte by byte: 1252 has one byte per character and every rule looks only at ASCII
// separators, colons and dots, so the result is the one a round trip through wide text gives.
// Nothing here asks the file system or std::filesystem::path (whose rules are POSIX here).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmar::paths {

template <typename Ch>
using View = std::basic_string_view<Ch>;
template <typename Ch>
using Str = std::basic_string<Ch>;

template <typename Ch>
constexpr bool isSeparator(Ch c) {
    return c == Ch('\\') || c == Ch('/');
}

template <typename Ch>
constexpr bool isAsciiLetter(Ch c) {
    return (c >= Ch('a') && c <= Ch('z')) || (c >= Ch('A') && c <= Ch('Z'));
}

template <typename Ch>
constexpr Ch asciiLower(Ch c) {
    return (c >= Ch('A') && c <= Ch('Z')) ? static_cast<Ch>(c - Ch('A') + Ch('a')) : c;
}

// Length of the root name: "C:" for a drive, "\\server" for a network prefix, else 0.
template <typename Ch>
constexpr std::size_t rootNameLength(View<Ch> p) {
    if (p.size() >= 2 && p[1] == Ch(':') && isAsciiLetter(p[0])) {
        return 2;
    }
    if (p.size() >= 3 && isSeparator(p[0]) && isSeparator(p[1]) && !isSeparator(p[2])) {
        std::size_t i = 3;
        while (i < p.size() && !isSeparator(p[i])) {
            ++i;
        }
        return i;
    }
    return 0;
}

template <typename Ch>
constexpr bool isNetworkRoot(View<Ch> p) {
    return rootNameLength(p) > 2;
}

// End of the root: the root name and every separator directly after it.
template <typename Ch>
constexpr std::size_t rootEnd(View<Ch> p) {
    std::size_t i = rootNameLength(p);
    while (i < p.size() && isSeparator(p[i])) {
        ++i;
    }
    return i;
}

// Where the file name starts: after the last separator that follows the root name.
template <typename Ch>
constexpr std::size_t fileNameStart(View<Ch> p) {
    const std::size_t root = rootNameLength(p);
    for (std::size_t i = p.size(); i > root; --i) {
        if (isSeparator(p[i - 1])) {
            return i;
        }
    }
    return root;
}

template <typename Ch>
constexpr View<Ch> fileName(View<Ch> p) {
    return p.substr(fileNameStart(p));
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
    const std::size_t dot = part.rfind(Ch('.'));
    return (dot == View<Ch>::npos || dot == 0) ? end : dot;
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

template <typename Ch>
constexpr View<Ch> directoryOf(View<Ch> p, bool withoutTrailingSeparator) {
    if (!withoutTrailingSeparator) {
        return p.substr(0, fileNameStart(p));
    }
    std::size_t limit = rootNameLength(p);
    if (limit < p.size() && isSeparator(p[limit])) {
        ++limit;
    }
    std::size_t end = p.size();
    while (end > limit && !isSeparator(p[end - 1])) {
        --end;
    }
    while (end > limit && isSeparator(p[end - 1])) {
        --end;
    }
    return p.substr(0, end);
}

template <typename Ch>
constexpr View<Ch> parentPathOf(View<Ch> p) {
    const std::size_t limit = rootEnd(p);
    std::size_t end = p.size();
    while (end > limit && !isSeparator(p[end - 1])) {
        --end;
    }
    while (end > limit && isSeparator(p[end - 1])) {
        --end;
    }
    return p.substr(0, end);
}

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

// Joins tail to path in place. Drive letters and server names compare without regard to
// case, as Windows resolves them: "C:\data" + "c:x" => "C:\data\x".
template <typename Ch>
void appendPath(Str<Ch>& path, View<Ch> tail) {
    const std::size_t tailRoot = rootNameLength(tail);
    const View<Ch> tailRootName = tail.substr(0, tailRoot);
    const bool tailAbsolute =
        (tailRoot == 2 && tail.size() > 2 && isSeparator(tail[2])) || isNetworkRoot(tail);
    const std::size_t pathRoot = rootNameLength(View<Ch>(path));
    if (tailAbsolute ||
        (tailRoot > 0 && !sameRootName(tailRootName, View<Ch>(path).substr(0, pathRoot)))) {
        path.assign(tail);
        return;
    }
    const View<Ch> rest = tail.substr(tailRoot);
    if (!rest.empty() && isSeparator(rest[0])) {
        path.resize(pathRoot);
        path.append(rest);
        return;
    }
    const View<Ch> relative = View<Ch>(path).substr(rootEnd(View<Ch>(path)));
    const bool onlyNetworkRoot = pathRoot > 2 && pathRoot == path.size();
    if ((!relative.empty() && !isSeparator(relative.back())) || onlyNetworkRoot) {
        path += Ch('\\');
    }
    path.append(rest);
}

template <typename Ch>
Str<Ch> joined(View<Ch> folder, View<Ch> tail) {
    Str<Ch> result(folder);
    appendPath(result, tail);
    return result;
}

template <typename Ch>
Str<Ch> addFileNameSuffix(View<Ch> p, View<Ch> suffix) {
    Str<Ch> name(stem(p));
    name.append(suffix);
    name += Ch('.');
    name.append(extension(p));
    return joined(directoryOf(p, false), View<Ch>(name));
}

template <typename Ch>
Str<Ch> addFileNamePrefix(View<Ch> p, View<Ch> prefix) {
    Str<Ch> name(prefix);
    name.append(fileName(p));
    return joined(directoryOf(p, false), View<Ch>(name));
}

// A stream suffix goes with the old extension: "b.txt:s" with "png" => "b.png".
template <typename Ch>
Str<Ch> changeExtension(View<Ch> p, View<Ch> ext) {
    Str<Ch> result(p.substr(0, fileNameStart(p)));
    result.append(stem(p));
    if (!ext.empty() && ext[0] != Ch('.')) {
        result += Ch('.');
    }
    result.append(ext);
    return result;
}

// The twelve characters no file name may hold, in their documented order.
template <typename Ch>
constexpr Ch kInvalidFileNameChars[] = {Ch('<'), Ch('>'),  Ch(':'), Ch('|'),  Ch('?'),  Ch('*'),
                                        Ch('"'), Ch('\\'), Ch('/'), Ch('\t'), Ch('\n'), Ch('\r')};

template <typename Ch>
constexpr bool isInvalidFileNameChar(Ch c) {
    for (Ch bad : kInvalidFileNameChars<Ch>) {
        if (c == bad) {
            return true;
        }
    }
    return false;
}

template <typename Ch>
constexpr bool isValidFileName(View<Ch> name) {
    for (Ch c : name) {
        if (isInvalidFileNameChar(c)) {
            return false;
        }
    }
    return true;
}

template <typename Ch>
Str<Ch> makeValidFileName(View<Ch> name) {
    if (isValidFileName(name)) {
        return Str<Ch>(name);
    }
    constexpr Ch kBlanks[] = {Ch(' '), Ch('\t'), Ch('\n'), Ch('\v'), Ch('\f'), Ch('\r'), Ch(0)};
    const std::size_t first = name.find_first_not_of(kBlanks);
    if (first == View<Ch>::npos) {
        return Str<Ch>();
    }
    Str<Ch> result(name.substr(first, name.find_last_not_of(kBlanks) - first + 1));
    for (Ch& c : result) {
        if (isInvalidFileNameChar(c)) {
            c = Ch('_');
        }
    }
    return result;
}

template <typename Ch>
constexpr bool isVirtualFileSystemPath(View<Ch> p) {
    return p.size() >= 4 && p[0] == Ch('/') && p[1] == Ch('v') && p[2] == Ch('s') &&
           p[3] == Ch('i');
}

// Shortens a path for display; see abbreviatePath in files.h for the rule and examples.
template <typename Ch>
Str<Ch> abbreviatePath(View<Ch> p, int maxLength) {
    if (p.size() <= static_cast<std::size_t>(static_cast<unsigned>(maxLength))) {
        return Str<Ch>(p);
    }
    // From here 0 <= maxLength < p.size().
    const auto cut = [](View<Ch> text, long long count) {
        return text.substr(0, count <= 0 ? 0 : static_cast<std::size_t>(count));
    };
    const View<Ch> name = fileName(p);
    const long long n = static_cast<long long>(name.size());
    const long long width = maxLength;
    if (n + 1 >= width) {
        return Str<Ch>(cut(name, width));
    }
    constexpr Ch kEllipsisSep[] = {Ch('.'), Ch('.'), Ch('.'), Ch('\\'), Ch(0)};
    std::size_t head = 3;
    if (p.size() >= 2 && p[0] == Ch('\\') && p[1] == Ch('\\')) {
        const std::size_t at = p.find(Ch('\\'), 2);
        const long long c = at == View<Ch>::npos ? -1 : static_cast<long long>(at - 2);
        if (n + c + 8 >= width) {
            return Str<Ch>(cut(p, width - n - 4)) + kEllipsisSep + Str<Ch>(name);
        }
        head = static_cast<std::size_t>(c + 3);
    } else if (n + 8 >= width) {
        return Str<Ch>(cut(p, width - n - 5)) + kEllipsisSep + Str<Ch>(name);
    }
    const auto keep = static_cast<std::size_t>(width) - head - 4;
    View<Ch> tail = p.substr(p.size() - keep);
    const std::size_t d = tail.find(Ch('\\'));
    if (d != View<Ch>::npos && d > 0) {
        tail = tail.substr(d);
    }
    Str<Ch> result(p.substr(0, head));
    result.append(3, Ch('.'));
    result.append(tail);
    return result;
}

} // namespace velmar::paths
