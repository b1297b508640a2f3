// System information and the keyboard, answered with Linux facts: the
// version requests give the kernel's release numbers, the network requests
// the host and domain names, and programs are the processes of /proc.
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

struct Kernel {
    int major = 0, minor = 0, patch = 0;
    std::string release, version, machine;
};

Kernel kernel() {
    Kernel k;
    struct utsname names {};
    if (::uname(&names) == 0) {
        k.release = names.release;
        k.version = names.version;
        k.machine = names.machine;
        std::sscanf(names.release, "%d.%d.%d", &k.major, &k.minor, &k.patch);
    }
    return k;
}

void version(Call& call) { call.out.set_string(QSL_VERSION_TEXT); }

// WinVersion(request): 0 minor, 1 major, 2 patch level of the kernel,
// 3 the kernel's build text, 4 the platform (2: the multi-user family),
// 5 "major-minor-patch-2".
void win_version(Call& call) {
    Kernel k = kernel();
    switch (call.integer(0)) {
        case 0: return call.out.set_int(k.minor);
        case 1: return call.out.set_int(k.major);
        case 2: return call.out.set_int(k.patch);
        case 3: return call.out.set_string(k.version);
        case 4: return call.out.set_int(2);
        case 5:
            return call.out.set_string(std::to_string(k.major) + "-" + std::to_string(k.minor) + "-" +
                                       std::to_string(k.patch) + "-2");
    }
    fail(errors::win_version_bad_request);
}

// DosVersion(request): 0 major, 1 minor of the kernel.
void dos_version(Call& call) {
    Kernel k = kernel();
    call.out.set_int(call.integer(0) == 0 ? k.major : k.minor);
}

// NetInfo(request): 0 the host name, 1 the domain name (NIS), "" when none.
void net_info(Call& call) {
    char name[256] = {};
    switch (call.integer(0)) {
        case 0:
            if (::gethostname(name, sizeof name - 1) != 0) fail_because(call.c, errors::net_failed, system_reason());
            return call.out.set_string(name);
        case 1:
            if (::getdomainname(name, sizeof name - 1) != 0) fail_because(call.c, errors::net_failed, system_reason());
            return call.out.set_string(std::strcmp(name, "(none)") == 0 ? "" : name);
    }
    fail(errors::net_failed);
}

// ExeTypeInfo(file): 0 not a program, 1 an ELF program, 2 a script that
// names its interpreter ("#!").
void exe_type_info(Call& call) {
    fs::path file = script_path(call.view(0));
    std::ifstream in(file, std::ios::binary);
    if (!in) fail_because(call.c, errors::exe_type_not_found, call.text(0));
    char head[4] = {};
    in.read(head, sizeof head);
    if (in.gcount() == 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0) return call.out.set_int(1);
    if (in.gcount() >= 2 && head[0] == '#' && head[1] == '!') return call.out.set_int(2);
    call.out.set_int(0);
}

void about(Call& call) {
    Kernel k = kernel();
    show_box("About", "QSL Version: " QSL_VERSION_TEXT "\nLinux " + k.release + " " + k.machine, QSL_MB_OK);
    call.out.set_int(1);
}

// No message box windows exist outside a host: there is never a text to get.
void msg_text_get(Call& call) { call.out.set_string(""); }

std::string lower(std::string text) {
    for (char& ch : text) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

// A program name as a process sees it: no folder, no ".exe", any case.
std::string program_name(std::string_view written) {
    size_t slash = written.find_last_of("/\\");
    std::string name(slash == std::string_view::npos ? written : written.substr(slash + 1));
    name = lower(name);
    if (name.size() > 4 && name.ends_with(".exe")) name.resize(name.size() - 4);
    return name;
}

bool program_running(const std::string& name) {
    std::error_code error;
    for (auto it = fs::directory_iterator("/proc", error); !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string pid = it->path().filename().string();
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0]))) continue;
        std::ifstream comm(it->path() / "comm");
        std::string running;
        if (std::getline(comm, running) && lower(running) == name) return true;
    }
    return false;
}

void app_exist(Call& call) { call.out.set_int(program_running(program_name(call.view(0))) ? 1 : 0); }

// AppWaitClose(program): waits until no process of that name runs.
void app_wait_close(Call& call) {
    std::string name = program_name(call.view(0));
    while (program_running(name)) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    call.out.set_int(1);
}

// The library reads no keyboard of its own: no key is down and no toggle on.
void is_key_down(Call& call) { call.out.set_int(0); }
void key_toggle_get(Call& call) { call.out.set_int(0); }
void key_toggle_set(Call& call) {
    fail_because(call.c, errors::request_ignored, "the keyboard's toggles belong to the desktop");
}
void wait_for_key(Call& call) {
    fail_because(call.c, errors::wait_for_key_failed, "the library reads no keyboard; a host's dialogs do");
}
void ignore_input(Call& call) {
    fail_because(call.c, errors::ignore_input_failed, "the library cannot block the desktop's input");
}
void end_session(Call& call) {
    fail_because(call.c, errors::request_ignored, "ending the session is left to the desktop or the system's own tools");
}

const Builtin functions[] = {
    {"about", about},
    {"appexist", app_exist},
    {"appwaitclose", app_wait_close},
    {"dosversion", dos_version},
    {"endsession", end_session},
    {"exetypeinfo", exe_type_info},
    {"ignoreinput", ignore_input},
    {"iskeydown", is_key_down},
    {"keytoggleget", key_toggle_get},
    {"keytoggleset", key_toggle_set},
    {"msgtextget", msg_text_get},
    {"netinfo", net_info},
    {"version", version},
    {"versiondll", version},
    {"waitforkey", wait_for_key},
    {"winversion", win_version},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
