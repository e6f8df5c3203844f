// Time-span text: the framework's %D %H %M %S elements over a count of seconds.
#include "platform/framework/framework.h"

#include <cstdio>
#include <string>
#include <utility>

CString CTimeSpan::Format(LPCSTR pattern) const {
    if (pattern == nullptr) {
        return CString();
    }
    std::string out;
    const auto appendDays = [&out](long long days) { out += std::to_string(days); };
    // Hours, minutes and seconds: two digits at least, after the sign of a negative span.
    const auto appendPart = [&out](LONG part) {
        char digits[16];
        const int length = std::snprintf(digits, sizeof digits, "%s%02ld", part < 0 ? "-" : "",
                                         static_cast<long>(part < 0 ? -part : part));
        out.append(digits, static_cast<std::size_t>(length));
    };
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'D':
            appendDays(GetDays());
            break;
        case 'H':
            appendPart(GetHours());
            break;
        case 'M':
            appendPart(GetMinutes());
            break;
        case 'S':
            appendPart(GetSeconds());
            break;
        case '%':
            out += '%';
            break;
        default: // not an element: both characters stand as written
            out += '%';
            out += *p;
            break;
        }
    }
    return CString(std::move(out));
}
