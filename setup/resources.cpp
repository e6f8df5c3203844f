// The bootstrapper's dialog and icon, built into the program.
#include "setup/resource.h"

#include "platform/ui/ui.h"

namespace {

DLGTEMPLATE questionDialog() {
    DLGTEMPLATE dialog;
    dialog.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    dialog.exStyle = WS_EX_APPWINDOW;
    dialog.x = 0;
    dialog.y = 0;
    dialog.cx = 245;
    dialog.cy = 84;
    dialog.caption = "Velmar Setup";
    dialog.fontName = "MS Sans Serif";
    dialog.pointSize = 8;
    // In tab order. Neither button is the default one.
    dialog.items = {
        {"STATIC",
         "A previous version of Velmar Software has been detected.\n\nSelect Yes to uninstall "
         "the previous version and install the new version.\n\nSelect No to exit without "
         "installing.",
         WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 7, 7, 231, 45, IDC_MESSAGE},
        {"BUTTON", "Yes", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 130, 63, 50, 14,
         IDC_YES},
        {"BUTTON", "No", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 185, 63, 50, 14,
         IDC_NO},
    };
    return dialog;
}

// 32 x 32 pixels in 16 colours, one letter each: k black, R maroon, G green, Y olive, B navy,
// M purple, C teal, g silver, d grey, r red, e lime, y yellow, b blue, m fuchsia, c aqua,
// w white; ' ' is transparent. A blue box with a yellow V.
velmar::ui::IconResource applicationIcon() {
    return {IDR_MAINFRAME,
            {
                "                                ", "                                ",
                "   BBBBBBBBBBBBBBBBBBBBBBBBBB   ", "  BBccccccccccccccccccccccccBB  ",
                "  BBccccccccccccccccccccccccBBd ", "  BBbbbbbbbbbbbbbbbbbbbbbbbbBBd ",
                "  BBbbbbbbbbbbbbbbbbbbbbbbbbBBd ", "  BBbbYyyybbbbbbbbbbbbyyyYbbBBd ",
                "  BBbbYyyybbbbbbbbbbbbyyyYbbBBd ", "  BBbbYyyybbbbbbbbbbbbyyyYbbBBd ",
                "  BBbbbYyyybbbbbbbbbbyyyYbbbBBd ", "  BBbbbYyyybbbbbbbbbbyyyYbbbBBd ",
                "  BBbbbbYyyybbbbbbbbyyyYbbbbBBd ", "  BBbbbbYyyybbbbbbbbyyyYbbbbBBd ",
                "  BBbbbbbYyyybbbbbbyyyYbbbbbBBd ", "  BBbbbbbYyyybbbbbbyyyYbbbbbBBd ",
                "  BBbbbbbbYyyybbbbyyyYbbbbbbBBd ", "  BBbbbbbbYyyybbbbyyyYbbbbbbBBd ",
                "  BBbbbbbbYyyybbbbyyyYbbbbbbBBd ", "  BBbbbbbbbYyyybbyyyYbbbbbbbBBd ",
                "  BBbbbbbbbYyyybbyyyYbbbbbbbBBd ", "  BBbbbbbbbbYyyyyyyYbbbbbbbbBBd ",
                "  BBbbbbbbbbYyyyyyyYbbbbbbbbBBd ", "  BBbbbbbbbbbYyyyyYbbbbbbbbbBBd ",
                "  BBbbbbbbbbbYyyyyYbbbbbbbbbBBd ", "  BBbbbbbbbbbbYyyYbbbbbbbbbbBBd ",
                "  BBbbbbbbbbbbbbbbbbbbbbbbbbBBd ", "  BBbbbbbbbbbbbbbbbbbbbbbbbbBBd ",
                "  BBbbbbbbbbbbbbbbbbbbbbbbbbBBd ", "  BBBBBBBBBBBBBBBBBBBBBBBBBBBBd ",
                "    ddddddddddddddddddddddddddd ", "                                ",
            }};
}

} // namespace

VELMAR_RESOURCE((velmar::ui::DialogResource{IDD_VELMARSETUP_DIALOG, questionDialog()}));
VELMAR_RESOURCE(applicationIcon());
