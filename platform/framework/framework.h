// The application framework: its string classes, window and application classes and file
// classes.
#pragma once

#include "platform/base/base.h"
#include "platform/text/text.h"
#include "platform/ui/ui.h"

#include <algorithm>
#include <climits>
#include <compare>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

// printf-style formatting into standard strings, narrow and wide, with the C library's
// conventions. The variadic front ends pass framework and standard strings as their
// characters, so "%s" takes them as it takes a zero-terminated text.

namespace velmar::framework {

// Length of the formatted text, or -1 when the formatter reports an error.
int vformattedLength(const char* pattern, va_list args);
int vformattedLength(const wchar_t* pattern, va_list args);

// Formats into out; false (out emptied) when the formatter reports an error.
bool vformat(std::string& out, const char* pattern, va_list args);
bool vformat(std::wstring& out, const wchar_t* pattern, va_list args);

bool cformat(std::string& out, const char* pattern, ...);
bool cformat(std::wstring& out, const wchar_t* pattern, ...);
int cformattedLength(const char* pattern, ...);
int cformattedLength(const wchar_t* pattern, ...);

// What a printf argument becomes: strings of either kind become their characters; anything
// else must be a plain value that C varargs can carry.
template <typename T>
decltype(auto) passArg(const T& value) {
    if constexpr (requires { value.c_str(); }) {
        return value.c_str();
    } else if constexpr (requires { value.GetString(); }) {
        return value.GetString();
    } else {
        static_assert(std::is_trivially_copyable_v<T>, "printf arguments must be plain values");
        return value;
    }
}

} // namespace velmar::framework

// The framework's string classes: CString (narrow, Windows-1252) and CStringW (wide).
//
// Indexes and lengths are int, as the framework has them. Out-of-range arguments are clamped
// the way the framework clamps them (Mid(-1) is Mid(0), Left(-3) is empty); nothing reads or
// writes outside the text. A null text pointer counts as an empty text.
// Case changes and case-blind comparison use the code page's letters (A-Z and the accented
// letters of 1252).

template <typename Ch>
class CStringT {
public:
    using XCHAR = Ch;
    using PCXSTR = const Ch*;
    using StringType = std::basic_string<Ch>;
    using ViewType = std::basic_string_view<Ch>;

    CStringT() = default;
    CStringT(const Ch* text) : m_text(text != nullptr ? text : empty()) {}
    CStringT(const Ch* text, int length)
        : m_text(text != nullptr && length > 0 ? StringType(text, static_cast<std::size_t>(length))
                                               : StringType()) {}
    explicit CStringT(Ch ch, int repeat = 1)
        : m_text(static_cast<std::size_t>(std::max(repeat, 0)), ch) {}
    explicit CStringT(ViewType text) : m_text(text) {}
    explicit CStringT(const StringType& text) : m_text(text) {}
    explicit CStringT(StringType&& text) : m_text(std::move(text)) {}

    // Text of the other width, converted through the ANSI code page.
    template <typename Other>
    requires(!std::is_same_v<Other, Ch> &&
             (std::is_same_v<Other, char> ||
              std::is_same_v<Other, wchar_t>)) explicit CStringT(const Other* text)
        : m_text(convert(text)) {}
    template <typename Other>
    requires(!std::is_same_v<Other, Ch>) explicit CStringT(const CStringT<Other>& other)
        : m_text(convert(other.GetString())) {}

    // --- Size and characters ---
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    Ch GetAt(int index) const {
        return inRange(index) ? m_text[static_cast<std::size_t>(index)] : Ch();
    }
    void SetAt(int index, Ch ch) {
        if (inRange(index)) {
            m_text[static_cast<std::size_t>(index)] = ch;
        }
    }
    Ch operator[](int index) const { return GetAt(index); }
    operator const Ch*() const { return m_text.c_str(); }
    const Ch* GetString() const { return m_text.c_str(); }
    const Ch* c_str() const { return m_text.c_str(); }
    const StringType& native() const { return m_text; }
    ViewType view() const { return m_text; }

