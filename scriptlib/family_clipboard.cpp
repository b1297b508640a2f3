// The clipboard functions, through the library's clipboard interface (the
// in-process store unless a host installs its own). Only text lives there.
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

// The classic clipboard format numbers of text.
constexpr int format_text = 1;
constexpr int format_oem_text = 7;
constexpr int format_unicode_text = 13;
constexpr int format_last = 0xFFFF;

std::string clipboard(Call& call) {
    std::string text;
    if (!clipboard_text(text)) fail_because(call.c, errors::clip_get_ex_unavailable, "the clipboard cannot be read");
    return text;
}

void put(Call& call, const std::string& text) {
    if (!set_clipboard_text(text)) fail_because(call.c, errors::clip_get_ex_unavailable, "the clipboard did not take the text");
    call.out.set_int(1);
}

void clip_put(Call& call) { put(call, call.text(0)); }
void clip_append(Call& call) { put(call, clipboard(call) + call.text(0)); }
void clip_get(Call& call) { call.out.set_string(clipboard(call)); }

void clip_get_ex(Call& call) {
    int format = call.integer(0);
    if (format <= 0 || format > format_last) fail(errors::clip_get_ex_bad_format);
    if (format != format_text && format != format_oem_text && format != format_unicode_text)
        fail_because(call.c, errors::clip_get_ex_unavailable, "the clipboard holds text only");
    call.out.set_string(clipboard(call));
}

const Builtin functions[] = {
    {"clipappend", clip_append},
    {"clipget", clip_get},
    {"clipgetex", clip_get_ex},
    {"clipput", clip_put},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
