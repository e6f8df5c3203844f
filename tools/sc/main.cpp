// velmar-sc: looks at and controls the services of the machine prefix (VELMAR_PREFIX), in the
// manner of Windows' sc. The exit status is 0, or the Win32 code of the failure (the shell sees
// its low 8 bits: 1060 shows as 36), with the system's text on standard error.
#include "tools/sc/sc_tool.h"

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
    {"query", velmar::sc::runQuery, "query <name>"},
    {"start", velmar::sc::runStart, "start <name>"},
    {"stop", velmar::sc::runStop, "stop <name>"},
    {"create", velmar::sc::runCreate,
     "create <name> binPath= <command line> [start= demand|auto|disabled] "
     "[DisplayName= <text>]"},
    {"delete", velmar::sc::runDelete, "delete <name>"},
};

int usage() {
    std::fprintf(stderr, "Usage: velmar-sc <verb> ...\n");
    for (const Verb& verb : kVerbs) {
        std::fprintf(stderr, "  velmar-sc %s\n", verb.usage);
    }
    std::fprintf(stderr, "Options are written as sc writes them: the name with its \"=\", then "
                         "a blank, then the value.\n");
    return velmar::sc::exitStatus(ERROR_INVALID_PARAMETER);
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
    std::fprintf(stderr, "[SC] Unknown verb: %s\n", argv[1]);
    return usage();
}
