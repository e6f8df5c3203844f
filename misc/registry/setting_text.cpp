// The stored text forms and their conversions. The conversions behave as the C runtime's
// atoi, atol, _atoi64, strtoul and atof do on Windows, including their saturation on
// overflow, so that a setting reads the same on every host.
#include "misc/registry/settings_core.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace velmar::misc::registry {

namespace {

std::string printed(const char* pattern, auto value) {
    char buffer[kTextBufferSize];
    const int length = std::snprintf(buffer, sizeof buffer, pattern, value);
    return length < 0 ? std::string() : std::string(buffer);
}

// strtoll saturates at the 64-bit limits; narrower types saturate at theirs.
template <typename T>
T decimal(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > std::numeric_limits<T>::max()) {
        return std::numeric_limits<T>::max();
    }
    if (value < std::numeric_limits<T>::min()) {
        return std::numeric_limits<T>::min();
    }
    return static_cast<T>(value);
}

// strtoul of a 32-bit unsigned long: a minus sign negates modulo 2^32, overflow saturates.
// end receives where the number stopped; it stays at text when there was none.
DWORD unsignedDecimal(const char* text, const char** end) {
    char* stop = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &stop, 10);
    if (end != nullptr) {
        *end = stop;
    }
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    const bool negative = *p == '-';
    if (errno == ERANGE) {
        return UINT32_MAX;
    }
    if (!negative) {
        return value > UINT32_MAX ? UINT32_MAX : static_cast<DWORD>(value);
    }
    const unsigned long long magnitude = 0ULL - value;
    return magnitude > UINT32_MAX ? UINT32_MAX : static_cast<DWORD>(0ULL - magnitude);
}

// "%u %u %u" as scanf reads it: blanks before each number, every number needs a digit.
bool scanColour(const char* text, DWORD& colour) {
    DWORD parts[3];
    const char* p = text;
    for (DWORD& part : parts) {
        const char* end = nullptr;
        part = unsignedDecimal(p, &end);
        if (end == p) {
            return false;
        }
        p = end;
    }
    colour = (parts[0] & 0xFF) + (parts[1] & 0xFF) * 256 + (parts[2] & 0xFF) * 65536;
    return true;
}

} // namespace

std::string settingText(char value) {
    return std::string(1, value).c_str();
}
std::string settingText(int value) {
    return printed("%d", value);
}
std::string settingText(long value) {
    return printed("%ld", value);
}
std::string settingText(DWORD value) {
    return printed("%u", value);
}
std::string settingText(float value) {
    return printed("%f", static_cast<double>(value));
}
std::string settingText(double value) {
    return printed("%f", value);
}
std::string settingText(bool value) {
    return value ? "1" : "0";
}
std::string settingText(long long value) {
    return printed("%lld", value);
}

void parseSetting(const char* text, char& value) {
    value = text[0];
}
void parseSetting(const char* text, int& value) {
    value = decimal<int>(text);
}
void parseSetting(const char* text, long& value) {
    value = decimal<long>(text);
}
void parseSetting(const char* text, long long& value) {
    value = decimal<long long>(text);
}
void parseSetting(const char* text, bool& value) {
    value = decimal<int>(text) != 0;
}
void parseSetting(const char* text, double& value) {
    value = std::strtod(text, nullptr);
}
void parseSetting(const char* text, float& value) {
    value = static_cast<float>(std::strtod(text, nullptr));
}
void parseSetting(const char* text, DWORD& value) {
    if (!scanColour(text, value)) {
        value = unsignedDecimal(text, nullptr);
    }
}
void parseSetting(const char* text, CString& value) {
    value = text;
}
void parseSetting(const char* text, std::string& value) {
    value = text;
}

namespace {

template <typename Item, typename Text>
Text joinItems(const std::vector<Item>& items, typename Text::value_type separator) {
    Text text;
    for (const Item& item : items) {
        text.append(item.GetString()).push_back(separator);
    }
    return text;
}

template <typename Item, typename Text>
std::vector<Item> splitItems(const Text& text, typename Text::value_type separator) {
    std::vector<Item> items;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != Text::npos; start = end + 1) {
        items.emplace_back(text.data() + start, static_cast<int>(end - start));
    }
    return items;
}

} // namespace

std::string joinList(const std::vector<CString>& items) {
    return joinItems<CString, std::string>(items, ';');
}
std::wstring joinList(const std::vector<CStringW>& items) {
    return joinItems<CStringW, std::wstring>(items, L';');
}
std::vector<CString> splitList(const std::string& text) {
    return splitItems<CString>(text, ';');
}
std::vector<CStringW> splitList(const std::wstring& text) {
    return splitItems<CStringW>(text, L';');
}

} // namespace velmar::misc::registry
