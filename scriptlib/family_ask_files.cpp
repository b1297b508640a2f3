// The boxes that ask for a file or a folder: askfilename shows the files of
// a folder that match a mask with an edit box for the name, askdirectory the
// subfolders of a folder. A mask or folder typed in the edit box moves the
// list there and keeps the box open; Cancel is 9999.
#include "scriptlib/box_forms.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/file_operations.h"
#include "scriptlib/script_files.h"

#include <algorithm>
#include <filesystem>

namespace qsl {
namespace fs = std::filesystem;
namespace {

constexpr int flag_open = 1;

std::string with_separator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder;
}

// The first mask of a file type list "Text files|*.txt|All files|*.*", or
// the text itself when it holds no "|".
std::string first_mask(const std::string& types) {
    size_t bar = types.find('|');
    std::string mask = bar == std::string::npos ? types : types.substr(bar + 1, types.find('|', bar + 1) - bar - 1);
    return mask.empty() ? "*.*" : mask;
}

struct Asked {
    std::string typed;
    std::vector<std::string> chosen;
};

Asked ask_in_list(Call& call, const std::string& title, const std::string& text, const std::string& typed,
                  std::vector<std::string> items) {
    BoxForm box(title, text);
    box.add_edit(typed, false);
    box.add_list(std::move(items), false);
    int value = box.show(ok_cancel_buttons(call.c));
    if (value < 0 || value == box_cancel) fail(errors::user_cancel);
    const auto& controls = box.form.controls;
    return Asked{controls[size_t(box.control) - 1].edit, controls[size_t(box.control)].selected_items()};
}

// askfilename(title, folder, file types, default name, flag): the full name
// of the file chosen or typed; with flag 1 (open) it must exist.
void ask_file_name(Call& call) {
    std::string title = call.text(0), folder = with_separator(call.text(1)), typed = call.text(3);
    std::string mask = first_mask(call.text(2));
    int flag = call.integer(4);
    for (;;) {
        std::vector<std::string> names;
        for (const auto& path : matching_paths(folder + mask)) names.push_back(path.filename().string());
        Asked asked = ask_in_list(call, title, folder + mask, typed, std::move(names));
        typed = asked.typed;
        if (has_wildcard(typed)) {
            NameParts parts = split_name(typed);
            if (!parts.folder.empty()) folder = parts.folder;
            mask = parts.name;
            typed.clear();
            continue;
        }
        if (names_folder(typed) || names_folder(folder + typed)) {
            folder = with_separator(names_folder(typed) && !split_name(typed).folder.empty() ? typed : folder + typed);
            typed.clear();
            continue;
        }
        std::string name = !typed.empty() ? (split_name(typed).folder.empty() ? folder + typed : typed)
                           : !asked.chosen.empty() ? folder + asked.chosen.front() : "";
        if (name.empty()) fail(errors::ask_file_name_none);
        fs::path path = fs::absolute(script_path(name));
        std::error_code error;
        if (flag == flag_open && !fs::is_regular_file(path, error))
            fail_because(call.c, errors::ask_file_name_none, name + " does not exist");
        call.out.set_string(path.string());
        return;
    }
}

std::vector<std::string> subfolders(Call& call, const fs::path& folder) {
    std::vector<std::string> names{".."};
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    if (error) fail_because(call.c, errors::ask_directory_unreadable, folder.string() + ": " + error.message());
    for (; it != end; it.increment(error)) {
        if (error) break;
        if (it->is_directory(error)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin() + 1, names.end());
    return names;
}

// askdirectory(prompt, root, start, confirm, flags): the folder chosen, with
// its separator. Choosing a subfolder in the list opens it; OK with none
// chosen takes the folder in the edit box. A confirm text asks Yes or No
// before the folder is taken.
void ask_directory(Call& call) {
    std::string prompt = call.text(0), root = call.text(1), start = call.text(2), confirm = call.text(3);
    std::string written = !start.empty() ? start : !root.empty() ? root : ".";
    if (!names_folder(written)) fail_because(call.c, errors::ask_directory_missing, written + " is not a folder");
    fs::path current = fs::weakly_canonical(fs::absolute(script_path(written)));
    for (;;) {
        Asked asked = ask_in_list(call, prompt, current.string(), current.string(), subfolders(call, current));
        if (!asked.chosen.empty()) {
            current = asked.chosen.front() == ".." ? current.parent_path() : current / asked.chosen.front();
            continue;
        }
        if (asked.typed != current.string()) {
            if (!names_folder(asked.typed))
                fail_because(call.c, errors::ask_directory_missing, asked.typed + " is not a folder");
            current = fs::weakly_canonical(fs::absolute(script_path(asked.typed)));
        }
        if (!confirm.empty()) {
            BoxForm box(prompt, confirm + "\n" + current.string());
            int value = box.show(yes_no_cancel_buttons(call.c));
            if (value < 0 || value == box_cancel) fail(errors::user_cancel);
            if (value == box_no) continue;
        }
        call.out.set_string(with_separator(current.string()));
        return;
    }
}

const Builtin functions[] = {
    {"askdirectory", ask_directory},
    {"askfilename", ask_file_name},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
