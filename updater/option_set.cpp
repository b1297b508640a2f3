#include "updater/option_set.h"

#include <algorithm>

#include "common/field_terms.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "updater/updater.h"

namespace qv {

namespace {

// Lines of a build file are at most 149 characters.
constexpr std::size_t work_line_length = 149;

std::string trimmed(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}

bool is_comment(std::string_view line) {
    return line.rfind("REM", 0) == 0 || line.front() == '%' || line.front() == '$';
}

}  // namespace

OptionSetReader::OptionSetReader(std::FILE* work_file, const BuildSettings& defaults, std::vector<std::string> names)
    : file_(work_file), defaults_(defaults), names_(std::move(names)), settings_(defaults) {}

SetRead OptionSetReader::next(OptionSet& set) {
    std::string line;
    while (true) {
        // Lines shorter than 4 characters before a set.
        bool got = false;
        while ((got = read_line(file_, line, work_line_length)) && trimmed(line).size() < 4) {}
        if (!got) return SetRead::end;

        std::vector<std::string> kept;
        bool first = true;
        do {
            const std::string text = to_upper(trimmed(line));
            if (text.size() < 3) break;
            // The name line of the next build file, which starts from the
            // build map's settings again.
            if (first && std::any_of(names_.begin(), names_.end(),
                                     [&](const std::string& name) { return equal_no_case(name, text); })) {
                settings_ = defaults_;
                first = false;
                continue;
            }
            first = false;
            if (is_comment(text)) continue;
            if (text.front() == '#') {
                const int check = check_option_line(text);
                if (check < 0) {
                    updater_message("ERROR-THE FOLLOWING OPTION LINE IS UNRECOGNIZED?:@" + text);
                    return SetRead::error;
                }
                if (check > 0) {
                    updater_message("ERROR-INVALID VALUE SPECIFIED FOR THIS OPTION LINE?:@" + text);
                    return SetRead::error;
                }
                apply_option_line(settings_, text);
                continue;
            }
            if (kept.size() == set_line_limit) {
                updater_message("ERROR-THIS INPUT LINE EXCEEDS LIMIT OF 10@" + text);
                return SetRead::error;
            }
            kept.push_back(text);
        } while (read_line(file_, line, work_line_length));

        // Option lines standing alone between blocks apply to the later blocks.
        if (kept.empty()) continue;
        if (kept.size() < 2) {
            updater_message("ERROR-NO INPUT FILE/FIELDS SPECIFIED FOR:@" + kept.front());
            return SetRead::error;
        }
        set.settings = settings_;
        set.output = kept.front();
        set.inputs.assign(kept.begin() + 1, kept.end());
        return SetRead::set;
    }
}

void expand_single_field(OptionSet& set) {
    if (set.inputs.size() != 1) return;
    const FieldList list = scan_field_list(set.inputs.front(), 0);
    if (list.fault != FieldListFault::none || list.terms.size() != 1) return;
    const std::size_t name_end = set.inputs.front().find_first_of(" ,");
    std::string term = set.inputs.front().substr(name_end);
    term = term.substr(term.find_first_not_of(" ,"));
    std::string& line = set.inputs.front();
    for (int i = 0; i < 2; ++i) line += "," + term;
    // The volume column is 0 whatever the operator of the term.
    line += "," + std::to_string(list.terms.front().field) + "*0.0";
}

}  // namespace qv
