#include "tests/support/host_fault.h"

#include <cstring>

namespace velmar::test {

bool ScopedSyscallFault::mentions(const char* text) const {
    return text != nullptr && std::strstr(text, m_pathContains.c_str()) != nullptr;
}

} // namespace velmar::test
