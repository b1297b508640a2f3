// A script-defined dialog as its variables describe it: the format line,
// position and size, caption, control count and one definition string per
// control ("x,y,width,height,type,variable,text,value", fields optionally in
// double quotes, an absent field read as DEFAULT).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scriptlib/values.h"

namespace qsl {

constexpr size_t dialog_name_max = 16;
constexpr int dialog_controls_max = 100;

enum class ControlKind { static_text, vary_text, edit_box, radio_button, check_box, push_button, file_list_box, item_box };

struct ControlDefinition {
    int x = 8, y = 16, width = 44, height = 32;
    ControlKind kind = ControlKind::static_text;
    std::string variable;  // lower case; empty when absent
    std::string text;      // empty when absent
    bool text_given = false;
    int value = 0;
};

struct DialogDefinition {
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<ControlDefinition> controls;
};

// One field of a definition string; absent when it was empty or DEFAULT.
struct DefinitionField {
    std::string text;
    bool absent = true;
};
std::vector<DefinitionField> definition_fields(std::string_view definition);

// Parses one control definition (3223, 3224, 3225, 3055).
ControlDefinition parse_control(std::string_view definition);

// Reads the dialog's variables (3218-3222) and parses every control.
DialogDefinition read_dialog_definition(Context& c, std::string_view name);

// A variable's value as text, or nothing when it has none.
std::optional<std::string> variable_value(Context& c, std::string_view name);

}  // namespace qsl
