// The CLIPBOARD selection's owner. One thread does all the work on its own X connection, so
// Xlib is never entered for this connection from two threads; offer() hands it the text and
// waits until the selection is taken.
#include "platform/ui/internal/x11_clipboard.h"
#include "platform/ui/internal/x11_threads.h"

#include "platform/host/host.h"
#include "platform/text/text.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velmar::ui {

namespace {

// The largest piece written at once; a longer text goes in pieces (INCR).
constexpr std::size_t kPiece = 256 * 1024;
// A reader of pieces that stays silent this long has gone away.
constexpr auto kReaderGone = std::chrono::seconds(30);
// How long the clipboard manager may take to copy the text when we close.
constexpr auto kManagerTime = std::chrono::seconds(3);
// How long offer() waits for the thread; only a server that stopped answering takes it.
constexpr auto kOfferTime = std::chrono::seconds(10);

using Clock = std::chrono::steady_clock;

// The text as the targets give it: UTF-8, and Latin-1 when every character has one.
struct Content {
    std::string utf8;
    std::optional<std::string> latin1;
};

std::shared_ptr<const Content> contentOf(std::string_view ansi) {
    std::string lines;
    lines.reserve(ansi.size());
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        if (!(ansi[i] == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n')) {
            lines += ansi[i];
        }
    }
    auto content = std::make_shared<Content>();
    content->utf8 = text::ansiToUtf8(lines);
    // 1252 and Latin-1 agree except on 0x80-0x9F, which Latin-1 leaves to control codes.
    const bool latin1 = std::none_of(lines.begin(), lines.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 && byte <= 0x9F;
    });
    if (latin1) {
        content->latin1 = std::move(lines);
    }
    return content;
}

// Protocol errors on our connections (a reader's window gone mid-transfer) are expected and
// must not end the process, as Xlib's default handler would; nor must the loss of the
// connection (the owner's exit handler takes note of it). Other connections' errors go to the
// handlers that were there before.
std::mutex g_errorMutex;
std::set<Display*> g_tolerant;
XErrorHandler g_previousHandler = nullptr;
XIOErrorHandler g_previousIoHandler = nullptr;

bool isTolerant(Display* display) {
    std::lock_guard lock(g_errorMutex);
    return g_tolerant.count(display) != 0;
}

int tolerateErrors(Display* display, XErrorEvent* error) {
    if (isTolerant(display)) {
        return 0;
    }
    return g_previousHandler != nullptr ? g_previousHandler(display, error) : 0;
}

int tolerateLoss(Display* display) {
    if (isTolerant(display)) {
        return 0;
    }
    return g_previousIoHandler != nullptr ? g_previousIoHandler(display) : 0;
}

void tolerateErrorsOn(Display* display) {
    static std::once_flag once;
    std::call_once(once, [] {
        g_previousHandler = XSetErrorHandler(tolerateErrors);
        g_previousIoHandler = XSetIOErrorHandler(tolerateLoss);
    });
    std::lock_guard lock(g_errorMutex);
    g_tolerant.insert(display);
}

void forgetErrorsOn(Display* display) {
    std::lock_guard lock(g_errorMutex);
    g_tolerant.erase(display);
}

void keepLost(Display* display) {
    static std::mutex mutex;
    // Never destroyed: the connections stay reachable to the end (no leak to report).
    static auto* const lost = new std::vector<Display*>;
    std::lock_guard lock(mutex);
    lost->push_back(display);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) {
            host::close(m_fd);
        }
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

class X11ClipboardOffer::Owner {
public:
    // Null when the display cannot be opened.
    static std::unique_ptr<Owner> open();
    Owner(Display* display, int wake[2]);
    ~Owner();
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    bool offer(std::shared_ptr<const Content> content);
    // The connection broke (the server went away): nothing more can be offered on it.
    bool lost() const { return m_lost; }

private:
    // A text going to a reader in pieces.
    struct Transfer {
        std::shared_ptr<const Content> content; // keeps the text while a newer one is offered
        const std::string* bytes = nullptr;
        Atom type = None;
        std::size_t sent = 0;
        Clock::time_point lastHeard;
    };
    using TransferKey = std::pair<Window, Atom>; // the reader's window and property

    void run();
    void wake();
    void handle(XEvent& event);
    void handleEvents();
    // Waits for the connection or a wake-up, at most until the deadline when there is one.
    void waitForWork(std::optional<Clock::time_point> deadline);
    void takeSelection(std::shared_ptr<const Content> content);
    Time serverTime();
    void answer(const XSelectionRequestEvent& request);
    bool convert(Window requestor, Atom target, Atom property);
    bool convertMultiple(Window requestor, Atom property);
    void send(Window requestor, Atom property, Atom type, const std::string& bytes);
    void continueTransfer(const XPropertyEvent& event);
    void endTransfer(std::map<TransferKey, Transfer>::iterator transfer);
    void dropSilentReaders();
    void handToManager();

