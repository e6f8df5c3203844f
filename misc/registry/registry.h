// Settings registry: typed settings below the suite key and operations on whole sections.
//
// The suite key is "Software\VELMAR Systems International" below a hive; a section is a key
// path relative to it, used exactly as passed. Numbers, booleans and texts are stored as
// REG_SZ text so that they survive an export and import. Nothing here throws; every function
// reports success as a boolean and leaves its outputs unchanged on failure unless its comment
// says otherwise. A null value name is the key's default value.
#pragma once

#include "platform/framework/framework.h"
#include "platform/registry/registry.h"
#include "platform/ui/ui.h"

#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Suite key and sections

// "Software\VELMAR Systems International".
CString getSuiteKeyPath();

// True when the section is "Velmar Software\CurrentVersion", compared without regard to case.
bool isInstallationSection(LPCSTR section);

// ---------------------------------------------------------------------------------------------
// Core readers and writers

// Reads the value as text into buffer (size in bytes), whatever its registry type, and makes
// sure the text ends within the data read; a value with no data bytes reads as "".
// Leaves the buffer unchanged on failure (missing key or value, data larger than the buffer).
bool readSettingText(HKEY hive, LPCSTR section, LPCSTR valueName, char* buffer, DWORD bufferSize);

// Reads the value's bytes into buffer and sets the last byte read to zero, so that a stored
// terminator survives and a text without one loses its last byte. A value with no data bytes
// leaves the buffer as it was. Leaves the buffer unchanged on failure.
bool readSettingBytes(HKEY hive, LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize);

// readSettingBytes of 2 x size bytes of UTF-16 text, stored into buffer as wide text up to its
// first zero unit; the text always ends within the buffer. Leaves the buffer unchanged on
// failure.
bool readSettingWideBytes(HKEY hive, LPCSTR section, LPCSTR valueName, wchar_t* buffer,
                          DWORD sizeInChars);

// Creates or opens the section's key (with the view flag KEY_WOW64_32KEY, KEY_WOW64_64KEY or
// 0) and sets the value as REG_SZ, terminator included. A null text is refused.
bool writeSettingText(HKEY hive, LPCSTR section, LPCSTR valueName, LPCSTR text, DWORD viewFlag);

// Creates or opens the section's key and sets the value as REG_BINARY of size bytes. True
// only when the value was stored.
bool writeSettingBytes(HKEY hive, LPCSTR section, LPCSTR valueName, const BYTE* data, DWORD size);

// writeSettingBytes of the text's UTF-16LE code units and a 2-byte terminator.
bool writeSettingWideBytes(HKEY hive, LPCSTR section, LPCSTR valueName, LPCWSTR text);

// Reads a text value of any key (a full path below the hive). The view choice:
//   bool  - 2048-byte buffer, KEY_WOW64_32KEY when true, text set only on success;
//   BOOL  - the short form: 512-byte buffer, KEY_WOW64_32KEY when TRUE;
//   DWORD - 512-byte buffer, the flags OR'ed into KEY_READ.
// Every form leaves text unchanged on failure.
bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, CString& text, bool view32);
bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, std::string& text, bool view32);
bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, CString& text, BOOL view32);
bool readKeyText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, CString& text, DWORD flags);

// ---------------------------------------------------------------------------------------------
// Typed settings
//
// Stored forms: a character as "%c", int as "%d", long as "%ld", DWORD (also a colour) as "%u",
// float and double as "%f", bool as "1" or "0", long long as signed decimal, texts as they
// are. Reading converts as atoi/atol/atof do (0 when the text is no number) and a DWORD reads
// "r g b" as r + g * 256 + b * 65536 (each reduced to 8 bits). A character reads as the first
// byte of the text. Typed reads use a 2048-byte buffer (2048 wide characters for wide text); a
// value that does not fit is not read. Each reader leaves its output unchanged on failure;
// the list readers clear their list first, so a failed read leaves it empty.
//
// Text lists are stored as every item followed by ";" ("a;b;c;"); reading takes each piece
// that ends at a ";", so "a;b" reads as "a" and "a;;b;" as "a", "", "b".

// The caller's hive.
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, char& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, int& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, float& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, double& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, bool& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, DWORD& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long long& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, CString& value);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, std::string& value);
// Wide text in the binary form (UTF-16LE bytes).
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, CStringW& value);
// The stored bytes as they are; leaves the buffer unchanged on failure.
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, std::vector<CString>& list);
bool readSetting(HKEY hive, LPCSTR section, LPCSTR valueName, std::vector<CStringW>& list);

bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, char value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, int value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, float value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, double value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, bool value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, DWORD value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, long long value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, const std::string& value);
// Narrow texts and framework strings of the caller's hive go through writeSettingText; this
// keeps them from turning silently into the bool overload.
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, LPCSTR value) = delete;
// Wide text in the binary form.
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, LPCWSTR value);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, const BYTE* data, DWORD size);
bool writeSetting(HKEY hive, LPCSTR section, LPCSTR valueName, const std::vector<CString>& list);

