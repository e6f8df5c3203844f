// Installation environment: what the installer recorded about the installation, the suite's
// folders, the common folder, the machine-wide environment variables and the host applications
// of the suite's plug-ins.
//
// The installation key is "Software\VELMAR Systems International\VELMAR Software\CurrentVersion"
// of the machine hive, read in the 32-bit registry view unless a function says otherwise.
// Installation values are read as text of at most 259 characters; a longer value counts as
// missing. Nothing here throws.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"

#include <vector>

// The placeholder of a text getter whose value is missing or not in its stored form.
inline constexpr const char* kNotSetText = "*Not Set*";

// ---------------------------------------------------------------------------------------------
// Installation information

// The folder of the installed 32-bit programs ("VelmarDir"), read in the 32-bit view when
// view32. Points into a process-wide buffer that the next call overwrites; null when the key or
// value cannot be read. Not safe to call from two threads at once.
LPCSTR getInstallDir(bool view32 = true);

// The folder of the installed 64-bit programs ("VelmarDir64"), always in the 32-bit view; as
// getInstallDir, with a buffer of its own.
LPCSTR getInstallDir64();

// The installed version ("VELMAR Software Version") without surrounding white space:
// "  8.2.1 " => "8.2.1"; "*Not Set*" when missing. W: the same text widened.
CString getSoftwareVersion();
CStringW getSoftwareVersionW();

// The release date ("Cabinet File Date", year, month and day at characters 1-4, 6-7, 9-10) as
// month/day/year: "2022-06-15" and "2022/06/15" => "06/15/2022"; any length but 10 characters
// gives "*Not Set*". W: the same text widened.
CString getReleaseDate();
CStringW getReleaseDateW();

// The elevation database date ("VerticalDbaseDate", yymmdd) as month/day/year in the 21st
// century: "991231" => "12/31/2099"; any length but 6 characters gives "*Not Set*".
CString getElevationDatabaseDate();

// "Quillmere Build Date" of the installation section, as the suite settings read it (machine
// hive, no view flag). With reformat, "2021.11.03" => "11/03/2021" and a text that is not three
// parts between dots comes back as read; "*Not Set*" when missing.
CString getProductBuildDate(bool reformat);

// Deletes "VCRedistDate" of the installation key; true when it was deleted.
bool deleteRedistributableDate();

// Writes "LastRelease" (getSoftwareVersion) and "LastCreateDate" (getReleaseDate) into the
// current user's section; failures are not reported.
void recordLastRelease(LPCSTR section);

// Reads "LastRelease" and "LastCreateDate" of the current user's section. The result is that
// of reading the date; each output is unchanged when its own read fails.
bool readLastRelease(LPCSTR section, CString& release, CString& createDate);

// Writes "AAASAVED-SoftwareVersion" = getSoftwareVersion (perhaps "*Not Set*") into the
// current user's section "AAASAVED"; the result of the write.
bool stampSavedSettingsVersion();

// The first file, in findFiles' recursive order, that matches the wildcard pattern below
// folder, or below the installation's "Manuals" folder (VelmarDir + "\Manuals") when folder is
// null or empty. "" when nothing matches.
CString findManual(LPCSTR pattern, LPCSTR folder = nullptr);

// ---------------------------------------------------------------------------------------------
// Folders and environment

// The machine's common data folder: the shell's common application-data folder (the prefix's
// drive_c/ProgramData) + "Velmar Systems", else "C:\programData\Velmar Systems"; then
// "Common" when sharedSubfolder, then furtherPath when given: (true, "Images") =>
// "...\Velmar Systems\Common\Images". The folders are not created. Paths of any length come
// back whole.
CString getCommonDataFolder(bool sharedSubfolder, LPCSTR furtherPath = nullptr);

// The program's folder of the user's local application data ($XDG_DATA_HOME, else
// ~/.local/share) + "Velmar Systems" + the program's file name without extension and every
// "_64" ("viewer_64" and "viewer" both give "...\Velmar Systems\viewer"). Created when
// missing; "" when the shell names no such folder.
CString getUserDataFolder();

