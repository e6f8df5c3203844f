// Elapsed-time texts from milliseconds and time spans, and the stopwatch reading they share.
#include "misc/diagnostics/elapsed_text.h"

#include "misc/diagnostics/diagnostics.h"
#include "misc/text/text.h"
#include "platform/process/process.h"
#include "platform/text/text.h"
#include "platform/ui/ui.h"

namespace {

// The whole seconds of a count of milliseconds, as a span for the framework's patterns.
CTimeSpan wholeSeconds(DWORD milliseconds) {
    return CTimeSpan(static_cast<std::int64_t>(milliseconds / 1000));
}

// Hours and minutes to choose a pattern by, before the patterns drop the whole days.
bool hasHours(DWORD milliseconds) {
    return milliseconds / 1000 / 3600 >= 1;
}

CString hoursOrMinutes(DWORD milliseconds) {
    return wholeSeconds(milliseconds)
        .Format(hasHours(milliseconds) ? "hours: %H, mins: %M, secs: %S" : "mins: %M, secs: %S");
}

} // namespace

namespace velmar::diagnostics {

CString compactElapsedText(DWORD milliseconds) {
    const DWORD seconds = milliseconds / 1000;
    if (seconds >= 60) {
        return hoursOrMinutes(milliseconds);
    }
    if (seconds >= 1) {
        return wholeSeconds(milliseconds).Format("seconds: %S");
    }
    CString text;
    text.Format("%d ms", static_cast<int>(milliseconds));
    return text;
}

CString elapsedTimeText(DWORD milliseconds, bool multiLine) {
    CString text(multiLine ? "Elapsed Time:\n" : "Elapsed Time: ");
    text += hoursOrMinutes(milliseconds);
    return text;
}

CString lapReportText(DWORD milliseconds, const CString& label, bool lineBreak) {
    CString time;
    if (milliseconds < 1000) {
        time.Format("Milliseconds: %d", static_cast<int>(milliseconds));
    } else {
        // The line feed belongs to the text whatever lineBreak says.
        time = elapsedTimeText(milliseconds, true);
    }
    CString report;
    report.Format("%s %s%s", label, time, lineBreak ? "\n" : " ");
    return report;
}

} // namespace velmar::diagnostics

DWORD getMillisecondsSince(DWORD startTick) {
    return timeGetTime() - startTick;
}

CString getLapReport(DWORD& startTick, CString label, bool lineBreak) {
    const DWORD milliseconds = getMillisecondsSince(startTick);
    startTick = timeGetTime();
    return velmar::diagnostics::lapReportText(milliseconds, label, lineBreak);
}

std::string formatElapsedMilliseconds(int milliseconds) {
    const int total = milliseconds / 1000;
    const int hours = total / 3600;
    const int minutes = (total - 3600 * hours) / 60;
    const int seconds = total % 60;
    if (hours > 0) {
        return formatString("hours: %d, minutes: %d, seconds: %d", hours, minutes, seconds);
    }
    return formatString("minutes: % d, seconds : % d", minutes, seconds);
}

std::wstring formatElapsedMillisecondsW(int milliseconds) {
    return velmar::text::ansiToWide(formatElapsedMilliseconds(milliseconds));
}

CString formatElapsedTimeSpan(CTimeSpan span) {
    if (span.GetDays() >= 1) {
        return span.Format("Elapsed time: days: %D hours: %H, mins: %M, secs: %S");
    }
    if (span.GetHours() >= 1) {
        return span.Format("Elapsed time: %Hh, %Mm, %Ss");
    }
    if (span.GetMinutes() >= 1) {
        return span.Format("Elapsed time: %Mm, %Ss");
    }
    return span.Format("Elapsed time: %Ss");
}

void showElapsedTimeSpan(CTimeSpan span) {
    AfxMessageBox(formatElapsedTimeSpan(span), MB_OK | MB_ICONINFORMATION);
}

void splitMilliseconds(DWORD milliseconds, int& hours, int& minutes, int& seconds) {
    const DWORD total = milliseconds / 1000;
    hours = static_cast<int>(total / 3600);
    minutes = static_cast<int>((total - 3600 * (total / 3600)) / 60);
    seconds = static_cast<int>(total % 60);
}

void splitMilliseconds(DWORD milliseconds, int& minutes, int& seconds) {
    const DWORD total = milliseconds / 1000;
    minutes = static_cast<int>(total / 60);
    seconds = static_cast<int>(total % 60);
}
