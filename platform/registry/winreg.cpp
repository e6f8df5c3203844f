#include "platform/registry/registry.h"

#include "platform/text/text.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

using velmar::registry::Key;

namespace {

// Open keys by handle value. Handle values are never reused within a process, so a stale
// handle gives ERROR_INVALID_HANDLE rather than someone else's key.
std::mutex g_handlesMutex;
std::unordered_map<std::uintptr_t, std::shared_ptr<Key>> g_handles;
std::uintptr_t g_nextHandle = 0x1000;

bool isPredefined(HKEY key) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000005u;
}

// The key behind a handle: a fresh root key for a predefined hive.
LSTATUS resolve(HKEY handle, std::shared_ptr<Key>& key) {
    if (isPredefined(handle)) {
        auto root = std::make_shared<Key>();
        const DWORD error = root->open(handle, "", MAXIMUM_ALLOWED);
        if (error != ERROR_SUCCESS) {
            return static_cast<LSTATUS>(error);
        }
        key = std::move(root);
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(g_handlesMutex);
    const auto found = g_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == g_handles.end()) {
        return ERROR_INVALID_HANDLE;
    }
    key = found->second;
    return ERROR_SUCCESS;
}

HKEY addHandle(Key&& key) {
    std::lock_guard lock(g_handlesMutex);
    const std::uintptr_t value = g_nextHandle;
    g_nextHandle += 4;
    g_handles.emplace(value, std::make_shared<Key>(std::move(key)));
    return reinterpret_cast<HKEY>(value);
}

std::string_view text(LPCSTR value) {
    return value != nullptr ? value : std::string_view();
}

std::string narrow(LPCWSTR value) {
    return value != nullptr ? velmar::text::wideToAnsi(value) : std::string();
}

bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

LSTATUS openOrCreate(HKEY parent, std::string_view subkey, REGSAM access, PHKEY result, bool create,
                     DWORD* disposition) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::shared_ptr<Key> base;
    if (const LSTATUS error = resolve(parent, base); error != ERROR_SUCCESS) {
        return error;
    }
    Key key;
    const DWORD error =
        create ? key.create(*base, subkey, access, disposition) : key.open(*base, subkey, access);
    if (error != ERROR_SUCCESS) {
        return static_cast<LSTATUS>(error);
    }
    *result = addHandle(std::move(key));
    return ERROR_SUCCESS;
}

