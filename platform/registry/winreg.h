// The Win32 registry functions (advapi32, shlwapi) over the registry's key class, for code
// written against them. Handles returned here are closed with RegCloseKey; the predefined
// hives need no closing. Results are Win32 codes.
#pragma once

#include "platform/registry/registry.h"

[[nodiscard]] LSTATUS RegOpenKeyExA(HKEY parent, LPCSTR subkey, DWORD options, REGSAM access,
                                    PHKEY result);
[[nodiscard]] LSTATUS RegCreateKeyExA(HKEY parent, LPCSTR subkey, DWORD reserved, LPSTR keyClass,
                                      DWORD options, REGSAM access, void* security, PHKEY result,
                                      DWORD* disposition);
[[nodiscard]] LSTATUS RegCloseKey(HKEY key);
// size in bytes; too small a buffer gives ERROR_MORE_DATA and the needed size.
[[nodiscard]] LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type,
                                       BYTE* data, DWORD* size);
[[nodiscard]] LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                     const BYTE* data, DWORD size);
// nameChars: the buffer's size in characters, terminator included; on success the name's
// length. A name that does not fit gives ERROR_MORE_DATA and leaves the buffer alone.
// lastWriteTime is not filled.
[[nodiscard]] LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameChars,
                                    DWORD* reserved, LPSTR keyClass, DWORD* classChars,
                                    void* lastWriteTime);
[[nodiscard]] LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR name, DWORD* nameChars,
                                    DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
[[nodiscard]] LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classChars, DWORD* reserved,
                                       DWORD* subkeys, DWORD* maxSubkeyLength,
                                       DWORD* maxClassLength, DWORD* values,
                                       DWORD* maxValueNameLength, DWORD* maxValueLength,
                                       DWORD* securityDescriptor, void* lastWriteTime);
[[nodiscard]] LSTATUS RegDeleteKeyA(HKEY parent, LPCSTR subkey);
[[nodiscard]] LSTATUS RegDeleteKeyExA(HKEY parent, LPCSTR subkey, REGSAM view, DWORD reserved);
[[nodiscard]] LSTATUS RegDeleteValueA(HKEY key, LPCSTR name);
// The subkey with everything below it.
[[nodiscard]] LSTATUS SHDeleteKeyA(HKEY parent, LPCSTR subkey);
// The values and subkeys of source\subkey, recursively, into destination.
[[nodiscard]] LSTATUS SHCopyKeyA(HKEY source, LPCSTR subkey, HKEY destination, DWORD reserved);

// Wide forms: names and string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are converted
// through the ANSI code page to the narrow store; other data passes unchanged. String data
// crosses as UTF-16LE bytes, as on Windows.
[[nodiscard]] LSTATUS RegOpenKeyExW(HKEY parent, LPCWSTR subkey, DWORD options, REGSAM access,
                                    PHKEY result);
[[nodiscard]] LSTATUS RegCreateKeyExW(HKEY parent, LPCWSTR subkey, DWORD reserved, LPWSTR keyClass,
                                      DWORD options, REGSAM access, void* security, PHKEY result,
                                      DWORD* disposition);
[[nodiscard]] LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type,
                                       BYTE* data, DWORD* size);
[[nodiscard]] LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type,
                                     const BYTE* data, DWORD size);
[[nodiscard]] LSTATUS RegDeleteValueW(HKEY key, LPCWSTR name);
[[nodiscard]] LSTATUS SHDeleteKeyW(HKEY parent, LPCWSTR subkey);