    // A writable buffer of at least minLength characters plus a terminator; ReleaseBuffer
    // takes the length back (up to the first zero when -1).
    Ch* GetBuffer(int minLength = 0) {
        if (minLength > GetLength()) {
            m_text.resize(static_cast<std::size_t>(minLength));
        }
        return m_text.data();
    }
    Ch* GetBufferSetLength(int length) {
        m_text.resize(static_cast<std::size_t>(std::max(length, 0)));
        return m_text.data();
    }
    void ReleaseBuffer(int newLength = -1) {
        if (newLength < 0) {
            newLength = static_cast<int>(length(m_text.c_str()));
        }
        m_text.resize(std::min(static_cast<std::size_t>(newLength), m_text.size()));
    }

    // --- Parts ---
    CStringT Mid(int first) const { return Mid(first, INT_MAX); }
    CStringT Mid(int first, int count) const {
        first = std::clamp(first, 0, GetLength());
        count = std::clamp(count, 0, GetLength() - first);
        return CStringT(
            m_text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
    }
    CStringT Left(int count) const { return Mid(0, count); }
    CStringT Right(int count) const {
        count = std::clamp(count, 0, GetLength());
        return Mid(GetLength() - count, count);
    }
    CStringT SpanIncluding(const Ch* set) const {
        const std::size_t at = m_text.find_first_not_of(safe(set));
        return Left(static_cast<int>(at == StringType::npos ? m_text.size() : at));
    }
    CStringT SpanExcluding(const Ch* set) const {
        const std::size_t at = m_text.find_first_of(safe(set));
        return Left(static_cast<int>(at == StringType::npos ? m_text.size() : at));
    }
    // The next token after start, skipping leading delimiters; start becomes -1 at the end.
    CStringT Tokenize(const Ch* delimiters, int& start) const {
        if (start < 0 || start >= GetLength()) {
            start = -1;
            return CStringT();
        }
        const ViewType set = safe(delimiters);
        const std::size_t from = m_text.find_first_not_of(set, static_cast<std::size_t>(start));
        if (from == StringType::npos) {
            start = -1;
            return CStringT();
        }
        std::size_t to = m_text.find_first_of(set, from);
        if (to == StringType::npos) {
            to = m_text.size();
        }
        start = static_cast<int>(to == m_text.size() ? to : to + 1);
        return CStringT(m_text.substr(from, to - from));
    }

    // --- Search ---
    int Find(Ch ch, int start = 0) const {
        if (start < 0) {
            start = 0;
        }
        if (start >= GetLength()) {
            return -1;
        }
        return toIndex(m_text.find(ch, static_cast<std::size_t>(start)));
    }
    int Find(const Ch* sub, int start = 0) const {
        if (start < 0) {
            start = 0;
        }
        if (start > GetLength()) {
            return -1;
        }
        return toIndex(m_text.find(safe(sub), static_cast<std::size_t>(start)));
    }
    int ReverseFind(Ch ch) const { return toIndex(m_text.rfind(ch)); }
    int FindOneOf(const Ch* set) const { return toIndex(m_text.find_first_of(safe(set))); }

    // --- Changes ---
    CStringT& MakeUpper() {
        for (Ch& c : m_text) {
            c = upper(c);
        }
        return *this;
    }
    CStringT& MakeLower() {
        for (Ch& c : m_text) {
            c = lower(c);
        }
        return *this;
    }
    CStringT& MakeReverse() {
        std::reverse(m_text.begin(), m_text.end());
        return *this;
    }
    int Replace(Ch from, Ch to) {
        int count = 0;
        for (Ch& c : m_text) {
            if (c == from) {
                c = to;
                ++count;
            }
        }
        return count;
    }
    int Replace(const Ch* from, const Ch* to) {
        const ViewType search = safe(from);
        const ViewType replacement = safe(to);
        if (search.empty()) {
            return 0;
        }
        int count = 0;
        StringType result;
        std::size_t pos = 0;
        for (std::size_t hit; (hit = m_text.find(search, pos)) != StringType::npos;
             pos = hit + search.size()) {
            result.append(m_text, pos, hit - pos).append(replacement);
            ++count;
        }
        if (count > 0) {
            result.append(m_text, pos, StringType::npos);
            m_text = std::move(result);
        }
        return count;
    }
    int Remove(Ch ch) {
        const auto before = m_text.size();
        std::erase(m_text, ch);
        return static_cast<int>(before - m_text.size());
    }
    int Insert(int index, Ch ch) { return Insert(index, ViewType(&ch, 1)); }
    int Insert(int index, const Ch* text) { return Insert(index, safe(text)); }
    int Insert(int index, ViewType text) {
        index = std::clamp(index, 0, GetLength());
        m_text.insert(static_cast<std::size_t>(index), text);
        return GetLength();
    }
    int Delete(int index, int count = 1) {
        index = std::max(index, 0);
        if (count > 0 && index < GetLength()) {
            m_text.erase(static_cast<std::size_t>(index),
                         static_cast<std::size_t>(std::min(count, GetLength() - index)));
        }
        return GetLength();
    }
    CStringT& TrimLeft(ViewType set) {
        m_text.erase(0, std::min(m_text.find_first_not_of(set), m_text.size()));
        return *this;
    }
    CStringT& TrimRight(ViewType set) {
        const std::size_t last = m_text.find_last_not_of(set);
        m_text.erase(last == StringType::npos ? 0 : last + 1);
        return *this;
    }
    CStringT& TrimLeft(const Ch* set) { return TrimLeft(safe(set)); }
    CStringT& TrimRight(const Ch* set) { return TrimRight(safe(set)); }
    CStringT& Trim(const Ch* set) { return TrimRight(set).TrimLeft(set); }
    CStringT& TrimLeft(Ch ch) { return TrimLeft(ViewType(&ch, 1)); }
    CStringT& TrimRight(Ch ch) { return TrimRight(ViewType(&ch, 1)); }
    CStringT& Trim(Ch ch) { return TrimRight(ch).TrimLeft(ch); }
    CStringT& TrimLeft() { return TrimLeft(ViewType(whitespace())); }
    CStringT& TrimRight() { return TrimRight(ViewType(whitespace())); }
    CStringT& Trim() { return TrimRight().TrimLeft(); }

    void Append(const Ch* text) { m_text.append(safe(text)); }
    void Append(const Ch* text, int length) {
        if (text != nullptr && length > 0) {
            m_text.append(text, static_cast<std::size_t>(length));
        }
    }
    void AppendChar(Ch ch) { m_text += ch; }

    // --- Formatting (printf conventions; framework strings may be passed for %s) ---
    template <typename... Args>
    void Format(const Ch* pattern, const Args&... args) {
        StringType text;
        velmar::framework::cformat(text, safe(pattern).data(), velmar::framework::passArg(args)...);
        m_text = std::move(text);
    }
    template <typename... Args>
    void AppendFormat(const Ch* pattern, const Args&... args) {
        StringType text;
        velmar::framework::cformat(text, safe(pattern).data(), velmar::framework::passArg(args)...);
        m_text += text;
    }
    void FormatV(const Ch* pattern, va_list args) {
        velmar::framework::vformat(m_text, safe(pattern).data(), args);
    }

    // --- Comparison ---
    int Compare(const Ch* other) const { return ViewType(m_text).compare(safe(other)); }
    int CompareNoCase(const Ch* other) const {
        const ViewType a = m_text;
        const ViewType b = safe(other);
        const std::size_t n = std::min(a.size(), b.size());
        for (std::size_t i = 0; i < n; ++i) {
            const auto x = static_cast<unsigned>(unit(lower(a[i])));
            const auto y = static_cast<unsigned>(unit(lower(b[i])));
            if (x != y) {
                return x < y ? -1 : 1;
            }
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }

    // --- Operators ---
    CStringT& operator=(const Ch* text) {
        m_text = safe(text);
        return *this;
    }
    CStringT& operator=(Ch ch) {
        m_text.assign(1, ch);
        return *this;
    }
    CStringT& operator+=(const CStringT& other) {
        m_text += other.m_text;
        return *this;
    }
    CStringT& operator+=(const Ch* text) {
        m_text += safe(text);
        return *this;
    }
    CStringT& operator+=(Ch ch) {
        m_text += ch;
        return *this;
    }
    friend CStringT operator+(CStringT a, const CStringT& b) { return a += b; }
    friend CStringT operator+(CStringT a, const Ch* b) { return a += b; }
    friend CStringT operator+(const Ch* a, const CStringT& b) { return CStringT(a) += b; }
    friend CStringT operator+(CStringT a, Ch b) { return a += b; }
    friend CStringT operator+(Ch a, const CStringT& b) { return CStringT(a) += b; }

    friend bool operator==(const CStringT& a, const CStringT& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CStringT& a, const Ch* b) { return ViewType(a.m_text) == safe(b); }
    friend std::strong_ordering operator<=>(const CStringT& a, const CStringT& b) {
        return a.m_text <=> b.m_text;
    }
    friend std::strong_ordering operator<=>(const CStringT& a, const Ch* b) {
        return ViewType(a.m_text) <=> safe(b);
    }

private:
    static const Ch* empty() {
        static constexpr Ch kEmpty[1] = {};
        return kEmpty;
    }
    static ViewType safe(const Ch* text) { return text != nullptr ? ViewType(text) : ViewType(); }
    static ViewType safe(ViewType text) { return text; }
    static std::size_t length(const Ch* text) { return std::char_traits<Ch>::length(text); }
    static const Ch* whitespace() {
        static constexpr Ch kSpaces[] = {' ', '\t', '\n', '\v', '\f', '\r', 0};
        return kSpaces;
    }
    static int toIndex(std::size_t pos) {
        return pos == StringType::npos ? -1 : static_cast<int>(pos);
    }
    static Ch upper(Ch c) {
        if constexpr (std::is_same_v<Ch, char>) {
            return velmar::text::ansiToUpper(c);
        } else {
            return velmar::text::wideToUpper(c);
        }
    }
    static Ch lower(Ch c) {
        if constexpr (std::is_same_v<Ch, char>) {
            return velmar::text::ansiToLower(c);
        } else {
            return velmar::text::wideToLower(c);
        }
    }
    static auto unit(Ch c) {
        if constexpr (std::is_same_v<Ch, char>) {
            return static_cast<unsigned char>(c);
        } else {
            return static_cast<std::uint32_t>(c);
        }
    }
    static StringType convert(const char* text) {
        if constexpr (std::is_same_v<Ch, wchar_t>) {
            return velmar::text::ansiToWide(text != nullptr ? std::string_view(text)
                                                            : std::string_view());
        } else {
            return text != nullptr ? StringType(text) : StringType();
        }
    }
    static StringType convert(const wchar_t* text) {
        if constexpr (std::is_same_v<Ch, char>) {
            return velmar::text::wideToAnsi(text != nullptr ? std::wstring_view(text)
                                                            : std::wstring_view());
        } else {
            return text != nullptr ? StringType(text) : StringType();
        }
    }
    bool inRange(int index) const { return index >= 0 && index < GetLength(); }

    StringType m_text;
};

using CString = CStringT<char>;
using CStringA = CStringT<char>;
using CStringW = CStringT<wchar_t>;

// The framework's time span: a signed 64-bit count of seconds.
//
// The parts are taken with C++'s division, which truncates toward zero, so for a negative
// span every part is zero or negative (-3661 s: -1 hour, -1 minute, -1 second) and Format
// prints each with its sign ("-01:-01:-01" for "%H:%M:%S"). Sums and differences wrap
// at 64 bits instead of overflowing.
class CTimeSpan {
public:
    CTimeSpan() = default;
    CTimeSpan(std::int64_t seconds) : m_seconds(seconds) {} // converts as a time_t does
    CTimeSpan(LONG days, int hours, int minutes, int seconds)
        : m_seconds(((std::int64_t{days} * 24 + hours) * 60 + minutes) * 60 + seconds) {}

    LONGLONG GetDays() const { return m_seconds / 86400; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONG GetSeconds() const { return static_cast<LONG>(m_seconds - GetTotalMinutes() * 60); }
    LONGLONG GetTotalHours() const { return m_seconds / 3600; }
    LONGLONG GetTotalMinutes() const { return m_seconds / 60; }
    LONGLONG GetTotalSeconds() const { return m_seconds; }
    std::int64_t GetTimeSpan() const { return m_seconds; }

    // %D whole days; %H, %M, %S hours of the day, minutes of the hour, seconds of the minute
    // with at least two digits; %% a percent sign. Any other character, and a "%" together
    // with the character after it that is none of these, is copied unchanged; a "%" that ends
    // the pattern is copied too. A null pattern gives an empty text.
    CString Format(LPCSTR pattern) const;

    friend CTimeSpan operator+(CTimeSpan a, CTimeSpan b) {
        return wrapped(a.m_seconds, b.m_seconds, false);
    }
    friend CTimeSpan operator-(CTimeSpan a, CTimeSpan b) {
        return wrapped(a.m_seconds, b.m_seconds, true);
    }
    CTimeSpan& operator+=(CTimeSpan other) { return *this = *this + other; }
    CTimeSpan& operator-=(CTimeSpan other) { return *this = *this - other; }
    friend bool operator==(CTimeSpan a, CTimeSpan b) = default;
    friend std::strong_ordering operator<=>(CTimeSpan a, CTimeSpan b) = default;

private:
    static CTimeSpan wrapped(std::int64_t a, std::int64_t b, bool subtract) {
        const auto ua = static_cast<std::uint64_t>(a);
        const auto ub = static_cast<std::uint64_t>(b);
        return CTimeSpan(static_cast<std::int64_t>(subtract ? ua - ub : ua + ub));
    }

    std::int64_t m_seconds = 0;
};

// The framework's window classes: command targets with message maps, CWnd over a window
// handle, the modal CDialog, device contexts, the application object and its entry.
//
// A CWnd is bound to its handle in the calling thread's maps: permanently (Attach,
// SubclassWindow, a running CDialog) or, for a handle nobody bound, as a temporary object from
// FromHandle that lives until the thread's next idle time (CWnd::DeleteTempMap). Messages of a
// bound framework window go WindowProc -> OnWndMsg -> the message maps, most derived first ->
// DefWindowProc (the window's earlier procedure when it was subclassed).

class CCmdTarget;
class CWnd;
class CWinApp;

// One line of a message map. The handler is a small function made by the ON_ macro that calls
// the class's member with the message's arguments and gives the message's result.
struct AFX_MSGMAP_ENTRY {
    UINT message = 0; // WM_COMMAND for command and notification lines
    UINT code = 0;    // the notification code of a WM_COMMAND line
    UINT firstId = 0; // the command or control id of a WM_COMMAND line
    UINT lastId = 0;
    LRESULT (*handler)(CCmdTarget* target, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*baseMap)() = nullptr;
    const AFX_MSGMAP_ENTRY* entries = nullptr; // ends with a line without handler
};

// The standard Help command, as the framework numbers it.
inline constexpr UINT ID_HELP = 0xE146;

// Something that has a message map: windows and the application object.
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Calls the map's handler for a command or a control's notification; TRUE when there
    // was one.
    virtual BOOL OnCmdMsg(UINT id, int code);

protected:
    // The first line for a message (or, for WM_COMMAND, for its code and id), searched from the
    // most derived class's map to the base's; null when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// Marks message handlers in class definitions, as in the framework's own headers.
#define afx_msg

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

// The handlers of a map are members of theClass with the framework's signatures; a handler of
// another signature does not compile.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    AFX_MSGMAP_ENTRY {}                                                                            \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map{&TheBaseClass::GetThisMessageMap, entries};                        \
    return &map;                                                                                   \
    }

// A line for a message whose handler takes nothing and returns nothing.
#define VELMAR_ON_VOID_MESSAGE(message, memberFxn)                                                 \
    AFX_MSGMAP_ENTRY{message, 0, 0, 0, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {         \
                         static_cast<ThisClass*>(target)->memberFxn();                             \
                         return 0;                                                                 \
                     }},

#define ON_WM_PAINT() VELMAR_ON_VOID_MESSAGE(WM_PAINT, OnPaint)
#define ON_WM_CLOSE() VELMAR_ON_VOID_MESSAGE(WM_CLOSE, OnClose)
#define ON_WM_DESTROY() VELMAR_ON_VOID_MESSAGE(WM_DESTROY, OnDestroy)
#define ON_WM_QUERYDRAGICON()                                                                      \
    AFX_MSGMAP_ENTRY{WM_QUERYDRAGICON, 0, 0, 0,                                                    \
                     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                           \
                         const HCURSOR icon = static_cast<ThisClass*>(target)->OnQueryDragIcon();  \
                         return reinterpret_cast<LRESULT>(icon);                                   \
                     }},
#define ON_WM_SYSCOMMAND()                                                                         \
    AFX_MSGMAP_ENTRY{                                                                              \
        WM_SYSCOMMAND, 0, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {  \
            static_cast<ThisClass*>(target)->OnSysCommand(static_cast<UINT>(wParam), lParam);      \
            return 0;                                                                              \
        }},
#define ON_WM_TIMER()                                                                              \
    AFX_MSGMAP_ENTRY{WM_TIMER, 0, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM) -> LRESULT { \
                         static_cast<ThisClass*>(target)->OnTimer(static_cast<UINT_PTR>(wParam));  \
                         return 0;                                                                 \
                     }},
// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                                             \
    AFX_MSGMAP_ENTRY{static_cast<UINT>(message), 0, 0, 0,                                          \
                     [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {             \
                         return (static_cast<ThisClass*>(target)->*(memberFxn))(wParam, lParam);   \
                     }},
// void (theClass::*)(), for WM_COMMAND with the code and the id: ON_BN_CLICKED(1001,
// &CMyDlg::OnYes).
#define ON_CONTROL(code, id, memberFxn)                                                            \
    AFX_MSGMAP_ENTRY{WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id),                   \
                     static_cast<UINT>(id), [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {    \
                         (static_cast<ThisClass*>(target)->*(memberFxn))();                        \
                         return 0;                                                                 \
                     }},
// A menu or accelerator command; the framework's command code is 0, as BN_CLICKED.
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

// A RECT with the framework's helpers.
class CRect : public RECT {
public:
    CRect() = default;
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& rect) : RECT(rect) {}
    int Width() const { return static_cast<int>(right - left); }
    int Height() const { return static_cast<int>(bottom - top); }
    BOOL IsRectEmpty() const { return right <= left || bottom <= top ? TRUE : FALSE; }
    POINT CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
};

// A framework window: a CWnd object over a window handle.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    // A bound window is destroyed with its object when it belongs to the calling thread, else
    // only let go.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // --- Handle maps (the calling thread's) ---
    // The permanent object of the handle, else a temporary one made for it (valid until the
    // thread's next idle time); null for a null handle.
    static CWnd* FromHandle(HWND window);
    // The object bound to the handle by Attach or SubclassWindow, else null.
    static CWnd* FromHandlePermanent(HWND window);
    // Deletes the thread's temporary objects.
    static void DeleteTempMap();

    // FALSE when the handle is null, this object is bound already, or the handle has a
    // permanent object.
    BOOL Attach(HWND window);
    HWND Detach();
    // Attach, and the window's procedure becomes the framework's, which calls the earlier
    // one for what the message maps leave. FALSE when either step fails.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // --- Messages ---
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE (with *result) when a message map has a handler for the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Messages that the thread's loop got for this window or a child, before they are
    // dispatched; TRUE when handled here.
    virtual BOOL PreTranslateMessage(MSG* message);
    // Called after the window's last message (WM_NCDESTROY), when it is no longer bound.
    virtual void PostNcDestroy() {}
    // The message being handled, to its default procedure.
    LRESULT Default();
    // The message being handled on the calling thread.
    static const MSG* GetCurrentMessage();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // --- Operations ---
    BOOL DestroyWindow();
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    void SetWindowText(LPCSTR text);
    void GetWindowText(CString& text) const;
    int GetWindowText(LPSTR text, int size) const;
    int GetWindowTextLength() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetDlgItemText(int id, LPCSTR text);
    int GetDlgItemText(int id, CString& text) const;
    // The previous focus window (a temporary object may stand for it).
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    void Invalidate(BOOL erase = TRUE);
    void UpdateWindow();
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);
    // The earlier icon of that size.
    HICON SetIcon(HICON icon, BOOL big);
    HICON GetIcon(BOOL big) const;
    // A message box owned by this window; the caption is the application's title when null.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);
    // Centres the window over alternateOwner, else over its owner (its parent for a child),
    // else over its monitor's work area.
    void CenterWindow(CWnd* alternateOwner = nullptr);

