#include "platform/host/host.h"
#include "platform/process/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const std::string kChild = std::string(VELMAR_BIN_DIR) + "/spawn_child";

// Runs a command line to its end; the child's exit code, or -1 when it did not start.
long run(std::string line, DWORD flags = 0, const char* folder = nullptr) {
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, folder,
                        nullptr, &info)) {
        return -1;
    }
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

std::string output(const std::string& path) {
    std::string bytes;
    velmar::host::readFile(path.c_str(), bytes);
    return bytes;
}

TEST(CreateProcess, ArgumentsArriveLiterallyWithoutAShell) {
    velmar::test::TempDir dir;
    const std::string out = dir.file("out");
    struct Case {
        std::string tail;
        std::string lines;
    };
    const Case cases[] = {
        {"$(touch x) `touch y`", "$(touch\nx)\n`touch\ny`\n"},
        {"a;b | c > made", "a;b\n|\nc\n>\nmade\n"},
        {"\"two words\" 'single' \\\"q", "two words\n'single'\n\"q\n"},
        {"*", "*\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        ASSERT_EQ(run(kChild + " " + out + " args " + c.tail, 0, dir.path().c_str()), 0);
        EXPECT_EQ(output(out), c.lines);
    }
    for (const char* name : {"x", "y", "made"}) {
        EXPECT_NE(::access(dir.file(name).c_str(), F_OK), 0) << name;
    }
}

TEST(CreateProcess, ExitCodesAndWorkingFolder) {
    for (int code : {0, 1, 42, 255}) {
        EXPECT_EQ(run(kChild + " - exit " + std::to_string(code) + " 0"), code);
    }
    velmar::test::TempDir dir;
    ASSERT_EQ(run(kChild + " " + dir.file("out") + " cwd", 0, dir.path().c_str()), 0);
    char real[4096];
    ASSERT_NE(::realpath(dir.path().c_str(), real), nullptr);
    EXPECT_EQ(output(dir.file("out")), std::string(real) + "\n");
}

TEST(CreateProcess, Errors) {
    velmar::test::TempDir dir;
    const std::string text = dir.file("text.exe");
    FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("not a program\n", f);
    std::fclose(f);
    const std::string plain = dir.file("plain.exe");
    f = std::fopen(plain.c_str(), "w");
    std::fclose(f);
    ::chmod(text.c_str(), 0755);
    struct Case {
        std::string line;
        const char* folder;
        DWORD error;
    };
    const Case cases[] = {
        {dir.file("missing.exe"), nullptr, ERROR_FILE_NOT_FOUND},
        {dir.file("nofolder/missing.exe"), nullptr, ERROR_PATH_NOT_FOUND},
        {plain, nullptr, ERROR_ACCESS_DENIED},
        {text, nullptr, ERROR_BAD_EXE_FORMAT},
        {kChild + " - exit 0 0", "/no/such/folder", ERROR_DIRECTORY},
        {"velmar-no-such-program", nullptr, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string line = c.line;
        PROCESS_INFORMATION info{};
        SetLastError(0);
        EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    c.folder, nullptr, &info));
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST(CreateProcess, DetachedChildGetsANewSessionAndNoExtraDescriptors) {
    velmar::test::TempDir dir;
    const std::string out = dir.file("out");
    ASSERT_EQ(run(kChild + " " + out + " sid", DETACHED_PROCESS), 0);
    const std::string ids = output(out);
    const std::size_t space = ids.find(' ');
    EXPECT_EQ(ids.substr(0, space), ids.substr(space + 1, ids.size() - space - 2));
    ASSERT_EQ(run(kChild + " " + out + " fds"), 0);
    EXPECT_EQ(output(out), "0\n1\n2\n");
}

// A detached child has no terminal: our terminal stream is /dev/null there, a pipe passes.
TEST(CreateProcess, DetachedChildDoesNotGetOurTerminal) {
    velmar::test::TempDir dir;
    const std::string out = dir.file("out");
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    const std::string side = ::ptsname(terminal);
    const int other = ::open(side.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int savedStdin = ::dup(0);

    // Whatever stands on descriptor 0 while the child starts.
    const auto childStdin = [&](int stream, DWORD flags) {
        ::dup2(stream, 0);
        const long code = run(kChild + " " + out + " stdin", flags);
        ::dup2(savedStdin, 0);
        return code == 0 ? output(out) : "<failed>";
    };
    EXPECT_EQ(childStdin(other, DETACHED_PROCESS), "/dev/null\n");
    EXPECT_EQ(childStdin(other, 0), side + "\n");
    EXPECT_EQ(childStdin(pipeEnds[0], DETACHED_PROCESS).rfind("pipe:", 0), 0u);
    for (const int fd : {savedStdin, pipeEnds[0], pipeEnds[1], other, terminal}) {
        ::close(fd);
    }
}

TEST(WaitForSingleObject, TimesOutThenWakesWhenTheChildEnds) {
    std::string line = kChild + " - exit 7 300";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               nullptr, &info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_TRUE(CloseHandle(info.hThread));
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(info.hProcess));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

int zombieChildren() {
    int count = 0;
    DIR* dir = ::opendir("/proc");
    while (dirent* entry = ::readdir(dir)) {
        std::string stat;
        if (!velmar::host::readFile(("/proc/" + std::string(entry->d_name) + "/stat").c_str(),
                                    stat)) {
            continue;
        }
        // "pid (name) state ppid": the name may hold blanks, the last ")" ends it.
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 > stat.size()) {
            continue;
        }
        if (stat[close + 2] == 'Z' && std::atoi(stat.c_str() + close + 4) == ::getpid()) {
            ++count;
        }
    }
    ::closedir(dir);
    return count;
}

TEST(CreateProcess, ChildrenWhoseHandlesAreClosedAreReaped) {
    for (int i = 0; i < 100; ++i) {
        std::string line = kChild + " - exit 0 " + std::to_string(i % 3 == 0 ? 50 : 0);
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, nullptr, &info));
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    int zombies = 0;
    for (int i = 0; i < 50; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        zombies = zombieChildren();
        if (zombies == 0) {
            break;
        }
    }
    EXPECT_EQ(zombies, 0);
}

} // namespace
