// The libraries LoadLibraryA loaded, with the number of loads each still holds.
//
// A module handle is the dynamic loader's own handle, as GetModuleHandleA gives it, so that
// both calls name a library the same way. The table lets FreeLibrary refuse a handle that no
// load gave out instead of handing it to the loader.
#pragma once

#include "platform/base/base.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmar::process {

// The names a module name stands for, in the order they are tried: without an extension
// Windows appends ".dll", which comes first, and the name as given follows so that libraries
// built for Linux without the suffix are found too. A trailing "." means "no extension": the
// name without it, alone.
std::vector<std::string> libraryNameCandidates(std::string_view name);

// True when name holds a folder part (a separator or a drive) rather than being a bare name.
bool isLibraryPath(std::string_view name);

// Loads the library file at hostPath (dlopen, RTLD_NOW | RTLD_LOCAL) and counts the load.
// Null with the Win32 code in the last error when it does not load.
HMODULE loadLibraryFile(const std::string& hostPath);

// The handle of a library we loaded whose file name is one of fileNames (case-blind, tried in
// their order); null when there is none.
HMODULE loadedLibraryNamed(const std::vector<std::string>& fileNames);

// One more load of a library we loaded under one of fileNames, as Windows uses a loaded
// module of the same name before searching; null when there is none.
HMODULE loadAgainByName(const std::vector<std::string>& fileNames);

// Gives back one load; false when the handle is not one of ours.
bool releaseLibrary(HMODULE module);

// True for a handle that names a module of the process: one we loaded or one the loader
// knows (the program, its libraries).
bool isModuleHandle(HMODULE module);

} // namespace velmar::process
