// The installer's values: folders, version and dates.
#include "misc/install/install.h"
#include "misc/install/installation_key.h"

#include "misc/files/files.h"
#include "misc/registry/registry.h"
#include "misc/text/text.h"
#include "platform/fs/fs.h"

#include <cstring>
#include <vector>

using velmar::fs::FsRedirectionOff;
using velmar::misc::install::kValueBufferSize;
using velmar::misc::install::readInstallationText;

namespace {

// The directory getters hand out pointers into these, as their callers expect.
char g_installDir[kValueBufferSize];
char g_installDir64[kValueBufferSize];

LPCSTR readFolderInto(char (&buffer)[kValueBufferSize], const char* valueName, REGSAM view) {
    FsRedirectionOff redirectionOff;
    std::string text;
    if (!readInstallationText(valueName, view, text)) {
        return nullptr;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return buffer;
}

// The value's text in the 32-bit view, or "*Not Set*".
CString installationTextOrNotSet(const char* valueName) {
    std::string text;
    if (!readInstallationText(valueName, KEY_WOW64_32KEY, text)) {
        return CString(kNotSetText);
    }
    return CString(text.c_str());
}

} // namespace

LPCSTR getInstallDir(bool view32) {
    return readFolderInto(g_installDir, "VelmarDir", view32 ? KEY_WOW64_32KEY : 0);
}

LPCSTR getInstallDir64() {
    return readFolderInto(g_installDir64, "VelmarDir64", KEY_WOW64_32KEY);
}

CString getSoftwareVersion() {
    FsRedirectionOff redirectionOff;
    CString version = installationTextOrNotSet("VELMAR Software Version");
    version.Trim();
    return version;
}

CStringW getSoftwareVersionW() {
    return CStringW(toWide(getSoftwareVersion().native()).c_str());
}

CString getReleaseDate() {
    FsRedirectionOff redirectionOff;
    const CString stored = installationTextOrNotSet("Cabinet File Date");
    CString date(kNotSetText);
    if (stored.GetLength() == 10) {
        date.Format("%s/%s/%s", stored.Mid(5, 2).c_str(), stored.Mid(8, 2).c_str(),
                    stored.Mid(0, 4).c_str());
    }
    return date;
}

CStringW getReleaseDateW() {
    return CStringW(toWide(getReleaseDate().native()).c_str());
}

CString getElevationDatabaseDate() {
    FsRedirectionOff redirectionOff;
    const CString stored = installationTextOrNotSet("VerticalDbaseDate");
    CString date(kNotSetText);
    if (stored.GetLength() == 6) {
        date.Format("%s/%s/20%s", stored.Mid(2, 2).c_str(), stored.Mid(4, 2).c_str(),
                    stored.Mid(0, 2).c_str());
    }
    return date;
}

CString getProductBuildDate(bool reformat) {
    FsRedirectionOff redirectionOff;
    CString stored;
    if (!readSuiteSetting("Velmar Software\\CurrentVersion", "Quillmere Build Date", stored)) {
        return CString(kNotSetText);
    }
    if (!reformat) {
        return stored;
    }
    std::vector<CString> parts;
    if (!splitAtAnyChar(parts, stored, CString("."), true) || parts.size() != 3) {
        return stored;
    }
    CString date;
    date.Format("%s/%s/%s", parts[1].c_str(), parts[2].c_str(), parts[0].c_str());
    return date;
}

bool deleteRedistributableDate() {
    FsRedirectionOff redirectionOff;
    velmar::registry::Key key;
    if (key.open(HKEY_LOCAL_MACHINE, velmar::misc::install::installationKeyPath(),
                 KEY_WRITE | KEY_WOW64_32KEY) != ERROR_SUCCESS) {
        return false;
    }
    return key.deleteValue("VCRedistDate") == ERROR_SUCCESS;
}

CString findManual(LPCSTR pattern, LPCSTR folder) {
    std::string searched;
    if (folder != nullptr && folder[0] != '\0') {
        searched = folder;
    } else {
        const LPCSTR installDir = getInstallDir(true);
        searched = std::string(installDir != nullptr ? installDir : "") + "\\Manuals";
    }
    std::vector<CString> found;
    if (pattern == nullptr || !findFiles(found, searched.c_str(), pattern, true) || found.empty()) {
        return CString();
    }
    return found.front();
}
