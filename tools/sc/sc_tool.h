// What the verbs of velmar-sc share: the manager and service handles, the status block and the
// error reporting. Text on the command line and the terminal is UTF-8; the platform's is 1252.
#pragma once

#include "platform/services/services.h"

#include <string>
#include <vector>

namespace velmar::sc {

// A manager or service handle, closed when the object goes.
class Handle {
public:
    explicit Handle(SC_HANDLE handle = nullptr) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(nullptr); }
    // Closes the handle held, then holds handle.
    void reset(SC_HANDLE handle) {
        if (m_handle != nullptr) {
            CloseServiceHandle(m_handle);
        }
        m_handle = handle;
    }
    SC_HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    SC_HANDLE m_handle;
};

// "[SC] <call> FAILED <code>:" and the system's text on standard error; returns the exit status
// for the code (the shell keeps its low 8 bits).
int failCall(const char* call, DWORD code);

// The exit status of a Win32 code: the code itself, never 0 for a failure.
int exitStatus(DWORD code);

// Prints the status block as sc does; withProcess adds the PID and FLAGS lines.
void printStatus(const std::string& name, const SERVICE_STATUS_PROCESS& status, bool withProcess);

// Opens the local manager and then the service (1252 name) with the rights; on failure reports
// the call that failed and sets exit to its status.
bool openService(const std::string& name, DWORD managerRights, DWORD serviceRights, Handle& manager,
                 Handle& service, int& exit);

std::string toTerminal(const std::string& text);
std::string fromTerminal(const std::string& text);

// The verbs; args are the arguments after the verb.
int runQuery(const std::vector<std::string>& args);
int runStart(const std::vector<std::string>& args);
int runStop(const std::vector<std::string>& args);
int runCreate(const std::vector<std::string>& args);
int runDelete(const std::vector<std::string>& args);

} // namespace velmar::sc
