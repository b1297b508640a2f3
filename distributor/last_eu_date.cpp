#include "distributor/last_eu_date.h"

#include <cstdio>
#include <string_view>

#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"
#include "common/platform/work_file.h"
#include "common/install_files.h"

namespace qv::distributor {

namespace {

constexpr std::string_view settings_file = install::settings_file;
constexpr std::string_view settings_work_file = install::settings_work_file;

// The settings text with the line in place; lines are kept byte for byte, so
// that a user code keeps its case and nothing else of the file changes.
std::string with_eu_line(const std::string& text, const std::string& eu_line) {
    std::string out;
    out.reserve(text.size() + eu_line.size() + 1);
    bool placed = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string_view line(text.data() + start, end - start);
        if (!placed && starts_with_no_case(line, "EU")) {
            out += eu_line;
            placed = true;
        } else {
            out += line;
        }
        start = end;
    }
    if (!placed) {
        // A last line without its line end would otherwise run into the new line.
        if (!out.empty() && out.back() != '\n') out += '\n';
        out += eu_line;
    }
    return out;
}

bool read_whole_file(std::FILE* file, std::string& text) {
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    return std::ferror(file) == 0;
}

}  // namespace

std::string eu_last_date_line(DayNumber day) {
    const Date date = lotus_to_date(day);
    const int year = day > date_to_lotus(1999, 12, 31) ? date.year - 2000 : date.year - 1900;
    return format("EU LAST DATE = %d/%d/%.2d\n", date.month, date.day, year);
}

int record_last_eu_date(DayNumber day) {
    if (day == no_date) return 0;
    std::string text;
    {
        const FilePtr file = open_file(settings_file, "rb");
        if (!file || !read_whole_file(file.get(), text)) {
            message(distributor_profile, eu_date_open_message);
            return -1;
        }
    }
    const std::string new_text = with_eu_line(text, eu_last_date_line(day));
    WorkFile work(settings_work_file, settings_file);
    if (!work.is_open() || std::fwrite(new_text.data(), 1, new_text.size(), work.file()) != new_text.size() ||
        !work.commit()) {
        message(distributor_profile, eu_date_reopen_message);
        return -1;
    }
    return 0;
}

}  // namespace qv::distributor
