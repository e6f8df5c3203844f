// Files and paths: the Windows path rules and file-name helpers, file tests and contents,
// directory operations and unique file names.
//
// Paths are Windows paths held as text ("C:\data\scan.tif", "\\server\share\x") or native
// paths ("/home/u/scan.tif"); backslash and slash both separate, inserted separators are
// backslashes. Narrow text is Windows-1252; a host name with characters 1252 cannot carry
// shows "?" for them in narrow results and is reached through the wide forms.
//
// Text forms. Each operation comes in the forms its documentation names:
//   F   narrow C strings in, CString out        fileNameOf(const char*, bool)
//   FW  wide C strings in, CStringW out         fileNameOf(const wchar_t*, bool)
//   S   std::string in and out                  fileNameOf(const std::string&, bool)
//   SC  narrow C strings in, std::string out    fileNameOfSC(const char*, bool)
//   W   std::wstring in and out                 fileNameOf(const std::wstring&, bool)
// A form that C++ cannot tell from another by its arguments carries its letter as a suffix
// (the SC forms, formatByteSizeS/W, tempFolderW). C-string arguments must not be null unless
// an operation says otherwise.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------
// Path and file-name helpers: text only, the file system is never asked.
// ---------------------------------------------------------------------------------------

// The folder part. "C:\data\scan.tif" => "C:\data\" (flag false) or "C:\data" (flag true);
// "C:\data\" => "C:\data\" or "C:\data"; "C:\scan.tif" => "C:\" either way; "scan.tif" => "".
CString directoryOf(const char* path, bool withoutTrailingSeparator);
CStringW directoryOf(const wchar_t* path, bool withoutTrailingSeparator);
std::string directoryOf(const std::string& path, bool withoutTrailingSeparator);
std::string directoryOfSC(const char* path, bool withoutTrailingSeparator);
std::wstring directoryOf(const std::wstring& path, bool withoutTrailingSeparator);

// The file name, or its stem: "C:\a\archive.tar.gz" => "archive.tar.gz" / "archive.tar";
// "C:\data\" => "".
CString fileNameOf(const char* path, bool withoutExtension);
CStringW fileNameOf(const wchar_t* path, bool withoutExtension);
std::string fileNameOf(const std::string& path, bool withoutExtension);
std::string fileNameOfSC(const char* path, bool withoutExtension);
std::wstring fileNameOf(const std::wstring& path, bool withoutExtension);

// The extension without its dot: "a.tar.gz" => "gz"; ".profile", "name." and ".." => "".
// A colon in a file name starts a stream suffix: "b.txt:s" => "txt".
CString extensionOf(const char* path);
CStringW extensionOf(const wchar_t* path);
std::string extensionOf(const std::string& path);
std::string extensionOfSC(const char* path);
std::wstring extensionOf(const std::wstring& path);

// extensionOf(path) equals extension without regard to letter case (ASCII letters in the
// narrow form, as the C library's lower-casing has it; all letters in the wide form).
// ("b.TIF", "tif") => true; ("b.tif", ".tif") => false; ("b", "") => true.
bool hasExtension(const std::string& path, const std::string& extension);
bool hasExtension(const std::wstring& path, const std::wstring& extension);

// The parent path: "C:\data\sub\" => "C:\data\sub"; "C:\scan.tif" => "C:\". Unlike
// directoryOf(path, true) it keeps every separator directly after the root.
std::string parentPathOf(const std::string& path);
std::wstring parentPathOf(const std::wstring& path);

// Joins tail to path in place: "C:\data" + "x" => "C:\data\x"; + "\other" => "C:\other";
// + "D:\y" => "D:\y"; "C:" + "x" => "C:x"; "\\srv" + "x" => "\\srv\x".
void appendPath(std::string& path, const std::string& tail);
void appendPath(std::wstring& path, const std::wstring& tail);

// Folder + stem + suffix + "." + extension: ("C:\a\b.tif", "_1") => "C:\a\b_1.tif";
// ("C:\a\b", "_1") => "C:\a\b_1." (the dot is always written).
CString addFileNameSuffix(const CString& path, const CString& suffix);
CStringW addFileNameSuffix(const CStringW& path, const CStringW& suffix);
std::string addFileNameSuffix(const std::string& path, const std::string& suffix);
std::wstring addFileNameSuffix(const std::wstring& path, const std::wstring& suffix);

