// velmar-choose-folder [--title=<title>] [--filename=<folder>/]
// velmar-choose-folder --probe: status 0 when the portal answers on the session bus, else 2.
// Asks the desktop portal (org.freedesktop.portal.FileChooser, folder mode) on the session bus
// for a folder and answers as zenity does: the folder on standard output and status 0, status 1
// when the person cancelled. Status 2 when there is no session bus or no portal on it (the
// caller then tries another chooser), 3 when the portal failed.
#include <systemd/sd-bus.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>

namespace {

constexpr int kChosen = 0;
constexpr int kCancelled = 1;
constexpr int kNoPortal = 2;
constexpr int kFailed = 3;

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";

struct BusDeleter {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageDeleter {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotDeleter {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};

struct Answer {
    bool arrived = false;
    unsigned response = 2;
    std::string uri;
};

// "file:///a%20b" => "/a b"; empty for another scheme.
std::string pathOfUri(std::string_view uri) {
    constexpr std::string_view scheme = "file://";
    if (uri.substr(0, scheme.size()) != scheme) {
        return {};
    }
    uri.remove_prefix(scheme.size());
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size()) {
            path += static_cast<char>(std::stoi(std::string(uri.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

// The Request's Response: a code and the results, of which "uris" holds the folder.
int onResponse(sd_bus_message* message, void* data, sd_bus_error*) {
    auto& answer = *static_cast<Answer*>(data);
    answer.arrived = true;
    if (sd_bus_message_read(message, "u", &answer.response) < 0 ||
        sd_bus_message_enter_container(message, 'a', "{sv}") < 0) {
        return 0;
    }
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* key = nullptr;
        sd_bus_message_read(message, "s", &key);
        if (key != nullptr && std::strcmp(key, "uris") == 0 &&
            sd_bus_message_enter_container(message, 'v', "as") > 0) {
            if (sd_bus_message_enter_container(message, 'a', "s") > 0) {
                const char* uri = nullptr;
                if (sd_bus_message_read(message, "s", &uri) > 0 && uri != nullptr &&
                    answer.uri.empty()) {
                    answer.uri = uri;
                }
                while (sd_bus_message_skip(message, "s") > 0) {
                }
                sd_bus_message_exit_container(message);
            }
            sd_bus_message_exit_container(message);
        } else {
            sd_bus_message_skip(message, "v");
        }
        sd_bus_message_exit_container(message);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string title = "Browse For Folder";
    std::string folder;
    bool probe = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--probe") {
            probe = true;
        } else if (argument.substr(0, 8) == "--title=") {
            title = argument.substr(8);
        } else if (argument.substr(0, 11) == "--filename=") {
            folder = argument.substr(11);
        }
    }

    sd_bus* opened = nullptr;
    if (sd_bus_open_user(&opened) < 0) {
        return kNoPortal;
    }
    const std::unique_ptr<sd_bus, BusDeleter> bus(opened);
    if (probe) {
        // A ping starts a portal that the bus only knows how to start.
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int pinged =
            sd_bus_call_method(bus.get(), kPortal, kPortalPath, "org.freedesktop.DBus.Peer", "Ping",
                               &error, nullptr, "");
        sd_bus_error_free(&error);
        return pinged >= 0 ? kChosen : kNoPortal;
    }
    const char* unique = nullptr;
    if (sd_bus_get_unique_name(bus.get(), &unique) < 0 || unique == nullptr) {
        return kNoPortal;
    }
    // The request's path is known before the call, so that its answer cannot come unheard.
    std::string sender(unique + 1);
    for (char& c : sender) {
        c = c == '.' ? '_' : c;
    }
    const std::string token = "velmar" + std::to_string(std::random_device{}());
    const std::string request = std::string(kPortalPath) + "/request/" + sender + "/" + token;
    Answer answer;
    sd_bus_slot* matched = nullptr;
    if (sd_bus_match_signal(bus.get(), &matched, kPortal, request.c_str(),
                            "org.freedesktop.portal.Request", "Response", onResponse,
                            &answer) < 0) {
        return kFailed;
    }
    const std::unique_ptr<sd_bus_slot, SlotDeleter> slot(matched);

    sd_bus_message* made = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &made, kPortal, kPortalPath,
                                       "org.freedesktop.portal.FileChooser", "OpenFile") < 0) {
        return kFailed;
    }
    const std::unique_ptr<sd_bus_message, MessageDeleter> call(made);
    int rc = sd_bus_message_append(call.get(), "ss", "", title.c_str());
    rc = rc < 0 ? rc : sd_bus_message_open_container(call.get(), 'a', "{sv}");
    rc = rc < 0 ? rc
                : sd_bus_message_append(call.get(), "{sv}{sv}{sv}", "handle_token", "s",
                                        token.c_str(), "directory", "b", 1, "modal", "b", 1);
    if (rc >= 0 && !folder.empty()) {
        // A byte string with its terminating zero, as the portal takes file names.
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        rc = sd_bus_message_open_container(call.get(), 'e', "sv");
        rc = rc < 0 ? rc : sd_bus_message_append(call.get(), "s", "current_folder");
        rc = rc < 0 ? rc : sd_bus_message_open_container(call.get(), 'v', "ay");
        rc = rc < 0
                 ? rc
                 : sd_bus_message_append_array(call.get(), 'y', folder.c_str(), folder.size() + 1);
        rc = rc < 0 ? rc : sd_bus_message_close_container(call.get());
        rc = rc < 0 ? rc : sd_bus_message_close_container(call.get());
    }
    rc = rc < 0 ? rc : sd_bus_message_close_container(call.get());
    if (rc < 0) {
        return kFailed;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    rc = sd_bus_call(bus.get(), call.get(), 0, &error, &reply);
    if (rc < 0) {
        const bool absent = sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
                            sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
                            sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD) ||
                            sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_INTERFACE) ||
                            sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_OBJECT);
        sd_bus_error_free(&error);
        return absent ? kNoPortal : kFailed;
    }
    sd_bus_message_unref(reply);
    // The person answers in their own time.
    while (!answer.arrived) {
        rc = sd_bus_process(bus.get(), nullptr);
        if (rc < 0) {
            return kFailed;
        }
        if (rc == 0 && sd_bus_wait(bus.get(), UINT64_MAX) < 0) {
            return kFailed;
        }
    }
    if (answer.response == 1) {
        return kCancelled;
    }
    const std::string path = pathOfUri(answer.uri);
    if (answer.response != 0 || path.empty()) {
        return kFailed;
    }
    std::printf("%s\n", path.c_str());
    return kChosen;
}
