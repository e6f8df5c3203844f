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

bool setText(registry::Key& key, const char* name, const std::string& value) {
    return key.setValue(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1)) ==
           ERROR_SUCCESS;
}

int install(const Options& options, std::FILE* out) {
    Pacer pacer(options.duration, static_cast<int>(payload().size()) + 1);
    for (const PayloadFile& file : payload()) {
        pacer.step();
        const std::string path = std::string(file.folder) + "\\" + file.name;
        DWORD error = ERROR_SUCCESS;
        std::fprintf(out, "Copying %s\n", path.c_str());
        std::fflush(out);
        if (!fs::createDirectories(wide(folderOf(path)), error) || !writeFile(path, file.content)) {
            std::fprintf(out, "Could not write %s.\n", path.c_str());
            return kFailed;
        }
    }
    pacer.step();
    std::fprintf(out, "Registering Velmar Software %s in HKEY_LOCAL_MACHINE\\%s (32-bit view)\n",
                 kVersion, kInstallationKey);
    registry::Key key;
    const DWORD created =
        key.create(HKEY_LOCAL_MACHINE, kInstallationKey, KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    if (created != ERROR_SUCCESS || !setText(key, "VelmarDir", kInstallDir) ||
        !setText(key, "VelmarDir64", kInstallDir64) ||
        !setText(key, "VELMAR Software Version", kVersion) ||
        !setText(key, "Cabinet File Date", kReleaseDate)) {
        std::fprintf(out, "Could not register the installation.\n");
        return kFailed;
    }
    std::fprintf(out, "Velmar Software %s is installed.\n", kVersion);
    return kSucceeded;
}

int uninstall(const Options& options, std::FILE* out) {
    Pacer pacer(options.duration, 3);
    pacer.step();
    std::fprintf(out, "Removing the registration from HKEY_LOCAL_MACHINE\\%s (32-bit view)\n",
                 kInstallationKey);
    std::fflush(out);
    registry::Key key;
    if (key.open(HKEY_LOCAL_MACHINE, kInstallationKey, KEY_ALL_ACCESS | KEY_WOW64_32KEY) ==
        ERROR_SUCCESS) {
        for (const char* name :
             {"VelmarDir", "VelmarDir64", "VELMAR Software Version", "Cabinet File Date"}) {
            const DWORD deleted = key.deleteValue(name);
            if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
                std::fprintf(out, "Could not remove the value %s.\n", name);
                return kFailed;
            }
        }
    }
    for (const char* folder : {kInstallDir, kInstallDir64}) {
        pacer.step();
        std::fprintf(out, "Removing %s\n", folder);
        std::fflush(out);
        DWORD error = ERROR_SUCCESS;
        if (fs::removeAll(wide(folder), error) == static_cast<std::uintmax_t>(-1)) {
            std::fprintf(out, "Could not remove %s.\n", folder);
            return kFailed;
        }
    }
    std::fprintf(out, "Velmar Software is uninstalled.\n");
    return kSucceeded;
}

} // namespace

int run(const Options& options, std::FILE* out) {
    if (!registry::isProcessElevated()) {
        std::fprintf(out, "The Velmar Software installer needs administrator rights: run it "
                          "elevated (as root). Nothing was changed.\n");
        return kNotElevated;
    }
    if (prefix::openPrefix() != ERROR_SUCCESS) {
        std::fprintf(out, "The machine prefix %s cannot be opened.\n",
                     prefix::prefixPath().c_str());
        return kFailed;
    }
    const int result = options.uninstall ? uninstall(options, out) : install(options, out);
    std::fflush(out);
    return result;
}

} // namespace velmar::sample
