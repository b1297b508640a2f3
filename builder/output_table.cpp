#include "builder/output_table.h"

#include <cstdlib>

namespace qv::builder {

TableReader::~TableReader() { std::free(text_); }

bool TableReader::next(std::string_view& line) {
    const ssize_t length = getline(&text_, &capacity_, file_);
    if (length <= 0) return false;
    line = std::string_view(text_, static_cast<std::size_t>(length));
    if (line.ends_with("\r\n")) line.remove_suffix(2);
    else if (line.ends_with('\n')) line.remove_suffix(1);
    return true;
}

}  // namespace qv::builder