// The current user's hive.
bool readUserSetting(LPCSTR section, LPCSTR valueName, char& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, int& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, float& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, double& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, bool& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, long& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, DWORD& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, long long& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, CString& value);
bool readUserSetting(LPCSTR section, LPCSTR valueName, std::string& value);
// readSettingText of the current user's hive.
bool readUserSetting(LPCSTR section, LPCSTR valueName, char* buffer, DWORD bufferSize);
// Wide text in the narrow form (converted through the ANSI code page).
bool readUserSetting(LPCSTR section, LPCSTR valueName, CStringW& value);
// The stored bytes as they are; leaves the buffer unchanged on failure.
bool readUserSetting(LPCSTR section, LPCSTR valueName, BYTE* buffer, DWORD bufferSize);
// readSettingWideBytes of the current user's hive.
bool readUserSetting(LPCSTR section, LPCSTR valueName, wchar_t* buffer, DWORD sizeInChars);
bool readUserSetting(LPCSTR section, LPCSTR valueName, std::vector<CString>& list);
// Wide list in the binary form.
bool readUserSetting(LPCSTR section, LPCSTR valueName, std::vector<CStringW>& list);

bool writeUserSetting(LPCSTR section, LPCSTR valueName, char value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, int value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, float value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, double value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, bool value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, long value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, DWORD value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, long long value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, LPCSTR value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const std::string& value);
// Wide framework string in the narrow form.
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const CStringW& value);
// Wide zero-terminated text in the binary form.
bool writeUserSetting(LPCSTR section, LPCSTR valueName, LPCWSTR value);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const BYTE* data, DWORD size);
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const std::vector<CString>& list);
// Wide list in the binary form.
bool writeUserSetting(LPCSTR section, LPCSTR valueName, const std::vector<CStringW>& list);

// The hive chosen by the section: the installation section reads from the machine hive,
// every other section from the current user's. Writing the installation section writes the
// machine hive first (that result is ignored), then every section goes to the current user's
// hive, whose result is returned.
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, char& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, int& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, float& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, double& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, bool& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, CString& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, std::string& value);
bool readSuiteSetting(LPCSTR section, LPCSTR valueName, char* buffer, DWORD bufferSize);

bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, char value);
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, int value);
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, float value);
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, double value);
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, bool value);
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, LPCSTR value);
bool writeSuiteSetting(LPCSTR section, LPCSTR valueName, const std::string& value);

// ---------------------------------------------------------------------------------------------
// Key operations
//
// Listing operations clear their list first; names are fetched as narrow text and widened
// through the ANSI code page for wide lists.

// The subkey names of a key (a path from the hive's root), in the registry's order. False,
// with the names fetched so far, when a name cannot be fetched; false with an empty list when
// the key is missing or has no subkeys.
bool listSubkeys(HKEY hive, LPCSTR keyPath, std::vector<CString>& names, DWORD viewFlags);
bool listSubkeys(HKEY hive, LPCSTR keyPath, std::vector<CStringW>& names, DWORD viewFlags);
// listSubkeys of the section in the current user's hive.
bool listSectionSubkeys(LPCSTR section, std::vector<CString>& names);
bool listSectionSubkeys(LPCSTR section, std::vector<CStringW>& names);

// The value names of a key in creation order, the default value left out; the listing stops
// at a name of 512 characters or more. True when the list is not empty.
bool listValueNames(HKEY hive, LPCSTR keyPath, std::vector<CString>& names, bool view32);
// listValueNames of the section in the current user's hive.
bool listSectionValueNames(LPCSTR section, std::vector<CString>& names);
bool listSectionValueNames(LPCSTR section, std::vector<CStringW>& names);

// True when the section's key opens for reading.
bool sectionExists(HKEY hive, LPCSTR section);

// Deletes the section's key (the suite key itself for a null or empty section): with
// everything below it, or only when it has no subkeys.
bool deleteSection(HKEY hive, LPCSTR section, bool withSubkeys);

// Deletes a value of the section (of the suite key for a null or empty section).
bool deleteSettingValue(HKEY hive, LPCSTR section, LPCSTR valueName);

// Copies the source section with all its values and subkeys to the target section, which must
// not exist. All or nothing: a failed copy leaves no target behind.
bool copySection(HKEY hive, LPCSTR sourceSection, LPCSTR targetSection);

// copySection, then deletes the source; the source stays when the copy failed. Both happen
// in one commit. A target inside the source (or the source itself) is refused.
bool moveSection(HKEY hive, LPCSTR sourceSection, LPCSTR targetSection);

// Replaces the current user's subkey of the section by one REG_SZ value per item, named
// "00000", "00001", ...; an empty list leaves no subkey. False at the first failed write.
bool writeSettingList(LPCSTR section, LPCSTR subkey, const std::vector<CString>& items);
bool writeSettingList(LPCSTR section, LPCSTR subkey, const std::vector<CStringW>& items);

