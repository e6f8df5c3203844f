// The X side of the X11 presenter: the connection, the X window of each shown top-level window
// and its drawing. Used on the presenter's thread only. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>

namespace velmar::ui {

// The frame our code draws around a window's client area, in pixels.
struct FrameMetrics {
    int border = 1;
    int caption = 22;
};

class X11Connection {
public:
    // Null when the display cannot be opened.
    static std::unique_ptr<X11Connection> open();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    int fd() const { return ConnectionNumber(m_display); }
    // Creates, maps, draws, unmaps or destroys the X window of a top-level window to match it.
    void update(HWND window, HWND focus);
    // Handles the X events that have arrived; false when the connection was lost.
    bool handleEvents(HWND focus);

private:
    struct Shown {
        ::Window x = 0;
        int width = 0;
        int height = 0;
        bool mapped = false;
    };

    explicit X11Connection(Display* display);
    void create(HWND window, Shown& shown);
    void draw(HWND window, const Shown& shown, HWND focus);
    HWND windowOf(::Window x) const;
    void pointerPressed(HWND window, const XButtonEvent& event);
    void pointerReleased(HWND window, const XButtonEvent& event);
    void keyPressed(HWND window, XKeyEvent& event, HWND focus);

    Display* m_display;
    std::atomic<bool> m_lost{false};
    int m_screen;
    XftFont* m_font = nullptr;
    XftFont* m_bold = nullptr;
    FrameMetrics m_frame;
    Atom m_protocols;
    Atom m_deleteWindow;
    std::map<HWND, Shown> m_shown;
    // The control under a press of the first button, and a caption drag's start.
    HWND m_pressed = nullptr;
    bool m_pressedInside = false;
    bool m_dragging = false;
    int m_dragX = 0;
    int m_dragY = 0;
    bool m_closePressed = false;
};

} // namespace velmar::ui
