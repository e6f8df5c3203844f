#include "platform/ui/internal/x11_connection.h"

#include "platform/text/text.h"
#include "platform/ui/internal/controls.h"
#include "platform/ui/internal/dialog.h"
#include "platform/ui/internal/painting.h"
#include "platform/ui/internal/screen.h"
#include "platform/ui/internal/window_table.h"
#include "platform/ui/internal/x11_threads.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace velmar::ui {

namespace {

// Colours, as 0xRRGGBB.
constexpr unsigned long kFace = 0xF0F0F0;
constexpr unsigned long kFrame = 0x6E6E6E;
constexpr unsigned long kCaption = 0x2B579A;
constexpr unsigned long kCaptionInactive = 0x8CA4C4;
constexpr unsigned long kCaptionText = 0xFFFFFF;
constexpr unsigned long kText = 0x000000;
constexpr unsigned long kGreyText = 0x8D8D8D;
constexpr unsigned long kButton = 0xE1E1E1;
constexpr unsigned long kButtonBorder = 0xADADAD;
constexpr unsigned long kButtonPressed = 0xCCE4F7;
constexpr unsigned long kFocusBorder = 0x0078D7;
constexpr unsigned long kEditBack = 0xFFFFFF;
constexpr WPARAM kLeftButton = 0x0001; // MK_LBUTTON

// The presenters' palette letters of icon pictures.
unsigned long paletteColour(char letter) {
    switch (letter) {
    case 'k':
        return 0x000000;
    case 'R':
        return 0x800000;
    case 'G':
        return 0x008000;
    case 'Y':
        return 0x808000;
    case 'B':
        return 0x000080;
    case 'M':
        return 0x800080;
    case 'C':
        return 0x008080;
    case 'g':
        return 0xC0C0C0;
    case 'd':
        return 0x808080;
    case 'r':
        return 0xFF0000;
    case 'e':
        return 0x00FF00;
    case 'y':
        return 0xFFFF00;
    case 'b':
        return 0x0000FF;
    case 'm':
        return 0xFF00FF;
    case 'c':
        return 0x00FFFF;
    default:
        return 0xFFFFFF;
    }
}

int errorHandler(Display*, XErrorEvent*) {
    // A window that went between two requests is no reason to end the program.
    return 0;
}

DWORD styleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

RECT rectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

HICON smallIconOf(HWND window) {
    WindowLock lock = lockWindows();
    const Window* found = WindowTable::instance().lookupLocked(window);
    if (found == nullptr) {
        return nullptr;
    }
    return found->smallIcon != nullptr ? found->smallIcon : found->bigIcon;
}

// One pass of drawing on a pixmap.
class Painter {
public:
    Painter(Display* display, int screen, Drawable target, int width, int height)
        : m_display(display), m_target(target), m_gc(XCreateGC(display, target, 0, nullptr)),
          m_draw(XftDrawCreate(display, target, DefaultVisual(display, screen),
                               DefaultColormap(display, screen))),
          m_visual(DefaultVisual(display, screen)), m_colormap(DefaultColormap(display, screen)),
          m_width(width), m_height(height) {}
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;
    ~Painter() {
        XftDrawDestroy(m_draw);
        XFreeGC(m_display, m_gc);
    }

