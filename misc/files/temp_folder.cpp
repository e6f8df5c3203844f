// The user's temporary folder.
#include "misc/files/files.h"
#include "misc/files/text_forms.h"

#include "platform/fs/fs.h"

std::string tempFolder() {
    return toNarrow(velmar::fs::tempDirectoryPath());
}
std::wstring tempFolderW() {
    return velmar::fs::tempDirectoryPath();
}
