#include "platform/ui/internal/thread_queue.h"

#include "platform/ui/internal/window_table.h"

namespace velmar::ui {

namespace {

// Windows' rule: a thread that has not looked at its messages for 5 seconds is hung.
constexpr auto kHungAfter = std::chrono::seconds(5);

// Ends the thread's queue and windows when the thread ends.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (queue != nullptr) {
            WindowTable::instance().removeWindowsOf(queue.get());
            queue->shutDown();
        }
    }
};

thread_local QueueHolder t_queue;

} // namespace

std::shared_ptr<ThreadQueue> ThreadQueue::current() {
    if (t_queue.queue == nullptr) {
        t_queue.queue = std::make_shared<ThreadQueue>();
    }
    return t_queue.queue;
}

ThreadQueue::ThreadQueue() : m_lastLooked(std::chrono::steady_clock::now()) {}

bool ThreadQueue::post(const std::shared_ptr<SentMessage>& sent) {
    {
        std::lock_guard lock(m_mutex);
        if (m_ended) {
            return false;
        }
        m_incoming.push_back(sent);
    }
    m_changed.notify_all();
    return true;
}

void ThreadQueue::finish(SentMessage& sent, SentMessage::State state, LRESULT result) {
    ThreadQueue& sender = *sent.sender;
    {
        std::lock_guard lock(sender.m_mutex);
        if (sent.state == SentMessage::State::Abandoned) {
            return;
        }
        sent.state = state;
        sent.result = result;
    }
    sender.m_changed.notify_all();
}

void ThreadQueue::answerSent() {
    for (;;) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard lock(m_mutex);
            m_lastLooked = std::chrono::steady_clock::now();
            if (m_incoming.empty()) {
                return;
            }
            sent = std::move(m_incoming.front());
            m_incoming.pop_front();
        }
        {
            // A sender that gave up is not answered: its arguments may be gone.
            std::lock_guard lock(sent->sender->m_mutex);
            if (sent->state != SentMessage::State::Waiting) {
                continue;
            }
            sent->state = SentMessage::State::Running;
        }
        const std::shared_ptr<Window> window = WindowTable::instance().find(sent->window);
        if (window == nullptr) {
            finish(*sent, SentMessage::State::Failed, 0);
            continue;
        }
        const LRESULT result =
            window->procedure(sent->window, sent->message, sent->wParam, sent->lParam);
        finish(*sent, SentMessage::State::Done, result);
    }
}

bool ThreadQueue::waitForAnswer(SentMessage& sent, std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_lastLooked = std::chrono::steady_clock::now();
        if (sent.state == SentMessage::State::Done) {
            return true;
        }
        if (sent.state == SentMessage::State::Failed) {
            return false;
        }
        if (!m_incoming.empty()) {
            // Answer what others send us meanwhile, so that two threads sending to each
            // other do not wait for ever.
            lock.unlock();
            answerSent();
            lock.lock();
            continue;
        }
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout &&
            sent.state != SentMessage::State::Done && sent.state != SentMessage::State::Failed) {
            sent.state = SentMessage::State::Abandoned;
            return false;
        }
    }
}

bool ThreadQueue::looksHung() const {
    std::lock_guard lock(m_mutex);
    return std::chrono::steady_clock::now() - m_lastLooked > kHungAfter;
}

void ThreadQueue::shutDown() {
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        pending.swap(m_incoming);
    }
    for (const std::shared_ptr<SentMessage>& sent : pending) {
        finish(*sent, SentMessage::State::Failed, 0);
    }
}

} // namespace velmar::ui
