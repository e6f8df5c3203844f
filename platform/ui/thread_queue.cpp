#include "platform/ui/internal/thread_queue.h"

#include "platform/ui/internal/window_ops.h"
#include "platform/ui/internal/window_table.h"

#include <algorithm>
#include <map>

#include <unistd.h>

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

// The queues by thread id, for PostThreadMessageA. Never destroyed: threads end during exit.
struct QueueDirectory {
    std::mutex mutex;
    std::map<DWORD, std::weak_ptr<ThreadQueue>> queues;
};
QueueDirectory& directory() {
    static auto* queues = new QueueDirectory;
    return *queues;
}

} // namespace

std::shared_ptr<ThreadQueue> ThreadQueue::current() {
    if (t_queue.queue == nullptr) {
        const auto id = static_cast<DWORD>(::gettid());
        t_queue.queue = std::make_shared<ThreadQueue>(id);
        QueueDirectory& queues = directory();
        std::lock_guard lock(queues.mutex);
        queues.queues[id] = t_queue.queue;
    }
    return t_queue.queue;
}

std::shared_ptr<ThreadQueue> ThreadQueue::ofThread(DWORD threadId) {
    QueueDirectory& queues = directory();
    std::lock_guard lock(queues.mutex);
    const auto it = queues.queues.find(threadId);
    if (it == queues.queues.end()) {
        return nullptr;
    }
    std::shared_ptr<ThreadQueue> queue = it->second.lock();
    if (queue == nullptr) {
        queues.queues.erase(it);
    }
    return queue;
}

ThreadQueue::ThreadQueue(DWORD threadId)
    : m_threadId(threadId), m_lastLooked(std::chrono::steady_clock::now()) {}

void ThreadQueue::changed() {
    ++m_events;
}

bool ThreadQueue::post(const std::shared_ptr<SentMessage>& sent) {
    {
        std::lock_guard lock(m_mutex);
        if (m_ended) {
            return false;
        }
        m_incoming.push_back(sent);
        changed();
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
            procedureOf(*window)(sent->window, sent->message, sent->wParam, sent->lParam);
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
    return !m_waiting && std::chrono::steady_clock::now() - m_lastLooked > kHungAfter;
}

void ThreadQueue::shutDown() {
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        pending.swap(m_incoming);
        m_posted.clear();
        m_paint.clear();
        m_paintSet.clear();
        changed();
    }
    m_changed.notify_all();
    {
        QueueDirectory& queues = directory();
        std::lock_guard lock(queues.mutex);
        const auto it = queues.queues.find(m_threadId);
        if (it != queues.queues.end() && it->second.lock().get() == this) {
            queues.queues.erase(it);
        }
    }
    for (const std::shared_ptr<SentMessage>& sent : pending) {
        finish(*sent, SentMessage::State::Failed, 0);
    }
}

bool ThreadQueue::postMessage(const MSG& message, bool front) {
    {
        std::lock_guard lock(m_mutex);
        if (m_ended) {
            return false;
        }
        if (front) {
            m_posted.push_front(message);
        } else {
            m_posted.push_back(message);
        }
        changed();
    }
    m_changed.notify_all();
    return true;
}

void ThreadQueue::postQuit(int exitCode) {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_quitCode = exitCode;
        changed();
    }
    m_changed.notify_all();
}

bool ThreadQueue::takeQuit(int& exitCode, bool remove) {
    std::lock_guard lock(m_mutex);
    if (!m_quit) {
        return false;
    }
    exitCode = m_quitCode;
    if (remove) {
        m_quit = false;
    }
    return true;
}

void ThreadQueue::needsPaint(HWND window) {
    {
        std::lock_guard lock(m_mutex);
        if (m_ended || !m_paintSet.insert(window).second) {
            return;
        }
        m_paint.push_back(window);
        changed();
    }
    m_changed.notify_all();
}

HWND ThreadQueue::nextToPaint(const std::function<bool(HWND)>& stillDue,
                              const std::function<bool(HWND)>& takes) {
    std::lock_guard lock(m_mutex);
    while (!m_paint.empty() && !stillDue(m_paint.front())) {
        m_paintSet.erase(m_paint.front());
        m_paint.pop_front();
    }
    for (HWND window : m_paint) {
        if (stillDue(window) && takes(window)) {
            return window;
        }
    }
    return nullptr;
}

std::uint64_t ThreadQueue::events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

void ThreadQueue::waitForEvents(std::uint64_t seen) {
    std::unique_lock lock(m_mutex);
    m_lastLooked = std::chrono::steady_clock::now();
    // A thread waiting for messages answers a sent one at once: it is not hung.
    m_waiting = true;
    m_changed.wait(lock, [&] { return m_events != seen || m_ended || !m_incoming.empty(); });
    m_waiting = false;
    m_lastLooked = std::chrono::steady_clock::now();
}

} // namespace velmar::ui
