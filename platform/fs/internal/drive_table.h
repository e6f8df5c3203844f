// The drive table: which host folder each drive letter stands for.
//
// Kept in the prefix as the text file "drives", one drive a line, "X: <host folder>":
//
//     # drive  folder (relative folders are taken from the prefix)
//     C: drive_c
//     D: /mnt/data
//     E:
//     \\fileserver\velmar /mnt/velmar
//
// Blank lines and lines starting with "#" or ";" are ignored; a drive with no folder is
// unmapped. A network share's line maps "\\server\share" (either separator; server and share
// compared without regard to case) to a host folder, such as a mounted CIFS, NFS or sshfs
// share. Without the file, or without a line for C:, C: is <prefix>/drive_c. The file is
// read again whenever it changes, so every process sees an edit at once.
#pragma once

#include <string>
#include <string_view>

namespace velmar::fs {

// Path of the table file: <prefix>/drives.
std::string driveTablePath();

// The host folder (UTF-8, without a trailing separator) of a drive letter, either case;
// "" when the drive is not mapped.
std::string driveFolder(wchar_t letter);

// The host folder of a network share by its server and share names (UTF-8), without regard to
// case; "" when the share is not mapped.
std::string shareFolder(std::string_view server, std::string_view share);

} // namespace velmar::fs
