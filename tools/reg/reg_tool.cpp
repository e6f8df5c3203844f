#include "tools/reg/reg_tool.h"

#include "platform/text/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace velmar::reg {

namespace {

struct TypeEntry {
    DWORD type;
    const char* name;
};

constexpr TypeEntry kTypes[] = {
    {REG_NONE, "REG_NONE"},           {REG_SZ, "REG_SZ"},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ"}, {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},         {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
    {REG_LINK, "REG_LINK"},           {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
};

std::string lower(std::string text) {
    for (char& c : text) {
        c = velmar::text::ansiToLower(c);
    }
    return text;
}

bool isSwitch(const std::string& arg) {
    return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-');
}

// A whole-text unsigned number, decimal or 0x hexadecimal, within max.
bool parseNumber(const std::string& text, std::uint64_t max, std::uint64_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') {
        return false;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    return errno == 0 && *end == '\0' && value <= max;
}

std::string hexBytes(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

// Text data without the terminator it was stored with.
std::string storedText(const std::string& data) {
    const std::size_t end = data.find('\0');
    return end == std::string::npos ? data : data.substr(0, end);
}

} // namespace

std::string KeyName::display() const {
    const std::string name = velmar::registry::hiveName(hive);
    return path.empty() ? name : name + "\\" + path;
}

bool parseKeyName(const std::string& text, KeyName& key, std::string& error) {
    const std::string ansi = fromTerminal(text);
    const std::size_t slash = ansi.find('\\');
    const std::string hive = ansi.substr(0, slash);
    key.hive = velmar::registry::hiveFromName(hive);
    if (key.hive == nullptr) {
        error = "Invalid key name: " + text;
        return false;
    }
    key.path = slash == std::string::npos ? std::string() : ansi.substr(slash + 1);
    while (!key.path.empty() && key.path.back() == '\\') {
        key.path.pop_back();
    }
    return true;
}

bool parseOptions(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                  Options& options, std::string& error) {
    auto permitted = [&](const std::string& name) {
        return std::find(allowed.begin(), allowed.end(), name) != allowed.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!isSwitch(arg)) {
            options.keys.push_back(arg);
            continue;
        }
        const std::string name = lower(arg.substr(1));
        if (name == "reg:32" || name == "reg:64") {
            if (options.view != 0) {
                error = "Only one of /reg:32 and /reg:64 may be given.";
                return false;
            }
            options.view = name == "reg:32" ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
            continue;
        }
        if (!permitted(name)) {
            error = "Invalid syntax: unknown option " + arg + ".";
            return false;
        }
        const bool takesText = name == "v" || name == "t" || name == "d";
        if (takesText && i + 1 >= args.size()) {
            error = "Invalid syntax: " + arg + " needs a value.";
            return false;
        }
        if (name == "v") {
            options.valueName = fromTerminal(args[++i]);
        } else if (name == "t") {
            options.type = args[++i];
        } else if (name == "d") {
            options.data = fromTerminal(args[++i]);
        } else if (name == "ve") {
            options.defaultValue = true;
        } else if (name == "va") {
            options.allValues = true;
        } else if (name == "s") {
            options.recursive = true;
        } else if (name == "f") {
            options.force = true;
        }
    }
    const int valueChoices =
        (options.valueName ? 1 : 0) + (options.defaultValue ? 1 : 0) + (options.allValues ? 1 : 0);
    if (valueChoices > 1) {
        error = "Invalid syntax: give only one of /v, /ve and /va.";
        return false;
    }
    return true;
}

std::string typeName(DWORD type) {
    for (const TypeEntry& entry : kTypes) {
        if (entry.type == type) {
            return entry.name;
        }
    }
    return "0x" + hexBytes(std::string{static_cast<char>(type >> 24), static_cast<char>(type >> 16),
                                       static_cast<char>(type >> 8), static_cast<char>(type)});
}

bool typeFromName(const std::string& name, DWORD& type) {
    for (const TypeEntry& entry : kTypes) {
        if (velmar::text::compareAnsiNoCase(name, entry.name) == 0) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

std::string formatData(const velmar::registry::Value& value) {
    const std::string& data = value.data;
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return storedText(data);
    case REG_DWORD:
    case REG_QWORD:
        if (data.size() == 4 || data.size() == 8) {
            std::uint64_t number = 0;
            std::memcpy(&number, data.data(), data.size());
            char text[32];
            std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(number));
            return text;
        }
        return hexBytes(data);
    case REG_MULTI_SZ: {
        std::string text;
        std::size_t start = 0;
        while (start < data.size() && data[start] != '\0') {
            const std::size_t end = std::min(data.find('\0', start), data.size());
            if (!text.empty()) {
                text += "\\0";
            }
            text += data.substr(start, end - start);
            start = end + 1;
        }
        return text;
    }
    default:
        return hexBytes(data);
    }
}

bool parseData(DWORD type, const std::string& text, std::string& bytes, std::string& error) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        bytes = text + '\0';
        return true;
    case REG_MULTI_SZ: {
        bytes.clear();
        std::size_t start = 0;
        while (start <= text.size() && !text.empty()) {
            std::size_t end = text.find("\\0", start);
            if (end == std::string::npos) {
                end = text.size();
            }
            bytes += text.substr(start, end - start) + '\0';
            start = end + 2;
        }
        bytes += '\0';
        return true;
    }
    case REG_DWORD:
    case REG_QWORD: {
        std::uint64_t number = 0;
        const bool wide = type == REG_QWORD;
        if (!parseNumber(text.empty() ? "0" : text, wide ? UINT64_MAX : UINT32_MAX, number)) {
            error = "Invalid data for " + typeName(type) + ": " + toTerminal(text);
            return false;
        }
        bytes.assign(reinterpret_cast<const char*>(&number), wide ? 8 : 4);
        return true;
    }
    default: {
        if (text.size() % 2 != 0 ||
            text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            error = "Invalid data for " + typeName(type) + ": give an even number of hex digits.";
            return false;
        }
        bytes.clear();
        for (std::size_t i = 0; i < text.size(); i += 2) {
            bytes += static_cast<char>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16));
        }
        return true;
    }
    }
}

std::string displayName(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "ERROR: %s\n", message.c_str());
    return 1;
}

int failCode(DWORD code) {
    if (code == ERROR_FILE_NOT_FOUND) {
        return fail("The system was unable to find the specified registry key or value.");
    }
    std::string text = velmar::base::systemErrorText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return fail(text);
}

int succeed() {
    std::printf("The operation completed successfully.\n");
    return 0;
}

bool confirm(const std::string& question) {
    std::printf("%s (Yes/No)? ", question.c_str());
    std::fflush(stdout);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::printf("\n");
        return false;
    }
    answer = lower(answer);
    return answer == "y" || answer == "yes";
}

std::string toTerminal(const std::string& text) {
    return velmar::text::ansiToUtf8(text);
}
std::string fromTerminal(const std::string& text) {
    return velmar::text::utf8ToAnsi(text);
}

} // namespace velmar::reg
