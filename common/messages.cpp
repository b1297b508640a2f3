#include "common/messages.h"

#include <algorithm>
#include <string>

#include "common/platform/command.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "common/platform/program_end.h"
#include "common/platform/run_status.h"
#include "common/platform/text.h"
#include "common/install_files.h"
#include "common/real_paths.h"

namespace qv {

namespace {

constexpr std::string_view message_file = install::message_file;
constexpr std::string_view error_file = install::error_file;

void put(std::FILE* file, std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); }

std::string with_code(std::string_view text, int code, const char* code_format) {
    std::string out(text);
    if (code != 0) out += format(code_format, code);
    return out;
}

// A write-protected leftover error file is made writable, so that it can be replaced.
void unprotect_error_file() { CommandInterpreter().run_line("attrib -r \\quorvant\\quorup.err"); }

// Messages of the tools that print their own: the text and its code on a line.
void print_message(std::string_view text, int code) {
    show_real_paths(text);
    console().write(with_code(text, code, " %d"));
    console().write("\n");
}

}  // namespace

void append_message(std::string_view text, int code) {
    show_real_paths(text);
    const FilePtr file = open_file(message_file, "a");
    if (!file) return;
    if (const auto at = text.find('@'); at != std::string_view::npos) {
        put(file.get(), text.substr(0, at));
        put(file.get(), "\n");
        put(file.get(), with_code(text.substr(at + 1), code, " %d"));
        put(file.get(), "\n\n");
    } else if (text == "\n") {
        put(file.get(), "\n");
    } else {
        put(file.get(), with_code(text, code, " %d"));
        put(file.get(), "\n");
    }
}

namespace {

// The warning screen of the builder and the distributor, which differ only in
// the line that asks for the key.
int show_warning(std::string_view text, int code, std::string_view key_line) {
    show_real_paths(text);
    std::string shown;
    if (const auto at = text.find('@'); at != std::string_view::npos) {
        shown = std::string(text.substr(0, at)) + "\n              (" + std::string(text.substr(at + 1)) + ")";
    } else {
        shown = with_code(text, code, " = %d");
    }
    Console& screen = console();
    screen.hide_cursor();
    screen.high_intensity();
    screen.background(9);
    screen.clear_screen();
    screen.write("\n\n\n\n\n\n\n\n\n\n                              ---WARNING---");
    screen.write("\n\n\n\n              " + shown);
    screen.write(key_line);
    const int key = screen.read_key();
    screen.clear_screen();
    return key;
}

}  // namespace

int warning_screen(std::string_view text, int code) {
    return show_warning(text, code, "\n\n\n\n                           Hit a KEY to exit.....");
}

void continue_screen(std::string_view text, int code) {
    show_warning(text, code, "\n\n\n\n                           Hit a KEY to continue.....");
    // What the closer does with the console is its own affair; the distributor
    // goes on whatever it returns.
    run_command("conquit.exe \"cmd.exe\"");
}

bool ask_yes_no(std::string_view question) {
    const int key = warning_screen(question);
    return key == 'Y' || key == 'y';
}

void write_error_file(std::string_view text, int code) {
    show_real_paths(text);
    FilePtr file = open_file(error_file, "w");
    if (!file) {
        unprotect_error_file();
        file = open_file(error_file, "w");
        if (!file) throw ProgramEnd{};
    }
    put(file.get(), with_code(text, code, " %d"));
    put(file.get(), "\n");
}

void framed_message(std::string_view text) {
    show_real_paths(text);
    Console& screen = console();
    screen.write("\n\n\n\n\n" + std::string(text) + "\n\n\n\n\n");
    screen.write("              HIT ANY KEY TO EXIT ");
    screen.read_key_echo();
    throw ProgramEnd{};
}

void append_notice(std::string_view text, int code) {
    show_real_paths(text);
    const FilePtr file = open_file(message_file, "a");
    if (!file) {
        console().write("\n\n\n\n\nCANNOT CREATE FILE QUORUP.MSG\n\n\n\n\n");
        throw ProgramEnd{};
    }
    put(file.get(), "\n*******************     NOTICE     *************************\n\n");
    std::string line(text.substr(std::min(text.find_first_not_of(' '), text.size())));
    for (char& c : line)
        if (c == '@') c = ' ';
    put(file.get(), with_code(line, code, " %d"));
    put(file.get(), "\n");
}

void print_trouble(std::string_view text) {
    show_real_paths(text);
    console().write("TROUBLE: " + std::string(text));
}

void message(const ToolProfile& tool, std::string_view text, int code) {
    switch (tool.messages) {
        case MessageStyle::message_file: append_message(text, code); return;
        case MessageStyle::warning_screen: warning_screen(text, code); return;
        case MessageStyle::error_file: write_error_file(text, code); return;
        case MessageStyle::framed_and_key: framed_message(text);
        case MessageStyle::notice: append_notice(text, code); return;
        case MessageStyle::trouble:
        case MessageStyle::direct: print_message(text, code); return;
        case MessageStyle::continue_screen: continue_screen(text, code); return;
    }
}

void fatal_error(const ToolProfile& tool, std::string_view text, int code) {
    note_failed_run();
    switch (tool.messages) {
        // The updater runs unattended and does not stop here; the message goes
        // where its user looks for messages instead of being dropped.
        case MessageStyle::message_file: append_message(text, code); return;
        case MessageStyle::trouble: print_trouble(text); return;
        case MessageStyle::direct: print_message(text, code); break;
        default: message(tool, text, code); break;
    }
    throw ProgramEnd{};
}

}  // namespace qv
