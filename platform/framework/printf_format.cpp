#include "platform/framework/framework.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace velmar::framework {

int vformattedLength(const char* pattern, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    return length < 0 ? -1 : length;
}

// vswprintf cannot report a length without a buffer, so the wide text is formatted into a
// memory stream, which grows as needed and counts what was written.
static int formatWide(std::wstring* out, const wchar_t* pattern, va_list args) {
    wchar_t* buffer = nullptr;
    std::size_t size = 0;
    FILE* stream = open_wmemstream(&buffer, &size);
    if (stream == nullptr) {
        return -1;
    }
    va_list copy;
    va_copy(copy, args);
    const int written = std::vfwprintf(stream, pattern, copy);
    va_end(copy);
    std::fclose(stream);
    if (written >= 0 && out != nullptr) {
        out->assign(buffer, size);
    }
    std::free(buffer);
    return written < 0 ? -1 : written;
}

int vformattedLength(const wchar_t* pattern, va_list args) {
    return formatWide(nullptr, pattern, args);
}

bool vformat(std::string& out, const char* pattern, va_list args) {
    const int length = vformattedLength(pattern, args);
    if (length < 0) {
        out.clear();
        return false;
    }
    out.assign(static_cast<std::size_t>(length) + 1, '\0');
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(out.data(), out.size(), pattern, copy);
    va_end(copy);
    out.resize(static_cast<std::size_t>(length));
    return true;
}

bool vformat(std::wstring& out, const wchar_t* pattern, va_list args) {
    if (formatWide(&out, pattern, args) < 0) {
        out.clear();
        return false;
    }
    return true;
}

bool cformat(std::string& out, const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    const bool ok = vformat(out, pattern, args);
    va_end(args);
    return ok;
}

bool cformat(std::wstring& out, const wchar_t* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    const bool ok = vformat(out, pattern, args);
    va_end(args);
    return ok;
}

int cformattedLength(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    const int length = vformattedLength(pattern, args);
    va_end(args);
    return length;
}

int cformattedLength(const wchar_t* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    const int length = vformattedLength(pattern, args);
    va_end(args);
    return length;
}

} // namespace velmar::framework
