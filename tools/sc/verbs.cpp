// The verbs of velmar-sc: query, start, stop, create, delete.
#include "tools/sc/sc_tool.h"

#include "platform/text/text.h"

#include <cstdio>

namespace velmar::sc {

namespace {

int usage(const char* line) {
    std::fprintf(stderr, "Usage: velmar-sc %s\n", line);
    return exitStatus(ERROR_INVALID_PARAMETER);
}

// The status as QueryServiceStatusEx gives it; failures reported as sc does.
bool queryStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status, int& exit) {
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed)) {
        exit = failCall("QueryServiceStatusEx", GetLastError());
        return false;
    }
    return true;
}

bool startTypeOf(const std::string& text, DWORD& start) {
    const struct {
        const char* name;
        DWORD start;
    } kTypes[] = {{"auto", SERVICE_AUTO_START},
                  {"demand", SERVICE_DEMAND_START},
                  {"disabled", SERVICE_DISABLED}};
    for (const auto& type : kTypes) {
        if (text::compareAnsiNoCase(text, type.name) == 0) {
            start = type.start;
            return true;
        }
    }
    return false;
}

} // namespace

int runQuery(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return usage("query <name>");
    }
    const std::string name = fromTerminal(args[0]);
    Handle manager;
    Handle service;
    int exit = 0;
    SERVICE_STATUS_PROCESS status{};
    if (!openService(name, SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS, manager, service, exit) ||
        !queryStatus(service.get(), status, exit)) {
        return exit;
    }
    printStatus(name, status, false);
    return 0;
}

int runStart(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return usage("start <name>");
    }
    const std::string name = fromTerminal(args[0]);
    Handle manager;
    Handle service;
    int exit = 0;
    if (!openService(name, SC_MANAGER_CONNECT, SERVICE_START | SERVICE_QUERY_STATUS, manager,
                     service, exit)) {
        return exit;
    }
    if (!StartServiceA(service.get(), 0, nullptr)) {
        return failCall("StartService", GetLastError());
    }
    SERVICE_STATUS_PROCESS status{};
    if (!queryStatus(service.get(), status, exit)) {
        return exit;
    }
    printStatus(name, status, true);
    return 0;
}

int runStop(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return usage("stop <name>");
    }
    const std::string name = fromTerminal(args[0]);
    Handle manager;
    Handle service;
    int exit = 0;
    if (!openService(name, SC_MANAGER_CONNECT, SERVICE_STOP | SERVICE_QUERY_STATUS, manager,
                     service, exit)) {
        return exit;
    }
    SERVICE_STATUS status{};
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        return failCall("ControlService", GetLastError());
    }
    SERVICE_STATUS_PROCESS full{};
    full.dwServiceType = status.dwServiceType;
    full.dwCurrentState = status.dwCurrentState;
    full.dwControlsAccepted = status.dwControlsAccepted;
    full.dwWin32ExitCode = status.dwWin32ExitCode;
    full.dwServiceSpecificExitCode = status.dwServiceSpecificExitCode;
    full.dwCheckPoint = status.dwCheckPoint;
    full.dwWaitHint = status.dwWaitHint;
    printStatus(name, full, false);
    return 0;
}

int runCreate(const std::vector<std::string>& args) {
    const char* line = "create <name> binPath= <command line> [start= demand|auto|disabled] "
                       "[DisplayName= <text>]";
    if (args.empty()) {
        return usage(line);
    }
    const std::string name = fromTerminal(args[0]);
    std::string binPath;
    std::string displayName;
    DWORD start = SERVICE_DEMAND_START;
    bool haveBinPath = false;
    // sc's options: the name with its "=" as one argument, the value as the next.
    for (std::size_t i = 1; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 >= args.size() || option.empty() || option.back() != '=') {
            return usage(line);
        }
        const std::string value = fromTerminal(args[i + 1]);
        if (text::compareAnsiNoCase(option, "binPath=") == 0) {
            binPath = value;
            haveBinPath = true;
        } else if (text::compareAnsiNoCase(option, "DisplayName=") == 0) {
            displayName = value;
        } else if (text::compareAnsiNoCase(option, "start=") != 0 || !startTypeOf(value, start)) {
            return usage(line);
        }
    }
    if (!haveBinPath) {
        return usage(line);
    }
    const Handle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) {
        return failCall("OpenSCManager", GetLastError());
    }
    const Handle service(CreateServiceA(
        manager.get(), name.c_str(), displayName.empty() ? nullptr : displayName.c_str(),
        SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, start, SERVICE_ERROR_NORMAL, binPath.c_str(),
        nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        return failCall("CreateService", GetLastError());
    }
    std::printf("[SC] CreateService SUCCESS\n");
    return 0;
}

int runDelete(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return usage("delete <name>");
    }
    const std::string name = fromTerminal(args[0]);
    Handle manager;
    Handle service;
    int exit = 0;
    if (!openService(name, SC_MANAGER_CONNECT, SERVICE_DELETE, manager, service, exit)) {
        return exit;
    }
    if (!DeleteService(service.get())) {
        return failCall("DeleteService", GetLastError());
    }
    std::printf("[SC] DeleteService SUCCESS\n");
    return 0;
}

} // namespace velmar::sc
