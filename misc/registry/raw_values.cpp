// The core readers and writers: one key handle per call, closed on every path. Each call reads
// its key and value in one snapshot of the hive, and writes them in one change.
#include "misc/registry/settings_core.h"

#include "platform/text/text.h"

#include <algorithm>
#include <cstring>

using velmar::misc::registry::nameOrDefault;
using velmar::misc::registry::sectionKeyPath;
using velmar::registry::Key;
using velmar::registry::Snapshot;
using velmar::registry::Transaction;

namespace {

// Queries a value into buffer as text: the text ends at the first zero within the bytes read,
// or before the last byte read when there is none; an empty value reads as "".
bool queryText(const Key& key, LPCSTR valueName, char* buffer, DWORD bufferSize) {
    if (buffer == nullptr) {
        return false;
    }
    DWORD size = bufferSize;
    if (key.queryValue(nameOrDefault(valueName), nullptr, buffer, &size) != ERROR_SUCCESS) {
        return false;
    }
    if (size == 0) {
        if (bufferSize > 0) {
            buffer[0] = '\0';
        }
        return true;
    }
    const DWORD last = std::min(size, bufferSize) - 1;
    if (std::memchr(buffer, '\0', last + 1) == nullptr) {
        buffer[last] = '\0';
    }
    return true;
}

bool readKeyTextInto(HKEY hive, LPCSTR keyPath, LPCSTR valueName, REGSAM view, DWORD bufferSize,
                     std::string& text) {
    Snapshot snapshot(hive);
    Key key;
    if (keyPath == nullptr || key.open(hive, keyPath, KEY_READ | view) != ERROR_SUCCESS) {
        return false;
    }
    std::string buffer(bufferSize, '\0');
    if (!queryText(key, valueName, buffer.data(), bufferSize)) {
        return false;
    }
    text = buffer.c_str();
    return true;
}

} // namespace

bool readSettingText(HKEY hive, LPCSTR section, LPCSTR valueName, char* buffer, DWORD bufferSize) {
    Snapshot snapshot(hive);
    Key key;
    return key.open(hive, sectionKeyPath(section), KEY_READ) == ERROR_SUCCESS &&
           queryText(key, valueName, buffer, bufferSize);
}

bool readSettingBytes(HKEY hive, LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize) {
    DWORD size = 0;
    if (!velmar::misc::registry::readStoredBytes(hive, section, valueName, buffer, bufferSize,
                                                 size)) {
        return false;
    }
    if (size > 0) {
        buffer[size - 1] = 0;
    }
    return true;
}

bool readSettingWideBytes(HKEY hive, LPCSTR section, LPCSTR valueName, wchar_t* buffer,
                          DWORD sizeInChars) {
    if (buffer == nullptr || sizeInChars == 0 || sizeInChars > UINT32_MAX / 2) {
        return false;
    }
    std::string bytes(2 * std::size_t{sizeInChars}, '\0');
    DWORD size = 0;
    if (!velmar::misc::registry::readStoredBytes(hive, section, valueName,
                                                 reinterpret_cast<BYTE*>(bytes.data()),
                                                 2 * sizeInChars, size)) {
        return false;
    }
    if (size > 0) {
        bytes[size - 1] = '\0';
    }
    bytes.resize(size);
    const std::wstring text = velmar::text::utf16leToWide(bytes);
    const std::size_t length = std::min<std::size_t>(text.find(L'\0'), sizeInChars - 1);
    std::wmemcpy(buffer, text.data(), std::min(length, text.size()));
    buffer[std::min(length, text.size())] = L'\0';
    return true;
}

bool writeSettingText(HKEY hive, LPCSTR section, LPCSTR valueName, LPCSTR text, DWORD viewFlag) {
    if (text == nullptr) {
        return false;
    }
    Transaction transaction(hive);
    Key key;
    if (key.create(hive, sectionKeyPath(section), KEY_ALL_ACCESS | viewFlag) != ERROR_SUCCESS) {
        return false;
    }
    const auto size = static_cast<DWORD>(std::strlen(text) + 1);
    return key.setValue(nameOrDefault(valueName), REG_SZ, text, size) == ERROR_SUCCESS &&
           transaction.commit() == ERROR_SUCCESS;
}

bool writeSettingBytes(HKEY hive, LPCSTR section, LPCSTR valueName, const BYTE* data, DWORD size) {
    Transaction transaction(hive);
    Key key;
    if (key.create(hive, sectionKeyPath(section), KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return false;
    }
    return key.setValue(nameOrDefault(valueName), REG_BINARY, data, size) == ERROR_SUCCESS &&
           transaction.commit() == ERROR_SUCCESS;
}

bool writeSettingWideBytes(HKEY hive, LPCSTR section, LPCSTR valueName, LPCWSTR text) {
    if (text == nullptr) {
        return false;
    }
    std::string bytes = velmar::text::wideToUtf16le(text);
    bytes.append(2, '\0');
    return writeSettingBytes(hive, section, valueName, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size()));
}

bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, CString& text, bool view32) {
    std::string read;
    if (!readKeyTextInto(hive, keyPath, valueName, view32 ? KEY_WOW64_32KEY : 0,
                         velmar::misc::registry::kTextBufferSize, read)) {
        return false;
    }
    text = read.c_str();
    return true;
}

bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, std::string& text, bool view32) {
    return readKeyTextInto(hive, keyPath, valueName, view32 ? KEY_WOW64_32KEY : 0,
                           velmar::misc::registry::kTextBufferSize, text);
}

bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, CString& text, BOOL view32) {
    return readKeyText(hive, keyPath, valueName, text, view32 ? KEY_WOW64_32KEY : DWORD{0});
}

bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, CString& text, DWORD flags) {
    constexpr DWORD kShortBuffer = 512;
    std::string read;
    if (!readKeyTextInto(hive, keyPath, valueName, flags, kShortBuffer, read)) {
        return false;
    }
    text = read.c_str();
    return true;
}

namespace velmar::misc::registry {

bool readStoredBytes(HKEY hive, LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize,
                     DWORD& size) {
    if (buffer == nullptr) {
        return false;
    }
    Snapshot snapshot(hive);
    Key key;
    if (key.open(hive, sectionKeyPath(section), KEY_READ) != ERROR_SUCCESS) {
        return false;
    }
    size = bufferSize;
    return key.queryValue(nameOrDefault(valueName), nullptr, buffer, &size) == ERROR_SUCCESS;
}

bool readWideText(HKEY hive, LPCSTR section, LPCSTR valueName, std::wstring& text) {
    std::wstring buffer(kWideBufferChars, L'\0');
    if (!readSettingWideBytes(hive, section, valueName, buffer.data(), kWideBufferChars)) {
        return false;
    }
    text = buffer.c_str();
    return true;
}

} // namespace velmar::misc::registry
