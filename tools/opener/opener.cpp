// explorer.exe and notepad.exe of the prefix's Windows folder: they hand the item named on
// their command line to the desktop. Explorer opens a folder or file with the desktop's
// file manager or default application (xdg-open), or with the program VELMAR_OPEN_WITH
// names. Notepad opens a file in $VISUAL or $EDITOR when it runs in a terminal, else with
// xdg-open, or with the program VELMAR_EDIT_WITH names. The handler gets the host path as
// its one argument and replaces this process; no shell is involved.
//
// Built twice: VELMAR_OPENER_EDITS is 1 for Notepad, 0 for Explorer.
#include "platform/fs/fs.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool startsWithNoCase(const std::string& text, std::size_t at, const char* word) {
    for (std::size_t i = 0; word[i] != '\0'; ++i, ++at) {
        const char c = at < text.size() ? text[at] : '\0';
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != word[i]) {
            return false;
        }
    }
    return true;
}

// The command line after the program name. The starter splits a Windows command line at
// blanks, so a path given without quotes arrives in pieces: put them together again.
std::string itemOf(int argc, char** argv) {
    std::string item;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            item += ' ';
        }
        item += argv[i];
    }
    return item;
}

// Explorer's switches ("/e,", "/n,", "/root,", "/select,", "/separate,") before the item;
// with /select the folder that holds it opens.
std::string explorerItem(std::string text, bool& select) {
    select = false;
    for (;;) {
        const std::size_t start = text.find_first_not_of(" \t");
        text.erase(0, start == std::string::npos ? text.size() : start);
        bool matched = false;
        for (const char* name : {"/select", "/separate", "/root", "/e", "/n"}) {
            const std::size_t length = std::char_traits<char>::length(name);
            const char after = text.size() > length ? text[length] : '\0';
            if (startsWithNoCase(text, 0, name) && (after == ',' || after == '\0')) {
                select = select || std::string_view(name) == "/select";
                text.erase(0, after == ',' ? length + 1 : length);
                matched = true;
                break;
            }
        }
        if (!matched) {
            break;
        }
    }
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

// The host path of a Windows or native path; empty, with a word on stderr, when it has none.
std::string hostPath(const std::string& item) {
    const velmar::fs::HostPath mapped = velmar::fs::hostPathOfAnsi(item);
    if (!mapped) {
        std::fprintf(stderr, "%s: no host path (error %u)\n", item.c_str(),
                     static_cast<unsigned>(mapped.error));
        return {};
    }
    return mapped.path;
}

// Replaces this process with the handler's words followed by the path.
int handOver(std::vector<std::string> command, const std::string& path) {
    command.push_back(path);
    std::vector<char*> args;
    for (std::string& word : command) {
        args.push_back(word.data());
    }
    args.push_back(nullptr);
    ::execvp(args.front(), args.data());
    std::perror(args.front());
    return 127;
}

// A variable's value split at blanks ("code --wait"); empty when unset.
std::vector<std::string> words(const std::string& value) {
    std::vector<std::string> result;
    std::size_t at = 0;
    while ((at = value.find_first_not_of(" \t", at)) != std::string::npos) {
        const std::size_t end = std::min(value.find_first_of(" \t", at), value.size());
        result.push_back(value.substr(at, end - at));
        at = end;
    }
    return result;
}

// An editor of the terminal needs one that this process has in the foreground.
bool inForegroundTerminal() {
    return ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO) &&
           ::tcgetpgrp(STDIN_FILENO) == ::getpgrp();
}

int explorer(int argc, char** argv) {
    bool select = false;
    const std::string item = explorerItem(itemOf(argc, argv), select);
    std::string path = item.empty() ? environment("HOME") : hostPath(item);
    if (path.empty()) {
        return 2;
    }
    if (select) {
        const std::size_t slash = path.find_last_of('/');
        path = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    }
    const std::string handler = environment("VELMAR_OPEN_WITH");
    return handOver({handler.empty() ? "xdg-open" : handler}, path);
}

int notepad(int argc, char** argv) {
    std::string item = itemOf(argc, argv);
    if (item.size() >= 2 && item.front() == '"' && item.back() == '"') {
        item = item.substr(1, item.size() - 2);
    }
    const std::string path = item.empty() ? std::string() : hostPath(item);
    if (path.empty()) {
        return 2;
    }
    if (const std::string handler = environment("VELMAR_EDIT_WITH"); !handler.empty()) {
        return handOver({handler}, path);
    }
    if (inForegroundTerminal()) {
        std::vector<std::string> editor = words(environment("VISUAL"));
        if (editor.empty()) {
            editor = words(environment("EDITOR"));
        }
        if (!editor.empty()) {
            return handOver(editor, path);
        }
    }
    return handOver({"xdg-open"}, path);
}

} // namespace

int main(int argc, char** argv) {
    return VELMAR_OPENER_EDITS ? notepad(argc, argv) : explorer(argc, argv);
}
