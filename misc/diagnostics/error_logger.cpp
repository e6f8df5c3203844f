#include "misc/diagnostics/diagnostics.h"

#include "platform/fs/fs.h"
#include "platform/text/text.h"

#include <chrono>
#include <ctime>

bool g_errorLoggerAlive = false;

CVelmarAutoCadErrorLogger g_autoCadErrorLogger("velmarAutoCadErrorLog.txt");

CVelmarErrorLogger::CVelmarErrorLogger() : m_fileName("velmarErrorLog.txt") {
    g_errorLoggerAlive = true;
}

CVelmarErrorLogger::~CVelmarErrorLogger() {
    g_errorLoggerAlive = false;
}

void CVelmarErrorLogger::openLogFile() {
    if (m_logFile.is_open()) {
        return;
    }
    // A temporary folder name of 512 bytes or more is not used: the log then goes to the
    // current folder.
    constexpr std::size_t kFolderBuffer = 512;
    const std::string folder = velmar::text::utf8ToAnsi(velmar::fs::tempFolderPath());
    std::string path = m_fileName;
    if (folder.size() < kFolderBuffer) {
        path = folder + m_fileName;
    }
    m_logFile.open(velmar::text::ansiToUtf8(path));
}

// One line a write, so that records of processes appending at once never tear inside a line.
void CVelmarErrorLogger::writeLine(const std::string& line) {
    m_logFile << line << '\n';
    m_logFile.flush();
}

void CVelmarErrorLogger::writeExceptionHeader(CVelmarFileException& exception) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);

    writeLine(std::string("Exception type: ") + exception.getExceptionType());
    writeLine("Date (DD/MM/YY): " + std::to_string(utc.tm_mday) + "/" +
              std::to_string(utc.tm_mon + 1) + "/" + std::to_string(utc.tm_year + 1900));
    writeLine("Time (HH:MM:SS:MS): " + std::to_string(utc.tm_hour) + ":" +
              std::to_string(utc.tm_min) + ":" + std::to_string(utc.tm_sec) + ":" +
              std::to_string(millis));
    writeLine(exception.getErrorMessage());
}

void CVelmarErrorLogger::logException(CVelmarFileException& exception, std::string extraText) {
    if (!m_logFile.is_open()) {
        return;
    }
    writeExceptionHeader(exception);
    writeLine(std::string("Filename: ") + exception.getFileName());
    writeLine("File location: " + std::to_string(exception.getFileLocation()));
    if (!extraText.empty()) {
        writeLine(extraText);
    }
    writeLine("");
}

CVelmarAutoCadErrorLogger::CVelmarAutoCadErrorLogger(const char* fileName) {
    m_fileName = fileName;
    openLogFile();
}

CVelmarAutoCadErrorLogger::~CVelmarAutoCadErrorLogger() {
    m_logFile.close();
}

void CVelmarAutoCadErrorLogger::logException(CVelmarFileException& exception,
                                             std::string extraText) {
    if (const auto* acad = dynamic_cast<const CVelmarAcadException*>(&exception)) {
        extraText += acad->getAcadMessage();
    }
    CVelmarErrorLogger::logException(exception, extraText);
}

void logToErrorLog(CVelmarFileException& exception) {
    if (g_errorLoggerAlive) {
        try {
            g_autoCadErrorLogger.CVelmarAutoCadErrorLogger::logException(exception, std::string());
        } catch (...) {
            // Logging never disturbs the program.
        }
    }
}

void CVelmarFileException::logAndThrow() {
    logToErrorLog(*this);
    throw CVelmarFileException(*this);
}
