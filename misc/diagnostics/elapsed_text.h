// The elapsed-time texts of misc/diagnostics from a count of milliseconds, apart from the
// clock: the log file and the lap report read the tick and hand the difference here.
//
// Internal to misc/diagnostics: diagnostics.h documents the texts.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"

namespace velmar::diagnostics {

// "hours: %H, mins: %M, secs: %S", "mins: %M, secs: %S", "seconds: %S" or "<ms> ms".
CString compactElapsedText(DWORD milliseconds);

// "Elapsed Time:", a line feed or a space, then the hours, minutes and seconds.
CString elapsedTimeText(DWORD milliseconds, bool multiLine);

// "<label> <time><end>" of getLapReport.
CString lapReportText(DWORD milliseconds, const CString& label, bool lineBreak);

} // namespace velmar::diagnostics
