// Substring replacement, regular-expression escaping, and narrow/wide conversions.
#include "misc/text/char_set.h"
#include "misc/text/text.h"

using velmar::misc::text::literal;

namespace {

template <typename Ch>
void replaceAllIn(std::basic_string<Ch>& text, std::basic_string_view<Ch> search,
                  std::basic_string_view<Ch> replacement) {
    if (search.empty()) {
        return;
    }
    // Built apart from text, which search or replacement may view.
    std::basic_string<Ch> replaced;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(search, pos)) != text.npos; pos = hit + search.size()) {
        replaced.append(text, pos, hit - pos).append(replacement);
    }
    if (pos == 0) {
        return;
    }
    replaced.append(text, pos);
    text = std::move(replaced);
}

template <typename Ch>
void escapeRegexIn(std::basic_string<Ch>& text) {
    for (const char special : std::string_view("+.^?$|()*")) {
        const std::basic_string<Ch> plain(1, static_cast<Ch>(special));
        const std::basic_string<Ch> escaped = literal<Ch>("\\") + plain;
        replaceAllIn<Ch>(text, plain, escaped);
    }
}

} // namespace

void replaceAll(std::string& text, std::string_view search, std::string_view replacement) {
    replaceAllIn(text, search, replacement);
}

void replaceAll(std::wstring& text, std::wstring_view search, std::wstring_view replacement) {
    replaceAllIn(text, search, replacement);
}

void escapeRegex(std::string& text) {
    escapeRegexIn(text);
}

void escapeRegex(std::wstring& text) {
    escapeRegexIn(text);
}

// Through c_str(): like the system conversion of a zero-terminated text, these stop at the
// first zero character.
std::wstring toWide(const std::string& text) {
    return velmar::text::ansiToWide(text.c_str());
}

std::string toNarrow(const std::wstring& text) {
    return velmar::text::wideToAnsi(text.c_str());
}

std::wstring widenCharacters(const std::string& text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (const char c : text) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return wide;
}

std::string narrowCharacters(const std::wstring& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const wchar_t c : text) {
        narrow.push_back(static_cast<char>(static_cast<std::uint32_t>(c) & 0xFFU));
    }
    return narrow;
}
