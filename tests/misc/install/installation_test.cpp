// Installation information read from the installation key in the 32-bit view.
#include "misc/install/install.h"
#include "misc/registry/registry.h"
#include "misc/text/text.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "tests/support/install_fixture.h"

#include <filesystem>
#include <string>

using velmar::fs::isFsRedirectionDisabled;
using velmar::test::InstallTest;
using velmar::test::kInstallationKey;
using velmar::test::ScopedEnv;
using velmar::test::storedValue;
using velmar::test::storeInstallationBytes;
using velmar::test::storeInstallationText;
using velmar::test::sz;

namespace {

using InstallationInfo = InstallTest;

TEST_F(InstallationInfo, MissingKeyGivesPlaceholdersAndNothing) {
    EXPECT_EQ(getInstallDir(true), nullptr);
    EXPECT_EQ(getInstallDir64(), nullptr);
    EXPECT_EQ(getSoftwareVersion(), "*Not Set*");
    EXPECT_EQ(getSoftwareVersionW(), L"*Not Set*");
    EXPECT_EQ(getReleaseDate(), "*Not Set*");
    EXPECT_EQ(getReleaseDateW(), L"*Not Set*");
    EXPECT_EQ(getElevationDatabaseDate(), "*Not Set*");
    EXPECT_EQ(getProductBuildDate(true), "*Not Set*");
    EXPECT_FALSE(deleteRedistributableDate());
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(InstallationInfo, DatesTurnIntoMonthDayYear) {
    struct Case {
        const char* valueName;
        const char* stored;
        const char* shown;
    };
    const Case cases[] = {
        {"Cabinet File Date", "2022/06/15", "06/15/2022"},
        {"Cabinet File Date", "2022-06-15", "06/15/2022"},
        {"Cabinet File Date", "2022-6-15", "*Not Set*"},
        {"Cabinet File Date", "2022-06-155", "*Not Set*"},
        {"VerticalDbaseDate", "220615", "06/15/2022"},
        {"VerticalDbaseDate", "991231", "12/31/2099"},
        {"VerticalDbaseDate", "22061", "*Not Set*"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.valueName) + " = " + c.stored);
        storeInstallationText(c.valueName, c.stored);
        const bool release = std::string(c.valueName) == "Cabinet File Date";
        EXPECT_EQ(release ? getReleaseDate() : getElevationDatabaseDate(), c.shown);
        if (release) {
            EXPECT_EQ(getReleaseDateW(), CStringW(toWide(c.shown).c_str()));
        }
    }
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(InstallationInfo, VersionLosesSurroundingWhiteSpace) {
    storeInstallationText("VELMAR Software Version", "  8.2.1 \t");
    EXPECT_EQ(getSoftwareVersion(), "8.2.1");
    EXPECT_EQ(getSoftwareVersionW(), L"8.2.1");
}

TEST_F(InstallationInfo, OnlyThe32BitViewCounts) {
    storeInstallationText("VelmarDir", "C:\\Program Files\\Velmar", 0);
    storeInstallationText("VELMAR Software Version", "9.0", 0);
    EXPECT_EQ(getInstallDir(true), nullptr);
    EXPECT_EQ(getSoftwareVersion(), "*Not Set*");
    ASSERT_NE(getInstallDir(false), nullptr);
    EXPECT_STREQ(getInstallDir(false), "C:\\Program Files\\Velmar");

    storeInstallationText("VelmarDir", "C:\\Program Files (x86)\\Velmar");
    storeInstallationText("VelmarDir64", "C:\\Program Files\\Velmar");
    const LPCSTR dir = getInstallDir(true);
    ASSERT_NE(dir, nullptr);
    EXPECT_STREQ(dir, "C:\\Program Files (x86)\\Velmar");
    ASSERT_NE(getInstallDir64(), nullptr);
    EXPECT_STREQ(getInstallDir64(), "C:\\Program Files\\Velmar");
    // Each directory getter keeps its own buffer; the next call overwrites it in place.
    EXPECT_STREQ(dir, "C:\\Program Files (x86)\\Velmar");
    storeInstallationText("VelmarDir", "D:\\Velmar");
    EXPECT_EQ(getInstallDir(true), dir);
    EXPECT_STREQ(dir, "D:\\Velmar");
}

TEST_F(InstallationInfo, ValuesBeyondTheBufferCountAsMissing) {
    struct Case {
        const char* label;
        std::string bytes;
        const char* read; // nullptr: counts as missing
    };
    const std::string longest(259, 'v');
    const Case cases[] = {
        {"259 characters and terminator", sz(longest), longest.c_str()},
        {"260 characters", sz(std::string(260, 'v')), nullptr},
        {"260 bytes without terminator", std::string(260, 'v'), nullptr},
        {"no terminator, shorter", "8.1", "8.1"},
        {"text ends at the first zero", std::string("8.1\0junk", 8), "8.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        storeInstallationBytes("VelmarDir", REG_SZ, c.bytes);
        storeInstallationBytes("VELMAR Software Version", REG_SZ, c.bytes);
        const LPCSTR dir = getInstallDir(true);
        if (c.read == nullptr) {
            EXPECT_EQ(dir, nullptr);
            EXPECT_EQ(getSoftwareVersion(), "*Not Set*");
            continue;
        }
        ASSERT_NE(dir, nullptr);
        EXPECT_STREQ(dir, c.read);
        EXPECT_EQ(getSoftwareVersion(), c.read);
    }
}

TEST_F(InstallationInfo, ProductBuildDateFromTheMachineSectionWithoutView) {
    struct Case {
        const char* stored;
        bool reformat;
        const char* shown;
    };
    const Case cases[] = {
        {"2021.11.03", true, "11/03/2021"},     {"2021.11.03", false, "2021.11.03"},
        {"2021-11-03", true, "2021-11-03"},     {"2021.11", true, "2021.11"},
        {"2021.11.03.1", true, "2021.11.03.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + (c.reformat ? " reformatted" : ""));
        storeInstallationText("Quillmere Build Date", c.stored, 0);
        EXPECT_EQ(getProductBuildDate(c.reformat), c.shown);
    }
}

TEST_F(InstallationInfo, DeletingTheRedistributableDate) {
    storeInstallationText("VCRedistDate", "2020-01-01");
    {
        ScopedEnv ordinary("VELMAR_ELEVATED", "0");
        EXPECT_FALSE(deleteRedistributableDate());
    }
    EXPECT_EQ(
        storedValue(HKEY_LOCAL_MACHINE, kInstallationKey, "VCRedistDate", KEY_WOW64_32KEY).data,
        sz("2020-01-01"));
    EXPECT_TRUE(deleteRedistributableDate());
    EXPECT_EQ(
        storedValue(HKEY_LOCAL_MACHINE, kInstallationKey, "VCRedistDate", KEY_WOW64_32KEY).type,
        REG_NONE);
    EXPECT_FALSE(deleteRedistributableDate());
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(InstallationInfo, LastReleaseRecordedAndReadBack) {
    CString release("sentinel");
    CString date("sentinel");
    EXPECT_FALSE(readLastRelease("Model Viewer", release, date));
    EXPECT_EQ(release, "sentinel");
    EXPECT_EQ(date, "sentinel");

    storeInstallationText("VELMAR Software Version", " 8.2.1");
    storeInstallationText("Cabinet File Date", "2022-06-15");
    recordLastRelease("Model Viewer");
    EXPECT_TRUE(readLastRelease("Model Viewer", release, date));
    EXPECT_EQ(release, "8.2.1");
    EXPECT_EQ(date, "06/15/2022");
}

TEST_F(InstallationInfo, SavedSettingsStampCarriesThePlaceholderWithoutInstallation) {
    EXPECT_TRUE(stampSavedSettingsVersion());
    CString stamped;
    ASSERT_TRUE(readUserSetting("AAASAVED", "AAASAVED-SoftwareVersion", stamped));
    EXPECT_EQ(stamped, "*Not Set*");

    storeInstallationText("VELMAR Software Version", "8.3");
    EXPECT_TRUE(stampSavedSettingsVersion());
    ASSERT_TRUE(readUserSetting("AAASAVED", "AAASAVED-SoftwareVersion", stamped));
    EXPECT_EQ(stamped, "8.3");
    EXPECT_FALSE(isFsRedirectionDisabled());
}

TEST_F(InstallationInfo, ManualFoundBelowTheInstallationFolder) {
    ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS);
    const std::string manuals =
        velmar::prefix::driveCPath() + "/Program Files (x86)/Velmar/Manuals";
    std::filesystem::create_directories(manuals + "/Viewer");
    velmar::test::writeFileBytes(manuals + "/Setup Guide.pdf", "%PDF");
    velmar::test::writeFileBytes(manuals + "/Viewer/Viewer Guide.pdf", "%PDF");
    velmar::test::writeFileBytes(manuals + "/notes.txt", "x");

    EXPECT_EQ(findManual("*.pdf"), "");
    storeInstallationText("VelmarDir", "C:\\Program Files (x86)\\Velmar");
    // The search looks into the subfolders before the folder itself.
    EXPECT_EQ(findManual("*.pdf"),
              "C:\\Program Files (x86)\\Velmar\\Manuals\\Viewer\\Viewer Guide.pdf");
    EXPECT_EQ(findManual("setup*.PDF"),
              "C:\\Program Files (x86)\\Velmar\\Manuals\\Setup Guide.pdf");
    EXPECT_EQ(findManual("*.chm"), "");

    const std::string other = manuals + "/Viewer";
    EXPECT_EQ(findManual("*.pdf", other.c_str()), CString((other + "\\Viewer Guide.pdf").c_str()));
}

} // namespace
