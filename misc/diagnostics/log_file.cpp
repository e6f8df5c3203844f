// The log file of a long job and its stopwatch.
#include "misc/diagnostics/diagnostics.h"

#include "misc/diagnostics/elapsed_text.h"
#include "misc/process/process.h"
#include "platform/fs/fs.h"
#include "platform/process/process.h"
#include "platform/text/text.h"

CLogFile::CLogFile() {
    timeBeginPeriod(1);
}

CLogFile::~CLogFile() {
    timeEndPeriod(1);
}

void CLogFile::startTimer() {
    m_startTick = timeGetTime();
    m_lapTick = m_startTick;
}

DWORD CLogFile::getElapsedMilliseconds() const {
    return timeGetTime() - m_startTick;
}

CString CLogFile::getElapsedText() const {
    return velmar::diagnostics::compactElapsedText(getElapsedMilliseconds());
}

DWORD CLogFile::getLapMilliseconds() {
    const DWORD now = timeGetTime();
    const DWORD lap = now - m_lapTick;
    m_lapTick = now;
    return lap;
}

CString CLogFile::getLapText() {
    return velmar::diagnostics::compactElapsedText(getLapMilliseconds());
}

CString CLogFile::getElapsedTimeText(bool multiLine) const {
    return velmar::diagnostics::elapsedTimeText(getElapsedMilliseconds(), multiLine);
}

bool CLogFile::open(CString path) {
    close(false);
    m_path = path;
    // A text stream: the log is a Windows text file, each line feed stored as CR LF.
    using velmar::fs::Access;
    using velmar::fs::Creation;
    DWORD error = ERROR_SUCCESS;
    m_file.reset(velmar::fs::openStream(velmar::text::ansiToWide(m_path.GetString()),
                                        {Access::write, Creation::createAlways}, true, error));
    if (m_file == nullptr) {
        return false;
    }
    write("log file created");
    return true;
}

void CLogFile::write(CString text) {
    if (m_file == nullptr) {
        return;
    }
    CString line;
    if (text.IsEmpty()) {
        line.Format("%s\n", getElapsedText());
    } else {
        line.Format("%s - %s\n", text, getElapsedText());
    }
    // One write a line, flushed at once, so that the file is whole after every line.
    std::fwrite(line.GetString(), 1, static_cast<std::size_t>(line.GetLength()), m_file.get());
    std::fflush(m_file.get());
}

void CLogFile::close(bool show) {
    m_file.reset();
    if (show) {
        // A log the shell cannot open is no failure of the job: nothing else happens.
        static_cast<void>(shellOpen(m_path));
    }
}
