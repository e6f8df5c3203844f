#include "platform/framework/framework.h"
#include "platform/framework/internal/window_maps.h"

#include <memory>
#include <unordered_map>

namespace {

// Handle maps are per thread, as windows are: an object bound on one thread is unknown to
// others.
struct HandleMaps {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    int handlerDepth = 0; // framework message handlers running on the thread
    MSG current;          // the message being handled
};

// Set once the thread's maps are gone, so that objects destroyed later (statics of the main
// thread) leave them alone.
thread_local bool t_mapsGone = false;

struct MapsHolder {
    HandleMaps maps;
    ~MapsHolder() {
        for (auto& [handle, object] : maps.temporary) {
            object->m_hWnd = nullptr;
        }
        maps.permanent.clear();
        t_mapsGone = true;
    }
};

HandleMaps* threadMaps() {
    if (t_mapsGone) {
        return nullptr;
    }
    thread_local MapsHolder holder;
    return &holder.maps;
}

bool isBoundHere(const CWnd* object) {
    HandleMaps* maps = threadMaps();
    if (maps == nullptr || object->m_hWnd == nullptr) {
        return false;
    }
    const auto it = maps->permanent.find(object->m_hWnd);
    return it != maps->permanent.end() && it->second == object;
}

} // namespace

namespace velmar::framework {

void idleTime() {
    HandleMaps* maps = threadMaps();
    if (maps != nullptr && maps->handlerDepth == 0) {
        CWnd::DeleteTempMap();
    }
}

CDialog*& pendingDialog() {
    thread_local CDialog* pending = nullptr;
    return pending;
}

} // namespace velmar::framework

// --- Handle maps ---

CWnd::~CWnd() {
    // The application must not keep a main window that is gone (a dialog of InitInstance).
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
    if (!isBoundHere(this)) {
        return;
    }
    // A window of this thread goes with its object; its WM_NCDESTROY unbinds it.
    if (GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) {
        ::DestroyWindow(m_hWnd);
    }
    if (m_hWnd != nullptr) {
        if (m_pfnSuper != nullptr) {
            UnsubclassWindow();
        } else {
            Detach();
        }
    }
}

CWnd* CWnd::FromHandle(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    if (CWnd* permanent = FromHandlePermanent(window)) {
        return permanent;
    }
    HandleMaps* maps = threadMaps();
    if (maps == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CWnd>& temporary = maps->temporary[window];
    if (temporary == nullptr) {
        temporary = std::make_unique<CWnd>();
        temporary->m_hWnd = window;
    }
    return temporary.get();
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    HandleMaps* maps = threadMaps();
    if (maps == nullptr || window == nullptr) {
        return nullptr;
    }
    const auto it = maps->permanent.find(window);
    return it != maps->permanent.end() ? it->second : nullptr;
}

void CWnd::DeleteTempMap() {
    HandleMaps* maps = threadMaps();
    if (maps == nullptr) {
        return;
    }
    // Temporary objects only stand for their handles: they never destroy the window.
    auto temporary = std::move(maps->temporary);
    maps->temporary.clear();
    for (auto& [handle, object] : temporary) {
        object->m_hWnd = nullptr;
    }
}

BOOL CWnd::Attach(HWND window) {
    HandleMaps* maps = threadMaps();
    if (maps == nullptr || window == nullptr || m_hWnd != nullptr ||
        maps->permanent.contains(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    maps->permanent.emplace(window, this);
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach() {
    const HWND window = m_hWnd;
    if (isBoundHere(this)) {
        threadMaps()->permanent.erase(window);
    }
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (!Attach(window)) {
        return FALSE;
    }
    const auto earlier = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (earlier == nullptr || earlier == &AfxWndProc) {
        Detach();
        return FALSE;
    }
    m_pfnSuper = earlier;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (parent == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control != nullptr ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_pfnSuper != nullptr && m_hWnd != nullptr) {
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    return Detach();
}

// --- Messages ---

LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* object = CWnd::FromHandlePermanent(window);
    HandleMaps* maps = threadMaps();
    if (object == nullptr || maps == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_ENTERIDLE) {
        // A modal loop this window owns has nothing to do: the thread's idle time.
        velmar::framework::idleTime();
    }
    const MSG earlier = maps->current;
    maps->current = MSG{window, message, wParam, lParam, 0, {}};
    ++maps->handlerDepth;
    const LRESULT result = object->WindowProc(message, wParam, lParam);
    --maps->handlerDepth;
    maps->current = earlier;
    if (message == WM_NCDESTROY && object->m_hWnd == window) {
        // The window is gone: the object lets go of it (and of its earlier procedure).
        object->m_pfnSuper = nullptr;
        object->Detach();
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == object) {
            // The main window's end is the application's.
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        object->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT answer = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
    } else if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0)) {
        answer = entry->handler(this, wParam, lParam);
        handled = TRUE;
    }
    if (handled && result != nullptr) {
        *result = answer;
    }
    return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) {
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG* /*message*/) {
    return FALSE;
}

LRESULT CWnd::Default() {
    const MSG* current = GetCurrentMessage();
    return current != nullptr ? DefWindowProc(current->message, current->wParam, current->lParam)
                              : 0;
}

const MSG* CWnd::GetCurrentMessage() {
    HandleMaps* maps = threadMaps();
    return maps != nullptr ? &maps->current : nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return PostMessageA(m_hWnd, message, wParam, lParam);
}
