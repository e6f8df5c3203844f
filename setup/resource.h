// The bootstrapper's resource and control ids.
#pragma once

#include "platform/base/base.h"

inline constexpr WORD IDD_VELMARSETUP_DIALOG = 102;
inline constexpr WORD IDR_MAINFRAME = 128;
inline constexpr int IDC_YES = 1001;
inline constexpr int IDC_NO = 1002;
inline constexpr int IDC_MESSAGE = 1003;

namespace velmar::setup {

// The program's version resource: file and product version.
struct VersionResource {
    WORD major;
    WORD minor;
    WORD build;
    WORD revision;
};
inline constexpr VersionResource kFileVersion{1, 0, 0, 1};
inline constexpr VersionResource kProductVersion{1, 0, 0, 1};

// What the program's manifest declares: it runs at the level of whoever started it (it never
// asks for elevation itself) and it is aware of the screen's pixels per inch.
struct ManifestResource {
    const char* requestedExecutionLevel;
    bool dpiAware;
};
inline constexpr ManifestResource kManifest{"asInvoker", true};

} // namespace velmar::setup