protected:
    // The default handlers of the ON_WM_ lines: the window's default procedure.
    void OnPaint() { Default(); }
    void OnClose() { Default(); }
    void OnDestroy() { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }

    // The window's procedure before SubclassWindow (null: DefWindowProcA).
    WNDPROC m_pfnSuper = nullptr;

private:
    friend LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// The window procedure of framework windows: routes to the bound object's WindowProc.
LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A modal dialog from a dialog template: a program's dialog resource or a template given as
// data.
class CDialog : public CWnd {
public:
    CDialog() = default;
    // The template is looked up when the dialog runs (velmar::ui::findDialogResource).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(const DLGTEMPLATE& dialogTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog: its result; -1 when the template is missing or the
    // dialog cannot be made. The owner is the parent given, else the application's main window
    // (when that is another window).
    virtual INT_PTR DoModal();
    BOOL InitModalIndirect(const DLGTEMPLATE& dialogTemplate, CWnd* parent = nullptr);

    // Called for WM_INITDIALOG, the dialog bound already. TRUE: the system sets the focus.
    virtual BOOL OnInitDialog();
    // IDOK and IDCANCEL commands end the dialog with that result.
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);

    BOOL PreTranslateMessage(MSG* message) override;
    BOOL OnCmdMsg(UINT id, int code) override;

    CWnd* m_pParentWnd = nullptr;

