#include "platform/framework/app.h"

#include "platform/base/errors.h"
#include "platform/host/host.h"
#include "platform/prefix/prefix.h"
#include "platform/text/codepage.h"

#include <dlfcn.h>
#include <string>
#include <vector>

namespace {

CWinApp* g_theApp = nullptr;

std::vector<std::string> processArguments() {
    std::string raw;
    velmar::host::readFile("/proc/self/cmdline", raw);
    std::vector<std::string> args;
    std::string current;
    for (char c : raw) {
        if (c == '\0') {
            args.push_back(velmar::text::utf8ToAnsi(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        args.push_back(velmar::text::utf8ToAnsi(current));
    }
    return args;
}

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
    const DWORD code = velmar::host::openPrefix();
    if (code != ERROR_SUCCESS) {
        SetLastError(code);
        return FALSE;
    }
    return TRUE;
}

namespace velmar::host {

std::string joinCommandLine(const std::string* args, std::size_t count) {
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& arg = args[i];
        if (i > 0) {
            line += ' ';
        }
        if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes count only before a quote: double them there, and escape the quote.
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

} // namespace velmar::host

LPSTR GetCommandLineA() {
    // Built once, as the system keeps one command line per process.
    static std::string line = [] {
        const std::vector<std::string> args = processArguments();
        return velmar::host::joinCommandLine(args.data(), args.size());
    }();
    return line.data();
}

LPWSTR GetCommandLineW() {
    static std::wstring line = velmar::text::ansiToWide(GetCommandLineA());
    return line.data();
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    void* handle = nullptr;
    if (moduleName == nullptr) {
        handle = ::dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
    } else {
        handle = ::dlopen(velmar::text::ansiToUtf8(moduleName).c_str(), RTLD_LAZY | RTLD_NOLOAD);
    }
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // RTLD_NOLOAD took a reference; the module stays loaded by whoever loaded it.
    ::dlclose(handle);
    return static_cast<HMODULE>(handle);
}
