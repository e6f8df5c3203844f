#include "platform/ui/internal/window_classes.h"

#include "platform/ui/internal/controls.h"

#include <cctype>
#include <map>
#include <mutex>

namespace velmar::ui {

namespace {

std::string folded(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

class ClassRegistry {
public:
    static ClassRegistry& instance() {
        // Never destroyed: windows may be made while the process exits.
        static ClassRegistry* registry = new ClassRegistry;
        return *registry;
    }

    std::shared_ptr<WindowClass> add(const std::shared_ptr<WindowClass>& windowClass) {
        std::lock_guard lock(m_mutex);
        auto [it, added] = m_byName.emplace(folded(windowClass->name), windowClass);
        if (!added) {
            return nullptr;
        }
        windowClass->atom = m_nextAtom++;
        return windowClass;
    }

    std::shared_ptr<WindowClass> find(LPCSTR nameOrAtom) {
        std::lock_guard lock(m_mutex);
        if (IS_INTRESOURCE(nameOrAtom)) {
            const auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(nameOrAtom));
            for (const auto& [key, windowClass] : m_byName) {
                if (windowClass->atom == atom) {
                    return windowClass;
                }
            }
            return nullptr;
        }
        const auto it = m_byName.find(folded(nameOrAtom));
        return it != m_byName.end() ? it->second : nullptr;
    }

    // 0 on success, else the Win32 error.
    DWORD remove(LPCSTR nameOrAtom) {
        const std::shared_ptr<WindowClass> windowClass = find(nameOrAtom);
        std::lock_guard lock(m_mutex);
        if (windowClass == nullptr || windowClass->system) {
            return ERROR_CLASS_DOES_NOT_EXIST;
        }
        if (windowClass->windows.load() > 0) {
            return ERROR_CLASS_HAS_WINDOWS;
        }
        m_byName.erase(folded(windowClass->name));
        return ERROR_SUCCESS;
    }

private:
    ClassRegistry() {
        addSystem("STATIC", staticProcedure, kStaticExtra);
        addSystem("BUTTON", buttonProcedure, kButtonExtra);
        addSystem("EDIT", editProcedure, kEditExtra);
        addSystem(kMessageWindowClass, DefWindowProcA, 0);
    }
    void addSystem(const char* name, WNDPROC procedure, int extra) {
        auto windowClass = std::make_shared<WindowClass>();
        windowClass->name = name;
        windowClass->procedure = procedure;
        windowClass->windowExtra = extra;
        windowClass->system = true;
        windowClass->atom = m_nextAtom++;
        m_byName.emplace(folded(name), windowClass);
    }

    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<WindowClass>> m_byName;
    ATOM m_nextAtom = 0xC000; // where Windows' string atoms start
};

} // namespace

bool registerSystemClass(const std::string& name, WNDPROC procedure, int extraBytes) {
    if (name.empty() || procedure == nullptr || extraBytes < 0) {
        return false;
    }
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->name = name;
    windowClass->procedure = procedure;
    windowClass->windowExtra = extraBytes;
    windowClass->system = true;
    return ClassRegistry::instance().add(windowClass) != nullptr;
}

std::shared_ptr<WindowClass> findWindowClass(LPCSTR nameOrAtom) {
    if (nameOrAtom == nullptr) {
        return nullptr;
    }
    return ClassRegistry::instance().find(nameOrAtom);
}

} // namespace velmar::ui

using velmar::ui::ClassRegistry;
using velmar::ui::WindowClass;

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
        windowClass->lpszClassName == nullptr || IS_INTRESOURCE(windowClass->lpszClassName) ||
        windowClass->lpszClassName[0] == '\0' || windowClass->cbWndExtra < 0 ||
        windowClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto entry = std::make_shared<WindowClass>();
    entry->name = windowClass->lpszClassName;
    entry->style = windowClass->style;
    entry->procedure = windowClass->lpfnWndProc;
    entry->windowExtra = windowClass->cbWndExtra;
    entry->instance = windowClass->hInstance;
    entry->icon = windowClass->hIcon;
    entry->cursor = windowClass->hCursor;
    entry->background = windowClass->hbrBackground;
    if (ClassRegistry::instance().add(entry) == nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return entry->atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) {
    if (className == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    const DWORD error = ClassRegistry::instance().remove(className);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
