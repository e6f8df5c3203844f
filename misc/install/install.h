// Installation environment: what the installer recorded about the installation, the suite's
// folders, the common folder and the machine-wide environment variables.
//
// The installation key is "Software\VELMAR Systems International\VELMAR Software\CurrentVersion"
// of the machine hive, read in the 32-bit registry view unless a function says otherwise.
// Installation values are read as text of at most 259 characters; a longer value counts as
// missing. Nothing here throws.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"

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
