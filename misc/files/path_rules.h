// The Windows path operations of misc/files, on text alone, for narrow (Windows-1252) and wide
// text.
//
// Internal to misc/files: the public forms in files.h forward here. The rules of a path as text
// (separators, roots, file name, extension) come from platform/text/text.h, which works
// on narrow text byte by byte with the result a round trip through wide text gives. Nothing
// here asks the file system or std::filesystem::path (whose rules are POSIX here).
#pragma once

#include "platform/text/text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velmar::misc::files {

template <typename Ch>
using View = std::basic_string_view<Ch>;
template <typename Ch>
using Str = std::basic_string<Ch>;

// The basic rules are the platform's Windows path parser; what follows them is what misc's own
// operations add on top.
using text::winpath::asciiLower;
using text::winpath::directoryOf;
using text::winpath::extension;
using text::winpath::extensionStart;
using text::winpath::extensionWithDot;
using text::winpath::fileName;
using text::winpath::fileNameStart;
using text::winpath::isNetworkRoot;
using text::winpath::isSeparator;
using text::winpath::parentPathOf;
using text::winpath::rootEnd;
using text::winpath::rootNameLength;
using text::winpath::sameRootName;
using text::winpath::stem;

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

} // namespace velmar::misc::files
