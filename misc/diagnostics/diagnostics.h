// Diagnostics: the library's exception family, the error log that records each raised
// exception, and the log file of a long job with its elapsed-time texts.
//
// The family does not derive from std::exception, so code that catches standard exceptions
// does not catch it. Every raised exception is appended to "velmarAutoCadErrorLog.txt" in the
// temporary folder by logAndThrow before it is thrown.
#pragma once

#include "platform/base/base.h"
#include "platform/framework/framework.h"
#include "platform/fs/fs.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Root of the family: a message only.
class CVelmarException {
public:
    CVelmarException() = default;
    CVelmarException(const CVelmarException&) = default;
    CVelmarException& operator=(const CVelmarException&) = default;

    // Never null: an empty message gives an empty text.
    virtual const char* getErrorMessage() const;
    virtual void setErrorMessage(const char* message);
    virtual const char* getExceptionType() const = 0;

protected:
    // Not virtual at the root; the first virtual destructor is the file exception's.
    ~CVelmarException() = default;

    std::string m_errorMessage;
};

// A failure inside a named source module, at a location number chosen by the raising site.
class CVelmarFileException : public CVelmarException {
public:
    // The location is stored unchanged in the unsigned field. The texts must not be null.
    CVelmarFileException(const char* fileName, int fileLocation, const char* errorMessage);
    CVelmarFileException(const CVelmarFileException&) = default;
    CVelmarFileException& operator=(const CVelmarFileException&) = default;

    const char* getExceptionType() const override;
    virtual ~CVelmarFileException() = default;
    virtual const char* getFileName() const;
    virtual std::uint32_t getFileLocation() const;

    // Appends this exception to the process-wide error log (when it is alive; any failure of
    // the log is swallowed), then throws a copy of it as a CVelmarFileException.
    [[noreturn]] void logAndThrow();

protected:
    std::string m_fileName;
    std::uint32_t m_fileLocation = 0;
};

// A failure inside the CAD host, with the host's own text. Its type text stays
// "CVelmarFileException"; the log recognises it by its dynamic type.
class CVelmarAcadException : public CVelmarFileException {
public:
    CVelmarAcadException(const char* fileName, int fileLocation, const char* errorMessage,
                         std::string acadMessage);
    // Each wide character becomes the byte of its low 8 bits.
    CVelmarAcadException(const char* fileName, int fileLocation, const char* errorMessage,
                         std::wstring acadMessage);
    CVelmarAcadException(const CVelmarAcadException&) = default;
    CVelmarAcadException& operator=(const CVelmarAcadException&) = default;
    ~CVelmarAcadException() override = default;

    virtual const char* getAcadMessage() const;

protected:
    std::string m_acadMessage;
};

// Writes exception records to a log file in the temporary folder. A logger that is not part
// of a derived logger never opens a file and writes nothing.
class CVelmarErrorLogger {
public:
    CVelmarErrorLogger();
    CVelmarErrorLogger(const CVelmarErrorLogger&) = delete;
    CVelmarErrorLogger& operator=(const CVelmarErrorLogger&) = delete;
    virtual ~CVelmarErrorLogger();

    // Appends one record (type, UTC date and time, message, module, location, the extra text
    // when not empty, an empty line), flushing after every line. Nothing when closed.
    virtual void logException(CVelmarFileException& exception, std::string extraText);

protected:
    // Opens m_fileName in the temporary folder (or the current folder when there is none) for
    // appending; stays closed, silently, when that fails.
    void openLogFile();
    void writeExceptionHeader(CVelmarFileException& exception);
    void writeLine(const std::string& line);

    velmar::fs::AppendFileStream m_logFile;
    std::string m_fileName;
};

// The process's logger: adds the CAD host's text of a CVelmarAcadException to the record.
class CVelmarAutoCadErrorLogger : public CVelmarErrorLogger {
public:
    explicit CVelmarAutoCadErrorLogger(const char* fileName);
    ~CVelmarAutoCadErrorLogger() override;

    void logException(CVelmarFileException& exception, std::string extraText) override;
};

// True from the construction of a logger until its destruction begins.
extern bool g_errorLoggerAlive;
// The process-wide logger, writing "velmarAutoCadErrorLog.txt".
extern CVelmarAutoCadErrorLogger g_autoCadErrorLogger;

// Appends a record of exception to the process-wide logger when it is alive, without throwing
// (for failures reported by a result that are still worth a record). Failures of the log are
// swallowed.
void logToErrorLog(CVelmarFileException& exception);

