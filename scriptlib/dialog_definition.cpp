// Reading a script-defined dialog from its variables.
#include "scriptlib/dialog_definition.h"
#include "scriptlib/variables.h"

#include <cctype>
#include <cstdlib>
#include <strings.h>

namespace qsl {
namespace {

constexpr int default_x = 8, default_y = 16, default_width = 44, default_height = 32;
constexpr size_t field_count = 8;

struct TypeWord {
    const char* word;
    ControlKind kind;
};
constexpr TypeWord type_words[] = {
    {"STATICTEXT", ControlKind::static_text},   {"VARYTEXT", ControlKind::vary_text},
    {"EDITBOX", ControlKind::edit_box},         {"RADIOBUTTON", ControlKind::radio_button},
    {"CHECKBOX", ControlKind::check_box},       {"PUSHBUTTON", ControlKind::push_button},
    {"FILELISTBOX", ControlKind::file_list_box}, {"ITEMBOX", ControlKind::item_box},
};

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& ch : out) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

int number_or(const DefinitionField& field, int fallback) {
    return field.absent ? fallback : int(std::strtol(field.text.c_str(), nullptr, 10));
}

bool whole_integer(const std::string& text, int& value) {
    char* end = nullptr;
    long number = std::strtol(text.c_str(), &end, 10);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (text.empty() || *end) return false;
    value = int(number);
    return true;
}

// The control variables are numbered 01 to 09, then 10 onwards.
std::string control_suffix(int number) {
    return number < 10 ? "0" + std::to_string(number) : std::to_string(number);
}

}  // namespace

std::vector<DefinitionField> definition_fields(std::string_view definition) {
    std::vector<DefinitionField> fields(1);
    bool quoted = false, was_quoted = false;
    auto close = [&] {
        DefinitionField& field = fields.back();
        field.absent = !was_quoted && (field.text.empty() || strcasecmp(field.text.c_str(), "DEFAULT") == 0);
    };
    for (char ch : definition) {
        if (ch == '"') {
            quoted = !quoted;
            was_quoted = true;
        } else if (quoted) {
            fields.back().text += ch;
        } else if (ch == ',') {
            close();
            fields.emplace_back();
            was_quoted = false;
        } else if (ch != ' ' && ch != '\t') {
            fields.back().text += ch;
        }
    }
    close();
    while (fields.size() > 1 && fields.back().absent) fields.pop_back();
    return fields;
}

ControlDefinition parse_control(std::string_view definition) {
    std::vector<DefinitionField> fields = definition_fields(definition);
    if (fields.size() > field_count) fail(errors::dialog_too_many_fields);
    fields.resize(field_count);
    ControlDefinition control;
    control.x = number_or(fields[0], default_x);
    control.y = number_or(fields[1], default_y);
    control.width = number_or(fields[2], default_width);
    control.height = number_or(fields[3], default_height);
    const TypeWord* type = nullptr;
    for (const TypeWord& word : type_words)
        if (!fields[4].absent && strcasecmp(word.word, fields[4].text.c_str()) == 0) type = &word;
    if (!type) fail(errors::dialog_bad_control_type);
    control.kind = type->kind;
    if (!fields[5].absent) {
        if (fields[5].text.size() > size_t(variable_name_max)) fail(errors::variable_name_over_30);
        control.variable = lower(fields[5].text);
    }
    control.text_given = !fields[6].absent;
    if (control.text_given) control.text = fields[6].text;
    const DefinitionField& value = fields[7];
    switch (control.kind) {
        case ControlKind::radio_button:
        case ControlKind::check_box:
            if (value.absent || !whole_integer(value.text, control.value) || control.value == 0)
                fail(errors::dialog_bad_button_value);
            break;
        case ControlKind::push_button:
            // A button without a value is the OK button.
            control.value = value.absent ? 1 : number_or(value, 1);
            break;
        default:
            if (!value.absent) fail(errors::dialog_too_many_fields);
    }
    return control;
}

std::optional<std::string> variable_value(Context& c, std::string_view name) {
    int index = find_variable(c, lower(name));
    if (index < 0 || !(read_slot(c, index).type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING)))
        return std::nullopt;
    Value value(c);
    load_variable(c, index, value);
    return display(value);
}

DialogDefinition read_dialog_definition(Context& c, std::string_view name) {
    if (name.size() > dialog_name_max) fail(errors::dialog_name_too_long);
    std::string base(name);
    auto part = [&](std::string_view suffix) { return variable_value(c, base + std::string(suffix)); };

    auto format = part("Format");
    if (!format) fail(errors::dialog_format_missing);
    if (strcasecmp(format->c_str(), "KVXDLGED,4.0") != 0 && strcasecmp(format->c_str(), "KVXDLGED,5.0") != 0)
        fail(errors::dialog_format_unsupported);

    DialogDefinition dialog;
    int* geometry[] = {&dialog.x, &dialog.y, &dialog.width, &dialog.height};
    const char* suffixes[] = {"X", "Y", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        auto text = part(suffixes[i]);
        if (!text || !whole_integer(*text, *geometry[i])) fail(errors::dialog_bad_geometry);
    }
    dialog.caption = part("Caption").value_or("");

    int count = 0;
    if (auto text = part("NumControls")) count = int(std::strtol(text->c_str(), nullptr, 10));
    if (count > dialog_controls_max) count = dialog_controls_max + 1;
    for (int number = 1; number <= count; ++number) {
        auto definition = part(control_suffix(number));
        if (!definition) fail(errors::dialog_control_missing);
        dialog.controls.push_back(parse_control(*definition));
    }
    return dialog;
}

}  // namespace qsl
