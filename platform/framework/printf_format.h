// printf-style formatting into standard strings, narrow and wide, with the C library's
// conventions. The variadic front ends pass framework and standard strings as their
// characters, so "%s" takes them as it takes a zero-terminated text.
#pragma once

#include <cstdarg>
#include <string>
#include <type_traits>

namespace velmar::fmt {

// Length of the formatted text, or -1 when the formatter reports an error.
int vformattedLength(const char* pattern, va_list args);
int vformattedLength(const wchar_t* pattern, va_list args);

// Formats into out; false (out emptied) when the formatter reports an error.
bool vformat(std::string& out, const char* pattern, va_list args);
bool vformat(std::wstring& out, const wchar_t* pattern, va_list args);

bool cformat(std::string& out, const char* pattern, ...);
bool cformat(std::wstring& out, const wchar_t* pattern, ...);
int cformattedLength(const char* pattern, ...);
int cformattedLength(const wchar_t* pattern, ...);

// What a printf argument becomes: strings of either kind become their characters; anything
// else must be a plain value that C varargs can carry.
template <typename T>
decltype(auto) passArg(const T& value) {
    if constexpr (requires { value.c_str(); }) {
        return value.c_str();
    } else if constexpr (requires { value.GetString(); }) {
        return value.GetString();
    } else {
        static_assert(std::is_trivially_copyable_v<T>, "printf arguments must be plain values");
        return value;
    }
}

} // namespace velmar::fmt
