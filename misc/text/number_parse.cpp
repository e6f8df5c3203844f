// Lenient number parsers for fields typed or read as text, and the digits test.
#include "misc/text/text.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// The field without surrounding white space and without thousands separators.
std::string cleanField(std::string_view field) {
    constexpr std::string_view kSpace = " \t\n\v\f\r";
    const std::size_t first = field.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    field = field.substr(first, field.find_last_not_of(kSpace) - first + 1);
    std::string cleaned(field);
    std::erase(cleaned, ',');
    return cleaned;
}

double readDouble(const std::string& field) {
    return field.empty() ? -1.0 : std::strtod(field.c_str(), nullptr);
}

// atoi's reading, with numbers beyond int held at its limits instead of overflowing.
int readInteger(const std::string& field) {
    if (field.empty()) {
        return -1;
    }
    const long long value = std::strtoll(field.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

double parseDouble(const CString& text) {
    return readDouble(cleanField(text.view()));
}

double parseDouble(const CString& text, int start, int count) {
    return readDouble(cleanField(text.Mid(start, count).view()));
}

int parseInteger(const CString& text) {
    const std::string field = cleanField(text.view());
    if (!isDigitsOnly(CString(field), false)) {
        return -1;
    }
    return readInteger(field);
}

int parseInteger(const CString& text, int start, int count) {
    return readInteger(cleanField(text.Mid(start, count).view()));
}

bool isDigitsOnly(const CString& text, bool separatorsAllowed) {
    const std::string_view chars = text.view();
    return std::all_of(chars.begin(), chars.end(), [&](char c) {
        return (c >= '0' && c <= '9') || (separatorsAllowed && (c == ',' || c == '.'));
    });
}
