// What the program and library searches share: the environment read into the buffers the
// suite's programs use, our own folder and the personal build folder.
#pragma once

#include "platform/base/base.h"

#include <optional>
#include <string>

namespace velmar::misc::process {

inline constexpr DWORD kOwnPathSize = 512;
inline constexpr DWORD kProfileSize = 512;
inline constexpr DWORD kPathSize = 32766;

// A variable read into a buffer of size bytes: empty when not set (set tells which), nullopt
// when the value does not fit the buffer.
std::optional<std::string> environmentText(const char* name, DWORD size, bool& set);

// Our own folder with its trailing separator; nullopt when our path does not fit its buffer.
std::optional<std::string> ownFolder();

// %userprofile%\VEL_Pack\x64\2017Build\Release, without a trailing separator.
std::string personalBuildFolder();

bool endsWithSeparator(const std::string& folder);

// folder with "\" added unless it ends with a separator already.
std::string withSeparator(std::string folder);

} // namespace velmar::misc::process