    void fill(int x, int y, int width, int height, unsigned long colour) {
        XSetForeground(m_display, m_gc, colour);
        XFillRectangle(m_display, m_target, m_gc, x, y, static_cast<unsigned>(std::max(width, 0)),
                       static_cast<unsigned>(std::max(height, 0)));
    }
    void box(int x, int y, int width, int height, unsigned long colour, int thickness = 1) {
        fill(x, y, width, thickness, colour);
        fill(x, y + height - thickness, width, thickness, colour);
        fill(x, y, thickness, height, colour);
        fill(x + width - thickness, y, thickness, height, colour);
    }
    void dotted(int x, int y, int width, int height) {
        XSetForeground(m_display, m_gc, kText);
        XSetLineAttributes(m_display, m_gc, 1, LineOnOffDash, CapButt, JoinMiter);
        const char dashes[] = {1, 1};
        XSetDashes(m_display, m_gc, 0, dashes, 2);
        XDrawRectangle(m_display, m_target, m_gc, x, y, static_cast<unsigned>(width - 1),
                       static_cast<unsigned>(height - 1));
        XSetLineAttributes(m_display, m_gc, 1, LineSolid, CapButt, JoinMiter);
    }
    int textWidth(XftFont* font, const std::string& utf8) {
        XGlyphInfo extents{};
        XftTextExtentsUtf8(m_display, font, reinterpret_cast<const FcChar8*>(utf8.data()),
                           static_cast<int>(utf8.size()), &extents);
        return extents.xOff;
    }
    // Draws cp1252 text with its baseline at y; in a label "&" marks the next letter,
    // underlined.
    void text(XftFont* font, int x, int y, std::string_view ansi, unsigned long colour,
              bool label = true) {
        std::string shown;
        std::size_t underlined = std::string::npos;
        for (std::size_t i = 0; i < ansi.size(); ++i) {
            if (label && ansi[i] == '&' && i + 1 < ansi.size()) {
                ++i;
                if (ansi[i] != '&') {
                    underlined = shown.size();
                }
            }
            shown += ansi[i];
        }
        const std::string utf8 = text::ansiToUtf8(shown);
        XftColor colourValue = xftColour(colour);
        XftDrawStringUtf8(m_draw, &colourValue, font, x, y,
                          reinterpret_cast<const FcChar8*>(utf8.data()),
                          static_cast<int>(utf8.size()));
        if (underlined != std::string::npos) {
            const int before = textWidth(font, text::ansiToUtf8(shown.substr(0, underlined)));
            const int letter = textWidth(font, text::ansiToUtf8(shown.substr(underlined, 1)));
            fill(x + before, y + 2, letter, 1, colour);
        }
        XftColorFree(m_display, m_visual, m_colormap, &colourValue);
    }
    // Every step-th pixel of the picture: 2 draws a 32-pixel icon at 16 pixels.
    void icon(HICON handle, int x, int y, std::size_t step = 1) {
        const std::optional<IconPicture> picture = iconPicture(handle);
        if (!picture) {
            return;
        }
        for (std::size_t row = 0; row < picture->rows.size(); row += step) {
            const std::string& line = picture->rows[row];
            for (std::size_t column = 0; column < line.size(); column += step) {
                if (line[column] != ' ') {
                    fill(x + static_cast<int>(column / step), y + static_cast<int>(row / step), 1,
                         1, paletteColour(line[column]));
                }
            }
        }
    }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    XftColor xftColour(unsigned long rgb) {
        XRenderColor render{static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257),
                            static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257),
                            static_cast<unsigned short>((rgb & 0xFF) * 257), 0xFFFF};
        XftColor colour{};
        XftColorAllocValue(m_display, m_visual, m_colormap, &render, &colour);
        return colour;
    }

    Display* m_display;
    Drawable m_target;
    GC m_gc;
    XftDraw* m_draw;
    Visual* m_visual;
    Colormap m_colormap;
    int m_width;
    int m_height;
};

// The lines of a text wrapped at words to width pixels; "\n" breaks a line.
std::vector<std::string> wrap(Painter& painter, XftFont* font, const std::string& ansi, int width) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= ansi.size()) {
        const std::size_t end = std::min(ansi.find('\n', start), ansi.size());
        std::string paragraph = ansi.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') {
            paragraph.pop_back();
        }
        std::string line;
        std::size_t at = 0;
        while (at < paragraph.size()) {
            std::size_t next = paragraph.find(' ', at);
            next = next == std::string::npos ? paragraph.size() : next;
            const std::string word = paragraph.substr(at, next - at);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && painter.textWidth(font, text::ansiToUtf8(candidate)) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            at = next + 1;
        }
        lines.push_back(line);
        if (end >= ansi.size()) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

XftFont* openFont(Display* display, int screen, double pixels, bool bold) {
    const std::string pattern =
        "Sans:pixelsize=" + std::to_string(pixels) + (bold ? ":weight=bold" : "");
    return XftFontOpenName(display, screen, pattern.c_str());
}

} // namespace

std::unique_ptr<X11Connection> X11Connection::open() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    x11::initialiseThreads();
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<X11Connection>(new X11Connection(display));
}

X11Connection::X11Connection(Display* display)
    : m_display(display), m_screen(DefaultScreen(display)),
      m_protocols(XInternAtom(display, "WM_PROTOCOLS", False)),
      m_deleteWindow(XInternAtom(display, "WM_DELETE_WINDOW", False)) {
    XSetErrorHandler(errorHandler);
    // A server that goes away ends the presenter, not the program.
    XSetIOErrorExitHandler(
        display, [](Display*, void* lost) { static_cast<std::atomic<bool>*>(lost)->store(true); },
        &m_lost);
    // The dialog font's 8 points at the screen's pixels per inch.
    const int perInch = currentScreen().pixelsPerInchY;
    const double pixels = 8.0 * perInch / 72.0;
    m_font = openFont(display, m_screen, pixels, false);
    m_bold = openFont(display, m_screen, pixels, true);
    m_frame.caption = static_cast<int>(22.0 * perInch / 96.0 + 0.5);
}

