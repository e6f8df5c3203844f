// export and import: registry files through the library's own writer and reader.
#include "tools/reg/reg_tool.h"

#include "misc/files/files.h"
#include "misc/registry/registry.h"
#include "platform/text/text.h"

using velmar::registry::Key;

namespace velmar::reg {

int runExport(const std::vector<std::string>& args) {
    // Only /y is a switch: a host file name may start with "/".
    std::vector<std::string> positional;
    bool overwrite = false;
    for (const std::string& arg : args) {
        if (velmar::text::compareAnsiNoCase(arg, "/y") == 0) {
            overwrite = true;
        } else {
            positional.push_back(arg);
        }
    }
    std::string error;
    KeyName name;
    if (positional.size() != 2) {
        return fail("Invalid syntax: export needs a key and a file name.");
    }
    if (!parseKeyName(positional[0], name, error)) {
        return fail(error);
    }
    Key key;
    if (const DWORD code = key.open(name.hive, name.path, KEY_READ); code != ERROR_SUCCESS) {
        return failCode(code);
    }
    key.close();
    const std::string file = fromTerminal(positional[1]);
    if (!overwrite && fileExists(file) &&
        !confirm("File " + positional[1] + " already exists. Overwrite")) {
        return fail("The operation was cancelled.");
    }
    if (!exportRegistryKey(name.hive, name.path.c_str(), file.c_str())) {
        return fail("Unable to write the file " + positional[1] + ".");
    }
    return succeed();
}

int runImport(const std::vector<std::string>& args) {
    // No switches: a host file name may start with "/".
    if (args.size() != 1) {
        return fail("Invalid syntax: import needs one file name.");
    }
    if (!importRegistryFile(fromTerminal(args[0]).c_str())) {
        return fail("Error opening the file " + args[0] + ".");
    }
    return succeed();
}

} // namespace velmar::reg
