// A suite program on the installed library: writes a setting and reads it back, exports the
// suite key to the .reg file named by its argument, and prints the suite key's path.
#include "misc/MiscUtilities.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: velmar_consumer <file.reg>\n";
        return 2;
    }
    const char* section = "Consumer";
    if (!writeUserSetting(section, "Greeting", std::string("hello from the consumer"))) {
        std::cerr << "writing the setting failed\n";
        return 1;
    }
    std::string greeting;
    if (!readUserSetting(section, "Greeting", greeting)) {
        std::cerr << "reading the setting failed\n";
        return 1;
    }
    const CString suiteKey = getSuiteKeyPath();
    if (!exportRegistryKey(HKEY_CURRENT_USER, suiteKey, argv[1])) {
        std::cerr << "exporting the suite key failed\n";
        return 1;
    }
    std::cout << "setting: " << greeting << "\n";
    std::cout << "suite key: " << suiteKey.GetString() << "\n";
    return 0;
}