// The common folder: the process's VELMAR_COMMON_FOLDER (of any length), else the text value
// "commonFolder" of the current user's suite key. folder is emptied first; true when it is
// not empty. A variable set to the empty text counts as not set.
bool getCommonFolder(CString& folder);

// Writes "commonFolder" of the current user's suite key; true when it was written.
bool setCommonFolderValue(LPCSTR folder);

// Store the path unchanged as the REG_SZ value VELMAR_COMMON_FOLDER (or
// VELMAR_DEFAULT_SETTINGS_FILE) of the machine environment key
// (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment), then tell the
// process's top-level windows with WM_SETTINGCHANGE "Environment" (SMTO_ABORTIFHUNG, 1000 ms
// per window). False, without a notice, when the value cannot be stored (a process that is not
// elevated); false, with the value stored, when a window did not answer in time. The running
// process's own environment does not change.
bool publishCommonFolder(CString folder);
bool publishDefaultSettingsFile(CString file);

// ---------------------------------------------------------------------------------------------
// Host applications
//
// Where the CAD and GIS hosts that load the suite's plug-ins are installed, from the hosts'
// own keys in the machine hive, and which host executable last ran the suite's code. Values
// are read as text of at most 259 characters (2047 for findGlobalMapperFolders); a longer
// value counts as missing. view64 adds KEY_WOW64_64KEY to KEY_READ; without it the process's
// own view is read, which for our 64-bit processes is the 64-bit view as well. The folder part
// of a path is the text before its last backslash, a text without one taken whole:
// "C:\Host\bin\host.exe" => "C:\Host\bin", "C:\Host\" => "C:\Host", "host.exe" => "host.exe".
// A null key path gives false. Each call reads into buffers of its own: unlike the directory
// getters above, these may be called from several threads at once.

// The hosts' release keys below the machine hive, oldest first. No function here walks them:
// callers pick the entries, and the order in which they try them, and pass one as the key path.
extern const char kAutoCadReleaseKeys[24][32];
// MicroStation's release keys, then MapEnterprise's.
extern const char kMicroStationReleaseKeys[7][40];

// The "AcadLocation" of every product subkey of an AutoCAD release key, in the subkeys' order;
// a product without one is skipped. locations is cleared first; true when it is not empty.
bool findAutoCadLocations(LPCSTR releaseKey, std::vector<CString>& locations, bool view64);

// Appends every value of "SOFTWARE\Global Mapper" whose name begins with "INSTALLDIR" (that
// case only: "INSTALLDIR_64" counts, "InstallDir" does not). folders keeps what the caller put
// in; true when it is not empty afterwards.
bool findGlobalMapperFolders(std::vector<CString>& folders);

// The folder part of the named value (null: the default value) of "SOFTWARE\Global Mapper".
// folder is emptied first.
bool getGlobalMapperValueFolder(LPCSTR valueName, CString& folder, bool view64);

// The folder part of the "PathName" value of the key. folder is emptied first.
bool getPathNameFolder(LPCSTR keyPath, CString& folder, bool view64);

// The folder part of "InstallDir" and the version of "RealVersion", read from the key in the
// machine hive's 64-bit view, or from the current user's hive when the machine has no such key.
// The version is the first character of the text as a digit, as the callers expect: "10.8" => 1,
// "8.11" => 8; a text that does not start with a digit gives 0. folder is emptied first and
// version is unchanged when "RealVersion" is missing; true only when both values were read.
bool getInstallDirAndVersion(LPCSTR keyPath, CString& folder, int& version);

// Records the executable (the running program when null or empty) as the last host in the
// current user's section "HostLink", value "LastCADExecutable". The registration tool and the
// installers (file name "regsvr32" or "setup", any case and extension) are never recorded, nor
// a running program whose path has 260 characters or more.
void recordHostExecutable(LPCSTR executablePath = nullptr);

// The last recorded host executable. path is emptied first; false when nothing was recorded or
// the recorded file is the registration tool or an installer.
bool getLastHostExecutable(CString& path);
