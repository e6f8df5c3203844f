// Reading the installation key, and values of other keys as text. Internal to misc/install.
#pragma once

#include "platform/registry/registry.h"

#include <string>

namespace velmar::misc::install {

// Installation and host values are read into buffers of this many bytes, terminator included.
inline constexpr DWORD kValueBufferSize = 260;

// "Software\VELMAR Systems International\VELMAR Software\CurrentVersion".
std::string installationKeyPath();

// The value's text (up to its first zero byte) when it fits a buffer of kValueBufferSize bytes
// with its terminator; text is unchanged otherwise. A null name is the key's default value.
bool queryValueText(const registry::Key& key, const char* valueName, std::string& text);

// queryValueText of the installation key opened with KEY_READ and the view flag.
bool readInstallationText(const char* valueName, REGSAM view, std::string& text);

} // namespace velmar::misc::install
