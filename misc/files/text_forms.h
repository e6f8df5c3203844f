// Conversions between the narrow (Windows-1252) and wide forms of the file operations.
// Internal to misc/files. 1252 converts to wide text and back without loss, so the file
// operations have one implementation on wide text and the narrow forms convert around it
// (a path ends at its first zero character, as the system's calls take it).
#pragma once

#include "misc/text/text.h"

#include <string>
#include <string_view>

namespace velmar::files {

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

// Through the ANSI code page, with the library's own conversions.
inline std::wstring wide(const std::string& ansi) {
    return toWide(ansi);
}
inline std::wstring wide(const char* ansi) {
    return toWide(std::string(safe(ansi)));
}
inline std::string narrow(const std::wstring& text) {
    return toNarrow(text);
}

} // namespace velmar::files