X11Connection::~X11Connection() {
    if (m_lost) {
        // Nothing can be said to a server that has gone; the memory goes with the process.
        return;
    }
    for (auto& [window, shown] : m_shown) {
        XDestroyWindow(m_display, shown.x);
    }
    if (m_font != nullptr) {
        XftFontClose(m_display, m_font);
    }
    if (m_bold != nullptr) {
        XftFontClose(m_display, m_bold);
    }
    XCloseDisplay(m_display);
    // Fontconfig's caches, which Xft filled, go with the last display.
    FcFini();
}

HWND X11Connection::windowOf(::Window x) const {
    for (const auto& [window, shown] : m_shown) {
        if (shown.x == x) {
            return window;
        }
    }
    return nullptr;
}

void X11Connection::create(HWND window, Shown& shown) {
    const RECT rect = rectOf(window);
    shown.width = std::max<int>(rect.right - rect.left, 1) + 2 * m_frame.border;
    shown.height = std::max<int>(rect.bottom - rect.top, 1) + 2 * m_frame.border + m_frame.caption;
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kFace;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | Button1MotionMask |
                            KeyPressMask | StructureNotifyMask;
    const int x = std::max<int>(rect.left - m_frame.border, 0);
    const int y = std::max<int>(rect.top - m_frame.border - m_frame.caption, 0);
    shown.x = XCreateWindow(m_display, RootWindow(m_display, m_screen), x, y,
                            static_cast<unsigned>(shown.width), static_cast<unsigned>(shown.height),
                            0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &attributes);

    // The title for window managers and task bars, in UTF-8 and in Latin-1.
    const std::string title = windowText(window);
    const std::string utf8 = text::ansiToUtf8(title);
    XChangeProperty(m_display, shown.x, XInternAtom(m_display, "_NET_WM_NAME", False),
                    XInternAtom(m_display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
    XStoreName(m_display, shown.x, title.c_str());
    XClassHint classHint{const_cast<char*>("velmar"), const_cast<char*>("Velmar")};
    XSetClassHint(m_display, shown.x, &classHint);
    XSetWMProtocols(m_display, shown.x, &m_deleteWindow, 1);

    // Our code draws the frame and caption: the window manager is asked for none of its own.
    struct {
        unsigned long flags, functions, decorations;
        long inputMode;
        unsigned long status;
    } motif{2, 0, 0, 0, 0};
    const Atom motifAtom = XInternAtom(m_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(m_display, shown.x, motifAtom, motifAtom, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&motif), 5);

    const bool dialog = isDialog(window);
    const Atom type = XInternAtom(
        m_display, dialog ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL", False);
    XChangeProperty(m_display, shown.x, XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False),
                    XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&type), 1);
    const HWND owner = GetWindow(window, GW_OWNER);
    if (owner != nullptr) {
        const auto found = m_shown.find(owner);
        if (found != m_shown.end()) {
            XSetTransientForHint(m_display, shown.x, found->second.x);
        }
    }
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PPosition | USPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = shown.width;
    hints->min_height = hints->max_height = shown.height;
    XSetWMNormalHints(m_display, shown.x, hints);
    XFree(hints);
}

void X11Connection::update(HWND window, HWND focus) {
    if (m_lost) {
        return;
    }
    const bool visible = IsWindow(window) && IsWindowVisible(window) && !IsIconic(window);
    auto found = m_shown.find(window);
    if (!visible) {
        if (found != m_shown.end()) {
            XDestroyWindow(m_display, found->second.x);
            m_shown.erase(found);
            if (m_pressed != nullptr && !IsWindow(m_pressed)) {
                m_pressed = nullptr;
            }
        }
        XFlush(m_display);
        return;
    }
    if (found == m_shown.end()) {
        found = m_shown.emplace(window, Shown{}).first;
        create(window, found->second);
    }
    Shown& shown = found->second;
    const RECT rect = rectOf(window);
    const int width = std::max<int>(rect.right - rect.left, 1) + 2 * m_frame.border;
    const int height =
        std::max<int>(rect.bottom - rect.top, 1) + 2 * m_frame.border + m_frame.caption;
    if (width != shown.width || height != shown.height) {
        shown.width = width;
        shown.height = height;
        XResizeWindow(m_display, shown.x, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    }
    if (!shown.mapped) {
        XMapRaised(m_display, shown.x);
        shown.mapped = true;
    }
    draw(window, shown, focus);
    XFlush(m_display);
}

void X11Connection::draw(HWND window, const Shown& shown, HWND focus) {
    const Pixmap pixmap = XCreatePixmap(m_display, shown.x, static_cast<unsigned>(shown.width),
                                        static_cast<unsigned>(shown.height),
                                        static_cast<unsigned>(DefaultDepth(m_display, m_screen)));
    {
        Painter painter(m_display, m_screen, pixmap, shown.width, shown.height);
        const bool enabled = IsWindowEnabled(window) != FALSE;
        painter.fill(0, 0, shown.width, shown.height, kFace);
        painter.box(0, 0, shown.width, shown.height, kFrame);
        // The caption: icon, title and the close box.
        const int border = m_frame.border;
        painter.fill(border, border, shown.width - 2 * border, m_frame.caption,
                     enabled ? kCaption : kCaptionInactive);
        int titleX = border + 6;
        if (const HICON icon = smallIconOf(window); icon != nullptr) {
            const std::optional<IconPicture> picture = iconPicture(icon);
            const int size = picture ? static_cast<int>(picture->rows.size()) : 0;
            // A big icon is drawn at half its size, as a caption's small one.
            const std::size_t step = size > m_frame.caption - 4 ? 2 : 1;
            const int shownSize = size / static_cast<int>(step);
            if (shownSize > 0 && shownSize <= m_frame.caption) {
                painter.icon(icon, titleX, border + (m_frame.caption - shownSize) / 2, step);
                titleX += shownSize + 4;
            }
        }
        const int ascent = m_bold != nullptr ? m_bold->ascent : 10;
        const int descent = m_bold != nullptr ? m_bold->descent : 3;
        const int baseline = border + (m_frame.caption + ascent - descent) / 2;
        if (m_bold != nullptr) {
            painter.text(m_bold, titleX, baseline, windowText(window), kCaptionText);
        }
        if ((styleOf(window) & WS_SYSMENU) != 0) {
            const int size = m_frame.caption - 6;
            const int x = shown.width - border - size - 3;
            const int y = border + 3;
            painter.fill(x, y, size, size, m_closePressed ? 0xE81123 : 0xC42B1C);
            for (int i = 3; i < size - 3; ++i) {
                painter.fill(x + i, y + i, 2, 1, kCaptionText);
                painter.fill(x + size - 2 - i, y + i, 2, 1, kCaptionText);
            }
        }

        // The controls, at their places in the client area.
        const RECT client = rectOf(window);
        const int originX = border;
        const int originY = border + m_frame.caption;
        for (HWND control : childrenOf(window)) {
            if (!IsWindowVisible(control)) {
                continue;
            }
            const RECT place = rectOf(control);
            const int x = originX + place.left - client.left;
            const int y = originY + place.top - client.top;
            const int width = place.right - place.left;
            const int height = place.bottom - place.top;
            const ControlKind kind = controlKind(control);
            const DWORD style = styleOf(control);
            const bool usable = enabled && IsWindowEnabled(control) != FALSE;
            const unsigned long ink = usable ? kText : kGreyText;
            const std::string label = windowText(control);
            XftFont* font = m_font;
            if (font == nullptr) {
                continue;
            }
            if (kind == ControlKind::Button) {
                const DWORD type = style & BS_TYPEMASK;
                if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
                    const bool pressed = control == m_pressed && m_pressedInside;
                    painter.fill(x, y, width, height, pressed ? kButtonPressed : kButton);
                    const bool strong = control == focus || type == BS_DEFPUSHBUTTON;
                    painter.box(x, y, width, height, strong ? kFocusBorder : kButtonBorder,
                                strong ? 2 : 1);
                    const std::string plain = withoutMnemonic(label);
                    const int textX =
                        x + (width - painter.textWidth(font, text::ansiToUtf8(plain))) / 2;
                    const int textY = y + (height + font->ascent - font->descent) / 2;
                    painter.text(font, textX, textY, label, ink);
                    if (control == focus) {
                        painter.dotted(x + 3, y + 3, width - 6, height - 6);
                    }
                } else {
                    // Check boxes and radio buttons: a box and the label beside it.
                    const int side = std::min(height, font->ascent + font->descent);
                    const int boxY = y + (height - side) / 2;
                    painter.fill(x, boxY, side, side, kEditBack);
                    painter.box(x, boxY, side, side, kFrame);
                    if (GetWindowLongPtrA(control, kButtonCheck) == BST_CHECKED) {
                        painter.fill(x + 3, boxY + 3, side - 6, side - 6, ink);
                    }
                    painter.text(font, x + side + 5, y + (height + font->ascent) / 2 - 1, label,
                                 ink);
                    if (control == focus) {
                        painter.dotted(x + side + 3, y, width - side - 3, height);
                    }
                }
            } else if (kind == ControlKind::Edit) {
                painter.fill(x, y, width, height, usable ? kEditBack : kFace);
                painter.box(x, y, width, height, control == focus ? kFocusBorder : kFrame);
                const std::string shownText =
                    (style & ES_PASSWORD) != 0 ? std::string(label.size(), '*') : label;
                const int textY = y + (height + font->ascent - font->descent) / 2;
                painter.text(font, x + 3, textY, shownText, ink, false);
                if (control == focus) {
                    const int caretX = x + 3 + painter.textWidth(font, text::ansiToUtf8(shownText));
                    painter.fill(caretX, y + 3, 1, height - 6, kText);
                }
            } else if (kind == ControlKind::Static && (style & 0x1F) == SS_ICON) {
                painter.icon(reinterpret_cast<HICON>(GetWindowLongPtrA(control, kStaticIcon)), x,
                             y);
            } else {
                // Static text (and whatever else has a text): wrapped at words.
                const int lineHeight = font->ascent + font->descent + 1;
                int lineY = y + font->ascent;
                for (const std::string& line : wrap(painter, font, label, width)) {
                    if (lineY - font->ascent >= y + std::max(height, lineHeight)) {
                        break;
                    }
                    int lineX = x;
                    const DWORD align = style & 0x3;
                    if (align == SS_CENTER || align == SS_RIGHT) {
                        const int lineWidth = painter.textWidth(font, text::ansiToUtf8(line));
                        lineX = align == SS_CENTER ? x + (width - lineWidth) / 2
                                                   : x + width - lineWidth;
                    }
                    painter.text(font, lineX, lineY, line, ink);
                    lineY += lineHeight;
                }
            }
        }
        // What the program drew itself: the icons DrawIcon put on the client area.
        for (const DrawnIcon& drawn : drawnIcons(window)) {
            painter.icon(drawn.icon, originX + drawn.x, originY + drawn.y);
        }
    }
    GC gc = XCreateGC(m_display, shown.x, 0, nullptr);
    XCopyArea(m_display, pixmap, shown.x, gc, 0, 0, static_cast<unsigned>(shown.width),
              static_cast<unsigned>(shown.height), 0, 0);
    XFreeGC(m_display, gc);
    XFreePixmap(m_display, pixmap);
}

void X11Connection::pointerPressed(HWND window, const XButtonEvent& event) {
    const int clientX = event.x - m_frame.border;
    const int clientY = event.y - m_frame.border - m_frame.caption;
    if (clientY < 0) {
        const auto found = m_shown.find(window);
        const int closeLeft = found->second.width - m_frame.border - m_frame.caption + 3;
        if ((styleOf(window) & WS_SYSMENU) != 0 && event.x >= closeLeft) {
            m_closePressed = true;
        } else {
            // The caption moves the window.
            m_dragging = true;
            m_dragX = event.x;
            m_dragY = event.y;
        }
        return;
    }
    const RECT client = rectOf(window);
    const std::vector<HWND> children = childrenOf(window);
    // The topmost child under the pointer that takes input.
    for (HWND control : children) {
        const RECT place = rectOf(control);
        const int x = clientX - (place.left - client.left);
        const int y = clientY - (place.top - client.top);
        if (IsWindowVisible(control) && IsWindowEnabled(control) && x >= 0 && y >= 0 &&
            x < place.right - place.left && y < place.bottom - place.top) {
            m_pressed = control;
            m_pressedInside = true;
            PostMessageA(control, WM_LBUTTONDOWN, kLeftButton,
                         MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
            return;
        }
    }
}

void X11Connection::pointerReleased(HWND window, const XButtonEvent& event) {
    if (m_closePressed) {
        m_closePressed = false;
        if (event.y < m_frame.border + m_frame.caption) {
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return;
    }
    m_dragging = false;
    if (m_pressed == nullptr) {
        return;
    }
    const HWND control = m_pressed;
    m_pressed = nullptr;
    const RECT client = rectOf(window);
    const RECT place = rectOf(control);
    const int x = event.x - m_frame.border - (place.left - client.left);
    const int y = event.y - m_frame.border - m_frame.caption - (place.top - client.top);
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

void X11Connection::keyPressed(HWND window, XKeyEvent& event, HWND focus) {
    char typed[8] = {};
    KeySym key = NoSymbol;
    const int length = XLookupString(&event, typed, sizeof typed, &key, nullptr);
    // Keys go to the focus when it lies in this window, else to the window itself.
    const HWND target =
        focus != nullptr && IsWindow(focus) && (focus == window || IsChild(window, focus)) ? focus
                                                                                           : window;
    const LPARAM shift = (event.state & ShiftMask) != 0 ? KF_SHIFTDOWN_LPARAM : 0;
    UINT virtualKey = 0;
    switch (key) {
    case XK_Tab:
    case XK_ISO_Left_Tab:
        PostMessageA(target, WM_KEYDOWN, VK_TAB,
                     1 | (key == XK_ISO_Left_Tab ? KF_SHIFTDOWN_LPARAM : shift));
        return;
    case XK_Return:
    case XK_KP_Enter:
        virtualKey = VK_RETURN;
        break;
    case XK_Escape:
        virtualKey = VK_ESCAPE;
        break;
    case XK_Up:
        virtualKey = VK_UP;
        break;
    case XK_Down:
        virtualKey = VK_DOWN;
        break;
    case XK_Left:
        virtualKey = VK_LEFT;
        break;
    case XK_Right:
        virtualKey = VK_RIGHT;
        break;
    case XK_BackSpace:
        virtualKey = VK_BACK;
        break;
    case XK_space:
        virtualKey = VK_SPACE;
        break;
    default:
        break;
    }
    if (virtualKey != 0) {
        PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | shift);
        return;
    }
    if (length == 1 && static_cast<unsigned char>(typed[0]) >= 0x20) {
        // X gives Latin-1, which code page 1252 holds unchanged above 0x9F.
        const auto character = static_cast<unsigned char>(typed[0]);
        if ((event.state & Mod1Mask) != 0) {
            PostMessageA(target, WM_SYSCHAR, character, 1 | KF_ALTDOWN_LPARAM);
        } else {
            PostMessageA(target, WM_CHAR, character, 1);
        }
    }
}

bool X11Connection::handleEvents(HWND focus) {
    while (!m_lost && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        const HWND window = windowOf(event.xany.window);
        if (window == nullptr) {
            continue;
        }
        // A window disabled by a modal one it owns ignores the person.
        const bool takesInput = IsWindowEnabled(window) != FALSE;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) {
                draw(window, m_shown[window], focus);
            }
            break;
        case ButtonPress:
            if (event.xbutton.button == Button1 && takesInput) {
                pointerPressed(window, event.xbutton);
                draw(window, m_shown[window], focus);
            }
            break;
        case ButtonRelease:
            if (event.xbutton.button == Button1) {
                pointerReleased(window, event.xbutton);
                if (IsWindow(window)) {
                    draw(window, m_shown[window], focus);
                }
            }
            break;
        case MotionNotify:
            if (m_dragging) {
                XMoveWindow(m_display, event.xmotion.window, event.xmotion.x_root - m_dragX,
                            event.xmotion.y_root - m_dragY);
            } else if (m_pressed != nullptr) {
                // The button shows pressed only while the pointer is over it.
                const RECT client = rectOf(window);
                const RECT place = rectOf(m_pressed);
                const int x = event.xmotion.x - m_frame.border - (place.left - client.left);
                const int y =
                    event.xmotion.y - m_frame.border - m_frame.caption - (place.top - client.top);
                const bool inside = x >= 0 && y >= 0 && x < place.right - place.left &&
                                    y < place.bottom - place.top;
                if (inside != m_pressedInside) {
                    m_pressedInside = inside;
                    draw(window, m_shown[window], focus);
                }
            }
            break;
        case KeyPress:
            if (takesInput) {
                keyPressed(window, event.xkey, focus);
            }
            break;
        case ClientMessage:
            if (event.xclient.message_type == m_protocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == m_deleteWindow && takesInput) {
                PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            break;
        case MapNotify:
            // The newest window takes the keyboard, as an activated window does.
            XSetInputFocus(m_display, event.xmap.window, RevertToParent, CurrentTime);
            break;
        default:
            break;
        }
    }
    if (!m_lost) {
        XFlush(m_display);
    }
    return !m_lost;
}

} // namespace velmar::ui
