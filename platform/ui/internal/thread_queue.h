// The message queue of one thread: the messages other threads have sent to its windows and
// are waiting for. Internal to platform/ui.
#pragma once

#include "platform/ui/ui.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

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

    ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

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

private:
    void finish(SentMessage& sent, SentMessage::State state, LRESULT result);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<SentMessage>> m_incoming;
    std::chrono::steady_clock::time_point m_lastLooked;
    bool m_ended = false;
};

} // namespace velmar::ui
