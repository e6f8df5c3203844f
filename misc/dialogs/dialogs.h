// Dialog helpers: locking a dialog's controls during a long operation, enabling and disabling
// descendants, the folder picker, the clipboard, modal windows, focus and the screen's scale.
//
// Everything here belongs on the user-interface thread (the thread that owns the windows).
// Texts are narrow (Windows-1252).
#pragma once

#include "platform/framework/framework.h"
#include "platform/ui/ui.h"

#include <map>
#include <string>
#include <vector>

class CWnd;

// ---------------------------------------------------------------------------------------------
// Control locking
//
// One lock per process: lockChildWindows remembers the enabled state of every visible
// descendant of the parent (a descendant counts as visible when it and all its ancestors are),
// disables them, and enables the windows that must stay usable (a Cancel button);
// unlockChildWindows gives every visible descendant its remembered state back. Invisible
// descendants are never touched. A second lock replaces the first one's states (it then
// records the already disabled ones).
//
// Failures of the unlock are CVelmarFileException from "MiscUtilities", written to the error
// log and thrown to the caller of unlockChildWindows:
//   0  the locked parent is not a window (it was destroyed, or nothing was locked); nothing
//      is restored.
//   1  a visible descendant was not remembered (hidden or not there at the lock). The restore
//      stops there: the descendants after it stay disabled and the lock stays, so that the
//      unlock can be tried again.
//   2  a descendant went away between its visibility test and its restore.
// Two locks at the same time, on any threads, are not supported.
class CLockMfcControls {
public:
    // The parent need not be a window (a null one locks nothing); keepEnabled may name windows
    // that are not descendants (each is enabled when it is a visible window).
    static void lockChildWindows(HWND parent, const std::vector<HWND>& keepEnabled);
    // The enumeration's result (TRUE when it ran to the end); throws as described above.
    static BOOL unlockChildWindows();

    // The enumeration's callbacks. enumChildren's mode is kDisable or kRestore; it stops the
    // enumeration (FALSE) at a restore failure, which unlockChildWindows then raises.
    static constexpr LPARAM kDisable = 0;
    static constexpr LPARAM kRestore = 1;
    static BOOL enumChildren(HWND window, LPARAM mode);
    static BOOL recordChildState(HWND window, LPARAM unused);

    // The parent of the current lock; null when unlocked.
    static HWND m_parentHandle;
    // The remembered states (1 enabled, 0 disabled) of the lock's visible descendants, kept
    // until the next lock.
    static std::map<HWND, int> m_childStates;
};

// Disables (enables) every descendant of the window, visible or not. True when the
// enumeration reported 1; false for a null window object or one without a window.
bool disableChildWindows(CWnd* parent);
bool enableChildWindows(CWnd* parent);

// Every descendant of the window, visible or not, in the order the system enumerates them: its
// window object (the framework's object for the handle) and its enabled state (1 or 0). Both
// lists are emptied first; they stay empty for a null window object or one without a window.
void listChildWindows(CWnd* parent, std::vector<CWnd*>& windows, std::vector<int>& enabled);
void listChildWindows(CWnd* parent, std::vector<CWnd*>& windows);

// Enables or disables window i according to enabled[i], as listChildWindows lists them. Lists
// of different lengths are taken as far as both go; null objects are skipped.
void restoreEnabledStates(const std::vector<CWnd*>& windows, const std::vector<int>& enabled);

// ---------------------------------------------------------------------------------------------
// Folder picker

// Shows the system's folder browser ("Select a folder": file-system folders only, with an edit
// box) over owner, opened at folder, or when folder is empty at the last non-empty folder given
// in this process. True, with folder set to the chosen path, when the user chose a file-system
// folder; false, with folder unchanged, when the user cancelled.
bool browseForFolder(HWND owner, std::string& folder);

// ---------------------------------------------------------------------------------------------
// Clipboard

// Places the text (whole, of any length) on the clipboard as CF_TEXT, replacing what was
// there. False, with the clipboard unchanged, when another program holds it open or the text is
// null; false with an emptied clipboard when the text could not be stored.
bool copyTextToClipboard(HWND owner, LPCSTR text);

// ---------------------------------------------------------------------------------------------
// Modal windows and focus

// Every top-level window, in the order the system enumerates them (the list is emptied first).
void listTopLevelWindows(std::vector<HWND>& windows);

// True when the window is a top-level window whose owner is disabled, as a modal dialog's
// owner is; with an owner given, only when it is that owner.
bool isModalWindowOf(HWND window, HWND owner);
// True when some top-level window is modal over owner (over any window for a null owner).
bool isModalWindowOpen(HWND owner);
// Posts WM_CLOSE to every top-level window that is modal over owner (over any window for a null
// owner), without waiting for them to close.
void closeModalWindows(HWND owner);

// Gives the window the keyboard focus; the window that had it before, or null.
HWND setFocusTo(HWND window);

// ---------------------------------------------------------------------------------------------
// Screen

// The screen's pixels per inch (the mean of both directions) over 96, at least 1.0. Computed on
// the first call and kept for the process's lifetime.
float screenScaleFactor();
