// The window system: an in-process stand-in for user32's windows and messages.
#pragma once

#include "platform/base/base.h"

#include <cstdint>

// The basic types of the window and message interface (user32).

using HWND = struct HWND__*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using PDWORD_PTR = DWORD_PTR*;

// A window procedure: called on the window's own thread with each message the window gets.
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Windows and messages: an in-process window system.
//
// A window belongs to the thread that created it; its procedure runs only on that thread.
// A message sent from another thread waits in the owner thread's queue until that thread
// looks at its messages (PeekMessageA) or itself waits for a sent message. A thread that has
// not looked at its messages for 5 seconds counts as hung. When a thread ends, its windows go.
// Handles are never 0 or HWND_BROADCAST, and a destroyed window's handle stays invalid.

#define HWND_BROADCAST (reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xFFFFu)))

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT WM_WININICHANGE = WM_SETTINGCHANGE;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_USER = 0x0400;

inline constexpr UINT SMTO_NORMAL = 0x0000;
inline constexpr UINT SMTO_ABORTIFHUNG = 0x0002;

inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

namespace velmar::ui {

// Creates a top-level window of the calling thread whose messages go to procedure. Null,
// with ERROR_INVALID_PARAMETER, for a null procedure or ERROR_NOT_ENOUGH_MEMORY when the
// handle table is full.
HWND createTopLevelWindow(WNDPROC procedure);

} // namespace velmar::ui

// Destroys a window of the calling thread: its procedure gets WM_DESTROY and WM_NCDESTROY,
// then the handle is invalid. FALSE with ERROR_INVALID_WINDOW_HANDLE for a handle that is no
// window, ERROR_ACCESS_DENIED for a window of another thread.
BOOL DestroyWindow(HWND window);

// TRUE while the handle names a window.
BOOL IsWindow(HWND window);

// Sends a message and waits for the procedure's answer, however long it takes. To a window
// of the calling thread the procedure is called directly. 0 for a handle that is no window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sends a message and waits at most timeout milliseconds for each window's answer; with
// SMTO_ABORTIFHUNG a window of a hung thread is not waited for. HWND_BROADCAST sends to every
// top-level window of the process, one after another; a process without windows counts as
// answered. Nonzero when every window answered (result, when given, then holds the last
// answer); 0 when one did not, with ERROR_TIMEOUT, or for a handle that is no window
// (ERROR_INVALID_WINDOW_HANDLE). A window of the calling thread is called directly, without
// a time-out.
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeout, PDWORD_PTR result);

// Answers the messages other threads have sent to the calling thread's windows, then looks
// for a posted message. There is no posted-message queue yet, so the result is FALSE.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove);
