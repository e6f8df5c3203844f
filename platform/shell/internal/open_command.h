// How the shell finds the program that opens a file: the registry's associations and the
// desktop's default applications.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmar::shell {

// The command template of verb for files of extension (with its dot): the type named by
// <classes>\<extension>'s default value, then <classes>\<type>\shell\<verb>\command's default
// value, looked for in the user's classes, HKEY_CLASSES_ROOT and the machine's classes in that
// order. Nothing when no class has one.
std::optional<std::string> registryCommand(const std::string& extension, const std::string& verb);

// A registry command template made a command line: "%1" and "%L" become file, "%*" the
// parameters, "%2".."%9" the parameters of that place; without "%1" or "%L" the quoted file
// is appended. Other percent signs stay as they are.
std::string expandRegistryCommand(const std::string& command, const std::string& file,
                                  const std::string& parameters);

// The arguments of a desktop entry's Exec value (escapes of the entry file already undone)
// for the host file: split as the desktop-entry rules say, "%f", "%F", "%u" and "%U" the
// file, the other field codes dropped, "%%" a percent sign. Empty for a malformed value.
std::vector<std::string> expandDesktopExec(const std::string& exec, const std::string& file);

// The Exec value of the [Desktop Entry] group of an entry file's text, its escapes ("\s",
// "\n", "\t", "\r", "\\") undone; empty when there is none.
std::string desktopExecOf(const std::string& entryText);

// The arguments that open the host file with the desktop's default application for its type
// (xdg-mime, then the entry file in $XDG_DATA_HOME and $XDG_DATA_DIRS); empty when the desktop
// has none or xdg-mime is missing.
std::vector<std::string> desktopCommand(const std::string& file);

} // namespace velmar::shell