private:
    friend INT_PTR AfxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId = 0;
    std::unique_ptr<DLGTEMPLATE> m_template;

    DECLARE_MESSAGE_MAP()
};

// The dialog procedure of framework dialogs: binds the running CDialog to its window on the
// first message and calls OnInitDialog.
INT_PTR AfxDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A device context.
class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() = default;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT point, HICON icon) { return DrawIcon(point.x, point.y, icon); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
};

// BeginPaint for its life, EndPaint at its end.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd = nullptr;
};

// GetDC for its life, ReleaseDC at its end.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    HWND m_hWnd = nullptr;
};

// The process's one application object. The framework needs it to exist before AfxWinInit.
class CWinApp : public CCmdTarget {
public:
    // appName is the application's title; null: the program file's name without extension.
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    // The program's start, after AfxWinInit. TRUE with a main window runs the message loop.
    virtual BOOL InitInstance();
    // The program's end; its result is the exit code (WM_QUIT's, 0 before the loop ran).
    virtual int ExitInstance();
    // The message loop: until WM_QUIT, with idle processing whenever the queue is empty.
    virtual int Run();
    // Idle work; count is 0 on the first call of an idle time. TRUE asks for another call.
    virtual BOOL OnIdle(LONG count);
    // The standard Help command: there is no help system, so it does nothing.
    void OnHelp() {}

