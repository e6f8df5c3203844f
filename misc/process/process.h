// Processes and system services: starting programs and opening items, finding a sibling
// program or library in the suite's installation and developer trees, services and the
// machine's memory.
//
// All texts are narrow (the ANSI code page). Nothing here throws; failures give false or a
// null handle and, where a function says so, a message box.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"

#include <string>

// ---------------------------------------------------------------------------------------------
// Starting programs

// Starts program (a path or a bare name, quoted on the command line) with arguments (null for
// none), detached, in workingFolder (null: ours). showNormal shows the child normally whatever
// we were asked; otherwise it inherits our start-up information. With wait, blocks until the
// child ends (no messages are dispatched). A failed start shows "Failed to launch ..." with the
// system's text when reportFailure. True when the program started.
bool launchProgram(const char* program, const char* arguments, bool reportFailure, bool wait,
                   const char* workingFolder, bool showNormal);

// As above; when processHandle is not null it receives the open process handle, which the
// caller must close, and the function does not wait even when wait is set.
bool launchProgram(const char* program, const char* arguments, bool reportFailure, bool wait,
                   const char* workingFolder, bool showNormal, HANDLE* processHandle);

// Starts "explorer.exe <argument>" (the argument as it stands) in a 700 x 450 window; a failed
// start shows the system's text. True when Explorer started.
bool openInExplorer(const char* argument);

// Opens an existing file in the Windows folder's Notepad; false without a word for a missing
// file or a command line of 260 characters or more.
bool openInNotepad(const char* path);

// Opens a file with the program associated with its type ("open", parameters "/s"); true when
// the shell accepted it. The second form also waits for the started program to end.
bool shellOpen(const char* path);
bool shellOpenAndWait(const char* path);

// ---------------------------------------------------------------------------------------------
// Finding a sibling program or library
//
// Variants of a program N are tried as N_64.exe, N.2022.exe, N.exe. A developer tree is the
// folder holding an ancestor of our own folder named "src" (any case, any extension); its
// programs are in "Executables\" and, while one of them starts, "Path" begins with the
// personal build folder (%userprofile%\VEL_Pack\x64\2017Build\Release) and "<root>dlls\release".

// Starts the first variant found beside us, in a developer tree above us, in extraFolder, or
// in extraFolder's "Program Files (x86)" twin. Nothing found: "Failed to find: <exeName>"
// when reportFailure. The other parameters are launchProgram's.
bool findAndLaunch(const char* exeName, const char* arguments, const char* extraFolder,
                   bool reportFailure, bool wait, const char* workingFolder, bool showNormal,
                   HANDLE* processHandle);

// Starts the first variant of exeName in baseFolder (ending with a separator) that starts;
// started says the same as the result.
bool launchFirstVariant(bool developerTree, const char* baseFolder, const char* exeName,
                        const char* arguments, bool reportFailure, bool wait,
                        const char* workingFolder, bool showNormal, HANDLE* processHandle,
                        bool& started);

// Starts baseFolder[Executables\]fileName.exe when it exists. True when the file exists,
// whether or not it started; started is the launch's result.
bool launchIfPresent(bool developerTree, const char* baseFolder, const char* fileName,
                     const char* arguments, bool reportFailure, bool wait,
                     const char* workingFolder, bool showNormal, HANDLE* processHandle,
                     bool& started);

// Loads folder + libraryName when that file exists, by its bare name after appending
// ";<folder>" to "Path" for good (again at every call that finds the file). Null otherwise.
HMODULE loadLibraryFrom(const char* libraryName, const char* folder);

// Loads a library by the system's search (only when subFolder is null or empty), else from
// our folder + subFolder, the personal build folder, the personal build folder + subFolder,
// then extraFolder. Null when none loads or libraryName is null.
HMODULE findAndLoadLibrary(const char* libraryName, const char* subFolder, const char* extraFolder);

// ---------------------------------------------------------------------------------------------
// Services and memory

// True when the service exists and is running (not starting, stopping or paused).
bool isServiceRunning(const CString& serviceName);
bool isServiceRunning(const std::string& serviceName);

// True when the service was running already or the system accepted the start request; does
// not wait for it to run.
bool startService(const CString& serviceName);
bool startService(const std::string& serviceName);

// Available physical memory in bytes; 0 when the query fails.
ULONGLONG availablePhysicalMemory();

// The percentage of physical memory in use; false, percentage untouched, when the query fails.
bool memoryLoad(int& percentage);

// The physical and this process's virtual memory figures in bytes; false, all four untouched,
// when the query fails.
bool memoryStatus(ULONGLONG& totalPhysical, ULONGLONG& availablePhysical, ULONGLONG& totalVirtual,
                  ULONGLONG& availableVirtual);
