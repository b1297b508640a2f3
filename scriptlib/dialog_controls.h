// The controls of a script-defined dialog: their initial states from the
// script's variables, and the results they write back when a push button
// other than Cancel is pressed.
#pragma once

#include <string>
#include <vector>

#include "scriptlib/dialog_definition.h"
#include "scriptlib/dialog_form.h"

namespace qsl {

class ScriptDialog {
public:
    ScriptDialog(Context& c, DialogDefinition definition);

    // Shows the dialog until a push button closes it and returns that
    // button's value; Cancel is 9999, a break request 0. A mask or folder typed for a file list
    // refreshes the list and keeps the dialog open.
    int run();

    Form form;

private:
    void build_control(size_t index);
    void link_file_lists();
    bool refresh_file_lists();
    void list_files(size_t index);
    void write_results();
    std::string file_list_result(size_t index) const;

    Context& c_;
    DialogDefinition definition_;
    std::vector<std::string> masks_;  // a file list's mask, by control index
    std::vector<int> linked_edit_;    // a file list's edit box, -1 none
};

}  // namespace qsl