// Folder + prefix + file name: ("C:\a\b.tif", "old_") => "C:\a\old_b.tif".
std::string addFileNamePrefix(const std::string& path, const std::string& prefix);
std::wstring addFileNamePrefix(const std::wstring& path, const std::wstring& prefix);

// Replaces the extension (a dot is added when missing; "" removes it):
// ("C:\a\b.tif", "png") and (..., ".png") => "C:\a\b.png"; (..., "") => "C:\a\b".
CString changeExtension(const char* path, const char* extension);
CStringW changeExtension(const wchar_t* path, const wchar_t* extension);
std::string changeExtension(const std::string& path, const std::string& extension);
std::string changeExtensionSC(const char* path, const char* extension);
std::wstring changeExtension(const std::wstring& path, const std::wstring& extension);

// Same folder, a cleaned-up new name (replaceInvalidFileNameChars), the old extension kept
// when the new name has none: ("C:\a\b.tif", "new") => "C:\a\new.tif"; "x/y" => "C:\a\x_y.tif".
std::string replaceFileName(const std::string& path, const std::string& newName);
std::wstring replaceFileName(const std::wstring& path, const std::wstring& newName);

// True when name holds none of < > : | ? * " \ / tab, line feed, carriage return. "" is valid.
bool isValidFileName(const char* name);

// name unchanged when valid; else trimmed of white space with each invalid character made "_":
// " a:b " => "a_b"; " ab " => " ab ".
CString makeValidFileName(const char* name);
std::string makeValidFileNameSC(const char* name);

// Each of : * ? " < > | / \ replaced by "_" (tab and line breaks stay; no trimming).
std::string replaceInvalidFileNameChars(const std::string& name);
std::wstring replaceInvalidFileNameChars(const std::wstring& name);

// True when path starts with "/vsi" (exactly; case matters): a file inside a virtual file
// system, never given to the operating system.
bool isVirtualFileSystemPath(const char* path);
bool isVirtualFileSystemPath(const wchar_t* path);
bool isVirtualFileSystemPath(const std::string& path);
bool isVirtualFileSystemPath(const std::wstring& path);

// The path shortened with an ellipsis to about maxLength characters for display, keeping the
// drive ("C:\") or server ("\\srv\") and the file name. With
// "C:\Program Files\Vendor\Suite\bin\settings.xml": 30 => "C:\...\Suite\bin\settings.xml",
// 20 => "C:\...\settings.xml", 12 => "settings.xml". A path no longer than maxLength, or a
// negative maxLength, comes back unchanged.
CString abbreviatePath(const char* path, int maxLength);
std::string abbreviatePathSC(const char* path, int maxLength);

// The count in the largest unit it exceeds 1024 of, two decimals: 1536 => "1.50 KB";
// 1024 => "1024.00 Bytes"; 1025 => "1.00 KB"; 1048575 => "1024.00 KB".
CString formatByteSize(LONGLONG count);
std::string formatByteSizeS(ULONGLONG count);
std::wstring formatByteSizeW(ULONGLONG count);

// ---------------------------------------------------------------------------------------
// File tests and contents. No error escapes, except from isEmptyFolder.
// ---------------------------------------------------------------------------------------

// True for an existing file, folder or link (links followed), and for any "/vsi" path.
bool fileExists(const char* path);
bool fileExists(const wchar_t* path);
bool fileExists(const std::string& path);
bool fileExists(const std::wstring& path);

// True when an enumeration of exactly path finds a folder. "C:\data\" and "C:\" give false.
bool isDirectory(const char* path);

// False only for an existing folder with at least one entry (hidden ones count). Throws
// std::filesystem::filesystem_error when the folder exists but cannot be read.
bool isEmptyFolder(const std::string& path);
bool isEmptyFolder(const std::wstring& path);

// True when the file opens for binary reading. Null gives false.
bool canOpenForReading(const char* path);

// True for a missing file (not created), or one that opens for appending without sharing:
// false while another process has it open, or when it is read-only.
bool canWriteFile(const std::string& path);
bool canWriteFile(const std::wstring& path);

// True when the file opens for writing without sharing; a missing file is created empty.
// Null gives false.
bool testWriteAccess(const char* path);

// Sets or clears the read-only attribute (links followed). Always true, errors ignored.
bool setReadOnly(const std::string& path, bool readOnly);
bool setReadOnly(const std::wstring& path, bool readOnly);

// Sets or clears read-only (bit 0x01) or hidden (bit 0x02) through the framework's file
// status; false when the status cannot be read or written back.
bool setReadOnlyAttribute(const char* path, bool readOnly);
bool setHiddenAttribute(const char* path, const bool& hidden);

