// The message queue of one thread: the messages other threads have sent to its windows and
// are waiting for, the messages posted to it, its quit request, the windows it has to paint,
// its focus and active window and its modal dialogs. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace velmar::ui {

class ThreadQueue;

// One sent message between two threads. Its state is guarded by the sender's queue.
struct SentMessage {
    enum class State { Waiting, Running, Done, Abandoned, Failed };
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    State state = State::Waiting;
    std::shared_ptr<ThreadQueue> sender;
};

class ThreadQueue : public std::enable_shared_from_this<ThreadQueue> {
public:
    // The calling thread's queue, made on first use; it goes, with the thread's windows,
    // when the thread ends.
    static std::shared_ptr<ThreadQueue> current();
    // The queue of a thread by its id; null when the thread has none or has ended.
    static std::shared_ptr<ThreadQueue> ofThread(DWORD threadId);

    explicit ThreadQueue(DWORD threadId = 0);
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    DWORD threadId() const { return m_threadId; }

    // Queues a message from another thread. False when the thread has ended.
    bool post(const std::shared_ptr<SentMessage>& sent);
    // On the owner thread: runs every queued message's window procedure.
    void answerSent();
    // On the sender's thread: waits until the message is answered or the deadline passes,
    // answering messages sent to this thread meanwhile. False when it was not answered.
    bool waitForAnswer(SentMessage& sent, std::chrono::steady_clock::time_point deadline);
    // Not looked at its messages for the hung-thread time.
    bool looksHung() const;
    // The thread ended: its queued messages fail.
    void shutDown();

    // Posted messages (front: before every other, as TranslateMessage's). False when the
    // thread has ended.
    bool postMessage(const MSG& message, bool front = false);
    // Takes (or with remove false, copies) the first posted message that matches; matches
    // runs with the queue's lock held and may take the window lock.
    template <typename Matches>
    bool takePosted(MSG& out, bool remove, Matches&& matches) {
        std::lock_guard lock(m_mutex);
        for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
            if (matches(*it)) {
                out = *it;
                if (remove) {
                    m_posted.erase(it);
                }
                return true;
            }
        }
        return false;
    }
    void postQuit(int exitCode);
    // The quit request, once asked for; remove forgets it.
    bool takeQuit(int& exitCode, bool remove);
    // A window of this thread has become invalid.
    void needsPaint(HWND window);
    // The first window, in the order they became invalid, that is still due (stillDue) and
    // that takes accepts; null when none. Windows no longer due are dropped from the front, so
    // painting n windows one by one costs O(n). Called with no window lock held (the
    // predicates take it: queue locks come first).
    HWND nextToPaint(const std::function<bool(HWND)>& stillDue,
                     const std::function<bool(HWND)>& takes);

    // A count that grows with everything that may give the thread a message to handle;
    // waitForEvents returns once it differs from seen (or the thread ended).
    std::uint64_t events() const;
    void waitForEvents(std::uint64_t seen);

    // Focus and activation: guarded by the window lock, not by the queue's.
    HWND focus = nullptr;
    HWND active = nullptr;

    // The modal dialogs the thread runs, innermost last; used on the owner thread only.
    std::vector<HWND> modalDialogs;

private:
    void finish(SentMessage& sent, SentMessage::State state, LRESULT result);
    void changed(); // with m_mutex held

    const DWORD m_threadId;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<SentMessage>> m_incoming;
    std::deque<MSG> m_posted;
    std::deque<HWND> m_paint;
    std::unordered_set<HWND> m_paintSet; // what m_paint holds
    bool m_quit = false;
    int m_quitCode = 0;
    std::uint64_t m_events = 0;
    std::chrono::steady_clock::time_point m_lastLooked;
    bool m_waiting = false;
    bool m_ended = false;
};

} // namespace velmar::ui
