// The bootstrapper's resources as the program carries them: the question dialog, icon 128, the
// version and the manifest's facts.
#include "platform/ui/internal/painting.h"
#include "platform/ui/ui.h"
#include "setup/resource.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace {

TEST(SetupResources, TheQuestionDialogIsTemplate102) {
    const DLGTEMPLATE* dialog = velmar::ui::findDialogResource(IDD_VELMARSETUP_DIALOG);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->style,
              WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    EXPECT_EQ(dialog->exStyle, WS_EX_APPWINDOW);
    EXPECT_EQ(dialog->x, 0);
    EXPECT_EQ(dialog->y, 0);
    EXPECT_EQ(dialog->cx, 245);
    EXPECT_EQ(dialog->cy, 84);
    EXPECT_EQ(dialog->caption, "Velmar Setup");
    EXPECT_EQ(dialog->fontName, "MS Sans Serif");
    EXPECT_EQ(dialog->pointSize, 8);

    const struct {
        const char* className;
        std::string text;
        DWORD style;
        short x, y, cx, cy;
        int id;
    } expected[] = {
        {"STATIC",
         "A previous version of Velmar Software has been detected.\n\nSelect Yes to uninstall "
         "the previous version and install the new version.\n\nSelect No to exit without "
         "installing.",
         WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 7, 7, 231, 45, IDC_MESSAGE},
        {"BUTTON", "Yes", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 130, 63, 50, 14,
         IDC_YES},
        {"BUTTON", "No", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 185, 63, 50, 14,
         IDC_NO},
    };
    ASSERT_EQ(dialog->items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const DLGITEMTEMPLATE& item = dialog->items[i];
        EXPECT_EQ(item.className, expected[i].className);
        EXPECT_EQ(item.text, expected[i].text);
        EXPECT_EQ(item.style, expected[i].style);
        EXPECT_EQ(item.x, expected[i].x);
        EXPECT_EQ(item.y, expected[i].y);
        EXPECT_EQ(item.cx, expected[i].cx);
        EXPECT_EQ(item.cy, expected[i].cy);
        EXPECT_EQ(item.id, expected[i].id);
    }
}

TEST(SetupResources, Icon128Is32By32In16ColoursAndTheVersionIs1001) {
    static char program;
    const HICON icon =
        LoadIconW(reinterpret_cast<HINSTANCE>(&program), MAKEINTRESOURCEW(IDR_MAINFRAME));
    const std::optional<velmar::ui::IconPicture> picture = velmar::ui::iconPicture(icon);
    ASSERT_TRUE(picture.has_value());
    ASSERT_EQ(picture->rows.size(), 32u);
    std::set<char> colours;
    for (const std::string& row : picture->rows) {
        EXPECT_EQ(row.size(), 32u);
        for (const char pixel : row) {
            EXPECT_NE(std::string("kRGYBMCgdreybmcw ").find(pixel), std::string::npos) << pixel;
            colours.insert(pixel);
        }
    }
    EXPECT_GT(colours.size(), 2u) << "a picture, not a blank";

    constexpr auto version = velmar::setup::kFileVersion;
    EXPECT_EQ((std::array{version.major, version.minor, version.build, version.revision}),
              (std::array<WORD, 4>{1, 0, 0, 1}));
    constexpr auto product = velmar::setup::kProductVersion;
    EXPECT_EQ((std::array{product.major, product.minor, product.build, product.revision}),
              (std::array<WORD, 4>{1, 0, 0, 1}));
    EXPECT_EQ(std::string(velmar::setup::kManifest.requestedExecutionLevel), "asInvoker");
    EXPECT_TRUE(velmar::setup::kManifest.dpiAware);
}

} // namespace
