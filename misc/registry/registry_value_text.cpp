// The value writer of registry files: the forms "dword:", "hex:", "hex(N):" and text.
#include "misc/registry/registry_file_values.h"

#include "misc/registry/registry.h"

#include <cctype>

namespace velmar::misc::registry {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Every occurrence of what removed; the writer's old reader did so, and "dword:dword:1" is 1.
std::string removeAll(std::string_view text, std::string_view what) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, what.size(), what) == 0) {
            at += what.size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

// The "(N):" of "hex(N):" after "hex": the type and the length of the form, or 0 when the
// text does not have that form. N is 1 to 8 hex digits.
std::size_t hexTypeForm(std::string_view rest, DWORD& type) {
    if (rest.empty() || rest[0] != '(') {
        return 0;
    }
    std::size_t at = 1;
    DWORD value = 0;
    while (at < rest.size() && at <= 8 && hexDigit(rest[at]) >= 0) {
        value = value * 16 + static_cast<DWORD>(hexDigit(rest[at]));
        ++at;
    }
    if (at == 1 || rest.substr(at, 2) != "):") {
        return 0;
    }
    type = value;
    return at + 2;
}

// The byte of a two-character text, converted as far as it holds hex digits.
char pairByte(char high, char low) {
    const int first = hexDigit(high);
    if (first < 0) {
        return 0;
    }
    const int second = hexDigit(low);
    return static_cast<char>(second < 0 ? first : first * 16 + second);
}

} // namespace

std::size_t hexPrefix(std::string_view text, DWORD& type) {
    if (startsWith(text, "hex:")) {
        type = REG_BINARY;
        return 4;
    }
    if (!startsWith(text, "hex")) {
        return 0;
    }
    const std::size_t form = hexTypeForm(text.substr(3), type);
    return form == 0 ? 0 : 3 + form;
}

bool HexBytes::append(std::string_view piece) {
    bool wellFormed = true;
    bool inItem = false;     // the current item has characters
    bool afterSpace = false; // and white space followed them
    for (std::size_t at = 0; at < piece.size(); ++at) {
        const char c = piece[at];
        // The writer's old reader dropped every "hex:", so "hex:01,hex:02" is two bytes.
        if (c == 'h' && piece.compare(at, 4, "hex:") == 0) {
            at += 3;
            continue;
        }
        if (c == ',') {
            inItem = afterSpace = false;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            afterSpace = inItem;
            continue;
        }
        wellFormed = wellFormed && !afterSpace;
        inItem = true;
        if (m_hasHalf) {
            m_out += pairByte(m_half, c);
        } else {
            m_half = c;
        }
        m_hasHalf = !m_hasHalf;
    }
    return wellFormed;
}

bool decodeHexText(std::string_view text, FileValue& out) {
    DWORD type = REG_BINARY;
    const std::size_t prefix = hexPrefix(text, type);
    if (prefix == 0) {
        return false;
    }
    std::string bytes;
    // The data may hold white space inside its items here.
    static_cast<void>(HexBytes(bytes).append(text.substr(prefix)));
    out.type = type;
    out.data = std::move(bytes);
    return true;
}

DWORD parseDwordDigits(std::string_view digits) {
    std::size_t at = 0;
    while (at < digits.size() && std::isspace(static_cast<unsigned char>(digits[at])) != 0) {
        ++at;
    }
    bool negative = false;
    if (at < digits.size() && (digits[at] == '+' || digits[at] == '-')) {
        negative = digits[at] == '-';
        ++at;
    }
    if (digits.substr(at, 2) == "0x" || digits.substr(at, 2) == "0X") {
        if (at + 2 < digits.size() && hexDigit(digits[at + 2]) >= 0) {
            at += 2;
        }
    }
    // The 32-bit strtoul of the files' home platform: saturated, negated after.
    std::uint64_t value = 0;
    bool overflow = false;
    for (; at < digits.size() && hexDigit(digits[at]) >= 0; ++at) {
        value = value * 16 + static_cast<std::uint64_t>(hexDigit(digits[at]));
        if (value > 0xffffffffu) {
            overflow = true;
            value = 0xffffffffu;
        }
    }
    if (overflow) {
        return 0xffffffffu;
    }
    const auto number = static_cast<DWORD>(value);
    return negative ? static_cast<DWORD>(0u - number) : number;
}

std::string textData(std::string_view text) {
    std::string data(text);
    data += '\0';
    return data;
}

FileValue decodeValueText(std::string_view text) {
    FileValue value;
    if (startsWith(text, "dword:")) {
        const DWORD number = parseDwordDigits(removeAll(text, "dword:"));
        value.type = REG_DWORD;
        value.data.assign(reinterpret_cast<const char*>(&number), sizeof number);
        return value;
    }
    if (decodeHexText(text, value)) {
        return value;
    }
    std::string unescaped;
    unescaped.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        unescaped += text[at];
        if (text[at] == '\\' && at + 1 < text.size() && text[at + 1] == '\\') {
            ++at;
        }
    }
    value.data = textData(unescaped);
    return value;
}

DWORD storeValue(velmar::registry::Key& key, std::string_view name, const FileValue& value) {
    if (value.data.size() > 0xffffffffu) {
        return ERROR_INVALID_PARAMETER;
    }
    return key.setValue(name, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}

} // namespace velmar::misc::registry

bool setRegistryValueFromText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, LPCSTR valueText) {
    if (keyPath == nullptr || valueText == nullptr) {
        return false;
    }
    velmar::registry::Key key;
    if (key.create(hive, keyPath, KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return false;
    }
    return velmar::misc::registry::storeValue(key, valueName != nullptr ? valueName : "",
                                              velmar::misc::registry::decodeValueText(valueText)) ==
           ERROR_SUCCESS;
}