// The size in bytes; 0 for a folder or when the file cannot be examined.
LONGLONG fileSizeOf(const char* path);

// formatByteSize(fileSizeOf(path)).
CString fileSizeText(const char* path);
std::string fileSizeTextSC(const char* path);

// True when the file's first bytes (at most 1000; at least one) are all printable ASCII,
// tab, line feed or carriage return. Null, "", a missing or an empty file give false.
bool isTextFile(const char* path);

// True when a line of the text file contains text (upper-cased both when ignoreCase). Lines
// hold at most 511 characters: the search stops with false at the first longer line. Null
// arguments give false.
bool fileContainsText(const char* path, const char* text, bool ignoreCase);

// The path spelled as on disk, element by element, the drive as typed:
// "C:\data\scans\tile_07.tif" => "C:\Data\Scans\Tile_07.TIF"; "" when an element is missing,
// or when the folder part, the name or the extension reaches 256 characters.
CString actualCasePath(const char* path);
std::string actualCasePathSC(const char* path);

// ---------------------------------------------------------------------------------------
// Directory operations.
// ---------------------------------------------------------------------------------------

// Creates the folder chain; true when the folder exists afterwards. No error escapes.
bool createDirectories(const char* path);
bool createDirectories(const wchar_t* path);
bool createDirectories(const std::string& path);
bool createDirectories(const std::wstring& path);

// Removes a file, or a folder with everything in it (read-only entries too). The standard
// forms return the number of files and folders removed, 0 on failure or for a missing path.
void removeTree(const char* path);
void removeTree(const wchar_t* path);
std::uintmax_t removeTree(const std::string& path);
std::uintmax_t removeTree(const std::wstring& path);

// Removes every entry of the folder, keeps the folder. Stops at the first failure (the
// standard forms then return false; entries not reached stay).
void emptyFolder(const char* path);
bool emptyFolder(const std::string& path);
bool emptyFolder(const std::wstring& path);

// Removes one file (also read-only) or one empty folder; false when there was nothing to
// remove, the folder is not empty, or removal failed.
bool removePath(const std::string& path);
bool removePath(const std::wstring& path);

// Moves from to to, replacing a file there and copying across file systems when needed.
bool renamePath(const std::string& from, const std::string& to);
bool renamePath(const std::wstring& from, const std::wstring& to);

// Copies with the standard copy rules: an existing target fails when failIfExists, else it is
// overwritten; a folder as source gets its files copied (not its sub-folders) without
// overwriting, and nothing happens to it with failIfExists false. No error escapes.
bool copyFile(const std::string& from, const std::string& to, bool failIfExists = true);
bool copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists = true);

// replacementFile takes the place of replacedFile (no backup, written through). A failed
// attempt is retried after 2000 ms, at most 90 times; true when an attempt succeeded.
bool replaceFileWithRetry(const char* replacedFile, const char* replacementFile);

// The wait between two replacement attempts (milliseconds). Tests shorten it; nullptr
// restores the real sleep.
using RetryWaitFunction = void (*)(unsigned milliseconds);
void setReplaceRetryWait(RetryWaitFunction wait);

// Deletes the files matching a wildcard pattern ("C:\data\*.tmp"); true when at least one
// was deleted. Folders among the matches stay.
bool deleteMatchingFiles(const char* pattern);

// Appends the regular files (links followed) of folder, or of its whole tree, whose whole
// name matches the ECMAScript pattern ignoring case (".*\.tif" lists "scan.TIF", not
// "scan.tif.bak"); each as folder joined with its path below it. The list is not cleared;
// true when it is not empty afterwards. A missing folder gives false, list untouched.
// Throws std::filesystem::filesystem_error (an unreadable folder or entry) and
// std::regex_error (a bad pattern); entries appended before stay.
bool listFiles(std::vector<std::string>& list, const std::string& folder,
               const std::string& pattern, bool recursive);
bool listFiles(std::vector<std::wstring>& list, const std::wstring& folder,
               const std::wstring& pattern, bool recursive);

// As listFiles for the folders of the whole tree, a folder before those inside it. No
// error escapes (false; entries appended before stay).
bool listFolders(std::vector<std::string>& list, const std::string& folder,
                 const std::string& pattern);
bool listFolders(std::vector<std::wstring>& list, const std::wstring& folder,
                 const std::wstring& pattern);

