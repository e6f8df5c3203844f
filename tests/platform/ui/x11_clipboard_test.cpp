// The clipboard's text on X: read back by a reader of our own on a private Xvfb, as another
// program of the display would read it.

// GoogleTest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "platform/ui/internal/x11_clipboard.h"
#include "platform/ui/internal/x11_threads.h"
#include "tests/support/xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using velmar::ui::X11ClipboardOffer;
using Clock = std::chrono::steady_clock;

// Long enough for any answer; a missing answer fails the test instead of hanging it.
constexpr auto kAnswerTime = std::chrono::seconds(20);

struct Reply {
    bool refused = true;
    Atom type = None;
    std::string bytes;
    std::vector<Atom> atoms;
    bool inPieces = false;
};

// Another program of the display: a connection and a window that receives selections.
class Reader {
public:
    Reader() {
        velmar::ui::x11::initialiseThreads();
        m_display = XOpenDisplay(nullptr);
        if (m_display != nullptr) {
            m_window =
                XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
            XSelectInput(m_display, m_window, PropertyChangeMask);
            m_property = atom("VELMAR_TEST_READ");
        }
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() {
        if (m_display != nullptr) {
            XDestroyWindow(m_display, m_window);
            XCloseDisplay(m_display);
        }
    }

    bool connected() const { return m_display != nullptr; }
    Display* display() const { return m_display; }
    Window window() const { return m_window; }
    Atom atom(const char* name) const { return XInternAtom(m_display, name, False); }
    std::string nameOf(Atom value) const {
        char* name = XGetAtomName(m_display, value);
        std::string copy = name != nullptr ? name : "?";
        XFree(name);
        return copy;
    }

    // The next event that matches, or nothing when none came in time.
    template <typename Match>
    std::optional<XEvent> waitFor(Match match) {
        const Clock::time_point deadline = Clock::now() + kAnswerTime;
        for (;;) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (match(event)) {
                    return event;
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return std::nullopt;
            }
            pollfd watched{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&watched, 1, static_cast<int>(left.count()));
        }
    }

    // Converts CLIPBOARD to target; INCR transfers are followed to their end.
    std::optional<Reply> read(const char* target) {
        XConvertSelection(m_display, atom("CLIPBOARD"), atom(target), m_property, m_window,
                          CurrentTime);
        XFlush(m_display);
        const auto notified =
            waitFor([](const XEvent& event) { return event.type == SelectionNotify; });
        if (!notified) {
            return std::nullopt;
        }
        Reply reply;
        if (notified->xselection.property == None) {
            return reply;
        }
        reply.refused = false;
        std::string bytes;
        takeProperty(reply.type, bytes, reply.atoms);
        if (reply.type != atom("INCR")) {
            reply.bytes = bytes;
            return reply;
        }
        reply.inPieces = true;
        for (;;) {
            const auto piece = waitFor([this](const XEvent& event) {
                return event.type == PropertyNotify && event.xproperty.atom == m_property &&
                       event.xproperty.state == PropertyNewValue;
            });
            if (!piece) {
                return std::nullopt;
            }
            std::vector<Atom> ignored;
            takeProperty(reply.type, bytes, ignored);
            if (bytes.empty()) {
                return reply;
            }
            reply.bytes += bytes;
        }
    }

private:
    // Reads and deletes our property: bytes of format 8, atoms of format 32.
    void takeProperty(Atom& type, std::string& bytes, std::vector<Atom>& atoms) {
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        bytes.clear();
        XGetWindowProperty(m_display, m_window, m_property, 0, 1L << 24, True, AnyPropertyType,
                           &type, &format, &count, &after, &data);
        if (data != nullptr) {
            if (format == 8) {
                bytes.assign(reinterpret_cast<const char*>(data), count);
            } else if (format == 32) {
                const auto* values = reinterpret_cast<const long*>(data);
                for (unsigned long i = 0; i < count; ++i) {
                    atoms.push_back(static_cast<Atom>(values[i]));
                }
            }
            XFree(data);
        }
        XFlush(m_display);
    }

    Display* m_display = nullptr;
    Window m_window = None;
    Atom m_property = None;
};

