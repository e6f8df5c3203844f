// Our explorer.exe and notepad.exe in the prefix's Windows folder.
#pragma once

#include <string>

namespace velmar::prefix {

// Places each program in windowsFolder when it is missing there or older than the built
// one. The built programs are looked for in the folders of VELMAR_WINDOWS_PROGRAM_DIRS (":"
// between them; a relative one from the running program's folder), set when the platform is
// built; a program that is not found or cannot be
// copied is left out, without failing.
void placeWindowsPrograms(const std::string& windowsFolder);

} // namespace velmar::prefix
