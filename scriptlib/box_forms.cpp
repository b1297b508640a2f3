// Laying out the library's own boxes.
#include "scriptlib/box_forms.h"

#include <algorithm>
#include <cstring>

namespace qsl {
namespace {

constexpr int margin = 8;
constexpr int line_units = 8;
constexpr int button_width = 40;
constexpr int button_height = 14;
constexpr int button_gap = 8;
constexpr int edit_height = 12;
constexpr int list_rows_max = 12;
constexpr int width_min = 160;
constexpr int width_max = 296;  // 74 columns on a terminal
constexpr int centred = -1;  // off the screen: the back end centres the box

std::string taken_name(char (&name)[32], const char* fallback) {
    std::string text = name[0] ? std::string(name, strnlen(name, sizeof name)) : fallback;
    name[0] = '\0';
    return text;
}

}  // namespace

BoxForm::BoxForm(std::string_view title, std::string_view text) {
    form.caption = title;
    form.x = form.y = centred;
    auto lines = text_lines(text);
    size_t longest = 0;
    for (const auto& line : lines) longest = std::max(longest, line.size());
    width_ = std::clamp(text_units(longest) + 2 * margin, width_min, width_max);
    int height = int(lines.size()) * line_units;
    if (!text.empty()) form.add(QSL_CONTROL_STATIC, margin, margin, width_ - 2 * margin, height, text);
    next_y_ = margin + (text.empty() ? 0 : height + margin / 2);
}

FormControl& BoxForm::add_edit(std::string_view initial, bool hidden) {
    FormControl& edit = form.add(hidden ? QSL_CONTROL_PASSWORD : QSL_CONTROL_EDIT, margin, next_y_,
                                 width_ - 2 * margin, edit_height, "");
    edit.variable = "line";
    edit.edit = initial;
    control = int(form.controls.size()) - 1;
    next_y_ += edit_height + margin / 2;
    return edit;
}

FormControl& BoxForm::add_list(std::vector<std::string> items, bool multiple) {
    size_t longest = 0;
    for (const auto& item : items) longest = std::max(longest, item.size());
    width_ = std::clamp(std::max(width_, text_units(longest) + 3 * margin), width_min, width_max);
    int rows = std::clamp(int(items.size()), 3, list_rows_max);
    FormControl& list = form.add(QSL_CONTROL_LIST, margin, next_y_, width_ - 2 * margin, (rows + 1) * line_units, "");
    list.variable = "items";
    list.set_items(std::move(items));
    list.multiple = multiple;
    control = int(form.controls.size()) - 1;
    next_y_ += list.height + margin / 2;
    return list;
}

int BoxForm::show(const std::vector<BoxButton>& buttons, int timeout_ms) {
    int row_width = int(buttons.size()) * (button_width + button_gap) - button_gap;
    width_ = std::max(width_, row_width + 2 * margin);
    int x = (width_ - row_width) / 2;
    int y = next_y_ + margin / 2;
    size_t first = form.controls.size();
    for (const BoxButton& button : buttons) {
        form.add_button(x, y, button.text, button.value);
        x += button_width + button_gap;
    }
    form.width = width_;
    form.height = y + button_height + margin;
    form.default_button = buttons.empty() ? -1 : int(first);
    form.focus = control >= 0 ? control : form.default_button;
    form.timeout_ms = timeout_ms;
    FormResult result = form.show();
    form.controls.resize(first);  // the box may be shown again
    if (result.cancelled()) return -1;
    return buttons[size_t(result.button) - first].value;
}

std::vector<BoxButton> ok_cancel_buttons(Context& c, bool with_cancel) {
    std::vector<BoxButton> buttons{{taken_name(c.in->button_names[0], "&OK"), box_ok}};
    std::string cancel = taken_name(c.in->button_names[1], "&Cancel");
    if (with_cancel) buttons.push_back({cancel, box_cancel});
    return buttons;
}

std::vector<BoxButton> yes_no_cancel_buttons(Context& c) {
    return {{taken_name(c.in->button_names[0], "&Yes"), box_ok},
            {taken_name(c.in->button_names[1], "&No"), box_no},
            {"&Cancel", box_cancel}};
}

}  // namespace qsl
