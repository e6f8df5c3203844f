// The folder browser answered by a chooser in another process (the portal's or zenity), for
// presenters that show windows on a desktop. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <string>

namespace velmar::ui {

// True when a chooser in another process can answer: zenity, or the desktop portal on the
// session bus (asked through our velmar-choose-folder).
bool folderChooserAvailable();

// Starts the desktop portal's folder chooser (through velmar-choose-folder) when it answers,
// else "zenity --file-selection --directory", for the folder browser browser and returns at
// once; the browser's thread goes on pumping messages. The folder chosen (a host path) goes
// into the browser's path field and IDOK is posted to it; Cancel posts IDCANCEL. When no
// chooser can be started, it fails, or its folder has a name that code page 1252 cannot carry,
// a message box owned by the browser says so and IDCANCEL follows. The chooser ends when the
// browser does. Call it on the browser's thread; title and initialFolder are 1252 text, the
// folder a native or Windows path (empty: the chooser's own start).
void chooseFolderOutOfProcess(HWND browser, std::string title, std::string initialFolder);

} // namespace velmar::ui