// Every value of the current user's subkey of the section as text, in the registry's order
// (the list clears first). False when there are no values, or at the first failed read,
// keeping the items read so far.
bool readSettingList(LPCSTR section, LPCSTR subkey, std::vector<CString>& items);
bool readSettingList(LPCSTR section, LPCSTR subkey, std::vector<CStringW>& items);

// ---------------------------------------------------------------------------------------------
// Registry files (REGEDIT4)

// Writes "REGEDIT4" and the key's block with every block below it, depth first, to the file,
// creating its folder. False when the folder or the file cannot be made or written; a key
// that does not open leaves only the header. The file is replaced whole or not at all: a
// failed export leaves an earlier file of that name as it was (a device is written as is).
bool exportRegistryKey(HKEY hive, LPCSTR keyPath, LPCSTR filePath);

// Applies a REGEDIT4 or version-5 registry file, each hive's changes in one commit. False when
// the file is missing or unreadable or a commit fails; values that cannot be stored are skipped.
bool importRegistryFile(LPCSTR filePath);

// Stores one value of a registry file: "dword:" data as REG_DWORD, "hex:" and "hex(N):" data
// as bytes of type REG_BINARY or N, anything else as REG_SZ with each "\\" read as "\".
bool setRegistryValueFromText(HKEY hive, LPCSTR keyPath, LPCSTR valueName, LPCSTR valueText);

// ---------------------------------------------------------------------------------------------
// Settings backup and restore, through the common folder (getCommonFolder)

// Exports the current user's module keys, each to its file in the common folder, in order:
// Model Viewer\ImportRelative, Model Viewer\AT, Model Viewer\Options\Input Devices, Point Cloud
// Loader\Formats, Survey Point Loader, Key Assignments, Terrain\Options\InputDevice. A missing
// key gives a file with only the header. True when a common folder is set and every export
// succeeded; a file whose export failed keeps its earlier content, the others are written.
bool backupModuleSettings();

// Applies the default settings file, then imports every "*.reg" file of the common folder in
// the file system's order, stopping at the first import that fails. True when a common
// folder is set and no import failed.
bool restoreSettings();

// Imports the file VELMAR_DEFAULT_SETTINGS_FILE names (of any length) for a user whose suite
// key has no subkeys. True when the variable is unset or empty or the file was imported; false
// when the file is missing or the user already has settings.
bool applyDefaultSettingsFile();

// ---------------------------------------------------------------------------------------------
// Window placement
//
// A window's normal (restored) rectangle, as GetWindowPlacement reports it, kept as a line of
// numbers in the current user's settings so that the window reopens where it was left. Two
// independent forms, each with its own subkey of the section and its own screen rule:
//   positions - "<section>\Window Positions", "left top right bottom maximized" (1 when the
//               window was maximized, else 0). A loaded rectangle whose top-left corner lies on
//               no monitor is pulled onto the primary screen with a margin of 50 pixels; one on
//               any monitor (a secondary one included) is kept as it is.
//   placement - "<section>\WindowPlacement", "left top right bottom". A loaded rectangle is
//               always pulled onto the primary screen, with a margin of 75 pixels.
// Pulling onto the primary screen (cx x cy pixels, margin m): left and top are kept within
// [0, cx - m] and [0, cy - m], right and bottom at most cx and cy, and never left of left or
// above top.
// A text with fewer numbers than its form expects still counts as read: the missing fields
// are 0. Numbers beyond 32 bits are held at the limits of int.

// Saves the window's normal rectangle and maximized state under windowName. False, with
// nothing written, when the window's placement cannot be read.
bool saveWindowPosition(LPCSTR section, LPCSTR windowName, HWND window);
// Reads a saved position; rect and maximized are unchanged when nothing was saved.
bool loadWindowPosition(LPCSTR section, LPCSTR windowName, RECT& rect, bool& maximized);
// Puts the window back at its saved position. A window saved maximized is, with restoreSize,
// shown maximized again with the saved normal rectangle grown to at least its current size;
// otherwise it is moved there, and with restoreSize also sized. The result of the window call
// made; false, with the window untouched, when nothing was saved.
bool restoreWindowPosition(LPCSTR section, LPCSTR windowName, HWND window, bool restoreSize);
// Deletes every saved position of the section (its placements stay).
bool deleteWindowPositions(LPCSTR section);

// Saves the window's normal rectangle under windowName. False, with nothing written, when the
// window's placement cannot be read.
bool saveWindowPlacement(LPCSTR section, LPCSTR windowName, HWND window);
// Reads a saved placement; rect is unchanged when nothing was saved.
bool loadWindowPlacement(LPCSTR section, LPCSTR windowName, RECT& rect);
// Moves the window to its saved placement, and with restoreSize also sizes it. True when a
// placement was saved (whatever the move reports); false, with the window untouched, when not.
bool restoreWindowPlacement(LPCSTR section, LPCSTR windowName, HWND window, bool restoreSize);
