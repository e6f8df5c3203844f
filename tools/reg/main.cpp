// velmar-reg: looks at and changes the registry of the machine prefix (VELMAR_PREFIX), in the
// manner of Windows' reg. Every failure prints a message on standard error and exits with 1.
#include "tools/reg/reg_tool.h"

#include "platform/text/text.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Verb {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* usage;
};

// Add a verb here: its name, its function and its usage line.
const Verb kVerbs[] = {
    {"query", velmar::reg::runQuery, "query <key> [/v name | /ve] [/s] [/reg:32 | /reg:64]"},
    {"add", velmar::reg::runAdd,
     "add <key> [/v name | /ve] [/t type] [/d data] [/f] [/reg:32 | /reg:64]"},
    {"delete", velmar::reg::runDelete,
     "delete <key> [/v name | /ve | /va] [/f] [/reg:32 | /reg:64]"},
    {"copy", velmar::reg::runCopy, "copy <source key> <target key> [/s] [/f] [/reg:32 | /reg:64]"},
    {"export", velmar::reg::runExport, "export <key> <file> [/y]"},
    {"import", velmar::reg::runImport, "import <file>"},
    {"env", velmar::reg::runEnv, "env   (the machine environment as shell assignments)"},
};

int usage() {
    std::fprintf(stderr, "Usage: velmar-reg <verb> ...\n");
    for (const Verb& verb : kVerbs) {
        std::fprintf(stderr, "  velmar-reg %s\n", verb.usage);
    }
    std::fprintf(stderr,
                 "Keys start with a hive: HKLM, HKCU, HKCR, HKU, HKCC or the full name.\n"
                 "Types: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY, "
                 "REG_NONE.\n");
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string verb = argv[1];
    for (const Verb& known : kVerbs) {
        if (velmar::text::compareAnsiNoCase(verb, known.name) == 0) {
            return known.run(std::vector<std::string>(argv + 2, argv + argc));
        }
    }
    if (verb == "/?" || verb == "-h" || verb == "--help") {
        usage();
        return 0;
    }
    velmar::reg::fail("Invalid verb: " + verb);
    return usage();
}