    HICON LoadIcon(UINT id) const;
    HICON LoadStandardIcon(LPCSTR name) const;

    LPCSTR m_pszAppName = nullptr; // the application's title
    HINSTANCE m_hInstance = nullptr;
    CString m_commandLine;
    int m_nCmdShow = 0;
    CWnd* m_pMainWnd = nullptr; // its window's end posts WM_QUIT (0) and clears this

protected:
    int m_exitCode = 0;

private:
    std::string m_appTitle;

    DECLARE_MESSAGE_MAP()
};

// The application object, or null when there is none.
CWinApp* AfxGetApp();
// The application's main window, or null.
CWnd* AfxGetMainWnd();
// The application's title: its object's, else the program file's name without extension.
LPCSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();

// Initialises the framework for a window-less process: records the instance, command line
// and show command in the application object and opens the machine prefix. FALSE when there
// is no application object or the prefix cannot be opened (GetLastError tells why).
BOOL AfxWinInit(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// The framework's program entry: AfxWinInit, InitInstance, then Run when InitInstance gave
// TRUE with a main window, else ExitInstance. The program's exit code (-1 when AfxWinInit
// fails).
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// A message box owned by the main window (when it is a window), captioned with the
// application's title. helpId is kept for the framework's signature: there is no help system.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);

// The framework's file classes: CFile (open modes, exclusive access, status) and CFileFind
// (wildcard enumeration). Paths are Windows or native paths in narrow (1252) text.
//
// Where the framework throws a CFileException, these report failure through their result
// and the last error instead.

namespace velmar::fs {
class File;
class FileFinder;
} // namespace velmar::fs

// A file's status as CFile reads and writes it. Times are seconds since 1970 (0: unknown,
// and left alone by SetStatus).
struct CFileStatus {
    std::time_t m_ctime = 0;
    std::time_t m_mtime = 0;
    std::time_t m_atime = 0;
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;
    char m_szFullName[MAX_PATH] = {};
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Any share mode but shareDenyNone opens without sharing: it fails with
    // ERROR_SHARING_VIOLATION while anybody else has the file open, and keeps others out.
    // modeCreate creates or truncates (with modeNoTruncate it keeps what is there).
    BOOL Open(LPCSTR fileName, UINT openFlags);
    void Close();
    bool IsOpen() const;

    UINT Read(void* buffer, UINT count);
    BOOL Write(const void* buffer, UINT count);
    ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG GetLength() const;
    CString GetFilePath() const { return m_path; }

    // FALSE when the file cannot be examined, or when its full name does not fit
    // m_szFullName; status is then unchanged.
    static BOOL GetStatus(LPCSTR fileName, CFileStatus& status);
    // Writes times (those not 0) and attributes back; FALSE when either cannot be set.
    static BOOL SetStatus(LPCSTR fileName, const CFileStatus& status);

private:
    std::unique_ptr<velmar::fs::File> m_file;
    CString m_path;
};

class CFileFind {
public:
    CFileFind();
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;
    virtual ~CFileFind();

    // Starts a search ("*.*" in the current folder when name is null). As in the framework,
    // FindNextFile must be called before the first entry can be read; it returns FALSE when
    // the entry it moved to is the last.
    BOOL FindFile(LPCSTR name = nullptr, DWORD unused = 0);
    BOOL FindNextFile();
    void Close();

    // Names carry "?" for characters that 1252 has not.
    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetFileTitle() const;
    CString GetRoot() const { return m_root; }
    ULONGLONG GetLength() const;
    BOOL IsDots() const;
    BOOL IsDirectory() const;
    BOOL IsHidden() const { return MatchesMask(0x02); }
    BOOL IsReadOnly() const { return MatchesMask(0x01); }
    BOOL IsArchived() const { return MatchesMask(0x20); }
    BOOL IsSystem() const { return MatchesMask(0x04); }
    BOOL MatchesMask(DWORD mask) const;

private:
    struct Entry;
    std::unique_ptr<velmar::fs::FileFinder> m_finder;
    std::unique_ptr<Entry> m_entry;
    CString m_root;
    bool m_hasNext = false;
};
