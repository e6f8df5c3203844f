// The basic types of the window and message interface (user32).
#pragma once

#include "platform/base/types.h"

#include <cstdint>

using HWND = struct HWND__*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using PDWORD_PTR = DWORD_PTR*;

// A window procedure: called on the window's own thread with each message the window gets.
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
