// A form of controls and its round trip through the dialog interface.
#include "scriptlib/dialog_form.h"
#include "scriptlib/dialog_interface.h"
#include "scriptlib/instance.h"

#include <algorithm>
#include <cstring>

namespace qsl {

void FormControl::set_items(std::vector<std::string> list) {
    items = std::move(list);
    selected.assign(items.size(), 0);
}

std::vector<std::string> FormControl::selected_items() const {
    std::vector<std::string> chosen;
    for (size_t i = 0; i < items.size(); ++i)
        if (selected[i]) chosen.push_back(items[i]);
    return chosen;
}

FormControl& Form::add(int type, int cx, int cy, int cwidth, int cheight, std::string_view text) {
    FormControl& control = controls.emplace_back();
    control.type = type;
    control.x = cx;
    control.y = cy;
    control.width = cwidth;
    control.height = cheight;
    control.text = text;
    return control;
}

FormControl& Form::add_button(int cx, int cy, std::string_view text, int value) {
    FormControl& button = add(QSL_CONTROL_BUTTON, cx, cy, 40, 14, text);
    button.value = value;
    return button;
}

namespace {

// An edit box's buffer leaves room for typing beyond the initial text.
constexpr size_t edit_room = 4096;

// The C view of a form: it points into the form and into buffers of its own
// for the parts the back end may change.
struct FormView {
    std::vector<QslDialogControl> controls;
    std::vector<std::vector<char>> edits;
    std::vector<std::vector<const char*>> items;
    QslDialog dialog{};

    explicit FormView(Form& form) {
        controls.resize(form.controls.size());
        edits.resize(form.controls.size());
        items.resize(form.controls.size());
        for (size_t i = 0; i < form.controls.size(); ++i) {
            FormControl& from = form.controls[i];
            QslDialogControl& to = controls[i];
            to.type = from.type;
            to.x = from.x;
            to.y = from.y;
            to.width = from.width;
            to.height = from.height;
            to.variable = from.variable.c_str();
            to.text = from.text.c_str();
            to.value = from.value;
            to.checked = from.checked;
            if (from.type == QSL_CONTROL_EDIT || from.type == QSL_CONTROL_PASSWORD) {
                edits[i].assign(from.edit.size() + edit_room, '\0');
                std::memcpy(edits[i].data(), from.edit.data(), from.edit.size());
                to.edit = edits[i].data();
                to.edit_size = edits[i].size();
            }
            if (from.type == QSL_CONTROL_LIST) {
                for (const auto& item : from.items) items[i].push_back(item.c_str());
                to.item_count = int(from.items.size());
                to.items = items[i].data();
                to.selected = from.selected.data();
                to.multiple = from.multiple;
            }
        }
        dialog.caption = form.caption.c_str();
        dialog.x = form.x;
        dialog.y = form.y;
        dialog.width = form.width;
        dialog.height = form.height;
        dialog.count = int(controls.size());
        dialog.controls = controls.data();
        dialog.focus = form.focus;
        dialog.default_button = form.default_button;
        dialog.timeout_ms = form.timeout_ms;
    }

    void take_back(Form& form) const {
        for (size_t i = 0; i < form.controls.size(); ++i) {
            FormControl& to = form.controls[i];
            to.checked = controls[i].checked != 0;
            if (!edits[i].empty()) to.edit.assign(edits[i].data(), strnlen(edits[i].data(), edits[i].size()));
            if (to.type == QSL_CONTROL_LIST && !to.multiple) {
                // A back end that left several items of a single list marked
                // is read as having chosen the first.
                auto first = std::find_if(to.selected.begin(), to.selected.end(), [](unsigned char s) { return s != 0; });
                if (first != to.selected.end()) std::fill(first + 1, to.selected.end(), 0);
            }
        }
    }
};

}  // namespace

FormResult Form::show() {
    FormView view(*this);
    int pressed = show_dialog(view.dialog);
    if (pressed == -2) fail(errors::dialog_window_failed);
    view.take_back(*this);
    FormResult result;
    result.broken = pressed == -3;
    if (pressed >= 0 && size_t(pressed) < controls.size() && controls[size_t(pressed)].type == QSL_CONTROL_BUTTON)
        result.button = pressed;
    return result;
}

std::vector<std::string> text_lines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    return lines;
}

}  // namespace qsl
