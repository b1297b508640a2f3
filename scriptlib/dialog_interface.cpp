// The installed dialog back end, the library's choice of a default, and the
// headless back end, which answers a dialog from a line of text.
#include "scriptlib/dialog_interface.h"
#include "scriptlib/dialog_back_ends.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <strings.h>
#include <vector>

namespace qsl {

extern std::atomic<uint32_t> g_break_requests;

namespace {

int headless_dialog(void*, QslDialog* dialog) { return QslAnswerDialog(dialog, nullptr); }

struct Installed {
    std::mutex mutex;
    bool chosen = false;  // the default is chosen on first use
    QslDialogInterface dialogs{};
};

Installed& installed() {
    static Installed state;
    return state;
}

QslDialogInterface default_dialogs() {
    QslDialogInterface dialogs{};
    if (!QslGetDialogBackEnd(QSL_DIALOGS_X11, &dialogs)) QslGetDialogBackEnd(QSL_DIALOGS_HEADLESS, &dialogs);
    return dialogs;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

bool same_word(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool integer_text(std::string_view text, int& value) {
    std::string copy(text);
    char* end = nullptr;
    long number = std::strtol(copy.c_str(), &end, 10);
    if (copy.empty() || *end) return false;
    value = int(number);
    return true;
}

// Sets every control of the variable as the value says.
void apply_pair(QslDialog& dialog, std::string_view name, std::string_view value) {
    int number = 0;
    bool numeric = integer_text(value, number);
    for (int i = 0; i < dialog.count; ++i) {
        QslDialogControl& control = dialog.controls[i];
        if (!control.variable || !same_word(control.variable, name)) continue;
        switch (control.type) {
            case QSL_CONTROL_EDIT:
            case QSL_CONTROL_PASSWORD:
                if (control.edit && control.edit_size)
                    std::snprintf(control.edit, control.edit_size, "%.*s", int(value.size()), value.data());
                break;
            case QSL_CONTROL_RADIO: control.checked = numeric && number == control.value; break;
            case QSL_CONTROL_CHECK: control.checked = numeric && (number & control.value) != 0; break;
            case QSL_CONTROL_LIST: {
                auto wanted = split(value, '|');
                bool taken = false;
                for (int item = 0; item < control.item_count; ++item) {
                    bool chosen = false;
                    for (auto w : wanted) chosen = chosen || (!w.empty() && w == control.items[item]);
                    chosen = chosen && (control.multiple || !taken);
                    control.selected[item] = chosen;
                    taken = taken || chosen;
                }
                break;
            }
            default: break;
        }
    }
}

int button_named(const QslDialog& dialog, std::string_view answer) {
    int value = 0;
    bool numeric = integer_text(answer, value);
    if (!numeric && same_word(answer, "OK")) numeric = true, value = 1;
    if (!numeric && same_word(answer, "Cancel")) numeric = true, value = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < dialog.count; ++i) {
            const QslDialogControl& control = dialog.controls[i];
            if (control.type != QSL_CONTROL_BUTTON) continue;
            std::string storage;
            if (pass == 0 && numeric && control.value == value) return i;
            if (pass == 1 && same_word(button_label(control.text, storage), answer)) return i;
        }
    }
    return -1;
}

void write_dialog(const QslDialog& dialog) {
    std::string text = dialog.caption ? dialog.caption : "";
    text += '\n';
    for (int i = 0; i < dialog.count; ++i)
        if (dialog.controls[i].type == QSL_CONTROL_STATIC && dialog.controls[i].text)
            text += std::string(dialog.controls[i].text) + '\n';
    std::fputs(text.c_str(), stderr);
}

}  // namespace

BreakWatch::BreakWatch() : seen_(g_break_requests.load()) {}
bool BreakWatch::requested() const { return g_break_requests.load() != seen_; }

std::string_view button_label(const char* text, std::string& storage) {
    storage.clear();
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '&' && p[1] != '&') continue;
        if (*p == '&') ++p;
        storage += *p;
    }
    return storage;
}

int show_dialog(QslDialog& dialog) {
    Installed& state = installed();
    QslDialogInterface dialogs;
    {
        std::lock_guard<std::mutex> guard(state.mutex);
        if (!state.chosen) {
            state.dialogs = default_dialogs();
            state.chosen = true;
        }
        dialogs = state.dialogs;
    }
    return dialogs.show_dialog(dialogs.user, &dialog);
}

}  // namespace qsl

extern "C" {

QSL_API void QslSetDialogInterface(const QslDialogInterface* dialogs) {
    qsl::Installed& state = qsl::installed();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.chosen = dialogs && dialogs->show_dialog;
    state.dialogs = state.chosen ? *dialogs : QslDialogInterface{};
}

QSL_API int QslGetDialogBackEnd(int kind, QslDialogInterface* dialogs) {
    if (!dialogs) return 0;
    *dialogs = QslDialogInterface{};
    switch (kind) {
        case QSL_DIALOGS_HEADLESS: dialogs->show_dialog = qsl::headless_dialog; return 1;
        case QSL_DIALOGS_TERMINAL:
            if (!qsl::terminal_dialogs_available()) return 0;
            dialogs->show_dialog = qsl::show_terminal_dialog;
            return 1;
        case QSL_DIALOGS_X11:
            if (!qsl::x11_dialogs_available()) return 0;
            dialogs->show_dialog = qsl::show_x11_dialog;
            return 1;
        default: return 0;
    }
}

QSL_API int QslAnswerDialog(QslDialog* dialog, const char* answer) {
    if (!dialog) return -2;
    qsl::write_dialog(*dialog);
    auto parts = qsl::split(answer ? answer : "", '\t');
    for (size_t i = 1; i < parts.size(); ++i) {
        size_t equals = parts[i].find('=');
        if (equals != std::string_view::npos)
            qsl::apply_pair(*dialog, parts[i].substr(0, equals), parts[i].substr(equals + 1));
    }
    int button = parts[0].empty() ? -1 : qsl::button_named(*dialog, parts[0]);
    return button >= 0 ? button : dialog->default_button;
}

}  // extern "C"
