// The basic types and constants of the host platform's interface, as the library expects them.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using QWORD = std::uint64_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPVOID = void*;
using HANDLE = void*;
using HINSTANCE = struct HINSTANCE__*;
using HMODULE = HINSTANCE;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// Longest path the fixed-size buffers of the interface hold, terminator included.
inline constexpr DWORD MAX_PATH = 260;