    Display* m_display;
    Descriptor m_wakeRead;
    Descriptor m_wakeWrite;
    Window m_window = None;
    struct {
        Atom clipboard, targets, timestamp, multiple, utf8, text, incr, atomPair, manager,
            saveTargets, stamp, saved;
    } m_atoms{};

    // Shared with offer(): the text waiting to be offered and what the thread has done.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<const Content> m_pending;
    std::uint64_t m_offered = 0; // offers handed over
    std::uint64_t m_taken = 0;   // offers the thread has carried out
    bool m_ownedAfterTaking = false;
    bool m_stop = false;

    // The thread's own.
    std::shared_ptr<const Content> m_content;
    bool m_owned = false;
    Time m_ownedSince = CurrentTime;
    std::map<TransferKey, Transfer> m_transfers;
    bool m_managerAnswered = false;
    std::atomic<bool> m_lost{false};

    std::thread m_thread;
};

std::unique_ptr<X11ClipboardOffer::Owner> X11ClipboardOffer::Owner::open() {
    x11::initialiseThreads();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        XCloseDisplay(display);
        return nullptr;
    }
    return std::make_unique<Owner>(display, wake);
}

X11ClipboardOffer::Owner::Owner(Display* display, int wake[2])
    : m_display(display), m_wakeRead(wake[0]), m_wakeWrite(wake[1]) {
    tolerateErrorsOn(m_display);
    // Without this, Xlib ends the process when the server goes away.
    XSetIOErrorExitHandler(
        m_display, [](Display*, void* self) { static_cast<Owner*>(self)->m_lost = true; }, this);
    const auto atom = [this](const char* name) { return XInternAtom(m_display, name, False); };
    m_atoms.clipboard = atom("CLIPBOARD");
    m_atoms.targets = atom("TARGETS");
    m_atoms.timestamp = atom("TIMESTAMP");
    m_atoms.multiple = atom("MULTIPLE");
    m_atoms.utf8 = atom("UTF8_STRING");
    m_atoms.text = atom("TEXT");
    m_atoms.incr = atom("INCR");
    m_atoms.atomPair = atom("ATOM_PAIR");
    m_atoms.manager = atom("CLIPBOARD_MANAGER");
    m_atoms.saveTargets = atom("SAVE_TARGETS");
    m_atoms.stamp = atom("VELMAR_TIMESTAMP");
    m_atoms.saved = atom("VELMAR_SAVE_TARGETS");
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), -10, -10, 1, 1, 0,
                             CopyFromParent, InputOnly, CopyFromParent, CWEventMask, &attributes);
    XFlush(m_display);
    m_thread = std::thread([this] { run(); });
}

X11ClipboardOffer::Owner::~Owner() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    wake();
    m_thread.join();
    if (m_lost) {
        // Xlib cannot close a connection it lost while reading it (its reader's lock stays
        // taken): it is kept, still tolerated, once per server lost.
        keepLost(m_display);
        return;
    }
    XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
    forgetErrorsOn(m_display);
}

bool X11ClipboardOffer::Owner::offer(std::shared_ptr<const Content> content) {
    std::unique_lock lock(m_mutex);
    m_pending = std::move(content);
    const std::uint64_t mine = ++m_offered;
    lock.unlock();
    wake();
    lock.lock();
    if (!m_changed.wait_for(lock, kOfferTime, [&] { return m_taken >= mine; })) {
        return false;
    }
    return m_ownedAfterTaking;
}

void X11ClipboardOffer::Owner::wake() {
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = host::write(m_wakeWrite.fd(), &byte, 1);
}

void X11ClipboardOffer::Owner::run() {
    // A write to a server that went away fails with EPIPE instead of ending the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (;;) {
        std::shared_ptr<const Content> pending;
        std::uint64_t offered = 0;
        bool stop = false;
        {
            std::lock_guard lock(m_mutex);
            pending = std::exchange(m_pending, nullptr);
            offered = m_offered;
            stop = m_stop;
        }
        if (pending != nullptr) {
            if (!m_lost) {
                takeSelection(std::move(pending));
            }
            {
                std::lock_guard lock(m_mutex);
                m_taken = offered;
                m_ownedAfterTaking = m_owned && !m_lost;
            }
            m_changed.notify_all();
        }
        if (stop) {
            if (!m_lost) {
                handToManager();
            }
            return;
        }
        handleEvents();
        dropSilentReaders();
        waitForWork(m_transfers.empty() ? std::nullopt
                                        : std::optional(Clock::now() + std::chrono::seconds(1)));
    }
}

void X11ClipboardOffer::Owner::handleEvents() {
    while (!m_lost && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        handle(event);
    }
    if (!m_lost) {
        XFlush(m_display);
    }
}

