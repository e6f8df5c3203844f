// GetWindowsDirectoryA: the prefix's Windows folder.
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

#include <cstring>

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    const std::string path = velmar::text::utf8ToAnsi(velmar::prefix::driveCPath() + "/windows");
    if (buffer == nullptr || path.size() + 1 > size) {
        return static_cast<UINT>(path.size() + 1);
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<UINT>(path.size());
}