// Appends folder + "\" + name for every file matching the wildcard mask, in the sub-folders
// first when recursive (deepest first, as listSubFolders orders them) and in folder last.
// The CString list is emptied first, the std::string list is not. True when a file was found.
bool findFiles(std::vector<CString>& list, const char* folder, const char* mask, bool recursive);
bool findFiles(std::vector<std::string>& list, const char* folder, const char* mask,
               bool recursive);

// Appends the sub-folders of folder (a folder after the folders inside it when recursive):
// C:\a with b (holding c) and d => "C:\a\b\c", "C:\a\b", "C:\a\d". The list is not emptied;
// true when it is not empty afterwards. Null gives false.
bool listSubFolders(std::vector<CString>& list, const char* folder, const bool& recursive);
bool listSubFolders(std::vector<std::string>& list, const char* folder, const bool& recursive);

// The user's temporary folder as the host reports it, ending with a separator ("/tmp/").
// Throws std::filesystem::filesystem_error ("temp_directory_path") when it is missing or not
// a folder.
std::string tempFolder();
std::wstring tempFolderW();

// Numbered copies: ("C:\data\scan.tif", 3, "history") => folder "C:\data\history\03", copy
// "C:\data\history\03\scan.tif".
CString numberedCopyFolder(const char* path, int number, const char* setName);
// Creates the numbered folder, deletes an old copy there and returns the copy's path.
CString prepareNumberedCopy(const char* path, int number, const char* setName);
// Moves the copy back over the file it was made from, in one step. False, and nothing
// moved, when that file is missing or may not be replaced (read-only, held open).
bool restoreNumberedCopy(const char* copyPath);
// Removes the whole set folder of a copy (every number, every file); false when copyPath
// does not lie in a folder whose name ends in two digits, or when the set folder would be a
// root ("C:\07\x.tif" would take the whole drive).
bool removeNumberedCopies(const CString& copyPath);

// ---------------------------------------------------------------------------------------
// Unique file names in the temporary folder. Nothing is reserved: the name is free at the
// moment of the test only.
// ---------------------------------------------------------------------------------------

// A free path for name in the temporary folder: the name itself, else "stem_0.ext",
// "stem_1.ext", ... (the dot always written: "notes" => "notes_0."). With acceptWritable an
// existing file that opens for appending without sharing counts as free. Never returns an
// untested name: the numbers go on past 999 until a free one is found. Throws as tempFolder.
CString uniqueTempFileName(const char* name, bool acceptWritable);
CStringW uniqueTempFileName(const wchar_t* name, bool acceptWritable);
std::string uniqueTempFileName(const std::string& name, bool acceptWritable);
std::string uniqueTempFileNameSC(const char* name, bool acceptWritable);
std::wstring uniqueTempFileName(const std::wstring& name, bool acceptWritable);

// The same in the sub-folder subFolder ("jobs\42") of the temporary folder, created first.
CString uniqueTempFileNameIn(const char* name, const char* subFolder, bool acceptWritable);
CStringW uniqueTempFileNameIn(const wchar_t* name, const wchar_t* subFolder, bool acceptWritable);
std::string uniqueTempFileNameIn(const std::string& name, const std::string& subFolder,
                                 bool acceptWritable);
std::wstring uniqueTempFileNameIn(const std::wstring& name, const std::wstring& subFolder,
                                  bool acceptWritable);

// ---------------------------------------------------------------------------------------
// Download from an image server.
// ---------------------------------------------------------------------------------------

// Fetches url (http or https, its own port) with one GET (agent "ImageServerDownload",
// "Accept: */*", never from a cache, redirects followed, the proxy environment honoured) and
// stores the body at localPath. The body is written, in chunks of at most 500000 bytes as it
// arrives, to a new file beside localPath that replaces it only once the whole body is there
// and on the disk: on any failure the result is false, no partial file is left and a file
// that was at localPath stays exactly as it was. Fails for an address that is no URL or of
// another scheme (nothing touched), a folder that does not exist, a server that cannot be
// reached or stalls (see the internet classes' time-outs), a dropped connection, a write
// error, and a status other than 200, whose text ("QueryInfoStatusCode returned Requested URL
// not found for <object>" for 404, else "QueryInfoStatusCode returned <status> for file
// <object>") goes to the error log. GetLastError tells why: the internet or file error,
// ERROR_FILE_NOT_FOUND for status 404, ERROR_INTERNET_EXTENDED_ERROR for another status.
// Blocks until done; calls on separate threads do not interfere. No error escapes.
bool downloadFromImageServer(const char* localPath, const char* url);
