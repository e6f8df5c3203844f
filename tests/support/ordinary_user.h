// Runs a check with an ordinary user's view of permissions. Root reads every folder, so as
// root the check runs in a child process that has become "nobody".
#pragma once

#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmar::test {

// Lets "nobody" walk down to path (execute permission on the folders above it).
inline void openWayTo(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        struct stat st {};
        const std::string folder = path.substr(0, slash);
        if (::stat(folder.c_str(), &st) == 0) {
            ::chmod(folder.c_str(), st.st_mode | S_IXOTH);
        }
    }
}

// The check's result, as the ordinary user gets it.
inline bool asOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0) {
        return check();
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace velmar::test
