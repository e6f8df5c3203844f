// What the verbs of velmar-reg share: key names, options, value types and data texts, and the
// error reporting. Text on the command line and the terminal is UTF-8; the registry's is 1252.
#pragma once

#include "platform/registry/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace velmar::reg {

// A key named on the command line: "HKLM\Software\Maker" or "HKEY_LOCAL_MACHINE\...".
struct KeyName {
    HKEY hive = nullptr;
    std::string path; // below the hive, 1252
    // The full name as the tool prints it, with the hive's long name.
    std::string display() const;
};

struct Options {
    std::vector<std::string> keys;        // the positional arguments, as given
    std::optional<std::string> valueName; // /v (1252)
    bool defaultValue = false;            // /ve
    bool allValues = false;               // /va
    bool recursive = false;               // /s
    bool force = false;                   // /f
    std::optional<std::string> type;      // /t
    std::optional<std::string> data;      // /d (1252)
    REGSAM view = 0;                      // /reg:32 or /reg:64
};

// Parses the arguments after the verb. allowed lists the switches the verb takes ("v", "ve",
// "va", "s", "f", "t", "d"); the view switches are always allowed. False with a message when
// an argument is not understood.
bool parseOptions(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                  Options& options, std::string& error);

bool parseKeyName(const std::string& text, KeyName& key, std::string& error);

// The name of a value type ("REG_SZ"), or its number for types without one.
std::string typeName(DWORD type);
// The type of a name, case-blind; false for an unknown name.
bool typeFromName(const std::string& name, DWORD& type);

// A value's data as reg shows it: texts as they are, numbers as 0x hex, bytes as hex digits,
// the items of a REG_MULTI_SZ joined by "\0".
std::string formatData(const velmar::registry::Value& value);
// The bytes of a /d text for a type; false with a message when the text does not fit the type.
bool parseData(DWORD type, const std::string& text, std::string& bytes, std::string& error);

// The name of a value for display: "(Default)" for the empty name.
std::string displayName(const std::string& name);

// Prints "ERROR: " and the message on standard error; returns the failure exit status.
int fail(const std::string& message);
// fail() with the text of a Win32 code.
int failCode(DWORD code);
// Prints the success message; returns 0.
int succeed();
// Asks a yes/no question on the terminal; no answer (end of input) is no.
bool confirm(const std::string& question);

// 1252 text for the terminal, and back.
std::string toTerminal(const std::string& text);
std::string fromTerminal(const std::string& text);

// The verbs.
int runQuery(const std::vector<std::string>& args);
int runAdd(const std::vector<std::string>& args);
int runDelete(const std::vector<std::string>& args);
int runCopy(const std::vector<std::string>& args);
int runExport(const std::vector<std::string>& args);
int runImport(const std::vector<std::string>& args);
int runEnv(const std::vector<std::string>& args);

} // namespace velmar::reg
