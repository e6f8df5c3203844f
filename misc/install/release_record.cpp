// The installed release as recorded in the user's settings.
#include "misc/install/install.h"

#include "misc/registry/registry.h"
#include "platform/fs/fs.h"

void recordLastRelease(LPCSTR section) {
    writeUserSetting(section, "LastRelease", getSoftwareVersion().c_str());
    writeUserSetting(section, "LastCreateDate", getReleaseDate().c_str());
}

bool readLastRelease(LPCSTR section, CString& release, CString& createDate) {
    readUserSetting(section, "LastRelease", release);
    return readUserSetting(section, "LastCreateDate", createDate);
}

bool stampSavedSettingsVersion() {
    velmar::fs::FsRedirectionOff redirectionOff;
    return writeUserSetting("AAASAVED", "AAASAVED-SoftwareVersion", getSoftwareVersion().c_str());
}
