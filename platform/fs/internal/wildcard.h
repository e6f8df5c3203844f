// The Windows wildcard rules for file enumeration, matched without regard to case.
//
// "*" matches any run of characters, "?" any one character. A pattern ending in ".*" also
// matches names without a dot ("*.*" matches every name, "read*.*" matches "readme"), and a
// pattern ending in "." matches names without a dot ("*." matches "readme", not "a.txt").
#pragma once

#include <string_view>

namespace velmar::fs {

bool hasWildcards(std::wstring_view pattern);

// Both texts UTF-8.
bool matchesWildcard(std::string_view pattern, std::string_view name);

} // namespace velmar::fs
