// A child process for the registry's multi-process tests. Commands:
//   fill <section> <name-prefix> <count>  writes count integers to the current user's section
//   churn                                 writes groups of values until it is killed
//   machine-write <section>               tries to change the machine hive, prints the codes
//   view-write <32|64> <name> <text>      writes the installation key in one view
#include "misc/registry/registry.h"
#include "tests/misc/registry/child_values.h"

#include <cstdio>
#include <cstring>
#include <string>

using velmar::registry::Key;
using velmar::registry::Transaction;

namespace {

int fill(const char* section, const char* prefix, int count) {
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%05d", prefix, i);
        if (!writeUserSetting(section, name, i)) {
            std::fprintf(stderr, "write %s failed\n", name);
            return 1;
        }
    }
    return 0;
}

int churn() {
    Key key;
    if (key.create(HKEY_CURRENT_USER, velmar::test::kChurnKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) {
        return 1;
    }
    for (int group = 0;; ++group) {
        Transaction transaction(HKEY_CURRENT_USER);
        for (int item = 0; item < velmar::test::kGroupSize; ++item) {
            const std::string data = velmar::test::churnData(group, item);
            if (key.setValue(velmar::test::churnName(group, item), REG_BINARY, data.data(),
                             static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
                return 1;
            }
        }
        if (transaction.commit() != ERROR_SUCCESS) {
            return 1;
        }
        // A single change of its own between the groups.
        const std::string single = velmar::test::churnData(group, -1);
        if (key.setValue(velmar::test::churnName(group, -1), REG_BINARY, single.data(),
                         static_cast<DWORD>(single.size())) != ERROR_SUCCESS) {
            return 1;
        }
    }
}

int machineWrite(const char* section) {
    const std::string path = std::string(getSuiteKeyPath()) + "\\" + section;
    Key key;
    std::printf("create=%u\n", key.create(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS));
    std::printf("write=%d\n", writeSetting(HKEY_LOCAL_MACHINE, section, "added", 1) ? 1 : 0);
    std::printf("delete=%d\n", deleteSection(HKEY_LOCAL_MACHINE, section, true) ? 1 : 0);
    CString value;
    std::printf("read=%s\n", readSetting(HKEY_LOCAL_MACHINE, section, "existing", value)
                                 ? value.GetString()
                                 : "<failed>");
    return 0;
}

int viewWrite(const char* bits, const char* name, const char* text) {
    const DWORD view = std::strcmp(bits, "32") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    return writeSettingText(HKEY_LOCAL_MACHINE, "Velmar Software\\CurrentVersion", name, text, view)
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "fill" && argc == 5) {
        return fill(argv[2], argv[3], std::atoi(argv[4]));
    }
    if (command == "churn") {
        return churn();
    }
    if (command == "machine-write" && argc == 3) {
        return machineWrite(argv[2]);
    }
    if (command == "view-write" && argc == 5) {
        return viewWrite(argv[2], argv[3], argv[4]);
    }
    std::fprintf(stderr, "usage: registry_test_child fill|churn|machine-write|view-write ...\n");
    return 2;
}
