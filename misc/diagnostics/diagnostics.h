// Diagnostics: the library's exception family and the error log that records each raised
// exception.
//
// The family does not derive from std::exception, so code that catches standard exceptions
// does not catch it. Every raised exception is appended to "velmarAutoCadErrorLog.txt" in the
// temporary folder by logAndThrow before it is thrown.
#pragma once

#include "platform/fs/fs.h"

#include <cstdint>
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
