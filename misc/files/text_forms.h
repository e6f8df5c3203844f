// The text forms of the file operations, internal to misc/files. 1252 converts to wide text
// and back without loss, so the file operations have one implementation on wide text and the
// narrow forms convert around it with toWide and toNarrow (a path ends at its first zero
// character, as the system's calls take it).
#pragma once

#include "misc/text/text.h"

#include "platform/text/text.h"

#include <string>
#include <string_view>

namespace velmar::misc::files {

// Null C strings count as empty texts, so that a caller's slip cannot crash the library.
inline std::string_view safe(const char* text) {
    return text != nullptr ? std::string_view(text) : std::string_view();
}
inline std::wstring_view safe(const wchar_t* text) {
    return text != nullptr ? std::wstring_view(text) : std::wstring_view();
}
inline std::string_view safe(const std::string& text) {
    return text;
}
inline std::wstring_view safe(const std::wstring& text) {
    return text;
}

// Names and relative paths the host reports (directory entries) are UTF-8; this gives them in
// the library's narrow (1252) or wide text.
template <typename Ch>
std::basic_string<Ch> fromHostName(std::string_view utf8) {
    if constexpr (sizeof(Ch) == 1) {
        return velmar::text::utf8ToAnsi(utf8);
    } else {
        return velmar::text::utf8ToWide(utf8);
    }
}

} // namespace velmar::misc::files
