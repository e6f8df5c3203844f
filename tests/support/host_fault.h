// Failures of the host made to order, through the host seam's table of system calls.
#pragma once

#include "platform/host/host.h"

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace velmar::test {

enum class FaultRepeat { once, fromThenOn };

// While it lives, the failOnCall-th call (1 is the first) of one seam entry fails with error,
// or every call from it on with fromThenOn; with pathContains only calls naming it count.
//   ScopedSyscallFault full(&host::SystemCalls::write, 3, ENOSPC); // the third write
//   ScopedSyscallFault cross(&host::SystemCalls::rename, 1, EXDEV, FaultRepeat::once, "a.reg");
class ScopedSyscallFault {
public:
    template <typename R, typename... Args>
    ScopedSyscallFault(R (*host::SystemCalls::*entry)(Args...), unsigned failOnCall, int error,
                       FaultRepeat repeat = FaultRepeat::once, std::string pathContains = {})
        : m_failOnCall(failOnCall), m_error(error), m_repeat(repeat),
          m_pathContains(std::move(pathContains)) {
        using Fn = R (*)(Args...);
        using Stand = StandIns<R, Args...>;
        Fn& slot = host::systemCalls().*entry;
        const int index = Stand::claim(this);
        const Fn previous = slot;
        m_previous = reinterpret_cast<void (*)()>(previous);
        slot = Stand::kCalls[index];
        m_restore = [&slot, previous, index] {
            slot = previous;
            Stand::active[index] = nullptr;
        };
    }
    ScopedSyscallFault(const ScopedSyscallFault&) = delete;
    ScopedSyscallFault& operator=(const ScopedSyscallFault&) = delete;
    ~ScopedSyscallFault() { m_restore(); }

    // The calls counted so far, and how many of them failed.
    unsigned calls() const { return m_calls; }
    unsigned failures() const { return m_failures; }

private:
    // Stand-ins for entries of one signature; several, as entries share signatures (stat and
    // lstat) and faults may be active on several of them at once.
    template <typename R, typename... Args>
    struct StandIns {
        static constexpr int kCount = 4;
        static inline ScopedSyscallFault* active[kCount] = {};

        template <int I>
        static R call(Args... args) {
            return active[I]->template handle<R, Args...>(args...);
        }
        static constexpr R (*kCalls[kCount])(Args...) = {call<0>, call<1>, call<2>, call<3>};

        static int claim(ScopedSyscallFault* fault) {
            for (int i = 0; i < kCount; ++i) {
                if (active[i] == nullptr) {
                    active[i] = fault;
                    return i;
                }
            }
            throw std::logic_error("too many faults of one signature at once");
        }
    };

    template <typename R, typename... Args>
    R handle(Args... args) {
        if (m_pathContains.empty() || (mentions(args) || ...)) {
            const unsigned call = ++m_calls;
            if (call == m_failOnCall ||
                (m_repeat == FaultRepeat::fromThenOn && call > m_failOnCall)) {
                ++m_failures;
                errno = m_error;
                if constexpr (std::is_pointer_v<R>) {
                    return nullptr;
                } else {
                    return static_cast<R>(-1);
                }
            }
        }
        return reinterpret_cast<R (*)(Args...)>(m_previous)(args...);
    }

    bool mentions(const char* text) const;
    template <typename T>
    bool mentions(const T&) const {
        return false;
    }

    unsigned m_failOnCall;
    int m_error;
    FaultRepeat m_repeat;
    std::string m_pathContains;
    unsigned m_calls = 0;
    unsigned m_failures = 0;
    void (*m_previous)() = nullptr;
    std::function<void()> m_restore;
};

} // namespace velmar::test
