#include "platform/framework/framework.h"

#include "platform/base/base.h"
#include "platform/prefix/prefix.h"
#include "platform/text/text.h"

namespace {

CWinApp* g_theApp = nullptr;

} // namespace

CWinApp::CWinApp(LPCSTR appName) : m_appName(appName) {
    g_theApp = this;
}

CWinApp::~CWinApp() {
    if (g_theApp == this) {
        g_theApp = nullptr;
    }
}

CWinApp* AfxGetApp() {
    return g_theApp;
}

BOOL AfxWinInit(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    app->m_hInstance = instance;
    app->m_commandLine = commandLine;
    app->m_nCmdShow = showCommand;
    const DWORD code = velmar::prefix::openPrefix();
    if (code != ERROR_SUCCESS) {
        SetLastError(code);
        return FALSE;
    }
    return TRUE;
}
