#include "platform/base/base.h"

#include <cerrno>
#include <cstdio>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

struct ErrorText {
    DWORD code;
    const char* text;
};

// Windows' own message texts, so that what users see matches what they know.
constexpr ErrorText kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {11, "An attempt was made to load a program with an incorrect format."},
    {15, "The system cannot find the drive specified."},
    {17, "The system cannot move the file to a different disk drive."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33, "The process cannot access the file because another process has locked a portion of "
         "the file."},
    {38, "Reached the end of the file."},
    {50, "The request is not supported."},
    {53, "The network path was not found."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {124, "The system call level is not correct."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {145, "The directory is not empty."},
    {158, "The segment is already unlocked."},
    {161, "The specified path is invalid."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {193, "%1 is not a valid Win32 application."},
    {203, "The system could not find the environment option that was entered."},
    {206, "The filename or extension is too long."},
    {234, "More data is available."},
    {258, "The wait operation timed out."},
    {259, "No more data is available."},
    {267, "The directory name is invalid."},
    {740, "The requested operation requires elevation."},
    {998, "Invalid access to memory location."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1015, "The registry is corrupted. The structure of one of the files containing registry "
           "data is corrupted, or the system's memory image of the file is corrupted, or the "
           "file could not be recovered because the alternate copy or log was absent or "
           "corrupted."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably. The registry "
           "could not read in, or write out, or flush, one of the files that contain the "
           "system's image of the registry."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1021, "Cannot create a stable subkey under a volatile parent key."},
    {1053, "The service did not respond to the start or control request in a timely fashion."},
    {1052, "The requested control is not valid for this service."},
    {1056, "An instance of the service is already running."},
    {1058, "The service cannot be started, either because it is disabled or because it has no "
           "enabled devices associated with it."},
    {1060, "The specified service does not exist as an installed service."},
    {1061, "The service cannot accept control messages at this time."},
    {1062, "The service has not been started."},
    {1065, "The database specified does not exist."},
    {1072, "The specified service has been marked for deletion."},
    {1073, "The specified service already exists."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1168, "Element not found."},
    {1400, "Invalid window handle."},
    {1418, "Thread does not have a clipboard open."},
    {1460, "This operation returned because the timeout period expired."},
    {1461, "Invalid monitor handle."},
    {1722, "The RPC server is unavailable."},
    // The internet client's.
    {12002, "The operation timed out"},
    {12003, "An extended error was returned from the server. This is typically a string or "
            "buffer containing a verbose error message. Call InternetGetLastResponseInfo to "
            "retrieve the error text."},
    {12004, "An internal error occurred in the Microsoft Internet extensions"},
    {12005, "The URL is invalid"},
    {12006, "The URL does not use a recognized protocol"},
    {12007, "The server name or address could not be resolved"},
    {12019, "The requested operation cannot be carried out because the handle supplied is not "
            "in the correct state"},
    {12029, "A connection with the server could not be established"},
    {12030, "The connection with the server was terminated abnormally"},
    {12031, "The connection with the server was reset"},
    {12152, "The server returned an invalid or unrecognized response"},
    {12156, "The HTTP redirect request failed"},
    {12157, "An error occurred in the secure channel support"},
};

} // namespace

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD code) {
    t_lastError = code;
}

namespace velmar::base {

DWORD win32ErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBUSY:
        return ERROR_BUSY;
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EAGAIN:
        return ERROR_LOCK_VIOLATION;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOEXEC:
        return ERROR_BAD_EXE_FORMAT;
    case EXDEV:
        return 17; // ERROR_NOT_SAME_DEVICE
    case EPIPE:
        return ERROR_BROKEN_PIPE;
    case ETIMEDOUT:
        return ERROR_TIMEOUT;
    case ENOSYS:
    case ENOTSUP:
        return ERROR_NOT_SUPPORTED;
    case EIO:
        return 1117; // ERROR_IO_DEVICE
    default:
        return 31; // ERROR_GEN_FAILURE
    }
}

std::string systemErrorText(DWORD code) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) {
            return std::string(entry.text) + "\r\n";
        }
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Unknown error (0x%X).\r\n", static_cast<unsigned>(code));
    return buffer;
}

} // namespace velmar::base
