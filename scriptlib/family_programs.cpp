// Starting programs and the environment. A program is started directly with
// fork and exec, never through a shell: its parameters are split at blanks
// (double quotes group a word, and "" inside them stands for one quote), and
// each word reaches the program as one argument, whatever characters it
// holds. A name without a folder is looked for on $PATH, with or without
// ".exe", then among the suite's programs. The window variants (hide, icon,
// zoom) start the program as run and runwait do: Linux programs have no
// window state to ask for.
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/platform/process.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_operations.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

constexpr int32_t wait_code = 34;  // @wait

std::vector<std::string> split_parameters(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false, quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                word += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                word += ch;
            }
        } else if (ch == ' ' || ch == '\t') {
            if (in_word) words.push_back(std::move(word));
            word.clear();
            in_word = false;
        } else if (ch == '"') {
            quoted = in_word = true;
        } else {
            word += ch;
            in_word = true;
        }
    }
    if (in_word) words.push_back(std::move(word));
    return words;
}

bool executable(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111);
}

bool ends_with_exe(std::string_view name) {
    return name.size() > 4 && (name.substr(name.size() - 4) == ".exe" || name.substr(name.size() - 4) == ".EXE");
}

std::optional<fs::path> on_search_path(const std::string& name) {
    std::string path = qv::get_env_or("PATH", "/usr/bin:/bin");
    for (size_t start = 0; start <= path.size();) {
        size_t colon = path.find(':', start);
        std::string folder = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        fs::path candidate = script_path((folder.empty() ? "." : folder) + "/" + name);
        if (executable(candidate)) return candidate;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return std::nullopt;
}

// The program file a name means; fails with the error a start would give.
fs::path program_file(Call& call, const std::string& name) {
    if (name.empty()) fail(errors::run_no_program);
    if (!programs_allowed()) fail_because(call.c, errors::exec_access_denied, "this host does not let scripts start programs");
    if (name.find_first_of("/\\") != std::string::npos || (name.size() > 1 && name[1] == ':')) {
        fs::path path = script_path(name);
        std::error_code error;
        if (!fs::exists(path, error) && ends_with_exe(name)) path = script_path(name.substr(0, name.size() - 4));
        if (!fs::exists(path.parent_path(), error)) fail_because(call.c, errors::exec_path_not_found, name);
        if (!fs::exists(path, error)) fail_because(call.c, errors::exec_not_found, name);
        if (!executable(path)) fail_because(call.c, errors::exec_no_application, path.string() + " is not a program; shellexecute opens data files");
        return path;
    }
    if (auto found = on_search_path(name)) return *found;
    if (ends_with_exe(name))
        if (auto found = on_search_path(name.substr(0, name.size() - 4))) return *found;
    if (auto suite = qv::find_suite_program(name)) return *suite;
    fail_because(call.c, errors::exec_not_found, name + " is neither on $PATH nor one of the suite's programs");
}

int32_t start(Call& call, const std::string& name, std::string_view parameters, const fs::path& folder, bool wait) {
    fs::path program = program_file(call, name);
    int start_error = 0;
    int status = qv::start_program(program, split_parameters(parameters), folder, wait, start_error);
    if (status < 0) {
        int number = start_error == ENOENT ? errors::exec_not_found
                     : start_error == EACCES ? errors::exec_access_denied
                     : start_error == ENOEXEC ? errors::exec_bad_format
                     : start_error == ENOMEM ? errors::exec_no_memory
                                             : errors::exec_undefined;
        errno = start_error;
        fail_because(call.c, number, program.string() + ": " + system_reason());
    }
    return status;
}

// Run(program, parameters): started, not waited for; 1.
void run(Call& call) {
    start(call, call.text(0), call.view(1), {}, false);
    call.out.set_int(1);
}

// RunWait(program, parameters): waits; the program's exit status.
void run_wait(Call& call) { call.out.set_int(start(call, call.text(0), call.view(1), {}, true)); }

// RunEnviron(program, parameters, display mode, wait): the environment that
// environset made is the process's own, so every start passes it on.
void run_environ(Call& call) {
    int32_t status = start(call, call.text(0), call.view(1), {}, call.integer(3) != 0);
    call.out.set_int(call.integer(3) ? status : 1);
}

// RunShell(program, parameters, folder, display mode, @wait or @nowait).
void run_shell(Call& call) {
    std::string folder = call.text(2);
    fs::path where = folder.empty() ? fs::path() : script_path(folder);
    std::error_code error;
    if (!where.empty() && !fs::is_directory(where, error)) fail_because(call.c, errors::exec_path_not_found, folder);
    bool wait = call.integer(4) == wait_code;
    int32_t status = start(call, call.text(0), call.view(1), where, wait);
    call.out.set_int(wait ? status : 1);
}

// RunExit(program, parameters): starts the program and ends the script.
void run_exit(Call& call) {
    start(call, call.text(0), call.view(1), {}, false);
    fail(QSL_EXIT_EXECUTED);
}

// ShellExecute(file, parameters, folder, display mode, operation): opens a
// file with the desktop's program for it through xdg-open.
void shell_execute(Call& call) {
    auto opener = on_search_path("xdg-open");
    if (!programs_allowed() || !opener)
        fail_because(call.c, errors::shell_execute_failed,
                     programs_allowed() ? "xdg-open, which opens files with their program, is not installed"
                                        : "this host does not let scripts start programs");
    std::string file = call.text(0);
    std::vector<std::string> arguments{file.find("://") != std::string::npos ? file : script_path(file).string()};
    int start_error = 0;
    std::string folder = call.text(2);
    if (qv::start_program(*opener, arguments, folder.empty() ? fs::path() : script_path(folder), false, start_error) < 0)
        fail_because(call.c, errors::shell_execute_failed, file);
    call.out.set_int(1);
}

// Print(file, folder, display mode, flags): the file goes to lp.
void print(Call& call) {
    auto printer = on_search_path("lp");
    if (!programs_allowed() || !printer)
        fail_because(call.c, errors::shell_print_failed,
                     programs_allowed() ? "lp, the print command, is not installed" : "this host does not let scripts start programs");
    int start_error = 0;
    if (qv::start_program(*printer, {script_path(call.view(0)).string()}, {}, true, start_error) != 0)
        fail_because(call.c, errors::shell_print_failed, call.text(0));
    call.out.set_int(1);
}

void environment(Call& call) { call.out.set_string(qv::get_env(call.view(0)).value_or("")); }

// EnvironSet(name, value): an empty value removes the variable.
void environ_set(Call& call) {
    std::string name = call.text(0), value = call.text(1);
    if (name.empty() || name.find('=') != std::string::npos)
        fail_because(call.c, errors::environ_set_failed, "a variable name is not empty and holds no \"=\"");
    if (value.empty()) qv::unset_env(name);
    else qv::set_env(name, value);
    call.out.set_int(1);
}

// EnvItemize(): "NAME=value" of every variable, joined by tabs.
void env_itemize(Call& call) {
    std::string out;
    for (const std::string& variable : qv::all_env()) {
        if (!out.empty()) out += '\t';
        out += variable;
    }
    call.out.set_string(out);
}

const Builtin functions[] = {
    {"environment", environment}, {"environset", environ_set}, {"envitemize", env_itemize},
    {"print", print},             {"run", run},                {"runenviron", run_environ},
    {"runexit", run_exit},        {"runhide", run},            {"runhidewait", run_wait},
    {"runicon", run},             {"runiconwait", run_wait},   {"runshell", run_shell},
    {"runwait", run_wait},        {"runzoom", run},            {"runzoomwait", run_wait},
    {"shellexecute", shell_execute},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
