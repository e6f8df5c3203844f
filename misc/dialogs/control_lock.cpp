// CLockMfcControls: one process-wide lock of a parent window's visible descendants.
#include "misc/dialogs/dialogs.h"

#include "misc/diagnostics/diagnostics.h"

namespace {

const char* const kModule = "MiscUtilities";

// A restore failure found inside the enumeration. It is raised once EnumChildWindows has
// returned, so that no exception crosses the window system's callback loop.
struct RestoreFailure {
    int location = 0;
    const char* message = nullptr;
};
RestoreFailure g_restoreFailure;

} // namespace

HWND CLockMfcControls::m_parentHandle = nullptr;
std::map<HWND, int> CLockMfcControls::m_childStates;

void CLockMfcControls::lockChildWindows(HWND parent, const std::vector<HWND>& keepEnabled) {
    m_childStates.clear();
    m_parentHandle = parent;
    // A null parent would make the enumeration walk the top-level windows: they would all be
    // disabled, and no unlock could give them back.
    if (parent != nullptr) {
        EnumChildWindows(parent, recordChildState, 0);
        EnumChildWindows(parent, enumChildren, kDisable);
    }
    for (HWND window : keepEnabled) {
        if (IsWindow(window) && IsWindowVisible(window)) {
            EnableWindow(window, TRUE);
        }
    }
}

BOOL CLockMfcControls::unlockChildWindows() {
    if (!IsWindow(m_parentHandle)) {
        CVelmarFileException(kModule, 0,
                             "CLockMfcControls::unlockChildWindows - m_parentHandle not a valid "
                             "window!")
            .logAndThrow();
    }
    g_restoreFailure = RestoreFailure{};
    const BOOL result = EnumChildWindows(m_parentHandle, enumChildren, kRestore);
    if (g_restoreFailure.message != nullptr) {
        const RestoreFailure failure = g_restoreFailure;
        g_restoreFailure = RestoreFailure{};
        CVelmarFileException(kModule, failure.location, failure.message).logAndThrow();
    }
    m_parentHandle = nullptr;
    return result;
}

BOOL CLockMfcControls::enumChildren(HWND window, LPARAM mode) {
    if (!IsWindowVisible(window)) {
        return TRUE;
    }
    if (mode == kDisable) {
        EnableWindow(window, FALSE);
        return TRUE;
    }
    const auto remembered = m_childStates.find(window);
    if (remembered == m_childStates.end()) {
        g_restoreFailure = {1, "CLockMfcControls::enumChildren - child is not in the map!"};
        return FALSE;
    }
    if (!IsWindow(window)) {
        g_restoreFailure = {2, "CLockMfcControls::enumChildren - child not a valid window!"};
        return FALSE;
    }
    EnableWindow(window, remembered->second != 0 ? TRUE : FALSE);
    return TRUE;
}

BOOL CLockMfcControls::recordChildState(HWND window, LPARAM /*unused*/) {
    if (IsWindowVisible(window)) {
        m_childStates[window] = IsWindowEnabled(window) ? 1 : 0;
    }
    return TRUE;
}
