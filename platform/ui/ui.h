// The window system: an in-process stand-in for user32's windows, messages, dialogs, the
// screen and the clipboard. What is drawn goes through the presenter chosen at start
// (terminal or headless; see the README).
#pragma once

#include "platform/base/base.h"

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Types

using HWND = struct HWND__*;
using HICON = struct HICON__*;
using HDC = struct HDC__*;
using HMONITOR = struct HMONITOR__*;
using HMENU = struct HMENU__*;
using HBRUSH = struct HBRUSH__*;
using HRGN = struct HRGN__*;
using HCURSOR = HICON;
using HGLOBAL = HANDLE;
using ATOM = WORD;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using PDWORD_PTR = DWORD_PTR*;
using SIZE_T = std::size_t;

// A window procedure: called on the window's own thread with each message the window gets.
using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A dialog procedure: TRUE when it handled the message (its answer, if any, in DWLP_MSGRESULT).
using DLGPROC = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// EnumChildWindows and EnumWindows: FALSE stops the enumeration.
using WNDENUMPROC = BOOL (*)(HWND window, LPARAM lParam);

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};
using LPRECT = RECT*;

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

struct WNDCLASSA {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    LPCSTR lpszMenuName = nullptr;
    LPCSTR lpszClassName = nullptr;
};

// What WM_NCCREATE and WM_CREATE carry in lParam.
struct CREATESTRUCTA {
    LPVOID lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    LPCSTR lpszName = nullptr;
    LPCSTR lpszClass = nullptr;
    DWORD dwExStyle = 0;
};

// 44 bytes, as on Windows: GetWindowPlacement and SetWindowPlacement check length.
struct WINDOWPLACEMENT {
    UINT length = 0;
    UINT flags = 0;
    UINT showCmd = 0;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

struct MONITORINFO {
    DWORD cbSize = 0;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags = 0;
};

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    RECT rcPaint;
    BOOL fRestore = FALSE;
    BOOL fIncUpdate = FALSE;
    BYTE rgbReserved[32] = {};
};

// MAKEINTRESOURCE: a resource named by a number travels as a pointer below 0x10000.
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
    return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(LPCSTR name) {
    return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}
inline LPCWSTR MAKEINTRESOURCEW(WORD id) {
    return reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(LPCWSTR name) {
    return (reinterpret_cast<std::uintptr_t>(name) >> 16) == 0;
}
#define MAKEINTRESOURCE MAKEINTRESOURCEA

inline constexpr WORD LOWORD(std::uintptr_t value) {
    return static_cast<WORD>(value & 0xFFFFu);
}
inline constexpr WORD HIWORD(std::uintptr_t value) {
    return static_cast<WORD>((value >> 16) & 0xFFFFu);
}
inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
    return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

#define HWND_BROADCAST (reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xFFFFu)))
#define HWND_TOP (static_cast<HWND>(nullptr))
#define HWND_DESKTOP (static_cast<HWND>(nullptr))

// ---------------------------------------------------------------------------------------------
// Constants

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

// Control styles.
inline constexpr DWORD BS_PUSHBUTTON = 0x0000;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
inline constexpr DWORD BS_CHECKBOX = 0x0002;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
inline constexpr DWORD BS_GROUPBOX = 0x0007;
inline constexpr DWORD BS_TYPEMASK = 0x000F;
inline constexpr DWORD ES_LEFT = 0x0000;
inline constexpr DWORD ES_MULTILINE = 0x0004;
inline constexpr DWORD ES_PASSWORD = 0x0020;
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;
inline constexpr DWORD ES_READONLY = 0x0800;
inline constexpr DWORD SS_LEFT = 0x0000;
inline constexpr DWORD SS_CENTER = 0x0001;
inline constexpr DWORD SS_RIGHT = 0x0002;
inline constexpr DWORD SS_ICON = 0x0003;
inline constexpr DWORD SS_NOPREFIX = 0x0080;

// Dialog styles.
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_CENTER = 0x0800;
inline constexpr DWORD DS_SHELLFONT = DS_SETFONT | 0x0008;

// Class styles.
inline constexpr UINT CS_VREDRAW = 0x0001;
inline constexpr UINT CS_HREDRAW = 0x0002;
inline constexpr UINT CS_DBLCLKS = 0x0008;

// GetWindowLongPtrA / SetWindowLongPtrA.
inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_HINSTANCE = -6;
inline constexpr int GWLP_HWNDPARENT = -8;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int GWLP_ID = -12;
inline constexpr int DWLP_MSGRESULT = 0;
inline constexpr int DWLP_DLGPROC = DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT));
inline constexpr int DWLP_USER = DWLP_DLGPROC + static_cast<int>(sizeof(DLGPROC));
// The extra window bytes a dialog has (cbWndExtra of the dialog class).
inline constexpr int DLGWINDOWEXTRA = 30;

