// What the window tests share: a window class that records the messages its windows get.
#pragma once

#include "platform/ui/ui.h"

#include <mutex>
#include <utility>
#include <vector>

namespace velmar::ui::test {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::mutex& seenMutex() {
    static std::mutex mutex;
    return mutex;
}
inline std::vector<Seen>& seenMessages() {
    static std::vector<Seen> seen;
    return seen;
}
inline std::vector<Seen> takeSeen() {
    std::lock_guard lock(seenMutex());
    return std::exchange(seenMessages(), {});
}
// The messages of interest, in order, as (window, message).
inline std::vector<std::pair<HWND, UINT>> seenOf(const std::vector<UINT>& interesting) {
    std::vector<std::pair<HWND, UINT>> out;
    for (const Seen& s : takeSeen()) {
        for (UINT m : interesting) {
            if (s.message == m) {
                out.emplace_back(s.window, s.message);
            }
        }
    }
    return out;
}

inline LRESULT recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(seenMutex());
        seenMessages().push_back({window, message, wParam, lParam});
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline constexpr char kRecorder[] = "Recorder";

inline void registerRecorder() {
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = recordingProcedure;
    windowClass.lpszClassName = kRecorder;
    windowClass.cbWndExtra = 16;
    RegisterClassA(&windowClass); // once per process; later calls find it taken
}

inline HWND makeWindow(DWORD style, HWND parent = nullptr, int id = 0, RECT rect = {0, 0, 100, 50},
                       const char* text = "") {
    registerRecorder();
    return CreateWindowExA(0, kRecorder, text, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                           nullptr);
}

} // namespace velmar::ui::test
