// qsl: runs a script file the way a host does: phases 0 to 3 with room for
// 2000 variables and a 64 KiB string heap, one run, teardown.
//
//   qsl [--vars] [--answers FILE] SCRIPT [PARAMETERS]
//   qsl [--answers FILE] --menu FILE [--item ID]
//
// Exit status 0 when the script ended normally or by EXIT, 1 otherwise. An
// error report names the script file and the line of the statement.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "qsl_menu.h"
#include "qsleng32.h"

namespace {

constexpr int variable_slots = 2000;
constexpr size_t heap_bytes = 64 * 1024;

std::vector<std::string> g_answers;
size_t g_next_answer = 0;
std::string g_script;  // the script file named on the command line

constexpr const char* usage_line =
    "qsl [--vars] [--answers FILE] SCRIPT [PARAMETERS]\n"
    "       qsl [--answers FILE] --menu FILE [--item ID]";

void print_help() {
    std::printf(
        "Usage: %s\n\n"
        "Runs a script file of the script processor library the way a host does: room for 2000\n"
        "variables and a 64 KiB string heap that grows, one run, then teardown.\n"
        "PARAMETERS become param0 (their count) and param1 onwards, as a CALL makes them.\n"
        "--vars          print every variable that has a value after the run, as name=value\n"
        "--answers FILE  each line answers the next message box or dialog: a button name (OK,\n"
        "                Cancel, Yes, No, Retry, Ignore, Abort) or a dialog's push button value,\n"
        "                optionally followed by tab-separated variable=value pairs (several list\n"
        "                items joined by |; the ask boxes call their edit box line, their list items)\n"
        "--menu FILE     offers the menus of a menu file: on a terminal they are shown (Up/Down\n"
        "                or the item's number chooses, Enter runs its code, the items' hot keys\n"
        "                run theirs, Esc leaves); otherwise each entry is listed on a line, an\n"
        "                item with its identifier (from 1000) and hot key\n"
        "--item ID       with --menu: runs the code of the item with that identifier\n"
        "Dialogs and ask boxes without --answers: on the X server of $DISPLAY; else, on a\n"
        "terminal, as a text-mode form (Tab moves, Space toggles, arrows move in lists, Enter\n"
        "presses the default button, Esc cancels); else on standard error, default pressed.\n"
        "Message boxes and error reports go to standard error; an error report names the\n"
        "script file and line. Exit status: 0 when the script ended normally or by EXIT,\n"
        "1 otherwise.\n\n"
        "Reads:   the script or the menu file, the files it calls and reads, the answers file\n"
        "Writes:  what the script writes\n\n"
        "Environment:\n"
        "  QSL_NOW         YYYY:MM:DD:HH:MM:SS, the clock's reading when the library starts\n"
        "  QSL_REGISTRY    the registry file (default ~/.config/qsleng32/registry.ini)\n"
        "  DISPLAY         with an X server, windows, the clipboard and dialogs use it\n\n"
        "--help, -h, -?, /? show this text and --version the version.\n",
        usage_line);
}

// The front door: a question among the options before the script is answered
// and nothing is run.
bool answer_front_door(int argc, char** argv) {
    for (int arg = 1; arg < argc; ++arg) {
        const std::string option = argv[arg];
        if (option == "--help" || option == "-h" || option == "-?" || option == "/?") {
            print_help();
            return true;
        }
        if (option == "--version") {
            std::printf("qsl %s (Quorvant suite, script processor library)\n", QSL_VERSION_TEXT);
            return true;
        }
        if (option == "--answers" || option == "--menu" || option == "--item") ++arg;
        else if (option.rfind("--", 0) != 0) return false;
    }
    return false;
}

// An error report's title is its number and text ("3046:  ..."): the place of
// the statement follows it.
bool is_error_report(const char* title) {
    const char* p = title;
    while (*p >= '0' && *p <= '9') ++p;
    return p != title && std::strncmp(p, ":  ", 3) == 0;
}

void print_error_place() {
    char file[4096] = "";
    const int line = QslErrorPlace(file, sizeof file);
    if (line > 0) std::fprintf(stderr, "at %s, line %d\n", *file ? file : g_script.c_str(), line);
}

int button_of(const std::string& name, int fallback) {
    static const struct {
        const char* name;
        int id;
    } button_texts[] = {{"OK", QSL_ID_OK},       {"Cancel", QSL_ID_CANCEL}, {"Yes", QSL_ID_YES}, {"No", QSL_ID_NO},
                    {"Retry", QSL_ID_RETRY}, {"Ignore", QSL_ID_IGNORE}, {"Abort", QSL_ID_ABORT}};
    for (const auto& b : button_texts)
        if (strcasecmp(b.name, name.c_str()) == 0) return b.id;
    return fallback;
}

std::string next_answer_line() {
    if (g_next_answer >= g_answers.size()) return "";
    return g_answers[g_next_answer++];
}

std::string next_answer() {
    std::string line = next_answer_line();
    return line.substr(0, line.find('\t'));
}

// A dialog answered by the next line of the answers file.
int answered_dialog(void*, QslDialog* dialog) { return QslAnswerDialog(dialog, next_answer_line().c_str()); }

// Dialogs: answered from the answers file when one is given; else on the X
// server of $DISPLAY, else as a text-mode form when qsl runs on a terminal,
// else headless.
void choose_dialogs(bool answered) {
    QslDialogInterface dialogs{};
    if (answered) dialogs.show_dialog = answered_dialog;
    else if (!QslGetDialogBackEnd(QSL_DIALOGS_X11, &dialogs) && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO))
        QslGetDialogBackEnd(QSL_DIALOGS_TERMINAL, &dialogs);
    QslSetDialogInterface(dialogs.show_dialog ? &dialogs : nullptr);
}

