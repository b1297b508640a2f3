// The boxes that offer items to choose from: itemselect, textselect and
// askitemlist over a delimited list, textbox, textboxsort and askfiletext
// over the lines of a file. The chosen items come back joined by the list's
// delimiter; Cancel is 9999.
#include "scriptlib/box_forms.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_bytes.h"
#include "scriptlib/item_lists.h"
#include "scriptlib/script_files.h"

#include <algorithm>

namespace qsl {
namespace {

constexpr int mode_unsorted = 0;
constexpr int mode_sorted = 1;
constexpr int mode_single = 2;
constexpr int mode_multiple = 3;
constexpr int selected_items_max = 101;
constexpr uint64_t text_file_max = uint64_t(16) << 20;

struct Choice {
    std::vector<std::string> items;
    bool sorted = false;
    bool multiple = false;
};

std::string chosen_items(Call& call, std::string_view title, Choice choice, std::string_view delimiter) {
    if (choice.sorted) std::sort(choice.items.begin(), choice.items.end());
    BoxForm box(title, "");
    box.add_list(std::move(choice.items), choice.multiple);
    int value = box.show(ok_cancel_buttons(call.c));
    if (value < 0 || value == box_cancel) fail(errors::user_cancel);
    auto chosen = box.form.controls[size_t(box.control)].selected_items();
    if (chosen.size() > size_t(selected_items_max)) fail(errors::ask_too_many_selected);
    std::vector<std::string_view> views(chosen.begin(), chosen.end());
    return join_items(views, delimiter);
}

std::vector<std::string> list_items(std::string_view list, std::string_view delimiter) {
    std::vector<std::string> items;
    for (auto item : split_items(list, delimiter)) items.emplace_back(item);
    return items;
}

std::vector<std::string> file_lines(Call& call, const std::string& file) {
    std::string bytes;
    if (read_file_bytes(script_path(file).string(), bytes, text_file_max) != FileRead::ok)
        fail_because(call.c, errors::ask_file_unreadable, file + " is not a readable text file");
    auto lines = text_lines(bytes);
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

void check_modes(int sort, int select) {
    if ((sort != mode_unsorted && sort != mode_sorted) || (select != mode_single && select != mode_multiple))
        fail(errors::ask_bad_mode);
}

// itemselect(title, list, delimiter): several items may be chosen while the
// multiple-selection switch (intcontrol 33) is on.
void item_select(Call& call) {
    std::string title = call.text(0), list = call.text(1);
    std::string delimiter(list_delimiter(call.view(2)));
    Choice choice{list_items(list, delimiter), false, call.c.in->multiple_select != 0};
    call.out.set_string(chosen_items(call, title, std::move(choice), delimiter));
}

// textselect(title, list, delimiter): one item.
void text_select(Call& call) {
    std::string title = call.text(0), list = call.text(1);
    std::string delimiter(list_delimiter(call.view(2)));
    call.out.set_string(chosen_items(call, title, Choice{list_items(list, delimiter)}, delimiter));
}

// askitemlist(title, list, delimiter, @sorted/@unsorted, @single/@multiple).
void ask_item_list(Call& call) {
    check_modes(call.integer(3), call.integer(4));
    std::string title = call.text(0), list = call.text(1);
    std::string delimiter(list_delimiter(call.view(2)));
    Choice choice{list_items(list, delimiter), call.integer(3) == mode_sorted, call.integer(4) == mode_multiple};
    call.out.set_string(chosen_items(call, title, std::move(choice), delimiter));
}

// textbox(title, file), textboxsort(title, file): a line of the file.
void text_box_of(Call& call, bool sorted) {
    std::string title = call.text(0);
    Choice choice{file_lines(call, call.text(1)), sorted, false};
    call.out.set_string(chosen_items(call, title, std::move(choice), "\t"));
}
void text_box(Call& call) { text_box_of(call, false); }
void text_box_sort(Call& call) { text_box_of(call, true); }

// askfiletext(title, file, @sorted/@unsorted, @single/@multiple): lines of
// the file, several joined by tabs.
void ask_file_text(Call& call) {
    check_modes(call.integer(2), call.integer(3));
    std::string title = call.text(0);
    Choice choice{file_lines(call, call.text(1)), call.integer(2) == mode_sorted, call.integer(3) == mode_multiple};
    call.out.set_string(chosen_items(call, title, std::move(choice), "\t"));
}

const Builtin functions[] = {
    {"askfiletext", ask_file_text}, {"askitemlist", ask_item_list}, {"itemselect", item_select},
    {"textbox", text_box},          {"textboxsort", text_box_sort}, {"textselect", text_select},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
