#include "tools/sample_installer/sample_installer.h"

#include "platform/fs/fs.h"
#include "platform/prefix/prefix.h"
#include "platform/registry/registry.h"
#include "platform/text/text.h"

#include <string_view>
#include <thread>
#include <vector>

namespace velmar::sample {

namespace {

struct PayloadFile {
    const char* folder;
    const char* name;
    const char* content;
};

const std::vector<PayloadFile>& payload() {
    static const std::vector<PayloadFile> files{
        {kInstallDir, "readme.txt", "Velmar Software 8.2.1, installed by the sample installer.\n"},
        {kInstallDir, "Manuals\\Velmar Software Guide.txt", "The guide to Velmar Software.\n"},
        {kInstallDir64, "readme.txt", "Velmar Software 8.2.1 (64-bit programs).\n"},
    };
    return files;
}

// The run's length spread over its steps: each step waits its share before it works.
class Pacer {
public:
    Pacer(std::chrono::milliseconds duration, int steps) : m_share(duration / steps) {}
    void step() const { std::this_thread::sleep_for(m_share); }

private:
    std::chrono::milliseconds m_share;
};

std::wstring wide(std::string_view ansi) {
    return text::ansiToWide(ansi);
}

bool writeFile(const std::string& path, const char* content) {
    std::FILE* file = fs::crt::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fputs(content, file) >= 0;
    return std::fclose(file) == 0 && written;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Every progress line goes to the standard output and, when one is named, to the log file,
// which is where it can be read when the installer runs without a console.
class Report {
public:
    Report(std::FILE* out, const std::string& logPath) : m_out(out) {
        if (!logPath.empty()) {
            m_log = fs::crt::fopen(logPath.c_str(), "a");
            if (m_log == nullptr) {
                line("The log " + logPath + " cannot be written; going on without it.");
            }
        }
    }
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;
    ~Report() {
        if (m_log != nullptr) {
            std::fclose(m_log);
        }
    }
    void line(const std::string& text) const {
        for (std::FILE* file : {m_out, m_log}) {
            if (file != nullptr) {
                std::fputs((text + "\n").c_str(), file);
                std::fflush(file);
            }
        }
    }

private:
    std::FILE* m_out;
    std::FILE* m_log = nullptr;
};

bool setText(registry::Key& key, const char* name, const std::string& value) {
    return key.setValue(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)) ==
           ERROR_SUCCESS;
}

int install(const Options& options, const Report& report) {
    Pacer pacer(options.duration, static_cast<int>(payload().size()) + 1);
    for (const PayloadFile& file : payload()) {
        pacer.step();
        const std::string path = std::string(file.folder) + "\\" + file.name;
        DWORD error = ERROR_SUCCESS;
        report.line("Copying " + path);
        if (!fs::createDirectories(wide(folderOf(path)), error) || !writeFile(path, file.content)) {
            report.line("Could not write " + path + ".");
            return kFailed;
        }
    }
    pacer.step();
    report.line(std::string("Registering Velmar Software ") + kVersion +
                " in HKEY_LOCAL_MACHINE\\" + kInstallationKey + " (32-bit view)");
    registry::Key key;
    const DWORD created =
        key.create(HKEY_LOCAL_MACHINE, kInstallationKey, KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    if (created != ERROR_SUCCESS || !setText(key, "VelmarDir", kInstallDir) ||
        !setText(key, "VelmarDir64", kInstallDir64) ||
        !setText(key, "VELMAR Software Version", kVersion) ||
        !setText(key, "Cabinet File Date", kReleaseDate)) {
        report.line("Could not register the installation.");
        return kFailed;
    }
    report.line(std::string("Velmar Software ") + kVersion + " is installed.");
    return kSucceeded;
}

int uninstall(const Options& options, const Report& report) {
    Pacer pacer(options.duration, 3);
    pacer.step();
    report.line(std::string("Removing the registration from HKEY_LOCAL_MACHINE\\") +
                kInstallationKey + " (32-bit view)");
    registry::Key key;
    if (key.open(HKEY_LOCAL_MACHINE, kInstallationKey, KEY_ALL_ACCESS | KEY_WOW64_32KEY) ==
        ERROR_SUCCESS) {
        for (const char* name :
             {"VelmarDir", "VelmarDir64", "VELMAR Software Version", "Cabinet File Date"}) {
            const DWORD deleted = key.deleteValue(name);
            if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
                report.line(std::string("Could not remove the value ") + name + ".");
                return kFailed;
            }
        }
    }
    for (const char* folder : {kInstallDir, kInstallDir64}) {
        pacer.step();
        report.line(std::string("Removing ") + folder);
        DWORD error = ERROR_SUCCESS;
        if (fs::removeAll(wide(folder), error) == static_cast<std::uintmax_t>(-1)) {
            report.line(std::string("Could not remove ") + folder + ".");
            return kFailed;
        }
    }
    report.line("Velmar Software is uninstalled.");
    return kSucceeded;
}

} // namespace

int run(const Options& options, std::FILE* out) {
    const Report report(out, options.logPath);
    if (!registry::isProcessElevated()) {
        report.line("The Velmar Software installer needs administrator rights: run it elevated "
                    "(as root). Nothing was changed.");
        return kNotElevated;
    }
    if (prefix::openPrefix() != ERROR_SUCCESS) {
        report.line("The machine prefix " + prefix::prefixPath() + " cannot be opened.");
        return kFailed;
    }
    return options.uninstall ? uninstall(options, report) : install(options, report);
}

} // namespace velmar::sample