std::vector<std::string> targetNames(Reader& reader) {
    std::vector<std::string> names;
    const std::optional<Reply> targets = reader.read("TARGETS");
    if (targets && !targets->refused) {
        for (Atom each : targets->atoms) {
            names.push_back(reader.nameOf(each));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(X11Clipboard, OffersUtf8AndLatin1OnlyWhenTheTextFitsLatin1) {
    velmar::test::Xvfb xvfb;
    VELMAR_REQUIRE_XVFB(xvfb);
    Reader reader;
    ASSERT_TRUE(reader.connected());
    struct Case {
        const char* ansi; // code page 1252
        const char* utf8;
        const char* latin1; // null: STRING and TEXT not offered
    };
    const Case cases[] = {
        {"caf\xE9", "caf\xC3\xA9", "caf\xE9"},
        {"5 \x80 \xC0 la carte", "5 \xE2\x82\xAC \xC3\x80 la carte", nullptr},
        {"line 1\r\nline 2\r\n", "line 1\nline 2\n", "line 1\nline 2\n"},
        {"", "", ""},
    };
    X11ClipboardOffer offer;
    for (const Case& each : cases) {
        SCOPED_TRACE(each.utf8);
        ASSERT_TRUE(offer.offer(each.ansi));

        const std::optional<Reply> utf8 = reader.read("UTF8_STRING");
        ASSERT_TRUE(utf8);
        EXPECT_FALSE(utf8->refused);
        EXPECT_EQ(reader.nameOf(utf8->type), "UTF8_STRING");
        EXPECT_EQ(utf8->bytes, each.utf8);

        std::vector<std::string> expected{"MULTIPLE", "TARGETS", "TIMESTAMP", "UTF8_STRING"};
        if (each.latin1 != nullptr) {
            expected.insert(expected.begin(), "STRING");
            expected.insert(expected.begin() + 1, "TEXT");
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(targetNames(reader), expected);

        for (const char* latinTarget : {"STRING", "TEXT"}) {
            SCOPED_TRACE(latinTarget);
            const std::optional<Reply> latin1 = reader.read(latinTarget);
            ASSERT_TRUE(latin1);
            EXPECT_EQ(latin1->refused, each.latin1 == nullptr);
            if (each.latin1 != nullptr) {
                EXPECT_EQ(latin1->type, XA_STRING);
                EXPECT_EQ(latin1->bytes, each.latin1);
            }
        }
        for (const char* other : {"image/png", "text/html", "PIXMAP"}) {
            SCOPED_TRACE(other);
            const std::optional<Reply> refused = reader.read(other);
            ASSERT_TRUE(refused);
            EXPECT_TRUE(refused->refused);
        }
    }
}

TEST(X11Clipboard, AnOfferReplacesThePreviousOneAndTakesTheSelectionBack) {
    velmar::test::Xvfb xvfb;
    VELMAR_REQUIRE_XVFB(xvfb);
    Reader reader;
    ASSERT_TRUE(reader.connected());
    X11ClipboardOffer offer;
    ASSERT_TRUE(offer.offer("first"));
    ASSERT_EQ(reader.read("UTF8_STRING")->bytes, "first");
    ASSERT_TRUE(offer.offer("second"));
    EXPECT_EQ(reader.read("UTF8_STRING")->bytes, "second");

    // Another program copies: the selection is its; our next offer takes it back.
    XSetSelectionOwner(reader.display(), reader.atom("CLIPBOARD"), reader.window(), CurrentTime);
    XSync(reader.display(), False);
    ASSERT_TRUE(offer.offer("third"));
    EXPECT_NE(XGetSelectionOwner(reader.display(), reader.atom("CLIPBOARD")), reader.window());
    EXPECT_EQ(reader.read("UTF8_STRING")->bytes, "third");
}

TEST(X11Clipboard, ALargeTextGoesInPieces) {
    velmar::test::Xvfb xvfb;
    VELMAR_REQUIRE_XVFB(xvfb);
    Reader reader;
    ASSERT_TRUE(reader.connected());
    std::string ansi;
    std::string latin1;
    std::string utf8;
    for (int line = 0; ansi.size() < 1500 * 1024; ++line) {
        const std::string number = std::to_string(line);
        ansi += "r\xE9sum\xE9 " + number + "\r\n";
        latin1 += "r\xE9sum\xE9 " + number + "\n";
        utf8 += "r\xC3\xA9sum\xC3\xA9 " + number + "\n";
    }
    X11ClipboardOffer offer;
    ASSERT_TRUE(offer.offer(ansi));
    const struct {
        const char* target;
        const std::string& expected;
    } cases[] = {{"UTF8_STRING", utf8}, {"STRING", latin1}};
    for (const auto& each : cases) {
        SCOPED_TRACE(each.target);
        const std::optional<Reply> reply = reader.read(each.target);
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->inPieces);
        EXPECT_EQ(reply->bytes.size(), each.expected.size());
        EXPECT_TRUE(reply->bytes == each.expected);
    }
}

// MULTIPLE, as clipboard managers ask: each pair converted, a refused one's target None.
TEST(X11Clipboard, MultipleConvertsEachPair) {
    velmar::test::Xvfb xvfb;
    VELMAR_REQUIRE_XVFB(xvfb);
    Reader reader;
    ASSERT_TRUE(reader.connected());
    X11ClipboardOffer offer;
    ASSERT_TRUE(offer.offer("na\xEFve"));
    Display* display = reader.display();
    const Atom utf8Into = reader.atom("VELMAR_TEST_UTF8");
    const Atom pngInto = reader.atom("VELMAR_TEST_PNG");
    const Atom pairsProperty = reader.atom("VELMAR_TEST_PAIRS");
    const long pairs[] = {static_cast<long>(reader.atom("UTF8_STRING")),
                          static_cast<long>(utf8Into), static_cast<long>(reader.atom("image/png")),
                          static_cast<long>(pngInto)};
    XChangeProperty(display, reader.window(), pairsProperty, reader.atom("ATOM_PAIR"), 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(pairs), 4);
    XConvertSelection(display, reader.atom("CLIPBOARD"), reader.atom("MULTIPLE"), pairsProperty,
                      reader.window(), CurrentTime);
    XFlush(display);
    const auto notified =
        reader.waitFor([](const XEvent& event) { return event.type == SelectionNotify; });
    ASSERT_TRUE(notified);
    ASSERT_EQ(notified->xselection.property, pairsProperty);

    const auto property = [&](Atom name) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, reader.window(), name, 0, 1024, False, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        std::vector<long> values;
        if (data != nullptr && format == 32) {
            values.assign(reinterpret_cast<const long*>(data),
                          reinterpret_cast<const long*>(data) + count);
        }
        std::string bytes = data != nullptr && format == 8
                                ? std::string(reinterpret_cast<const char*>(data), count)
                                : std::string();
        XFree(data);
        return std::make_pair(bytes, values);
    };
    const std::vector<long> answered = property(pairsProperty).second;
    ASSERT_EQ(answered.size(), 4u);
    EXPECT_EQ(answered[0], pairs[0]);
    EXPECT_EQ(answered[2], static_cast<long>(None));
    EXPECT_EQ(property(utf8Into).first, "na\xC3\xAFve");
}

// A clipboard manager keeps the text after we close: it is asked for SAVE_TARGETS and copies.
TEST(X11Clipboard, ClosingHandsTheTextToTheClipboardManager) {
    velmar::test::Xvfb xvfb;
    VELMAR_REQUIRE_XVFB(xvfb);
    Reader manager;
    ASSERT_TRUE(manager.connected());
    Display* display = manager.display();
    XSetSelectionOwner(display, manager.atom("CLIPBOARD_MANAGER"), manager.window(), CurrentTime);
    XSync(display, False);

    auto offer = std::make_unique<X11ClipboardOffer>();
    ASSERT_TRUE(offer->offer("d\xE9j\xE0 vu"));
    std::thread closing([&offer] { offer.reset(); });

    const auto save = manager.waitFor([&](const XEvent& event) {
        return event.type == SelectionRequest &&
               event.xselectionrequest.target == manager.atom("SAVE_TARGETS");
    });
    std::optional<Reply> copied;
    if (save) {
        copied = manager.read("UTF8_STRING");
        XSelectionEvent done{};
        done.type = SelectionNotify;
        done.requestor = save->xselectionrequest.requestor;
        done.selection = save->xselectionrequest.selection;
        done.target = save->xselectionrequest.target;
        done.property = save->xselectionrequest.property;
        done.time = save->xselectionrequest.time;
        XSendEvent(display, done.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&done));
        XFlush(display);
    }
    closing.join();
    ASSERT_TRUE(save);
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->bytes, "d\xC3\xA9j\xC3\xA0 vu");
}

// The server going away ends neither the process nor the offer's owner: later offers fail
// until a display can be opened again.
TEST(X11Clipboard, TheServerGoingAwayEndsOnlyTheOffer) {
    auto xvfb = std::make_unique<velmar::test::Xvfb>();
    VELMAR_REQUIRE_XVFB(*xvfb);
    X11ClipboardOffer offer;
    ASSERT_TRUE(offer.offer("before"));
    xvfb.reset();
    EXPECT_FALSE(offer.offer("after"));

    velmar::test::Xvfb another;
    VELMAR_REQUIRE_XVFB(another);
    Reader reader;
    ASSERT_TRUE(reader.connected());
    ASSERT_TRUE(offer.offer("again"));
    EXPECT_EQ(reader.read("UTF8_STRING")->bytes, "again");
}

TEST(X11Clipboard, WithoutADisplayNothingIsOffered) {
    velmar::test::ScopedEnv noDisplay("DISPLAY", nullptr);
    X11ClipboardOffer offer;
    EXPECT_FALSE(offer.offer("text"));
}

} // namespace
