#include "platform/framework/framework.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {AFX_MSGMAP_ENTRY{}};
    static const AFX_MSGMAP map{nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->baseMap != nullptr ? map->baseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->handler != nullptr; ++entry) {
            if (entry->message != message) {
                continue;
            }
            if (message != WM_COMMAND ||
                (entry->code == code && id >= entry->firstId && id <= entry->lastId)) {
                return entry;
            }
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, int code) {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, static_cast<UINT>(code), id);
    if (entry == nullptr) {
        return FALSE;
    }
    entry->handler(this, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)), 0);
    return TRUE;
}
