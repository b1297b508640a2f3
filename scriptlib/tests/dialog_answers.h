// Answers dialogs for the tests: a dialog interface that records every form
// it is shown and answers it with the next line of a queue, as qsl's
// --answers does ("BUTTON<tab>variable=value...").
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "scriptlib/include/qsleng32.h"

namespace qsl::testing {

struct ShownControl {
    int type;
    int x, width;
    std::string variable, text, edit;
    int value, checked;
    std::vector<std::string> items;
    std::vector<int> selected;
    bool multiple;
};

struct ShownDialog {
    std::string caption;
    std::vector<ShownControl> controls;
    int focus, default_button, timeout_ms;
};

class DialogAnswers {
public:
    DialogAnswers() {
        current_ = this;
        QslDialogInterface dialogs{&DialogAnswers::show, nullptr};
        QslSetDialogInterface(&dialogs);
    }
    ~DialogAnswers() {
        QslSetDialogInterface(nullptr);
        current_ = nullptr;
    }
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    std::deque<std::string> lines;
    std::vector<ShownDialog> shown;

private:
    static int show(void*, QslDialog* dialog) {
        ShownDialog record{dialog->caption, {}, dialog->focus, dialog->default_button, dialog->timeout_ms};
        for (int i = 0; i < dialog->count; ++i) {
            const QslDialogControl& c = dialog->controls[i];
            ShownControl control{c.type, c.x, c.width, c.variable ? c.variable : "", c.text ? c.text : "", c.edit ? c.edit : "",
                                 c.value, c.checked, {}, {}, c.multiple != 0};
            for (int item = 0; item < c.item_count; ++item) {
                control.items.push_back(c.items[item]);
                control.selected.push_back(c.selected[item]);
            }
            record.controls.push_back(control);
        }
        current_->shown.push_back(record);
        std::string answer;
        if (!current_->lines.empty()) {
            answer = current_->lines.front();
            current_->lines.pop_front();
        }
        return QslAnswerDialog(dialog, answer.c_str());
    }
    static inline DialogAnswers* current_ = nullptr;
};

}  // namespace qsl::testing
