// Reading the installation key. Internal to misc/install.
#pragma once

#include "platform/registry/registry.h"

#include <string>

namespace velmar::misc::install {

// The installer's values are read into buffers of this many bytes, terminator included.
inline constexpr DWORD kValueBufferSize = 260;

// "Software\VELMAR Systems International\VELMAR Software\CurrentVersion".
std::string installationKeyPath();

// The value's text (up to its first zero byte) when the key opens with KEY_READ and the view
// flag and the text fits the buffer with its terminator; text is unchanged otherwise.
bool readInstallationText(const char* valueName, REGSAM view, std::string& text);

} // namespace velmar::misc::install
