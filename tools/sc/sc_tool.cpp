#include "tools/sc/sc_tool.h"

#include "platform/text/text.h"

#include <cstdio>
#include <iterator>

namespace velmar::sc {

namespace {

const char* typeName(DWORD type) {
    switch (type & 0xFF) {
    case SERVICE_KERNEL_DRIVER:
        return "KERNEL_DRIVER";
    case SERVICE_FILE_SYSTEM_DRIVER:
        return "FILE_SYSTEM_DRIVER";
    case SERVICE_WIN32_OWN_PROCESS:
        return "WIN32_OWN_PROCESS";
    case SERVICE_WIN32_SHARE_PROCESS:
        return "WIN32_SHARE_PROCESS";
    default:
        return "";
    }
}

const char* stateName(DWORD state) {
    constexpr const char* kNames[] = {
        "",        "STOPPED",          "START_PENDING", "STOP_PENDING",
        "RUNNING", "CONTINUE_PENDING", "PAUSE_PENDING", "PAUSED"};
    return state < std::size(kNames) ? kNames[state] : "";
}

} // namespace

int exitStatus(DWORD code) {
    return code != ERROR_SUCCESS && code % 256 == 0 ? 1 : static_cast<int>(code);
}

int failCall(const char* call, DWORD code) {
    std::string text = base::systemErrorText(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    std::fprintf(stderr, "[SC] %s FAILED %lu:\n\n%s\n\n", call, static_cast<unsigned long>(code),
                 text.c_str());
    return exitStatus(code);
}

void printStatus(const std::string& name, const SERVICE_STATUS_PROCESS& status, bool withProcess) {
    std::printf("\nSERVICE_NAME: %s\n", toTerminal(name).c_str());
    std::printf("        TYPE               : %lx  %s\n",
                static_cast<unsigned long>(status.dwServiceType), typeName(status.dwServiceType));
    std::printf("        STATE              : %lu  %s\n",
                static_cast<unsigned long>(status.dwCurrentState),
                stateName(status.dwCurrentState));
    std::printf("                                (%s, NOT_PAUSABLE, IGNORES_SHUTDOWN)\n",
                (status.dwControlsAccepted & SERVICE_ACCEPT_STOP) != 0 ? "STOPPABLE"
                                                                       : "NOT_STOPPABLE");
    std::printf("        WIN32_EXIT_CODE    : %lu  (0x%lx)\n",
                static_cast<unsigned long>(status.dwWin32ExitCode),
                static_cast<unsigned long>(status.dwWin32ExitCode));
    std::printf("        SERVICE_EXIT_CODE  : %lu  (0x%lx)\n",
                static_cast<unsigned long>(status.dwServiceSpecificExitCode),
                static_cast<unsigned long>(status.dwServiceSpecificExitCode));
    std::printf("        CHECKPOINT         : 0x%lx\n",
                static_cast<unsigned long>(status.dwCheckPoint));
    std::printf("        WAIT_HINT          : 0x%lx\n",
                static_cast<unsigned long>(status.dwWaitHint));
    if (withProcess) {
        std::printf("        PID                : %lu\n",
                    static_cast<unsigned long>(status.dwProcessId));
        std::printf("        FLAGS              :\n");
    }
}

bool openService(const std::string& name, DWORD managerRights, DWORD serviceRights, Handle& manager,
                 Handle& service, int& exit) {
    manager.reset(OpenSCManagerA(nullptr, nullptr, managerRights));
    if (!manager) {
        exit = failCall("OpenSCManager", GetLastError());
        return false;
    }
    service.reset(OpenServiceA(manager.get(), name.c_str(), serviceRights));
    if (!service) {
        exit = failCall("OpenService", GetLastError());
        return false;
    }
    return true;
}

std::string toTerminal(const std::string& text) {
    return text::ansiToUtf8(text);
}

std::string fromTerminal(const std::string& text) {
    return text::utf8ToAnsi(text);
}

} // namespace velmar::sc