int answered_box(void*, const char* title, const char* text, int buttons) {
    std::fprintf(stderr, "%s\n%s\n", title, text);
    if (is_error_report(title)) print_error_place();
    int fallback = buttons == QSL_MB_YESNO ? QSL_ID_YES : QSL_ID_OK;
    return button_of(next_answer(), fallback);
}

int answered_step(void*, const char* text, char* name, size_t size) {
    std::fprintf(stderr, "DEBUG\n%s\n", text);
    std::string answer = next_answer();
    if (strcasecmp(answer.c_str(), "Run") == 0) return QSL_STEP_RUN;
    if (strcasecmp(answer.c_str(), "Cancel") == 0) return QSL_STEP_CANCEL;
    if (answer.rfind("Show Var ", 0) == 0 && size) {
        std::snprintf(name, size, "%s", answer.c_str() + 9);
        return QSL_STEP_SHOW_VAR;
    }
    return QSL_STEP_NEXT;
}

void on_interrupt(int) { QslRequestBreak(); }

std::string escaped(const std::string& value) {
    std::string out;
    for (char ch : value) {
        if (ch == '\\') out += "\\\\";
        else if (ch == '\r') out += "\\r";
        else if (ch == '\n') out += "\\n";
        else out += ch;
    }
    return out;
}

// Parameters are joined as a CALL's parameter text; words with blanks are quoted.
std::string parameter_text(int argc, char** argv, int first) {
    std::string text;
    for (int i = first; i < argc; ++i) {
        std::string word = argv[i];
        if (!text.empty()) text += ' ';
        if (word.empty() || word.find_first_of(" \t\"") != std::string::npos) {
            text += '"';
            for (char ch : word) text += ch == '"' ? std::string("\"\"") : std::string(1, ch);
            text += '"';
        } else {
            text += word;
        }
    }
    return text;
}

