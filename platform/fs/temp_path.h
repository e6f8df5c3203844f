// The user's temporary folder: $TMPDIR, else /tmp, always reported with a trailing separator.
#pragma once

#include "platform/base/types.h"

#include <string>

namespace velmar::host {
// Host path (UTF-8) of the temporary folder, ending with "/".
std::string tempFolderPath();
} // namespace velmar::host

// Copies the folder into buffer and returns its length without the terminator; when the
// buffer is too small returns the size needed, terminator included, and leaves it untouched.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
