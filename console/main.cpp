// VelmarConsole: carries the utility library and starts the framework for a process without
// a main window, so that the library's framework-based facilities work in a console.
#include "misc/MiscUtilities.h"
#include "platform/framework/framework.h"
#include "platform/process/process.h"

#include <iostream>

// The framework needs its application object before AfxWinInit runs. The library's
// process-wide objects (the error logger, the control lock's states) are built by static
// initialisation beside it.
CWinApp theApp;

int main(int /*argc*/, char** /*argv*/) {
    // Referencing the logger and the control lock's states links them in from the library, so
    // that they exist from the start like the others. The stores are volatile: a reference the
    // optimiser drops would leave their objects out of the program.
    const void* volatile linkedIn = &g_autoCadErrorLogger;
    linkedIn = &CLockMfcControls::m_childStates;
    static_cast<void>(linkedIn);

    LPSTR commandLine = GetCommandLineA();
    if (!AfxWinInit(GetModuleHandleA(nullptr), nullptr, commandLine, 0)) {
        std::cerr << "Fatal Error: MFC initialization failed" << std::endl;
        return 1;
    }
    return 0;
}
