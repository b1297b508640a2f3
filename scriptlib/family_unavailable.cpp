// Functions whose service has no counterpart on Linux: DDE conversations,
// OLE automation, shortcuts, icons and the wallpaper. Each fails with its
// family's error number and says why in the error box; none pretends to
// succeed. ddetimeout only keeps its setting.
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

constexpr const char* no_dde = "Linux programs hold no DDE conversations";
constexpr const char* no_ole = "Linux has no OLE automation servers";
constexpr const char* no_shortcuts = "shortcut files belong to a desktop this library does not have";

void dde_initiate(Call& call) { fail_because(call.c, errors::dde_initiate_failed, no_dde); }
void dde_execute(Call& call) { fail_because(call.c, errors::dde_execute_failed, no_dde); }
void dde_poke(Call& call) { fail_because(call.c, errors::dde_poke_failed, no_dde); }
void dde_request(Call& call) { fail_because(call.c, errors::dde_request_failed, no_dde); }
void dde_terminate(Call& call) { fail_because(call.c, errors::dde_terminate_failed, no_dde); }

// DDETimeout(milliseconds): the previous value.
void dde_timeout(Call& call) {
    static int32_t timeout = 3000;
    int32_t previous = timeout;
    timeout = call.integer(0);
    call.out.set_int(previous);
}

void object_open(Call& call) { fail_because(call.c, errors::ole_initiate_failed, no_ole); }
void object_close(Call& call) { fail_because(call.c, errors::ole_terminate_failed, no_ole); }

void shortcut(Call& call) { fail_because(call.c, errors::shortcut_failed, no_shortcuts); }
void shortcut_dir(Call& call) { fail_because(call.c, errors::shortcut_dir_failed, no_shortcuts); }

void icon_replace(Call& call) {
    fail_because(call.c, errors::icon_replace_failed, "Linux programs carry no icon resources");
}
void icon_arrange(Call& call) {
    fail_because(call.c, errors::request_ignored, "the desktop arranges its own icons");
}
void wallpaper(Call& call) {
    fail_because(call.c, errors::request_ignored, "the wallpaper belongs to the desktop");
}

const Builtin functions[] = {
    {"ddeexecute", dde_execute},   {"ddeinitiate", dde_initiate},   {"ddepoke", dde_poke},
    {"dderequest", dde_request},   {"ddeterminate", dde_terminate}, {"ddetimeout", dde_timeout},
    {"iconarrange", icon_arrange}, {"iconreplace", icon_replace},   {"objectaccess", object_open},
    {"objectclose", object_close}, {"objectopen", object_open},     {"shortcutdir", shortcut_dir},
    {"shortcutedit", shortcut},    {"shortcutextra", shortcut},     {"shortcutinfo", shortcut},
    {"shortcutmake", shortcut},    {"wallpaper", wallpaper},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
