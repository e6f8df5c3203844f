#include "misc/diagnostics/diagnostics.h"

const char* CVelmarException::getErrorMessage() const {
    return m_errorMessage.c_str();
}

void CVelmarException::setErrorMessage(const char* message) {
    m_errorMessage = message;
}

CVelmarFileException::CVelmarFileException(const char* fileName, int fileLocation,
                                           const char* errorMessage)
    : m_fileName(fileName), m_fileLocation(static_cast<std::uint32_t>(fileLocation)) {
    setErrorMessage(errorMessage);
}

const char* CVelmarFileException::getExceptionType() const {
    return "CVelmarFileException";
}

const char* CVelmarFileException::getFileName() const {
    return m_fileName.c_str();
}

std::uint32_t CVelmarFileException::getFileLocation() const {
    return m_fileLocation;
}

CVelmarAcadException::CVelmarAcadException(const char* fileName, int fileLocation,
                                           const char* errorMessage, std::string acadMessage)
    : CVelmarFileException(fileName, fileLocation, errorMessage),
      m_acadMessage(std::move(acadMessage)) {}

CVelmarAcadException::CVelmarAcadException(const char* fileName, int fileLocation,
                                           const char* errorMessage, std::wstring acadMessage)
    : CVelmarFileException(fileName, fileLocation, errorMessage) {
    m_acadMessage.reserve(acadMessage.size());
    for (wchar_t c : acadMessage) {
        m_acadMessage += static_cast<char>(static_cast<std::uint32_t>(c) & 0xFF);
    }
}

const char* CVelmarAcadException::getAcadMessage() const {
    return m_acadMessage.c_str();
}
