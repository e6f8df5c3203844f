// PATH as Windows sees it (a ";" list of Windows or host folders, ANSI) and as the host keeps
// it (a ":" list of host folders, UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace velmar::process {

// Whether a name is PATH, in any letter case.
bool isPathName(std::string_view ansiName);

// The host's list for a Windows list: each folder typed the Windows way (a drive letter or a
// backslash) becomes its host folder through the file service's mapping.
std::string hostPathList(std::string_view windowsList);

// The Windows list for the host's list.
std::string windowsPathList(std::string_view hostList);

} // namespace velmar::process
