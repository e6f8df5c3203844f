// Publishing the suite's machine-wide environment variables.
#include "misc/install/install.h"

#include "platform/registry/registry.h"
#include "platform/ui/ui.h"

namespace {

constexpr const char* kMachineEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr UINT kNoticeTimeout = 1000;

// The path goes in as REG_SZ text exactly as given: a network path keeps both leading
// backslashes and a path beginning "dword:" stays a path.
bool publish(const char* variable, const CString& path) {
    velmar::registry::Key key;
    if (key.create(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, KEY_ALL_ACCESS) != ERROR_SUCCESS ||
        key.setValue(variable, REG_SZ, path.c_str(), static_cast<DWORD>(path.GetLength() + 1)) !=
            ERROR_SUCCESS) {
        return false;
    }
    key.close();
    static const char kEnvironment[] = "Environment";
    return SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                               reinterpret_cast<LPARAM>(kEnvironment), SMTO_ABORTIFHUNG,
                               kNoticeTimeout, nullptr) > 0;
}

} // namespace

bool publishCommonFolder(CString folder) {
    return publish("VELMAR_COMMON_FOLDER", folder);
}

bool publishDefaultSettingsFile(CString file) {
    return publish("VELMAR_DEFAULT_SETTINGS_FILE", file);
}
