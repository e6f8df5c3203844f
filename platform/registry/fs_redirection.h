// The thread's file-system redirection switch (WOW64). The processes are 64-bit, so nothing
// is redirected; the switch is kept per thread so that code can pair its calls correctly.
#pragma once

#include "platform/base/types.h"

BOOL Wow64DisableWow64FsRedirection(void** oldValue);
BOOL Wow64RevertWow64FsRedirection(void* oldValue);

namespace velmar::registry {

// True while the calling thread has switched redirection off.
bool isFsRedirectionDisabled();

// Switches redirection off for its lifetime and back on when it goes, on every path.
class FsRedirectionOff {
public:
    FsRedirectionOff() { m_disabled = Wow64DisableWow64FsRedirection(&m_old) != FALSE; }
    FsRedirectionOff(const FsRedirectionOff&) = delete;
    FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;
    ~FsRedirectionOff() {
        if (m_disabled) {
            Wow64RevertWow64FsRedirection(m_old);
        }
    }

private:
    void* m_old = nullptr;
    bool m_disabled = false;
};

} // namespace velmar::registry
