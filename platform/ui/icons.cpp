// Icons: the program's icon resources and the system's icons, as shared handles.
#include "platform/text/text.h"
#include "platform/ui/internal/painting.h"
#include "platform/ui/ui.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace velmar::ui {

namespace {

constexpr WORD kFirstSystemIcon = 32512; // IDI_APPLICATION
constexpr WORD kLastSystemIcon = 32516;  // IDI_INFORMATION

// The system icons' pictures, in the presenters' palette letters: r red, y yellow, b blue,
// g grey, w white, k black.
std::vector<std::string> systemPicture(WORD id) {
    switch (id) {
    case 32513: // IDI_ERROR
        return {"  rrrr  ", " rrrrrr ", "rrwrrwrr", "rrrwwrrr",
                "rrrwwrrr", "rrwrrwrr", " rrrrrr ", "  rrrr  "};
    case 32514: // IDI_QUESTION
        return {"  bbbb  ", " bwwwwb ", "bbbbbwbb", "bbbbwbbb",
                "bbbwbbbb", "bbbbbbbb", " bbwbbb ", "  bbbb  "};
    case 32515: // IDI_WARNING
        return {"   yy   ", "   yy   ", "  ykky  ", "  ykky  ",
                " yykkyy ", " yyyyyy ", "yyykkyyy", "yyyyyyyy"};
    case 32516: // IDI_INFORMATION
        return {"  bbbb  ", " bbwwbb ", "bbbbbbbb", "bbbwwbbb",
                "bbbwwbbb", "bbbwwbbb", " bbwwbb ", "  bbbb  "};
    default: // IDI_APPLICATION
        return {"kkkkkkkk", "kbbbbbbk", "kwwwwwwk", "kwwwwwwk",
                "kwwwwwwk", "kwwwwwwk", "kwwwwwwk", "kkkkkkkk"};
    }
}

class IconTable {
public:
    static IconTable& instance() {
        static auto* table = new IconTable;
        return *table;
    }

    bool registerResource(const IconResource& icon) {
        std::lock_guard lock(m_mutex);
        return m_resources.emplace(icon.id, icon).second;
    }

    // The shared handle of a resource or system icon, made on first use.
    HICON load(WORD id, bool system) {
        std::lock_guard lock(m_mutex);
        const auto key = std::make_pair(system, id);
        if (const auto it = m_loaded.find(key); it != m_loaded.end()) {
            return it->second;
        }
        IconPicture picture;
        picture.id = id;
        picture.system = system;
        if (system) {
            picture.rows = systemPicture(id);
        } else {
            const auto it = m_resources.find(id);
            if (it == m_resources.end()) {
                return nullptr;
            }
            picture.rows = it->second.rows;
        }
        // Handles count up from an odd start so that they never look like pointers.
        const auto handle = reinterpret_cast<HICON>(m_next);
        m_next += 2;
        m_pictures.emplace(handle, std::move(picture));
        m_loaded.emplace(key, handle);
        return handle;
    }

    std::optional<IconPicture> find(HICON icon) {
        std::lock_guard lock(m_mutex);
        const auto it = m_pictures.find(icon);
        if (it == m_pictures.end()) {
            return std::nullopt;
        }
        return it->second;
    }

private:
    std::mutex m_mutex;
    std::map<WORD, IconResource> m_resources;
    std::map<std::pair<bool, WORD>, HICON> m_loaded;
    std::map<HICON, IconPicture> m_pictures;
    std::uintptr_t m_next = 0x10001;
};

} // namespace

bool registerIconResource(const IconResource& icon) {
    return IconTable::instance().registerResource(icon);
}

std::optional<IconPicture> iconPicture(HICON icon) {
    return IconTable::instance().find(icon);
}

} // namespace velmar::ui

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    WORD id = 0;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    } else if (name[0] == '#') {
        // "#101" names the resource 101.
        char* end = nullptr;
        const unsigned long number = std::strtoul(name + 1, &end, 10);
        if (end != name + 1 && *end == '\0' && number <= 0xFFFF) {
            id = static_cast<WORD>(number);
        }
    }
    const bool system = instance == nullptr;
    if (id == 0 ||
        (system && (id < velmar::ui::kFirstSystemIcon || id > velmar::ui::kLastSystemIcon))) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const HICON icon = velmar::ui::IconTable::instance().load(id, system);
    if (icon == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    return icon;
}

BOOL DestroyIcon(HICON icon) {
    // Every icon here is shared (as LoadIconA's are on Windows): it stays.
    if (!velmar::ui::iconPicture(icon).has_value()) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (name == nullptr || IS_INTRESOURCE(name)) {
        return LoadIconA(instance, reinterpret_cast<LPCSTR>(name));
    }
    const std::string ansi = velmar::text::wideToAnsi(name);
    return LoadIconA(instance, ansi.c_str());
}
