#include "common/idx_file.h"

#include <cstdint>

#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv {

namespace {

bool all_digits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

int number(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// The last line from `offset` on; the first piece is a whole line only when
// the search starts at a line start.
std::optional<std::string> last_line_from(std::FILE* file, long offset) {
    bool at_line_start = offset == 0;
    if (std::fseek(file, offset > 0 ? offset - 1 : 0, SEEK_SET) != 0) return std::nullopt;
    if (offset > 0) at_line_start = std::fgetc(file) == '\n';
    std::optional<std::string> last;
    std::string line;
    bool first = true;
    while (read_idx_line(file, line)) {
        if (first && !at_line_start) {
            first = false;
            continue;
        }
        first = false;
        last = line;
    }
    return last;
}

}  // namespace

std::optional<Date> idx_line_date(std::string_view line) {
    if (line.size() < 8 || !all_digits(line.substr(0, 8))) return std::nullopt;
    const Date date{number(line.substr(0, 4)), number(line.substr(4, 2)), number(line.substr(6, 2))};
    // Only the years that have day numbers.
    if (date.year < 1900 || date.year > 2079 || date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31)
        return std::nullopt;
    return date;
}

DayNumber idx_line_day(std::string_view line) {
    const std::optional<Date> date = idx_line_date(line);
    return date ? date_to_lotus(*date) : no_date;
}

std::string idx_file_name(std::string_view tag) { return std::string(install::idx_folder) + std::string(tag) + "_IDX.QVT"; }

bool read_idx_line(std::FILE* file, std::string& line) { return read_whole_line(file, line); }

bool write_idx_line(std::FILE* file, std::string_view line) {
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) return false;
    if (line.empty() || line.back() != '\n') return std::fputc('\n', file) != EOF;
    return true;
}

std::optional<std::string> last_idx_line(std::string_view path) {
    const FilePtr file = open_file(path, "rb");
    if (!file) return std::nullopt;
    const std::optional<std::uintmax_t> size = file_size(path);
    std::optional<std::string> last;
    if (size && *size > idx_tail_search_size)
        last = last_line_from(file.get(), static_cast<long>(*size - idx_tail_window));
    // A last line longer than the window has no start in it: the whole file is read.
    if (!last) last = last_line_from(file.get(), 0);
    if (!last) return std::nullopt;
    return without_line_end(std::move(*last));
}

DayNumber last_idx_date(std::string_view path) {
    const std::optional<std::string> line = last_idx_line(path);
    return line ? idx_line_day(*line) : no_date;
}

}  // namespace qv
