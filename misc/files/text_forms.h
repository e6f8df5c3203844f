// Conversions between the narrow (Windows-1252) and wide forms of the file operations.
// Internal to misc/files. 1252 converts to wide text and back without loss, so the file
// operations have one implementation on wide text and the narrow forms convert around it.
#pragma once

#include "platform/text/codepage.h"

#include <string>
#include <string_view>

namespace velmar::files {

inline std::wstring wide(std::string_view ansi) {
    return velmar::text::ansiToWide(ansi);
}
inline std::string narrow(std::wstring_view text) {
    return velmar::text::wideToAnsi(text);
}

} // namespace velmar::files
