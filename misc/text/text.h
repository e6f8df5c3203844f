// Text and number formatting: angle and number texts, string helpers, tokenizers, and the
// printf-style formatting of standard strings.
#pragma once

#include "platform/framework/cstring.h"

#include <string>

// printf-style formatting into a standard string. Throws std::runtime_error("Error during
// formatting.") when the formatter reports an error or the result would not fit an int.
// Standard and framework strings may be passed for %s (%ls in the wide form).
std::string formatStringV(const char* pattern, ...);
std::wstring formatStringV(const wchar_t* pattern, ...);

template <typename... Args>
std::string formatString(const char* pattern, const Args&... args) {
    return formatStringV(pattern, velmar::fmt::passArg(args)...);
}
template <typename... Args>
std::wstring formatString(const wchar_t* pattern, const Args&... args) {
    return formatStringV(pattern, velmar::fmt::passArg(args)...);
}
