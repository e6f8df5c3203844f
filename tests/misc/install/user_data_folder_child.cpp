// Prints the user data folder of the program it is built as (viewer_64), so that a test sees
// the name a real program gets.
#include "misc/install/install.h"

#include <cstdio>

int main() {
    const CString folder = getUserDataFolder();
    std::fputs(folder.c_str(), stdout);
    return folder.IsEmpty() ? 1 : 0;
}