// Copies a name into a character buffer of *chars characters, terminator included.
LSTATUS copyName(const std::string& name, LPSTR buffer, DWORD* chars) {
    if (buffer == nullptr || chars == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (name.size() >= *chars) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *chars = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Copies value data into a caller buffer by RegQueryValueEx's rules.
LSTATUS copyData(const std::string& data, BYTE* buffer, DWORD* size) {
    if (buffer != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto needed = static_cast<DWORD>(data.size());
    if (buffer != nullptr && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (buffer != nullptr && needed > 0) {
        std::memcpy(buffer, data.data(), needed);
    }
    if (size != nullptr) {
        *size = needed;
    }
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY parent, LPCSTR subkey, DWORD, REGSAM access, PHKEY result) {
    return openOrCreate(parent, text(subkey), access, result, false, nullptr);
}

LSTATUS RegCreateKeyExA(HKEY parent, LPCSTR subkey, DWORD, LPSTR, DWORD, REGSAM access, void*,
                        PHKEY result, DWORD* disposition) {
    return openOrCreate(parent, text(subkey), access, result, true, disposition);
}

LSTATUS RegCloseKey(HKEY key) {
    if (isPredefined(key)) {
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(g_handlesMutex);
    return g_handles.erase(reinterpret_cast<std::uintptr_t>(key)) == 1 ? ERROR_SUCCESS
                                                                       : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExA(HKEY handle, LPCSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    return static_cast<LSTATUS>(key->queryValue(text(name), type, data, size));
}

LSTATUS RegSetValueExA(HKEY handle, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    return static_cast<LSTATUS>(key->setValue(text(name), type, data, size));
}

LSTATUS RegEnumKeyExA(HKEY handle, DWORD index, LPSTR name, DWORD* nameChars, DWORD*, LPSTR,
                      DWORD* classChars, void*) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    std::string found;
    if (const DWORD error = key->enumKey(index, found); error != ERROR_SUCCESS) {
        return static_cast<LSTATUS>(error);
    }
    if (classChars != nullptr) {
        *classChars = 0;
    }
    return copyName(found, name, nameChars);
}

LSTATUS RegEnumValueA(HKEY handle, DWORD index, LPSTR name, DWORD* nameChars, DWORD*, DWORD* type,
                      BYTE* data, DWORD* size) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    std::string found;
    velmar::registry::Value value;
    if (const DWORD error = key->enumValue(index, found, &value); error != ERROR_SUCCESS) {
        return static_cast<LSTATUS>(error);
    }
    if (const LSTATUS error = copyName(found, name, nameChars); error != ERROR_SUCCESS) {
        return error;
    }
    if (type != nullptr) {
        *type = value.type;
    }
    return copyData(value.data, data, size);
}

LSTATUS RegQueryInfoKeyA(HKEY handle, LPSTR keyClass, DWORD* classChars, DWORD*, DWORD* subkeys,
                         DWORD* maxSubkeyLength, DWORD* maxClassLength, DWORD* values,
                         DWORD* maxValueNameLength, DWORD* maxValueLength,
                         DWORD* securityDescriptor, void*) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    velmar::registry::KeyInfo info;
    if (const DWORD error = key->queryInfo(info); error != ERROR_SUCCESS) {
        return static_cast<LSTATUS>(error);
    }
    if (keyClass != nullptr && classChars != nullptr && *classChars > 0) {
        keyClass[0] = '\0';
    }
    for (auto [out, value] : {std::pair{classChars, DWORD{0}},
                              {subkeys, info.subkeys},
                              {maxSubkeyLength, info.maxSubkeyLength},
                              {maxClassLength, DWORD{0}},
                              {values, info.values},
                              {maxValueNameLength, info.maxValueNameLength},
                              {maxValueLength, info.maxValueDataLength},
                              {securityDescriptor, DWORD{0}}}) {
        if (out != nullptr) {
            *out = value;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteKeyExA(HKEY parent, LPCSTR subkey, REGSAM view, DWORD) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(parent, key); error != ERROR_SUCCESS) {
        return error;
    }
    return static_cast<LSTATUS>(key->deleteKey(text(subkey), view));
}

LSTATUS RegDeleteKeyA(HKEY parent, LPCSTR subkey) {
    return RegDeleteKeyExA(parent, subkey, 0, 0);
}

LSTATUS RegDeleteValueA(HKEY handle, LPCSTR name) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    return static_cast<LSTATUS>(key->deleteValue(text(name)));
}

LSTATUS SHDeleteKeyA(HKEY parent, LPCSTR subkey) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(parent, key); error != ERROR_SUCCESS) {
        return error;
    }
    return static_cast<LSTATUS>(key->deleteTree(text(subkey)));
}

LSTATUS SHCopyKeyA(HKEY source, LPCSTR subkey, HKEY destination, DWORD) {
    std::shared_ptr<Key> from;
    std::shared_ptr<Key> to;
    if (const LSTATUS error = resolve(source, from); error != ERROR_SUCCESS) {
        return error;
    }
    if (const LSTATUS error = resolve(destination, to); error != ERROR_SUCCESS) {
        return error;
    }
    return static_cast<LSTATUS>(from->copyTree(text(subkey), *to));
}

// --- Wide forms ---

LSTATUS RegOpenKeyExW(HKEY parent, LPCWSTR subkey, DWORD, REGSAM access, PHKEY result) {
    return openOrCreate(parent, narrow(subkey), access, result, false, nullptr);
}

LSTATUS RegCreateKeyExW(HKEY parent, LPCWSTR subkey, DWORD, LPWSTR, DWORD, REGSAM access, void*,
                        PHKEY result, DWORD* disposition) {
    return openOrCreate(parent, narrow(subkey), access, result, true, disposition);
}

LSTATUS RegQueryValueExW(HKEY handle, LPCWSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    velmar::registry::Value value;
    if (const DWORD error = key->queryValue(narrow(name), value); error != ERROR_SUCCESS) {
        return static_cast<LSTATUS>(error);
    }
    if (isStringType(value.type)) {
        value.data = velmar::text::wideToUtf16le(velmar::text::ansiToWide(value.data));
    }
    if (type != nullptr) {
        *type = value.type;
    }
    return copyData(value.data, data, size);
}

LSTATUS RegSetValueExW(HKEY handle, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    std::shared_ptr<Key> key;
    if (const LSTATUS error = resolve(handle, key); error != ERROR_SUCCESS) {
        return error;
    }
    if (data == nullptr && size > 0) {
        return ERROR_NOACCESS;
    }
    std::string bytes(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    if (isStringType(type)) {
        bytes = velmar::text::wideToAnsi(velmar::text::utf16leToWide(bytes));
    }
    return static_cast<LSTATUS>(
        key->setValue(narrow(name), type, bytes.data(), static_cast<DWORD>(bytes.size())));
}

LSTATUS RegDeleteValueW(HKEY handle, LPCWSTR name) {
    const std::string narrowName = narrow(name);
    return RegDeleteValueA(handle, narrowName.c_str());
}

LSTATUS SHDeleteKeyW(HKEY parent, LPCWSTR subkey) {
    const std::string narrowSubkey = narrow(subkey);
    return SHDeleteKeyA(parent, narrowSubkey.c_str());
}
