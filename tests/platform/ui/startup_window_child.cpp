// The child of the start-up window tests: startup_window_child <output file>. Creates two
// overlapped windows at the default place, shows the first with SW_SHOWDEFAULT and writes
// "<left> <top> <width> <height> <state>" for each, one a line; state is zoomed, iconic,
// normal or hidden.
#include "platform/ui/ui.h"

#include <cstdio>

int main(int argc, char** argv) {
    FILE* out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
    if (out == nullptr) {
        return 1;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "StartupWindow";
    if (RegisterClassA(&windowClass) == 0) {
        return 2;
    }
    for (int i = 0; i < 2; ++i) {
        const HWND window = CreateWindowExA(0, "StartupWindow", "", WS_OVERLAPPEDWINDOW,
                                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                            CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        if (window == nullptr) {
            return 3;
        }
        if (i == 0) {
            ShowWindow(window, SW_SHOWDEFAULT);
        }
        RECT rect{};
        GetWindowRect(window, &rect);
        const char* state = !IsWindowVisible(window) ? "hidden"
                            : IsZoomed(window)       ? "zoomed"
                            : IsIconic(window)       ? "iconic"
                                                     : "normal";
        std::fprintf(out, "%ld %ld %ld %ld %s\n", static_cast<long>(rect.left),
                     static_cast<long>(rect.top), static_cast<long>(rect.right - rect.left),
                     static_cast<long>(rect.bottom - rect.top), state);
    }
    std::fclose(out);
    return 0;
}