// GetWindow.
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;
inline constexpr UINT GW_ENABLEDPOPUP = 6;

// ShowWindow and WINDOWPLACEMENT.showCmd.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;

inline constexpr UINT WPF_SETMINPOSITION = 0x0001;
inline constexpr UINT WPF_RESTORETOMAXIMIZED = 0x0002;

// Messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT WM_WININICHANGE = WM_SETTINGCHANGE;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_NEXTDLGCTL = 0x0028;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_GETICON = 0x007F;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSCHAR = 0x0106;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

inline constexpr UINT SC_CLOSE = 0xF060;

// WM_SETICON and WM_GETICON.
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;

// Buttons: the click message and the notification it sends to the parent in WM_COMMAND.
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_SETSTYLE = 0x00F4;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WPARAM BST_UNCHECKED = 0;
inline constexpr WPARAM BST_CHECKED = 1;

// Edit controls.
inline constexpr UINT EM_SETSEL = 0x00B1;
inline constexpr UINT EM_LIMITTEXT = 0x00C5;
inline constexpr WORD EN_CHANGE = 0x0300;

// Dialogs.
inline constexpr UINT DM_GETDEFID = WM_USER + 0;
inline constexpr UINT DM_SETDEFID = WM_USER + 1;
inline constexpr WORD DC_HASDEFID = 0x534B;
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
inline constexpr LRESULT DLGC_HASSETSEL = 0x0008;
inline constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr LRESULT DLGC_WANTCHARS = 0x0080;
inline constexpr LRESULT DLGC_STATIC = 0x0100;
inline constexpr LRESULT DLGC_BUTTON = 0x2000;

// Dialog results and the standard control ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDC_STATIC = -1;

// MessageBoxA.
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr UINT MB_ICONHAND = MB_ICONERROR;
inline constexpr UINT MB_ICONSTOP = MB_ICONERROR;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONWARNING = 0x00000030;
inline constexpr UINT MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_ICONASTERISK = MB_ICONINFORMATION;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
inline constexpr UINT MB_DEFBUTTON1 = 0x00000000;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_DEFMASK = 0x00000F00;
inline constexpr UINT MB_APPLMODAL = 0x00000000;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr UINT MB_SETFOREGROUND = 0x00010000;
inline constexpr UINT MB_TOPMOST = 0x00040000;

// Virtual keys.
inline constexpr WPARAM VK_BACK = 0x08;
inline constexpr WPARAM VK_TAB = 0x09;
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_SHIFT = 0x10;
inline constexpr WPARAM VK_MENU = 0x12;
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_SPACE = 0x20;
inline constexpr WPARAM VK_END = 0x23;
inline constexpr WPARAM VK_HOME = 0x24;
inline constexpr WPARAM VK_LEFT = 0x25;
inline constexpr WPARAM VK_UP = 0x26;
inline constexpr WPARAM VK_RIGHT = 0x27;
inline constexpr WPARAM VK_DOWN = 0x28;
inline constexpr WPARAM VK_DELETE = 0x2E;
// WM_KEYDOWN's lParam bit 29 in WM_SYSKEYDOWN: the Alt key is down.
inline constexpr LPARAM KF_ALTDOWN_LPARAM = 0x20000000;

// PeekMessageA.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

// SendMessageTimeoutA.
inline constexpr UINT SMTO_NORMAL = 0x0000;
inline constexpr UINT SMTO_ABORTIFHUNG = 0x0002;

