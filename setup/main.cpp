// The program's entry hands over to the framework.
#include "setup/velmar_setup_app.h"

#include "platform/process/process.h"

int main() {
    return AfxWinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
