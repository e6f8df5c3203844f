#include "platform/framework/framework.h"
#include "platform/framework/internal/window_maps.h"

namespace {

// The framework window that should see a message before it is dispatched: the message's
// window or its nearest ancestor with an object.
CWnd* translatingWindow(HWND window) {
    for (; window != nullptr; window = GetParent(window)) {
        if (CWnd* object = CWnd::FromHandlePermanent(window)) {
            return object;
        }
    }
    return nullptr;
}

} // namespace

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return m_exitCode;
}

BOOL CWinApp::OnIdle(LONG count) {
    if (count <= 0) {
        return TRUE;
    }
    velmar::framework::idleTime();
    return FALSE;
}

int CWinApp::Run() {
    for (;;) {
        MSG message;
        for (LONG count = 0; !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);) {
            if (!OnIdle(count++)) {
                break;
            }
        }
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            m_exitCode = static_cast<int>(message.wParam);
            return ExitInstance();
        }
        if (got == -1) {
            continue;
        }
        CWnd* target = translatingWindow(message.hwnd);
        if (target != nullptr && target->PreTranslateMessage(&message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr || !AfxWinInit(instance, previous, commandLine, showCommand)) {
        return -1;
    }
    const BOOL started = app->InitInstance();
    if (started && app->m_pMainWnd != nullptr && IsWindow(app->m_pMainWnd->m_hWnd)) {
        return app->Run();
    }
    if (!started && app->m_pMainWnd != nullptr && IsWindow(app->m_pMainWnd->m_hWnd)) {
        app->m_pMainWnd->DestroyWindow();
    }
    return app->ExitInstance();
}

int AfxMessageBox(LPCSTR text, UINT type, UINT /*helpId*/) {
    CWnd* mainWindow = AfxGetMainWnd();
    const HWND owner =
        mainWindow != nullptr && IsWindow(mainWindow->m_hWnd) ? mainWindow->m_hWnd : nullptr;
    return MessageBoxA(owner, text, AfxGetAppName(), type);
}