void print_variables(QslHandle instance, QslHandle variables) {
    auto* table = static_cast<const unsigned char*>(QslGlobalLock(variables));
    if (!table) return;
    std::vector<std::string> names;
    for (int i = 0; i < variable_slots; ++i) {
        const unsigned char* slot = table + size_t(i) * QSL_VARIABLE_SLOT_SIZE;
        uint32_t type;
        std::memcpy(&type, slot + 12, 4);
        if (type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING))
            names.emplace_back(reinterpret_cast<const char*>(slot + 20), strnlen(reinterpret_cast<const char*>(slot + 20), 32));
    }
    QslGlobalUnlock(variables);
    std::vector<char> value(70000);
    for (const auto& name : names) {
        if (DLLServices(instance, 2, name.c_str(), value.data(), int(value.size()), 0))
            std::printf("%s=%s\n", name.c_str(), escaped(value.data()).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (answer_front_door(argc, argv)) return 0;
    bool show_vars = false, answered = false;
    std::string menu_file, menu_item;
    int arg = 1;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
        std::string option = argv[arg];
        if (option == "--vars") {
            show_vars = true;
        } else if (option == "--menu" && arg + 1 < argc) {
            menu_file = argv[++arg];
        } else if (option == "--item" && arg + 1 < argc) {
            menu_item = argv[++arg];
        } else if (option == "--answers" && arg + 1 < argc) {
            answered = true;
            std::ifstream in(argv[++arg]);
            if (!in) {
                std::fprintf(stderr, "qsl: cannot read the answers file %s\n", argv[arg]);
                return 1;
            }
            for (std::string line; std::getline(in, line);) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                g_answers.push_back(line);
            }
        } else {
            std::fprintf(stderr, "qsl: unknown option %s\n", option.c_str());
            return 1;
        }
    }
    // A menu file stands for the script; --item belongs to it.
    const bool usable = menu_file.empty() ? arg < argc && menu_item.empty() : arg == argc && !show_vars;
    if (!usable) {
        std::fprintf(stderr, "usage: %s\n", usage_line);
        return 1;
    }
    std::string text;
    if (menu_file.empty()) {
        std::ifstream file(argv[arg], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "qsl: cannot read the script %s\n", argv[arg]);
            return 1;
        }
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        g_script = argv[arg];
    }

    QslInterfaces interfaces{};
    interfaces.message_box = answered_box;
    interfaces.step_dialog = answered_step;
    interfaces.post_command = qsl_host::remember_posted_command;
    QslSetInterfaces(&interfaces);
    choose_dialogs(answered);
    std::signal(SIGINT, on_interrupt);

    int size = DoDaDllInit(0, 0, QslHandle(QSL_INTERFACE_VERSION) << 8, 0, 0, nullptr, nullptr);
    QslHandle instance = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(size));
    QslHandle variables = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, size_t(variable_slots) * QSL_VARIABLE_SLOT_SIZE);
    QslHandle heap = QslGlobalAlloc(QSL_GMEM_MOVEABLE | QSL_GMEM_ZEROINIT, heap_bytes);
    uintptr_t host_record[3] = {0, 0, 0};
    if (!size || !instance || !variables || !heap ||
        DoDaDllInit(0, instance, 0, 1, 0, "qsl", nullptr) != 52 ||
        !DoDaDllInit(0, instance, variables, 2, variable_slots, "qsl", "qsl") ||
        !DoDaDllInit(0, instance, heap, 3, int(heap_bytes), "qsl", reinterpret_cast<const char*>(host_record))) {
        std::fprintf(stderr, "qsl: the script processor could not be set up\n");
        return 1;
    }
    if (!menu_file.empty()) {
        g_script = menu_file + " (the item's code)";
        const int status = qsl_host::run_menu_file(instance, menu_file, menu_item);
        DoDaDllInit(0, instance, 0, 99, 0, nullptr, nullptr);
        QslGlobalFree(heap);
        QslGlobalFree(variables);
        QslGlobalFree(instance);
        return status;
    }
    std::string parameters = parameter_text(argc, argv, arg + 1);
    DLLServices(instance, 11, parameters.c_str(), nullptr, 0, 0);

    QslHandle script = QslGlobalAlloc(QSL_GMEM_MOVEABLE, text.size() + 2);
    auto* bytes = static_cast<char*>(QslGlobalLock(script));
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = bytes[text.size() + 1] = '\0';
    QslGlobalUnlock(script);

    int ran = ProcessDaBatBuffer(0, instance, script, nullptr, 0);
    int last_error = DLLServices(instance, 5, nullptr, nullptr, 0, 0);
    if (show_vars) print_variables(instance, variables);
    DoDaDllInit(0, instance, 0, 99, 0, nullptr, nullptr);
    QslGlobalFree(script);
    QslGlobalFree(heap);
    QslGlobalFree(variables);
    QslGlobalFree(instance);
    return ran && (last_error == 0 || last_error == QSL_EXIT_EXECUTED) ? 0 : 1;
}
