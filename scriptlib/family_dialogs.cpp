// The script-defined dialogs: `dialog` shows the dialog that the script's
// variables describe; `dialogbox` first takes those variables from a file of
// "variable=value" lines, as a dialog editor saves them.
#include "scriptlib/dialog_controls.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_bytes.h"
#include "scriptlib/script_files.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

constexpr uint64_t dialog_file_max = uint64_t(1) << 20;

int run_dialog(Context& c, std::string_view name) {
    ScriptDialog dialog(c, read_dialog_definition(c, name));
    return dialog.run();
}

// dialog(name): the value of the push button pressed.
void dialog(Call& call) { call.out.set_int(run_dialog(call.c, call.text(0))); }

// dialogbox(file, name): the file's "variable=value" lines become variables
// (blank lines and lines starting with ";" are skipped), then the dialog of
// that name is shown.
void dialog_box(Call& call) {
    std::string file = call.text(0), name = call.text(1);
    std::string bytes;
    if (read_file_bytes(script_path(file).string(), bytes, dialog_file_max) != FileRead::ok)
        fail_because(call.c, errors::ask_file_unreadable, file + " is not a readable dialog file");
    for (const std::string& line : text_lines(bytes)) {
        size_t equals = line.find('=');
        if (line.empty() || line[0] == ';' || equals == std::string::npos) continue;
        std::string variable = line.substr(0, equals);
        while (!variable.empty() && (variable.back() == ' ' || variable.back() == '\t')) variable.pop_back();
        set_variable_text(call.c, variable, line.substr(equals + 1));
    }
    call.out.set_int(run_dialog(call.c, name));
}

const Builtin functions[] = {
    {"dialog", dialog},
    {"dialogbox", dialog_box},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
