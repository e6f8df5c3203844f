#include "platform/fs/fs.h"

#include "platform/base/base.h"

#include <cstdint>

namespace {
thread_local bool t_redirectionOff = false;
} // namespace

BOOL Wow64DisableWow64FsRedirection(void** oldValue) {
    if (oldValue == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *oldValue = reinterpret_cast<void*>(static_cast<std::uintptr_t>(t_redirectionOff ? 1 : 0));
    t_redirectionOff = true;
    return TRUE;
}

BOOL Wow64RevertWow64FsRedirection(void* oldValue) {
    t_redirectionOff = reinterpret_cast<std::uintptr_t>(oldValue) != 0;
    return TRUE;
}

namespace velmar::fs {
bool isFsRedirectionDisabled() {
    return t_redirectionOff;
}
} // namespace velmar::fs
