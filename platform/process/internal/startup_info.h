// The start-up information's journey through the child's environment.
#pragma once

#include "platform/process/process.h"

#include <string>
#include <string_view>

namespace velmar::process {

inline constexpr char kStartupVariable[] = "VELMAR_STARTUPINFO";

// The variable's value for the members that travel (see GetStartupInfoA).
std::string startupText(const STARTUPINFOA& info);

// Reads a value into the members that travel; false, with info untouched, when it is malformed.
bool parseStartupText(std::string_view text, STARTUPINFOA& info);

} // namespace velmar::process