void X11ClipboardOffer::Owner::waitForWork(std::optional<Clock::time_point> deadline) {
    if (!m_lost && XPending(m_display) > 0) {
        return;
    }
    // A broken connection is watched no more; only offer() and the destructor wake us.
    pollfd watched[2] = {{m_wakeRead.fd(), POLLIN, 0},
                         {m_lost ? -1 : ConnectionNumber(m_display), POLLIN, 0}};
    int timeout = -1;
    if (deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now());
        timeout = static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }
    if (host::poll(watched, 2, timeout) > 0 && (watched[0].revents & POLLIN) != 0) {
        char drained[64];
        while (host::read(m_wakeRead.fd(), drained, sizeof drained) > 0) {
        }
    }
}

void X11ClipboardOffer::Owner::handle(XEvent& event) {
    switch (event.type) {
    case SelectionRequest:
        answer(event.xselectionrequest);
        break;
    case SelectionClear:
        // Another program's text is the clipboard's now; pieces already promised still go. The
        // server is asked, as the event may be older than our latest taking of the selection.
        if (event.xselectionclear.selection == m_atoms.clipboard) {
            m_owned = XGetSelectionOwner(m_display, m_atoms.clipboard) == m_window;
        }
        break;
    case SelectionNotify:
        if (event.xselection.selection == m_atoms.manager) {
            m_managerAnswered = true;
        }
        break;
    case PropertyNotify:
        if (event.xproperty.window != m_window && event.xproperty.state == PropertyDelete) {
            continueTransfer(event.xproperty);
        }
        break;
    default:
        break;
    }
}

// The server's time now: the time stamp of a change to a property of our window. (Not
// XIfEvent: it would wait for ever on a broken connection.)
Time X11ClipboardOffer::Owner::serverTime() {
    XChangeProperty(m_display, m_window, m_atoms.stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XFlush(m_display);
    const auto isStamp = [](Display*, XEvent* candidate, XPointer self) -> Bool {
        const auto* owner = reinterpret_cast<const Owner*>(self);
        return candidate->type == PropertyNotify &&
               candidate->xproperty.window == owner->m_window &&
               candidate->xproperty.atom == owner->m_atoms.stamp;
    };
    XEvent event;
    while (!m_lost) {
        if (XCheckIfEvent(m_display, &event, isStamp, reinterpret_cast<XPointer>(this))) {
            return event.xproperty.time;
        }
        pollfd watched{ConnectionNumber(m_display), POLLIN, 0};
        host::poll(&watched, 1, 1000);
    }
    return CurrentTime;
}

void X11ClipboardOffer::Owner::takeSelection(std::shared_ptr<const Content> content) {
    m_content = std::move(content);
    const Time now = serverTime();
    XSetSelectionOwner(m_display, m_atoms.clipboard, m_window, now);
    m_owned = XGetSelectionOwner(m_display, m_atoms.clipboard) == m_window;
    m_ownedSince = now;
}

void X11ClipboardOffer::Owner::answer(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = m_display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    const bool current = request.time == CurrentTime || request.time >= m_ownedSince;
    if (request.selection == m_atoms.clipboard && m_owned && current && m_content != nullptr) {
        // A requestor without a property is of the old kind: the target names the property.
        const Atom property = request.property != None ? request.property : request.target;
        const bool converted =
            request.target == m_atoms.multiple
                ? request.property != None && convertMultiple(request.requestor, request.property)
                : convert(request.requestor, request.target, property);
        if (converted) {
            reply.property = property;
        }
    }
    XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

bool X11ClipboardOffer::Owner::convert(Window requestor, Atom target, Atom property) {
    const Content& content = *m_content;
    if (target == m_atoms.targets) {
        std::vector<long> targets{
            static_cast<long>(m_atoms.targets), static_cast<long>(m_atoms.timestamp),
            static_cast<long>(m_atoms.multiple), static_cast<long>(m_atoms.utf8)};
        if (content.latin1) {
            targets.push_back(static_cast<long>(XA_STRING));
            targets.push_back(static_cast<long>(m_atoms.text));
        }
        XChangeProperty(m_display, requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets.data()),
                        static_cast<int>(targets.size()));
        return true;
    }
    if (target == m_atoms.timestamp) {
        const long stamp = static_cast<long>(m_ownedSince);
        XChangeProperty(m_display, requestor, property, XA_INTEGER, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&stamp), 1);
        return true;
    }
    if (target == m_atoms.utf8) {
        send(requestor, property, m_atoms.utf8, content.utf8);
        return true;
    }
    if ((target == XA_STRING || target == m_atoms.text) && content.latin1) {
        send(requestor, property, XA_STRING, *content.latin1);
        return true;
    }
    return false;
}

