// A stand-in for the desktop portal's folder chooser on a private session bus: it owns
// org.freedesktop.portal.Desktop, writes what OpenFile was asked (title, directory, modal,
// current_folder) to STANDIN_PORTAL_LOG, and answers with STANDIN_PORTAL_ANSWER: a file URI
// (chosen) or "cancel". It prints "ready" once it owns the name and serves until killed.
#include <systemd/sd-bus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

int openFile(sd_bus_message* call, void*, sd_bus_error*) {
    const char* parent = nullptr;
    const char* title = nullptr;
    sd_bus_message_read(call, "ss", &parent, &title);
    std::string log = std::string("title=") + (title != nullptr ? title : "") + "\n";
    std::string token;
    sd_bus_message_enter_container(call, 'a', "{sv}");
    while (sd_bus_message_enter_container(call, 'e', "sv") > 0) {
        const char* key = nullptr;
        sd_bus_message_read(call, "s", &key);
        const std::string name = key != nullptr ? key : "";
        if (name == "handle_token") {
            const char* value = nullptr;
            sd_bus_message_read(call, "v", "s", &value);
            token = value != nullptr ? value : "";
        } else if (name == "directory" || name == "modal") {
            int value = 0;
            sd_bus_message_read(call, "v", "b", &value);
            log += name + "=" + (value != 0 ? "true" : "false") + "\n";
        } else if (name == "current_folder") {
            const void* bytes = nullptr;
            std::size_t size = 0;
            sd_bus_message_enter_container(call, 'v', "ay");
            sd_bus_message_read_array(call, 'y', &bytes, &size);
            sd_bus_message_exit_container(call);
            log += "current_folder=" +
                   std::string(static_cast<const char*>(bytes), size > 0 ? size - 1 : 0) + "\n";
        } else {
            sd_bus_message_skip(call, "v");
        }
        sd_bus_message_exit_container(call);
    }
    if (FILE* file = std::fopen(environment("STANDIN_PORTAL_LOG").c_str(), "w")) {
        std::fputs(log.c_str(), file);
        std::fclose(file);
    }
    std::string sender(sd_bus_message_get_sender(call) + 1);
    for (char& c : sender) {
        c = c == '.' ? '_' : c;
    }
    const std::string request = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
    sd_bus* bus = sd_bus_message_get_bus(call);
    const int replied = sd_bus_reply_method_return(call, "o", request.c_str());
    const std::string answer = environment("STANDIN_PORTAL_ANSWER");
    if (answer == "cancel") {
        sd_bus_emit_signal(bus, request.c_str(), "org.freedesktop.portal.Request", "Response",
                           "ua{sv}", 1u, 0);
    } else {
        sd_bus_emit_signal(bus, request.c_str(), "org.freedesktop.portal.Request", "Response",
                           "ua{sv}", 0u, 1, "uris", "as", 1, answer.c_str());
    }
    return replied;
}

const sd_bus_vtable kChooser[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("OpenFile", "ssa{sv}", "o", openFile, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

} // namespace

int main() {
    sd_bus* bus = nullptr;
    if (sd_bus_open_user(&bus) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/portal/desktop",
                                 "org.freedesktop.portal.FileChooser", kChooser, nullptr) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.portal.Desktop", 0) < 0) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        const int rc = sd_bus_process(bus, nullptr);
        if (rc < 0) {
            return 1;
        }
        if (rc == 0) {
            sd_bus_wait(bus, UINT64_MAX);
        }
    }
}
