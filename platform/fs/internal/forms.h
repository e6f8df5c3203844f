// What the Win32-named functions and the runtime's calls share: they take zero-terminated
// narrow (ANSI) or wide text, the core takes wide text.
#pragma once

#include "platform/base/base.h"
#include "platform/text/text.h"

#include <string>

namespace velmar::fs {

inline std::wstring wideText(const char* text) {
    return text::ansiToWide(text);
}
inline std::wstring wideText(const wchar_t* text) {
    return text;
}

// Sets the last error as a Win32 call does on return.
inline BOOL finishCall(bool ok, DWORD error) {
    SetLastError(ok ? ERROR_SUCCESS : error);
    return ok ? TRUE : FALSE;
}

} // namespace velmar::fs
