// Loading a sibling library from the places searched, and what that does to "Path".
#include "misc/process/process.h"
#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/process/process.h"

#include "tests/support/probe_library.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using velmar::test::moduleFile;
using velmar::test::placeProbe;

const char* const kProbe = "velmar_probe.dll";

// A folder as "Path" keeps it: one typed the Windows way becomes its host folder.
std::string kept(const std::string& folder) {
    if (folder.find('\\') == std::string::npos && folder.find(':') == std::string::npos) {
        return folder;
    }
    return velmar::fs::hostPathOfAnsi(folder).path;
}

std::string pathValue() {
    std::string value;
    velmar::process::environmentValue("Path", value);
    return value;
}

class LibrarySearch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS); }

    // The personal build folder as the search composes it, under our userprofile.
    std::string personal() const {
        return m_dir.file("profile") + "\\VEL_Pack\\x64\\2017Build\\Release\\";
    }
    std::string personalHost() const {
        return m_dir.file("profile") + "/VEL_Pack/x64/2017Build/Release";
    }

    velmar::test::TempPrefix m_prefix;
    velmar::test::TempDir m_dir;
    velmar::test::ScopedEnv m_path{"PATH", m_dir.file("path").c_str()};
    velmar::test::ScopedEnv m_profile{"userprofile", m_dir.file("profile").c_str()};
};

TEST_F(LibrarySearch, EveryLoadFromAFolderExtendsPathAgain) {
    const struct {
        std::string folder;
        std::string placed;
    } cases[] = {
        {m_dir.file("lib") + "/", placeProbe(m_dir.file("lib"), kProbe)},
        {"C:\\Libs\\", placeProbe(velmar::prefix::driveCPath() + "/Libs", kProbe)},
    };
    for (const auto& each : cases) {
        velmar::test::ScopedEnv path("PATH", m_dir.file("path").c_str());
        const std::string before = pathValue();
        const HMODULE first = loadLibraryFrom(kProbe, each.folder.c_str());
        EXPECT_EQ(moduleFile(first), each.placed) << GetLastError();
        EXPECT_EQ(loadLibraryFrom(kProbe, each.folder.c_str()), first);
        EXPECT_EQ(pathValue(), before + ";" + kept(each.folder) + ";" + kept(each.folder));
        EXPECT_TRUE(FreeLibrary(first));
        EXPECT_TRUE(FreeLibrary(first));
    }
}

TEST_F(LibrarySearch, NothingFoundChangesNothing) {
    placeProbe(m_dir.file("elsewhere"), kProbe);
    const std::string before = pathValue();
    EXPECT_EQ(loadLibraryFrom(kProbe, (m_dir.file("lib") + "/").c_str()), nullptr);
    EXPECT_EQ(loadLibraryFrom("velmar_missing.dll", (m_dir.file("elsewhere") + "/").c_str()),
              nullptr);
    EXPECT_EQ(findAndLoadLibrary(kProbe, "sub", m_dir.file("extra").c_str()), nullptr);
    EXPECT_EQ(findAndLoadLibrary(kProbe, nullptr, nullptr), nullptr);
    EXPECT_EQ(findAndLoadLibrary(nullptr, nullptr, m_dir.file("elsewhere").c_str()), nullptr);
    EXPECT_EQ(pathValue(), before);
}

TEST_F(LibrarySearch, WithoutSubFolderTheSystemSearchComesFirst) {
    const std::string onPath = placeProbe(m_dir.file("path"), kProbe);
    placeProbe(personalHost(), kProbe);
    const std::string before = pathValue();
    for (const char* subFolder : {static_cast<const char*>(nullptr), ""}) {
        const HMODULE module = findAndLoadLibrary(kProbe, subFolder, nullptr);
        EXPECT_EQ(moduleFile(module), onPath);
        EXPECT_EQ(pathValue(), before);
        EXPECT_TRUE(FreeLibrary(module));
    }
}

// Each place with the library alone in it: where it loads from and what "Path" gains.
TEST_F(LibrarySearch, PlacesInOrder) {
    char own[4096] = {};
    const std::string ownFile(own, GetModuleFileNameA(nullptr, own, sizeof own));
    const std::string ownSub = "velmar-library-search-" + std::to_string(::getpid());
    const std::string ownFolder = ownFile.substr(0, ownFile.rfind('/') + 1);
    const std::string extra = m_dir.file("extra");
    const struct {
        std::string hostFolder;
        std::string added; // what "Path" gains
    } cases[] = {
        {ownFolder + ownSub, ";" + kept(ownFolder + ownSub + "\\")},
        {personalHost(), ";" + kept(personal())},
        // Directly after the folder's name: "...\\Release" + "sub" is "...\\Releasesub\\".
        {personalHost() + ownSub,
         ";" + kept(personal().substr(0, personal().size() - 1) + ownSub + "\\")},
        {extra, ";" + kept(extra + "\\")},
    };
    for (const auto& each : cases) {
        velmar::test::ScopedEnv path("PATH", m_dir.file("path").c_str());
        const std::string before = pathValue();
        const std::string placed = placeProbe(each.hostFolder, kProbe);
        // A folder without the file is passed over without a trace.
        const HMODULE module = findAndLoadLibrary(kProbe, ownSub.c_str(), extra.c_str());
        std::filesystem::remove_all(ownFolder + ownSub);
        EXPECT_EQ(moduleFile(module), placed) << each.hostFolder;
        EXPECT_EQ(pathValue(), before + each.added) << each.hostFolder;
        EXPECT_TRUE(FreeLibrary(module));
        std::filesystem::remove(placed);
    }
}

TEST_F(LibrarySearch, AFolderStaysOnPathWhenItsLibraryFailsToLoad) {
    std::filesystem::create_directories(personalHost());
    velmar::test::writeFileBytes(personalHost() + "/" + kProbe, "not a library\n");
    const std::string before = pathValue();
    EXPECT_EQ(loadLibraryFrom(kProbe, personal().c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(pathValue(), before + ";" + kept(personal()));
}

// A "Path" too long for the search's buffer is kept whole, never replaced by the folder alone.
TEST_F(LibrarySearch, APathTooLongForTheBufferIsLeftWhole) {
    std::string longPath;
    while (longPath.size() < 40000) {
        longPath += "/velmar/no/such/folder:";
    }
    longPath += m_dir.file("path");
    velmar::test::ScopedEnv path("PATH", longPath.c_str());
    const std::string before = pathValue();
    placeProbe(m_dir.file("lib"), kProbe);
    const HMODULE module = loadLibraryFrom(kProbe, (m_dir.file("lib") + "/").c_str());
    EXPECT_EQ(pathValue(), before);
    if (module != nullptr) {
        FreeLibrary(module);
    }
}

} // namespace
