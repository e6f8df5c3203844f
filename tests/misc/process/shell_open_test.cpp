#include "misc/process/process.h"
#include "platform/host/host.h"
#include "platform/process/process.h"
#include "platform/registry/registry.h"
#include "platform/shell/shell.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using velmar::test::ScopedEnv;
using velmar::test::TempDir;
using velmar::test::TempPrefix;

const std::string kChild = std::string(VELMAR_BIN_DIR) + "/shell_open_child";

bool hostHasProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string list = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        if (::access((list.substr(start, colon - start) + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
        start = colon + 1;
    }
    return false;
}

// A private prefix and desktop: the host's own associations and applications stay out.
class ShellOpen : public ::testing::Test {
protected:
    ShellOpen() { std::filesystem::create_directories(m_config); }

    std::string output() const {
        std::string bytes;
        velmar::host::readFile(m_out.c_str(), bytes);
        return bytes;
    }

    void writeFile(const std::string& path, const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        velmar::test::writeFileBytes(path, text);
    }

    // HKEY_CLASSES_ROOT\.vtxt names a type whose "open" runs command.
    static void associate(const std::string& command) {
        velmar::registry::Key extension;
        ASSERT_EQ(extension.create(HKEY_CLASSES_ROOT, ".vtxt", KEY_ALL_ACCESS), ERROR_SUCCESS);
        const std::string type = "Velmar.TestDocument";
        ASSERT_EQ(extension.setValue("", REG_SZ, type.c_str(), DWORD(type.size() + 1)),
                  ERROR_SUCCESS);
        velmar::registry::Key open;
        ASSERT_EQ(open.create(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", KEY_ALL_ACCESS),
                  ERROR_SUCCESS);
        ASSERT_EQ(open.setValue("", REG_SZ, command.c_str(), DWORD(command.size() + 1)),
                  ERROR_SUCCESS);
    }

    TempPrefix m_prefix;
    TempDir m_work;
    const std::string m_out = m_work.file("out");
    const std::string m_config = m_work.file("config");
    ScopedEnv m_childOut{"SHELL_OPEN_CHILD_OUT", m_out.c_str()};
    ScopedEnv m_dataHome{"XDG_DATA_HOME", m_work.file("data").c_str()};
    ScopedEnv m_dataDirs{"XDG_DATA_DIRS", m_work.file("none").c_str()};
    ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_config.c_str()};
    ScopedEnv m_configDirs{"XDG_CONFIG_DIRS", m_work.file("none").c_str()};
    // xdg-mime asks a desktop's own tools when it finds itself in one.
    ScopedEnv m_desktop{"XDG_CURRENT_DESKTOP", nullptr};
    ScopedEnv m_session{"DESKTOP_SESSION", nullptr};
};

TEST_F(ShellOpen, RegistryAssociationOpensTheDocumentAndIsWaitedFor) {
    // The child writes only after a while: its output is there because the call waited.
    ScopedEnv delay("SHELL_OPEN_CHILD_DELAY", "300");
    const std::string document = m_work.file("two words.vtxt");
    writeFile(document, "text");
    struct Case {
        std::string command;
        std::string arguments;
    };
    const Case cases[] = {
        {"\"" + kChild + "\" \"%1\"", document + "\n"},
        {"\"" + kChild + "\" %* \"%L\"", "/s\n" + document + "\n"},
        {"\"" + kChild + "\" first", "first\n" + document + "\n"}, // no "%1": appended
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        associate(c.command);
        std::filesystem::remove(m_out);
        ASSERT_TRUE(shellOpenAndWait(document.c_str()));
        EXPECT_EQ(output(), c.arguments);
    }
}

TEST_F(ShellOpen, ProgramStartsDirectlyWithSlashS) {
    const std::string renamed = m_work.file("run me.exe");
    std::filesystem::copy_file(kChild, renamed);
    for (const std::string& program : {kChild, renamed}) {
        SCOPED_TRACE(program);
        std::filesystem::remove(m_out);
        ASSERT_TRUE(shellOpenAndWait(program.c_str()));
        EXPECT_EQ(output(), "/s\n");
    }
    // Without waiting the child still runs to its end on its own.
    std::filesystem::remove(m_out);
    ASSERT_TRUE(shellOpen(kChild.c_str()));
    for (int i = 0; i < 1000 && !std::filesystem::exists(m_out); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(output(), "/s\n");
}

TEST_F(ShellOpen, RefusalsGiveTheWin32Errors) {
    writeFile(m_work.file("plain.unknownext"), "text");
    struct Case {
        std::string file;
        DWORD error;
        int instance;
    };
    const Case cases[] = {
        {m_work.file("missing.vtxt"), ERROR_FILE_NOT_FOUND, SE_ERR_FNF},
        {m_work.file("missing.exe"), ERROR_FILE_NOT_FOUND, SE_ERR_FNF},
        {m_work.file("plain.unknownext"), ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SHELLEXECUTEINFOA info{};
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpFile = c.file.c_str();
        SetLastError(0);
        EXPECT_FALSE(ShellExecuteExA(&info));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(info.hInstApp),
                  static_cast<std::uintptr_t>(c.instance));
        EXPECT_EQ(info.hProcess, nullptr);
        EXPECT_FALSE(shellOpen(c.file.c_str()));
        EXPECT_FALSE(shellOpenAndWait(c.file.c_str()));
    }
}

TEST_F(ShellOpen, DesktopDefaultApplicationOpensWhatTheRegistryDoesNot) {
    if (!hostHasProgram("xdg-mime")) {
        GTEST_SKIP() << "xdg-mime is not installed";
    }
    writeFile(m_config + "/mimeapps.list",
              "[Default Applications]\ntext/plain=velmar-shell-test.desktop\n");
    writeFile(m_work.file("data/applications/velmar-shell-test.desktop"),
              "[Desktop Entry]\nType=Application\nName=Test\n"
              "Exec=" +
                  kChild + " --file %f %i \"100%%\"\n");
    const std::string document = m_work.file("notes.txt");
    writeFile(document, "plain text\n");
    SHELLEXECUTEINFOA info{};
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = document.c_str();
    ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
    EXPECT_GT(reinterpret_cast<std::uintptr_t>(info.hInstApp), 32u);
    ASSERT_NE(info.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    EXPECT_EQ(output(), "--file\n" + document + "\n100%\n");
}

} // namespace
