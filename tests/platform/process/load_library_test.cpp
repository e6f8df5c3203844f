// Loading libraries: the search for a bare name, the names tried, handles and their loads.
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

using velmar::test::kProbeValue;
using velmar::test::moduleFile;
using velmar::test::placeProbe;
using velmar::test::probeValue;

// Runs the test in a folder of its own and goes back afterwards.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder)
        : m_old(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;
    ~ScopedCurrentFolder() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

class LoadLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(velmar::prefix::openPrefix(), ERROR_SUCCESS); }

    std::string system32() const { return velmar::prefix::driveCPath() + "/windows/system32"; }
    std::string windows() const { return velmar::prefix::driveCPath() + "/windows"; }

    velmar::test::TempPrefix m_prefix;
    velmar::test::TempDir m_dir;
    velmar::test::ScopedEnv m_path{"PATH", m_dir.file("path").c_str()};
    ScopedCurrentFolder m_current{m_dir.path()};
};

TEST_F(LoadLibrary, ByPathWithItsExportsOnly) {
    const std::string path = placeProbe(m_dir.file("lib"), "velmar_probe.dll");
    const HMODULE module = LoadLibraryA(path.c_str());
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_EQ(probeValue(module), kProbeValue);
    EXPECT_EQ(moduleFile(module), path);
    EXPECT_EQ(GetModuleHandleA("VELMAR_PROBE.DLL"), module);
    EXPECT_EQ(GetModuleHandleA("velmar_probe"), module);

    // Neither a missing name nor one of the libraries it depends on.
    for (const char* name : {"velmar_probe_missing", "malloc"}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetProcAddress(module, name), nullptr) << name;
        EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND) << name;
    }
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("velmar_probe.dll"), nullptr);
}

TEST_F(LoadLibrary, LoadsAreCountedAndBadHandlesRefused) {
    const std::string path = placeProbe(m_dir.file("path"), "velmar_probe.dll");
    const HMODULE first = LoadLibraryA(path.c_str());
    ASSERT_NE(first, nullptr) << GetLastError();
    EXPECT_EQ(LoadLibraryA("velmar_probe"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("velmar_probe.dll"), first);
    EXPECT_EQ(probeValue(first), kProbeValue);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("velmar_probe.dll"), nullptr);

    // The handle that is gone, one never given out, the program's own: refused every time.
    for (const HMODULE bad : {first, first, reinterpret_cast<HMODULE>(0x1234),
                              static_cast<HMODULE>(nullptr), GetModuleHandleA(nullptr)}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(FreeLibrary(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x1234), "velmar_probe_value"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(LoadLibrary, BareNameFoundInEachPlace) {
    const std::string path = m_dir.file("path");
    const std::string windowsPathEntry = velmar::prefix::driveCPath() + "/tools";
    const struct {
        std::string folder;
        std::string pathVariable; // host form
    } cases[] = {
        {system32(), path},
        {windows(), path},
        {m_dir.path(), path}, // the current folder
        {path, path},
        {m_dir.file("second"), path + ":" + m_dir.file("second")},
        {windowsPathEntry, "C:\\TOOLS"},
    };
    for (const auto& each : cases) {
        velmar::test::ScopedEnv pathVariable("PATH", each.pathVariable.c_str());
        const std::string placed = placeProbe(each.folder, "velmar_probe.dll");
        const HMODULE module = LoadLibraryA("velmar_probe.dll");
        EXPECT_EQ(moduleFile(module), placed) << GetLastError();
        EXPECT_EQ(probeValue(module), kProbeValue);
        EXPECT_TRUE(FreeLibrary(module));
        std::filesystem::remove(placed);
    }
}

TEST_F(LoadLibrary, SearchOrder) {
    // Each place in the order searched; removing the first copy reveals the next.
    const std::string places[] = {system32(), windows(), m_dir.path(), m_dir.file("path")};
    for (const std::string& place : places) {
        placeProbe(place, "velmar_probe.dll");
    }
    for (const std::string& place : places) {
        const HMODULE module = LoadLibraryA("velmar_probe");
        EXPECT_EQ(moduleFile(module), place + "/velmar_probe.dll");
        EXPECT_TRUE(FreeLibrary(module));
        std::filesystem::remove(place + "/velmar_probe.dll");
    }
}

TEST_F(LoadLibrary, NamesTried) {
    const std::string folder = m_dir.file("path");
    const std::string withSuffix = placeProbe(folder, "velmar_probe.dll");
    const std::string bare = placeProbe(folder, "velmar_probe");
    const struct {
        const char* name;
        std::string expected;
    } cases[] = {
        {"velmar_probe", withSuffix}, // ".dll" first
        {"VELMAR_PROBE.DLL", withSuffix},
        {"velmar_probe.", bare}, // a trailing dot: no extension appended
        {"", ""},
    };
    for (const auto& each : cases) {
        const HMODULE module = LoadLibraryA(each.name);
        EXPECT_EQ(moduleFile(module), each.expected) << each.name;
        if (module != nullptr) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }
    std::filesystem::remove(withSuffix);
    const HMODULE module = LoadLibraryA((folder + "/velmar_probe").c_str());
    EXPECT_EQ(moduleFile(module), bare) << "as given when there is no .dll";
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(LoadLibrary, Failures) {
    const std::string folder = m_dir.file("path");
    std::filesystem::create_directories(folder + "/folder.dll");
    velmar::test::writeFileBytes(folder + "/notes.dll", "not a library\n");
    const struct {
        const char* name;
        DWORD error;
    } cases[] = {
        {nullptr, ERROR_INVALID_PARAMETER},
        {"velmar_missing.dll", ERROR_MOD_NOT_FOUND},
        {"C:\\windows\\velmar_missing.dll", ERROR_MOD_NOT_FOUND},
        {"folder.dll", ERROR_MOD_NOT_FOUND}, // only regular files
        {"notes.dll", ERROR_BAD_EXE_FORMAT},
    };
    for (const auto& each : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(LoadLibraryA(each.name), nullptr) << (each.name ? each.name : "null");
        EXPECT_EQ(GetLastError(), each.error) << (each.name ? each.name : "null");
    }
}

} // namespace