// ---------------------------------------------------------------------------------------------
// The log file and elapsed-time texts
//
// Every clock reading is the system tick (timeGetTime); differences are taken in unsigned
// 32-bit arithmetic, so one wrap of the tick between two readings does no harm.
//
// The compact text of a count of milliseconds, first matching row:
//   from an hour      "hours: %H, mins: %M, secs: %S"   (90,061,000 ms: "hours: 01, mins: 01,
//                                                         secs: 01", whole days dropped)
//   from a minute     "mins: %M, secs: %S"               (60,000 ms: "mins: 01, secs: 00")
//   from a second     "seconds: %S"                      (1,000 ms: "seconds: 01")
//   below a second    "<ms> ms"                          (999 ms: "999 ms")
// The %D %H %M %S patterns are the framework's time-span ones (CTimeSpan::Format) over the
// whole seconds.

// A log file that is also a stopwatch: each line written carries the time since startTimer.
// Every line ends with CR LF and is flushed at once, so the file is whole after every line.
//
// open remembers its path in m_path, so that close(true) shows the log that was written.
class CLogFile {
public:
    // Both marks 0, no file; asks for a 1 ms timer resolution for as long as the object lives.
    CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;
    ~CLogFile();

    // Starts the stopwatch and a lap, at one reading of the tick.
    void startTimer();
    DWORD getElapsedMilliseconds() const;
    CString getElapsedText() const;
    // The time since the last lap; starts a new lap.
    DWORD getLapMilliseconds();
    CString getLapText();
    // "Elapsed Time:" then, on a line of its own when multiLine, the time since the start as
    // "hours: %H, mins: %M, secs: %S" from an hour, else "mins: %M, secs: %S".
    CString getElapsedTimeText(bool multiLine) const;

    // Closes the current log, then creates path or empties it and writes "log file created".
    // True when the log is open afterwards; on failure every write does nothing until the
    // next successful open. The stopwatch keeps running.
    bool open(CString path);
    // Appends "<text> - <compact elapsed text>", or the compact elapsed text alone for an
    // empty text. Nothing when no log is open.
    void write(CString text);
    // Closes the log (if open); with show, opens m_path with the program associated with its
    // type, whether or not a log was open. A path the shell cannot open is no failure.
    void close(bool show);

private:
    struct StreamCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    DWORD m_startTick = 0;
    DWORD m_lapTick = 0;
    std::unique_ptr<std::FILE, StreamCloser> m_file;
    CString m_path;
};

// The tick now minus startTick.
DWORD getMillisecondsSince(DWORD startTick);

// "<label> <time><end>": the time since startTick, as "Milliseconds: <ms>" below a second,
// else "Elapsed Time:\n" and "hours: %H, mins: %M, secs: %S" from an hour or "mins: %M,
// secs: %S"; the end is a line feed with lineBreak, else a space. startTick is then set to a
// new reading of the tick. Example: 61,000 ms, "Load", false gives
// "Load Elapsed Time:\nmins: 01, secs: 01 ".
CString getLapReport(DWORD& startTick, CString label, bool lineBreak);

// "hours: <h>, minutes: <m>, seconds: <s>" from an hour on (h not limited to a day), else
// "minutes: % d, seconds : % d": 3,725,000 ms gives "hours: 1, minutes: 2, seconds: 5",
// 65,000 ms "minutes:  1, seconds :  5".
std::string formatElapsedMilliseconds(int milliseconds);
std::wstring formatElapsedMillisecondsW(int milliseconds);

// First matching row: with whole days "Elapsed time: days: %D hours: %H, mins: %M, secs: %S",
// with hours "Elapsed time: %Hh, %Mm, %Ss", with minutes "Elapsed time: %Mm, %Ss", else
// "Elapsed time: %Ss". 3,605 s gives "Elapsed time: 01h, 00m, 05s".
CString formatElapsedTimeSpan(CTimeSpan span);
// Shows formatElapsedTimeSpan in the framework's message box (information icon, OK) and
// returns when it is closed.
void showElapsedTimeSpan(CTimeSpan span);

// Whole hours (not limited to a day), minutes of the hour and seconds of the minute.
void splitMilliseconds(DWORD milliseconds, int& hours, int& minutes, int& seconds);
// Whole minutes (not limited to an hour) and seconds of the minute.
void splitMilliseconds(DWORD milliseconds, int& minutes, int& seconds);
