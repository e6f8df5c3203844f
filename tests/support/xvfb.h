// A private X server for tests: Xvfb on a free display number, started by the test with a
// fixed screen size and pixels per inch, DISPLAY pointing at it while the object lives.
#pragma once

#include "tests/support/scoped_env.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace velmar::test {

class Xvfb {
public:
    // Starts "Xvfb -noreset -screen 0 <width>x<height>x24 -dpi <dpi>"; usable() tells whether
    // it came up, why() why not (Xvfb missing, or it did not start).
    explicit Xvfb(int width = 1280, int height = 1024, int dpi = 96);
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    ~Xvfb();

    bool usable() const { return m_pid > 0; }
    const std::string& why() const { return m_why; }
    // ":<n>".
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_why;
    std::unique_ptr<ScopedEnv> m_env;
};

// True when program is found on PATH.
bool haveProgram(const std::string& program);

} // namespace velmar::test

// Skips the test, naming the reason, when the X server did not come up.
#define VELMAR_REQUIRE_XVFB(xvfb)                                                                  \
    do {                                                                                           \
        if (!(xvfb).usable()) {                                                                    \
            GTEST_SKIP() << "no X server for this test: " << (xvfb).why();                         \
        }                                                                                          \
    } while (false)
