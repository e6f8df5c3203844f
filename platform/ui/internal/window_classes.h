// Window classes: the registered ones and the built-in "STATIC", "BUTTON", "EDIT" and
// "VelmarMessageWindow". Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <atomic>
#include <memory>
#include <string>

namespace velmar::ui {

struct WindowClass {
    std::string name; // as registered; looked up without regard to case
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    bool system = false;
    std::atomic<int> windows{0}; // windows made of it and not yet destroyed
};

// Registers a class of the system (the dialog class "#32770" with DefDlgProcA, for example):
// it cannot be unregistered. False when the name is taken.
bool registerSystemClass(const std::string& name, WNDPROC procedure, int extraBytes);

// A class by name or by atom (MAKEINTRESOURCE), built-in classes included; null when unknown.
std::shared_ptr<WindowClass> findWindowClass(LPCSTR nameOrAtom);

inline constexpr char kMessageWindowClass[] = "VelmarMessageWindow";

} // namespace velmar::ui
