#include "builder/output_table.h"

namespace qv::builder {

std::size_t date_text_length(char output_date_format) {
    switch (output_date_format) {
        case '1': return 10;
        case '2': return 12;
        case '4': return 10;
        default: return 8;
    }
}

bool line_has_data(std::string_view line, char output_date_format) {
    return line.size() > date_text_length(output_date_format) + 1;
}

}  // namespace qv::builder
