// Build files of any content through the validation pass, each of their lines
// through the option-line and input-line readers, and the same text read as
// LASTMAP.QVT. What must hold: a line the checks pass is applied or built as
// it was checked, and settings only ever hold values the option table accepts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "builder/build_file.h"
#include "builder/input_line.h"
#include "builder/validation.h"
#include "common/build_settings.h"
#include "common/platform/console.h"
#include "common/platform/program_end.h"

namespace {

bool accepted(const qv::BuildSettings& settings) {
    for (const qv::OptionRow& row : qv::option_table()) {
        if (row.kind == qv::OptionValue::letter) {
            if (row.accepted.find(settings.*row.letter) == std::string_view::npos) return false;
        } else if (row.kind == qv::OptionValue::date) {
            const std::string& date = settings.*row.text;
            if (date.size() != 10 || date[2] != '/' || date[5] != '/') return false;
        }
    }
    return settings.first_line_title.size() <= qv::title_length;
}

void check_line(const std::string& line) {
    qv::BuildSettings settings;
    const bool valid = qv::check_option_line(line) == qv::option_valid;
    if (qv::apply_option_line(settings, line) != valid) std::abort();
    if (!valid && settings != qv::BuildSettings{}) std::abort();
    if (!accepted(settings)) std::abort();

    if (line.size() <= qv::builder::input_line_length && qv::builder::check_input_line(line) == 0) {
        const auto input = qv::builder::parse_field_list(line);
        if (!input || input->terms.empty()) std::abort();
        for (const qv::builder::FieldTerm& term : input->terms) {
            if (term.operand.size() > qv::builder::operand_length) std::abort();
            if ((term.op == '\0') != term.operand.empty()) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static qv::SilentConsole silent;
    static qv::ScopedConsole scope(silent);
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string copy(text);
    if (std::FILE* file = fmemopen(copy.data(), copy.size() + (copy.empty() ? 1 : 0), "r")) {
        try {
            (void)qv::builder::validate_build_file(file, "$FUZZ");
        } catch (const qv::ProgramEnd&) {
        }
        std::rewind(file);
        std::string line;
        while (qv::builder::read_build_line(file, line)) check_line(line);
        std::fclose(file);
    }

    for (const auto from : {qv::LastMapStart::start, qv::LastMapStart::date_format}) {
        if (!accepted(qv::read_last_settings(text, from))) std::abort();
    }
    return 0;
}
