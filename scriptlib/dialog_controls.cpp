// Initial states and results of a script-defined dialog's controls.
#include "scriptlib/dialog_controls.h"
#include "scriptlib/file_operations.h"
#include "scriptlib/item_lists.h"
#include "scriptlib/script_files.h"
#include "scriptlib/variables.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace qsl {
namespace {

constexpr int selected_items_max = 101;
constexpr const char* no_file_selected = "NOFILESELECTED";
constexpr const char* every_file = "*.*";

int control_type(const ControlDefinition& control) {
    switch (control.kind) {
        case ControlKind::static_text:
        case ControlKind::vary_text: return QSL_CONTROL_STATIC;
        case ControlKind::edit_box:
            return control.variable.rfind("pw_", 0) == 0 ? QSL_CONTROL_PASSWORD : QSL_CONTROL_EDIT;
        case ControlKind::radio_button: return QSL_CONTROL_RADIO;
        case ControlKind::check_box: return QSL_CONTROL_CHECK;
        case ControlKind::push_button: return QSL_CONTROL_BUTTON;
        case ControlKind::file_list_box:
        case ControlKind::item_box: return QSL_CONTROL_LIST;
    }
    return QSL_CONTROL_STATIC;
}

std::vector<std::string> items_of(std::string_view list) {
    std::vector<std::string> items;
    for (auto item : split_items(list, "\t")) items.emplace_back(item);
    return items;
}

int32_t integer_of(const std::optional<std::string>& text) {
    return text ? int32_t(std::strtol(text->c_str(), nullptr, 10)) : 0;
}

std::string joined(const std::vector<std::string>& items, char separator) {
    std::string out;
    for (const auto& item : items) {
        if (!out.empty()) out += separator;
        out += item;
    }
    return out;
}

}  // namespace

ScriptDialog::ScriptDialog(Context& c, DialogDefinition definition) : c_(c), definition_(std::move(definition)) {
    form.caption = definition_.caption;
    form.x = definition_.x;
    form.y = definition_.y;
    form.width = definition_.width;
    form.height = definition_.height;
    masks_.resize(definition_.controls.size());
    linked_edit_.assign(definition_.controls.size(), -1);
    for (size_t i = 0; i < definition_.controls.size(); ++i) build_control(i);
    link_file_lists();

    // The focus: the first edit box, list or push button, else the first
    // checked radio button, else the OK button; a focused push button is the
    // default button.
    int ok = -1, radio = -1;
    for (size_t i = 0; i < form.controls.size(); ++i) {
        const FormControl& control = form.controls[i];
        if (control.type == QSL_CONTROL_BUTTON && control.value == 1 && ok < 0) ok = int(i);
        if (control.type == QSL_CONTROL_RADIO && control.checked && radio < 0) radio = int(i);
        bool takes_focus = control.type == QSL_CONTROL_EDIT || control.type == QSL_CONTROL_PASSWORD ||
                           control.type == QSL_CONTROL_LIST || control.type == QSL_CONTROL_BUTTON;
        if (takes_focus && form.focus < 0) form.focus = int(i);
    }
    if (form.focus < 0) form.focus = radio;
    if (form.focus < 0) form.focus = ok;
    bool focused_button = form.focus >= 0 && form.controls[size_t(form.focus)].type == QSL_CONTROL_BUTTON;
    form.default_button = focused_button ? form.focus : ok;
}

void ScriptDialog::build_control(size_t index) {
    const ControlDefinition& definition = definition_.controls[index];
    FormControl& control = form.add(control_type(definition), definition.x, definition.y, definition.width,
                                    definition.height, definition.text);
    control.variable = definition.variable;
    control.value = definition.value;
    auto current = definition.variable.empty() ? std::nullopt : variable_value(c_, definition.variable);
    switch (definition.kind) {
        case ControlKind::vary_text:
            if (current) control.text = *current;
            break;
        case ControlKind::edit_box: control.edit = current ? *current : definition.text; break;
        case ControlKind::radio_button: {
            int32_t chosen = integer_of(current);
            bool first_of_group = true;
            for (size_t i = 0; i < index; ++i)
                if (definition_.controls[i].kind == ControlKind::radio_button &&
                    definition_.controls[i].variable == definition.variable)
                    first_of_group = false;
            control.checked = chosen == definition.value || (chosen == 0 && first_of_group);
            break;
        }
        case ControlKind::check_box: control.checked = (integer_of(current) & definition.value) != 0; break;
        case ControlKind::push_button:
            if (!definition.text_given || definition.text.empty()) {
                if (definition.value == 1) control.text = "&Ok";
                if (definition.value == 0) control.text = "&Cancel";
            }
            break;
        case ControlKind::file_list_box:
            control.text = "Files";
            masks_[index] = current && !current->empty() ? *current : every_file;
            list_files(index);
            break;
        case ControlKind::item_box:
            control.multiple = c_.in->multiple_select != 0;
            control.set_items(current ? items_of(*current)
                                      : std::vector<std::string>{"Error:", definition.variable, "not defined."});
            break;
        case ControlKind::static_text: break;
    }
}

