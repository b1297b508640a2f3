#include "builder/validation.h"

#include <string>

#include "builder/build_file.h"
#include "builder/input_line.h"
#include "common/build_settings.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

void show(std::string_view text, const std::string& line) { message(builder_profile, std::string(text) + line); }

// An option line's check, with the messages of its place: between blocks or
// at the head of a block.
bool option_sound(const std::string& line, bool in_block) {
    const int verdict = check_option_line(line);
    if (verdict < 0) {
        show(in_block ? "INCORRECT WORDING IN OPTION LINE:@" : "INCORRECT WORDING IN FOLLOWING OPTION LINE:@", line);
        return false;
    }
    if (verdict > 0) {
        show(in_block ? "INVALID OPTION VALUE SPECIFIED IN LINE:@"
                      : "INVALID OPTION VALUE SPECIFIED IN FOLLOWING LINE:@",
             line);
        return false;
    }
    return true;
}

}  // namespace

Validation validate_build_file(std::FILE* file, std::string_view name) {
    std::string line;
    std::string output_line;
    bool in_block = false;
    bool any_output = false;
    int inputs = 0;
    LineKind last = LineKind::blank;
    while (read_build_line(file, line)) {
        const LineKind kind = classify_line(line);
        last = kind;
        if (kind == LineKind::comment) continue;
        if (!in_block) {
            if (kind == LineKind::blank) continue;
            if (kind == LineKind::option) {
                if (!option_sound(line, false)) return Validation::fault;
                continue;
            }
            in_block = true;
            any_output = true;
            output_line = line;
            inputs = 0;
            continue;
        }
        switch (kind) {
            case LineKind::blank:
                if (inputs == 0) {
                    show("NO INPUT FILE/FIELDS DEFINED FOR THIS OUTPUT FILE:@", output_line);
                    return Validation::fault;
                }
                in_block = false;
                break;
            case LineKind::option:
                if (inputs > 0) {
                    show("OPTION LINE MUST PRECEDE THE INPUT LINES:@", line);
                    return Validation::fault;
                }
                if (!option_sound(line, true)) return Validation::fault;
                break;
            default:
                if (line.size() > input_line_length) {
                    show("FOLLOWING FILE/FIELD INPUT LINE TOO LONG:@", line);
                    return Validation::fault;
                }
                if (inputs == most_input_lines) {
                    show("TOO MANY INPUT LINES FOR THIS OUTPUT FILE:@", output_line);
                    return Validation::fault;
                }
                if (check_input_line(line) != 0) return Validation::fault;
                ++inputs;
                break;
        }
    }
    if (in_block && inputs == 0) {
        show("NO MATCHING INPUT LINES FOR THIS OUTPUT FILE@", output_line);
        return Validation::fault;
    }
    Validation outcome = Validation::sound;
    if (!any_output) {
        message(builder_profile, format("AUTO BUILD FILE %s IS EMPTY?", std::string(name).c_str()));
        outcome = Validation::empty;
    }
    if (last == LineKind::comment) fatal_error(builder_profile, "ERROR-AUTO BUILD FILE MUST NOT END WITH 'REM' LINE");
    return outcome;
}

}  // namespace qv::builder
