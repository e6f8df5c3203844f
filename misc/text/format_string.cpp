#include "misc/text/text.h"

#include <climits>
#include <cstdarg>
#include <stdexcept>

namespace {

template <typename Ch>
std::basic_string<Ch> formatChecked(const Ch* pattern, va_list args) {
    const int length = velmar::framework::vformattedLength(pattern, args);
    if (length < 0 || length == INT_MAX) {
        throw std::runtime_error("Error during formatting.");
    }
    std::basic_string<Ch> text;
    if (!velmar::framework::vformat(text, pattern, args)) {
        throw std::runtime_error("Error during formatting.");
    }
    return text;
}

} // namespace

std::string formatStringV(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    try {
        std::string text = formatChecked(pattern, args);
        va_end(args);
        return text;
    } catch (...) {
        va_end(args);
        throw;
    }
}

std::wstring formatStringV(const wchar_t* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    try {
        std::wstring text = formatChecked(pattern, args);
        va_end(args);
        return text;
    } catch (...) {
        va_end(args);
        throw;
    }
}