// An edit box that names the same variable as a file list shows its mask and
// takes a file name, a mask or a folder typed for it.
void ScriptDialog::link_file_lists() {
    for (size_t list = 0; list < definition_.controls.size(); ++list) {
        if (definition_.controls[list].kind != ControlKind::file_list_box) continue;
        for (size_t edit = 0; edit < definition_.controls.size(); ++edit) {
            if (definition_.controls[edit].kind == ControlKind::edit_box &&
                definition_.controls[edit].variable == definition_.controls[list].variable) {
                linked_edit_[list] = int(edit);
                form.controls[edit].edit = masks_[list];
                break;
            }
        }
    }
}

void ScriptDialog::list_files(size_t index) {
    std::string mask = masks_[index];
    if (names_folder(mask)) mask += std::string("/") + every_file;
    masks_[index] = mask;
    std::vector<std::string> names;
    for (const auto& path : matching_paths(mask)) names.push_back(path.filename().string());
    form.controls[index].set_items(std::move(names));
}

bool ScriptDialog::refresh_file_lists() {
    bool refreshed = false;
    for (size_t list = 0; list < linked_edit_.size(); ++list) {
        if (linked_edit_[list] < 0) continue;
        FormControl& edit = form.controls[size_t(linked_edit_[list])];
        if (edit.edit == masks_[list] || !(has_wildcard(edit.edit) || names_folder(edit.edit))) continue;
        masks_[list] = edit.edit;
        list_files(list);
        edit.edit = masks_[list];
        refreshed = true;
    }
    return refreshed;
}

std::string ScriptDialog::file_list_result(size_t index) const {
    std::string folder = split_name(masks_[index]).folder;
    if (linked_edit_[index] >= 0) {
        const std::string& typed = form.controls[size_t(linked_edit_[index])].edit;
        if (!typed.empty() && typed != masks_[index] && !has_wildcard(typed)) {
            bool has_folder = !split_name(typed).folder.empty();
            return std::filesystem::absolute(script_path(has_folder ? typed : folder + typed)).string();
        }
    }
    auto chosen = form.controls[index].selected_items();
    if (chosen.empty()) return no_file_selected;
    return std::filesystem::absolute(script_path(folder + chosen.front())).string();
}

void ScriptDialog::write_results() {
    for (size_t i = 0; i < definition_.controls.size(); ++i) {
        const ControlDefinition& definition = definition_.controls[i];
        const FormControl& control = form.controls[i];
        if (definition.variable.empty()) continue;
        switch (definition.kind) {
            case ControlKind::edit_box:
                if (std::find(linked_edit_.begin(), linked_edit_.end(), int(i)) == linked_edit_.end())
                    set_variable_text(c_, definition.variable, control.edit);
                break;
            case ControlKind::radio_button:
                if (control.checked) set_variable_int(c_, definition.variable, definition.value);
                break;
            case ControlKind::check_box: {
                // Each check box of a variable sets or clears its own bits.
                int32_t old = integer_of(variable_value(c_, definition.variable));
                set_variable_int(c_, definition.variable, control.checked ? old | definition.value : old & ~definition.value);
                break;
            }
            case ControlKind::file_list_box: set_variable_text(c_, definition.variable, file_list_result(i)); break;
            case ControlKind::item_box: {
                auto chosen = control.selected_items();
                if (chosen.size() > size_t(selected_items_max)) fail(errors::ask_too_many_selected);
                set_variable_text(c_, definition.variable, joined(chosen, '\t'));
                break;
            }
            default: break;
        }
    }
}

int ScriptDialog::run() {
    for (;;) {
        FormResult result = form.show();
        if (result.broken) return 0;  // the run loop stops the script next
        if (result.cancelled() || form.controls[size_t(result.button)].value == 0) fail(errors::user_cancel);
        if (refresh_file_lists()) continue;
        write_results();
        return form.controls[size_t(result.button)].value;
    }
}

}  // namespace qsl