// MULTIPLE: the property holds pairs of target and property; a pair we cannot convert gets
// None for its target.
bool X11ClipboardOffer::Owner::convertMultiple(Window requestor, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, requestor, property, 0, 1 << 16, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) != Success) {
        return false;
    }
    std::vector<long> pairs;
    if (data != nullptr) {
        if (format == 32) {
            const auto* values = reinterpret_cast<const long*>(data);
            pairs.assign(values, values + count);
        }
        XFree(data);
    }
    if (pairs.empty() || pairs.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        const auto target = static_cast<Atom>(pairs[i]);
        const auto into = static_cast<Atom>(pairs[i + 1]);
        if (target == m_atoms.multiple || into == None || !convert(requestor, target, into)) {
            pairs[i] = None;
        }
    }
    XChangeProperty(m_display, requestor, property, type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(pairs.data()),
                    static_cast<int>(pairs.size()));
    return true;
}

void X11ClipboardOffer::Owner::send(Window requestor, Atom property, Atom type,
                                    const std::string& bytes) {
    if (bytes.size() <= kPiece) {
        XChangeProperty(m_display, requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
        return;
    }
    // The reader deletes the INCR property when it is ready for the first piece.
    XSelectInput(m_display, requestor, PropertyChangeMask);
    const long size = static_cast<long>(bytes.size());
    XChangeProperty(m_display, requestor, property, m_atoms.incr, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&size), 1);
    Transfer& transfer = m_transfers[{requestor, property}];
    transfer.content = m_content;
    transfer.bytes = &bytes;
    transfer.type = type;
    transfer.sent = 0;
    transfer.lastHeard = Clock::now();
}

// The reader took the last piece (deleted the property): the next one, or the empty piece
// that ends the transfer.
void X11ClipboardOffer::Owner::continueTransfer(const XPropertyEvent& event) {
    const auto found = m_transfers.find({event.window, event.atom});
    if (found == m_transfers.end()) {
        return;
    }
    Transfer& transfer = found->second;
    const std::size_t piece = std::min(kPiece, transfer.bytes->size() - transfer.sent);
    XChangeProperty(m_display, event.window, event.atom, transfer.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(transfer.bytes->data() + transfer.sent),
                    static_cast<int>(piece));
    transfer.sent += piece;
    transfer.lastHeard = Clock::now();
    if (piece == 0) {
        endTransfer(found);
    }
}

void X11ClipboardOffer::Owner::endTransfer(std::map<TransferKey, Transfer>::iterator transfer) {
    const Window requestor = transfer->first.first;
    m_transfers.erase(transfer);
    const bool more = std::any_of(m_transfers.begin(), m_transfers.end(), [&](const auto& other) {
        return other.first.first == requestor;
    });
    if (!more) {
        XSelectInput(m_display, requestor, NoEventMask);
    }
}

void X11ClipboardOffer::Owner::dropSilentReaders() {
    if (m_lost) {
        m_transfers.clear();
        return;
    }
    const Clock::time_point now = Clock::now();
    for (auto transfer = m_transfers.begin(); transfer != m_transfers.end();) {
        const auto next = std::next(transfer);
        if (now - transfer->second.lastHeard >= kReaderGone) {
            endTransfer(transfer);
        }
        transfer = next;
    }
    XFlush(m_display);
}

// The clipboard manager copies the text and becomes the CLIPBOARD's owner; its answer (or
// the time running out) ends our part.
void X11ClipboardOffer::Owner::handToManager() {
    handleEvents();
    if (!m_owned || m_content == nullptr ||
        XGetSelectionOwner(m_display, m_atoms.manager) == None) {
        return;
    }
    std::vector<long> targets{static_cast<long>(m_atoms.utf8)};
    if (m_content->latin1) {
        targets.push_back(static_cast<long>(XA_STRING));
    }
    XChangeProperty(m_display, m_window, m_atoms.saved, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(targets.data()),
                    static_cast<int>(targets.size()));
    XConvertSelection(m_display, m_atoms.manager, m_atoms.saveTargets, m_atoms.saved, m_window,
                      serverTime());
    XFlush(m_display);
    const Clock::time_point deadline = Clock::now() + kManagerTime;
    while (!m_managerAnswered && !m_lost && Clock::now() < deadline) {
        waitForWork(deadline);
        handleEvents();
    }
}

X11ClipboardOffer::X11ClipboardOffer() = default;

X11ClipboardOffer::~X11ClipboardOffer() = default;

bool X11ClipboardOffer::offer(std::string_view text) {
    std::lock_guard lock(m_mutex);
    if (m_owner != nullptr && m_owner->lost()) {
        m_owner.reset();
    }
    if (m_owner == nullptr) {
        m_owner = Owner::open();
        if (m_owner == nullptr) {
            return false;
        }
    }
    return m_owner->offer(contentOf(text));
}

} // namespace velmar::ui
