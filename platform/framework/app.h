// The framework's application object and its start-up for a process without a main window.
#pragma once

#include "platform/base/types.h"
#include "platform/framework/cstring.h"

// The process's one application object. The framework needs it to exist before AfxWinInit.
class CWinApp {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    CString m_appName;
    HINSTANCE m_hInstance = nullptr;
    CString m_commandLine;
    int m_nCmdShow = 0;
};

// The application object, or null when there is none.
CWinApp* AfxGetApp();

// Initialises the framework for a window-less process: records the instance, command line
// and show command in the application object and opens the machine prefix. FALSE when there
// is no application object or the prefix cannot be opened (GetLastError tells why).
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The process's command line as one Windows command line in the ANSI code page: the
// arguments quoted as the C runtime splits them again.
LPSTR GetCommandLineA();
LPWSTR GetCommandLineW();

// A handle of the program itself for a null name, else of a loaded library of that name, or
// null (ERROR_MOD_NOT_FOUND).
HMODULE GetModuleHandleA(LPCSTR moduleName);

namespace velmar::host {
// Joins arguments into a Windows command line that the C runtime splits back into the same
// arguments (quotes where needed, backslashes before quotes doubled).
std::string joinCommandLine(const std::string* args, std::size_t count);
} // namespace velmar::host