// Icons: LoadIconA with a null instance and one of these gives a system icon.
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_ERROR MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_WARNING MAKEINTRESOURCEA(32515)
#define IDI_INFORMATION MAKEINTRESOURCEA(32516)

// The screen: GetSystemMetrics, GetDeviceCaps, MonitorFromPoint.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr int SM_XVIRTUALSCREEN = 76;
inline constexpr int SM_YVIRTUALSCREEN = 77;
inline constexpr int SM_CXVIRTUALSCREEN = 78;
inline constexpr int SM_CYVIRTUALSCREEN = 79;
inline constexpr int SM_CMONITORS = 80;
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr DWORD MONITOR_DEFAULTTONULL = 0x00000000;
inline constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 0x00000001;
inline constexpr DWORD MONITOR_DEFAULTTONEAREST = 0x00000002;
inline constexpr DWORD MONITORINFOF_PRIMARY = 0x00000001;

// The clipboard and global memory.
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Windows, painting and messages: further constants and the errors their calls give.
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<std::uintptr_t>(1)))
#define HWND_TOPMOST (reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2)))
inline constexpr WORD WA_INACTIVE = 0;
inline constexpr WORD WA_ACTIVE = 1;
inline constexpr WORD WA_CLICKACTIVE = 2;
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;
inline constexpr WPARAM ICON_SMALL2 = 2;
inline constexpr WPARAM BST_INDETERMINATE = 2;
inline constexpr UINT EM_GETSEL = 0x00B0;
inline constexpr UINT EM_GETLIMITTEXT = 0x00D5;
inline constexpr UINT STM_SETICON = 0x0170;
inline constexpr UINT STM_GETICON = 0x0171;
inline constexpr UINT PM_NOYIELD = 0x0002;
inline constexpr DWORD ERROR_INVALID_CURSOR_HANDLE = 1402;
inline constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
inline constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
inline constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
inline constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
inline constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
inline constexpr DWORD ERROR_INVALID_INDEX = 1413;
inline constexpr DWORD ERROR_INVALID_ICON_HANDLE = 1414;
inline constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
inline constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
inline constexpr DWORD ERROR_DC_NOT_FOUND = 1425;

// The framework's additions: a modal loop (dialog box, message box) whose queue has run empty
// sends WM_ENTERIDLE to its owner, wParam MSGF_DIALOGBOX and lParam the dialog.
inline constexpr UINT WM_ENTERIDLE = 0x0121;
inline constexpr WPARAM MSGF_DIALOGBOX = 0;

// ---------------------------------------------------------------------------------------------
// Dialog templates, held as data.
//
// A template's positions and sizes are dialog units: a horizontal unit is a quarter of the
// dialog font's average character width, a vertical one an eighth of its height (the base
// units, GetDialogBaseUnits). The font is a name and a size in points; its pixels follow the
// screen's pixels per inch (see the README for the font model).

struct DLGITEMTEMPLATE {
    std::string className; // "BUTTON", "EDIT", "STATIC" or a registered class
    std::string text;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    int id = IDC_STATIC;
};

struct DLGTEMPLATE {
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    DWORD exStyle = 0;
    short x = 0;
    short y = 0;
    short cx = 0;
    short cy = 0;
    std::string caption;
    std::string fontName = "MS Shell Dlg";
    WORD pointSize = 8;
    std::vector<DLGITEMTEMPLATE> items;
};
using LPCDLGTEMPLATEA = const DLGTEMPLATE*;

// ---------------------------------------------------------------------------------------------
// Window classes. "STATIC", "BUTTON" and "EDIT" are built in, and "#32770" is the dialog
// class. Class names compare without regard to case.

ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
int GetClassNameA(HWND window, LPSTR name, int size);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------------------------
// Windows
//
// A window belongs to the thread that created it; its procedure runs only on that thread.
// Handles are never 0 or HWND_BROADCAST, and a destroyed window's handle stays invalid. A
// null, destroyed or foreign handle fails with ERROR_INVALID_WINDOW_HANDLE. When a thread
// ends, its windows go.

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance,
                     LPVOID parameter);
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsChild(HWND parent, HWND window);
HWND GetParent(HWND window);
HWND GetWindow(HWND window, UINT relation);
HWND GetDesktopWindow();
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
DWORD GetWindowThreadProcessId(HWND window, DWORD* processId);
DWORD GetCurrentThreadId();

