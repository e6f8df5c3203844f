// The machine prefix: the one folder that holds all emulated machine state (registry hives,
// the folder behind drive C:, the clipboard, the service table). VELMAR_PREFIX names it,
// otherwise $XDG_DATA_HOME/velmar, otherwise ~/.local/share/velmar. Paths are host paths
// in UTF-8.
#pragma once

#include "platform/base/base.h"

#include <string>

namespace velmar::prefix {

// The prefix folder, without a trailing separator. Does not create it.
std::string prefixPath();

// The host folder that drive C: maps to by default: <prefix>/drive_c.
std::string driveCPath();

// Creates the prefix and its standard folders when they are missing: drive_c with
// ProgramData, Program Files, Program Files (x86), windows and windows/system32.
// Returns ERROR_SUCCESS, or the Win32 code of the failure (a prefix below a regular file
// gives ERROR_PATH_NOT_FOUND).
[[nodiscard]] DWORD openPrefix();

// One of our own programs that others start (velmar-explorer, velmar-choose-folder): the
// running program's own folder, its installation's libexec/velmar, then the build's program
// folder and the configured installation's. "" when there is none.
std::string ownProgramPath(const std::string& name);

// Creates a folder and its missing parents (mode 0777 less the umask). True when the
// folder exists afterwards; otherwise errno tells why.
[[nodiscard]] bool makeHostDirectories(const std::string& path);

} // namespace velmar::prefix
