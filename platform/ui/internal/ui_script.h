// The script that stands in for a person in a headless run (VELMAR_UI_SCRIPT): one step per
// line, "#" starts a comment. Internal to platform/ui.
//
//   click <button text without &> | click #<id>
//   key <Tab|Shift+Tab|Enter|Escape|Left|Right|Up|Down|Space|Backspace|Alt+X>
//   type <text>            into the focused edit field
//   folder <path> | folder cancel     answers the folder browser
//   close                  the close box of the window (WM_SYSCOMMAND with SC_CLOSE)
#pragma once

#include "platform/ui/ui.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmar::ui {

struct ScriptStep {
    enum class Kind { Click, Key, Type, Folder, Close };
    Kind kind = Kind::Click;
    int line = 0;         // in the script, from 1
    std::string source;   // the step as written
    std::string argument; // UTF-8: the button's text, the text to type, the folder's path
    int id = -1;          // click #id
    bool byId = false;
    UINT message = 0; // key: WM_KEYDOWN or WM_SYSCHAR
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool cancel = false; // folder cancel
};

struct Script {
    std::vector<ScriptStep> steps;
    int errorLine = 0; // the first line that is no step, 0 when all are
    std::string error;
};

Script parseScript(std::string_view text);

} // namespace velmar::ui