// Every descendant of parent, depth first: each child followed by its own descendants, children
// in their order (first created first). A null parent enumerates the top-level windows.
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam);
// The top-level windows, the most recently activated first.
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);

BOOL ShowWindow(HWND window, int command);
// TRUE when the window and all its ancestors have WS_VISIBLE.
BOOL IsWindowVisible(HWND window);
// Sends WM_ENABLE when the state changes; a window that loses its enabled state loses the
// focus. The result is the earlier state: nonzero when the window was disabled.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR text, int size);
int GetWindowTextLengthA(HWND window);

// The focus window of the calling thread. SetFocus returns the previous one; a disabled or
// hidden window cannot take the focus (null, nothing changes).
HWND SetFocus(HWND window);
HWND GetFocus();
HWND GetActiveWindow();
HWND SetActiveWindow(HWND window);

// Rectangles: a window rectangle is in screen pixels, a client rectangle starts at (0, 0).
BOOL GetWindowRect(HWND window, LPRECT rect);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL ClientToScreen(HWND window, POINT* point);
// The length must be sizeof(WINDOWPLACEMENT) (44): anything else fails with
// ERROR_INVALID_PARAMETER.
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement);
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);

// Painting.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND window);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int GetDeviceCaps(HDC dc, int index);

// RedrawWindow: RDW_INVALIDATE (with RDW_ERASE) invalidates the rectangle (the whole client
// area when null), the children with it unless RDW_NOCHILDREN; RDW_UPDATENOW and RDW_ERASENOW
// then paint what is invalid before returning. A region, RDW_VALIDATE and the frame flags are
// not supported: a region fails with ERROR_INVALID_PARAMETER, the flags change nothing.
inline constexpr UINT RDW_INVALIDATE = 0x0001;
inline constexpr UINT RDW_INTERNALPAINT = 0x0002;
inline constexpr UINT RDW_ERASE = 0x0004;
inline constexpr UINT RDW_VALIDATE = 0x0008;
inline constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
inline constexpr UINT RDW_NOERASE = 0x0020;
inline constexpr UINT RDW_NOCHILDREN = 0x0040;
inline constexpr UINT RDW_ALLCHILDREN = 0x0080;
inline constexpr UINT RDW_UPDATENOW = 0x0100;
inline constexpr UINT RDW_ERASENOW = 0x0200;
inline constexpr UINT RDW_FRAME = 0x0400;
inline constexpr UINT RDW_NOFRAME = 0x0800;
BOOL RedrawWindow(HWND window, const RECT* updateRect, HRGN updateRegion, UINT flags);

// Icons: from a program's own resources (see velmar::ui::IconResource) or, with a null
// instance, the system's.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// The same with a wide name ("#128" or MAKEINTRESOURCEW(128)).
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
BOOL DestroyIcon(HICON icon);

// ---------------------------------------------------------------------------------------------
// Messages
//
// Each thread has a queue of posted messages. A message sent from another thread waits until
// the owner thread looks at its messages (GetMessageA, PeekMessageA) or itself waits for a sent
// message. A thread that has not looked at its messages for 5 seconds counts as hung.

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Waits at most timeout milliseconds for each window's answer; with SMTO_ABORTIFHUNG a window of
// a hung thread is not waited for. HWND_BROADCAST sends to every top-level window of the
// process, one after another. Nonzero when every window answered (result then holds the last
// answer); 0 with ERROR_TIMEOUT when one did not. A window of the calling thread is called
// directly.
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeout, PDWORD_PTR result);
// Queues a message for the window's thread. A null window posts to the calling thread.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Waits for a posted message (answering sent ones meanwhile). 0 for WM_QUIT, -1 for a bad window.
BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax);
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT remove);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
void PostQuitMessage(int exitCode);

// ---------------------------------------------------------------------------------------------
// Dialogs and message boxes

INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM initParam);
HWND CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
// Tab, Shift+Tab and arrows move between tab stops; Enter presses the focused or the default
// button; Escape is IDCANCEL; a letter (Alt+letter) presses the control whose text underlines
// it ("&Yes"). TRUE when the message was the dialog's.
BOOL IsDialogMessageA(HWND dialog, MSG* message);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
BOOL MapDialogRect(HWND dialog, LPRECT rect);
LONG GetDialogBaseUnits();
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A modal dialog with the text, the caption ("Error" when null), the buttons of type and its
// icon, owned by owner (or none). IDOK, IDCANCEL, IDYES or IDNO; 0 on failure.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---------------------------------------------------------------------------------------------
// The screen: monitors and pixels per inch (the README says how a process's screen is
// described).

HMONITOR MonitorFromPoint(POINT point, DWORD flags);
// The monitor sharing the most area with the rectangle (an empty one stands for its top-left
// pixel); else by flags: null, the primary monitor, or the nearest one.
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);
int GetSystemMetrics(int index);

// ---------------------------------------------------------------------------------------------
// The clipboard, shared by every process of the machine prefix. While one process holds it
// open, another's OpenClipboard fails with ERROR_ACCESS_DENIED.

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// The clipboard takes the block: the caller must not free it. Only CF_TEXT is kept.
HANDLE SetClipboardData(UINT format, HANDLE data);
// The clipboard's block: owned by the clipboard, valid until it is closed.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
SIZE_T GlobalSize(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);

// ---------------------------------------------------------------------------------------------
// Our own additions.

namespace velmar::ui {

// Creates a top-level window of the calling thread whose messages go to procedure (the
// window class "VelmarMessageWindow", no styles). Null, with ERROR_INVALID_PARAMETER, for a
// null procedure.
HWND createTopLevelWindow(WNDPROC procedure);

// A program's icon resource: an id and a small picture, rows of text where each character is
// a pixel (' ' transparent; other characters are colours of the presenter's palette).
struct IconResource {
    WORD id = 0;
    std::vector<std::string> rows;
};

// A program's dialog resource: an id and its template.
struct DialogResource {
    WORD id = 0;
    DLGTEMPLATE dialogTemplate;
};

// Enters a program's resources so that LoadIconA and the framework's dialogs find them by id.
// Meant for static initialisation: VELMAR_RESOURCE(resource) in a source of the program.
bool registerIconResource(const IconResource& icon);
bool registerDialogResource(const DialogResource& dialog);
const DLGTEMPLATE* findDialogResource(WORD id);
inline bool registerResource(const IconResource& icon) {
    return registerIconResource(icon);
}
inline bool registerResource(const DialogResource& dialog) {
    return registerDialogResource(dialog);
}
#define VELMAR_RESOURCE_JOIN2(a, b) a##b
#define VELMAR_RESOURCE_JOIN(a, b) VELMAR_RESOURCE_JOIN2(a, b)
#define VELMAR_RESOURCE(resource)                                                                  \
    [[maybe_unused]] static const bool VELMAR_RESOURCE_JOIN(velmarResource, __LINE__) =            \
        ::velmar::ui::registerResource(resource)

// The dialog font's base units at the screen's pixels per inch: x is the average character
// width, y the character height, in pixels.
SIZE dialogBaseUnits(const std::string& fontName, WORD pointSize);

} // namespace velmar::ui

// ---------------------------------------------------------------------------------------------
// Dialogs: what the dialog functions add to the vocabulary.

inline constexpr DWORD ERROR_CONTROL_ID_NOT_FOUND = 1421;
inline constexpr DWORD ERROR_WINDOW_NOT_DIALOG = 1420;
// WM_KEYDOWN's lParam bit 25 (one Windows leaves unused): the Shift key is down, for the
// input the presenters post (Shift+Tab).
inline constexpr LPARAM KF_SHIFTDOWN_LPARAM = 0x02000000;

namespace velmar::ui {

// Tells the presenter that the folder browser (the shell's modal dialog browser) is about to
// run, with its title and the folder it starts from.
void folderBrowserShown(HWND browser, const std::string& title, const std::string& initialFolder);
// The folder browser's path field: the edit control whose text is the folder chosen.
inline constexpr int kFolderBrowserPathId = 100;

} // namespace velmar::ui
