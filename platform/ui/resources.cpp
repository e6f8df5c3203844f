// The program's dialog resources, entered during static initialisation.
#include "platform/ui/ui.h"

#include <map>
#include <mutex>

namespace velmar::ui {

namespace {

struct DialogTable {
    std::mutex mutex;
    std::map<WORD, DLGTEMPLATE> templates; // nodes stay put: callers keep pointers
};

DialogTable& dialogTable() {
    // Made on first use, so that registration from any static initialiser finds it.
    static auto* table = new DialogTable;
    return *table;
}

} // namespace

bool registerDialogResource(const DialogResource& dialog) {
    DialogTable& table = dialogTable();
    std::lock_guard lock(table.mutex);
    return table.templates.emplace(dialog.id, dialog.dialogTemplate).second;
}

const DLGTEMPLATE* findDialogResource(WORD id) {
    DialogTable& table = dialogTable();
    std::lock_guard lock(table.mutex);
    const auto it = table.templates.find(id);
    return it != table.templates.end() ? &it->second : nullptr;
}

} // namespace velmar::ui
