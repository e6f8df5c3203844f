#include "platform/fs/internal/wildcard.h"

#include "platform/text/text.h"

#include <string>

namespace velmar::fs {

namespace {

template <typename Ch>
Ch foldCase(Ch c) {
    if constexpr (sizeof(Ch) == 1) {
        return (c >= 'A' && c <= 'Z') ? static_cast<Ch>(c + 32) : c;
    } else {
        return text::wideToLower(c);
    }
}

// Iterative glob with one backtrack point: linear in practice.
template <typename Ch>
bool globMatch(std::basic_string_view<Ch> pattern, std::basic_string_view<Ch> name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::basic_string_view<Ch>::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == Ch('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == Ch('?') || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::basic_string_view<Ch>::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == Ch('*')) {
        ++p;
    }
    return p == pattern.size();
}

template <typename Ch>
bool windowsMatch(std::basic_string_view<Ch> pattern, std::basic_string_view<Ch> name) {
    if (globMatch(pattern, name)) {
        return true;
    }
    const bool noDot = name.find(Ch('.')) == std::basic_string_view<Ch>::npos;
    constexpr Ch kDotStar[] = {Ch('.'), Ch('*')};
    if (noDot && pattern.ends_with(std::basic_string_view<Ch>(kDotStar, 2))) {
        return globMatch(pattern.substr(0, pattern.size() - 2), name);
    }
    if (noDot && !pattern.empty() && pattern.back() == Ch('.')) {
        return globMatch(pattern.substr(0, pattern.size() - 1), name);
    }
    return false;
}

bool isAscii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

bool hasWildcards(std::wstring_view pattern) {
    return pattern.find_first_of(L"*?") != std::wstring_view::npos;
}

bool matchesWildcard(std::string_view pattern, std::string_view name) {
    if (isAscii(pattern) && isAscii(name)) {
        return windowsMatch(pattern, name);
    }
    const std::wstring wp = text::utf8ToWide(pattern);
    const std::wstring wn = text::utf8ToWide(name);
    return windowsMatch(std::wstring_view(wp), std::wstring_view(wn));
}

} // namespace velmar::fs
