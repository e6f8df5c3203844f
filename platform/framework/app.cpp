#include "platform/framework/framework.h"

#include "platform/base/base.h"
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <string>

namespace {

CWinApp* g_theApp = nullptr;

// The program file's name without folder and extension: the title of an application that
// names none.
std::string programTitle() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    name.erase(0, name.find_last_of("/\\") + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) : m_appTitle(appName != nullptr ? appName : programTitle()) {
    m_pszAppName = m_appTitle.c_str();
    g_theApp = this;
}

CWinApp::~CWinApp() {
    if (g_theApp == this) {
        g_theApp = nullptr;
    }
}

HICON CWinApp::LoadIcon(UINT id) const {
    return LoadIconA(m_hInstance, MAKEINTRESOURCEA(static_cast<WORD>(id)));
}

HICON CWinApp::LoadStandardIcon(LPCSTR name) const {
    return LoadIconA(nullptr, name);
}

CWinApp* AfxGetApp() {
    return g_theApp;
}

CWnd* AfxGetMainWnd() {
    return g_theApp != nullptr ? g_theApp->m_pMainWnd : nullptr;
}

LPCSTR AfxGetAppName() {
    if (g_theApp != nullptr) {
        return g_theApp->m_pszAppName;
    }
    static const std::string title = programTitle();
    return title.c_str();
}

HINSTANCE AfxGetInstanceHandle() {
    return g_theApp != nullptr ? g_theApp->m_hInstance : nullptr;
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
