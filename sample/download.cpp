// DOWNLOAD: the sample installation's stand-in for the vendor's download. It
// reads the request file \QUORVANT\NEEDFIL2.TXT that PREQUOR wrote and, as the
// vendor's service would, puts each requested update file into
// \QUORVANT\UPDATES\ and the day's system message into \QUORVANT\SYSTEM.MSG.
// The vendor's files come from the prepared days in the folder VENDOR of the
// installation (make_vendor_days, make_cot_idx). A requested file the vendor does not have
// (a holiday, a day not yet traded, a COT report not yet released) arrives
// empty, as a real download leaves it; POSTQUOR removes such files. Every file
// arrives whole: it is written to a work file first and renamed. Without a
// request file nothing is downloaded.

#include <string>
#include <string_view>
#include <vector>

#include "common/calendar.h"
#include "common/install_files.h"
#include "common/platform/clock.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"
#include "common/start_up.h"

namespace {

using namespace qv;

constexpr std::string_view vendor_folder = "\\QUORVANT\\VENDOR\\";
constexpr std::string_view work_file = "\\QUORVANT\\UPDATES\\DOWNLOAD.TMP";
// The request file's first lines: the service's number, the user and the password.
constexpr int login_lines = 3;
// A COT report of a Tuesday is released on the Friday after it.
constexpr int cot_release_delay = 3;

DayNumber today() {
    const LocalTime time = now();
    return date_to_lotus(time.year, time.month, time.day);
}

std::string packed(DayNumber day) {
    const Date d = lotus_to_date(day);
    return format("%02d%02d%02d", d.year % 100, d.month, d.day);
}

std::string read_whole(std::string_view path) {
    std::string text;
    if (const FilePtr file = open_file(path, "rb")) {
        char block[4096];
        while (const std::size_t got = std::fread(block, 1, sizeof block, file.get())) text.append(block, got);
    }
    return text;
}

bool deliver(std::string_view target, const std::string& text) {
    WorkFile work(work_file, target);
    if (!work.is_open()) return false;
    std::fwrite(text.data(), 1, text.size(), work.file());
    return work.commit();
}

// The day a file becomes available from the vendor; no_date for a name that holds no date.
DayNumber available_from(const std::string& name) {
    const DayNumber day = name_date(name);
    if (day == no_date) return no_date;
    return name.ends_with(".COT") ? static_cast<DayNumber>(day + cot_release_delay) : day;
}

// A month file (MUyymm00.EXT, EUyymm00.CLC): the lines of the month's daily
// files under one name line; empty when the month is not over or has none.
std::string month_file(const std::string& name) {
    const std::string kind = name.substr(0, 1) == "M" ? "DU" : "EU";
    const std::string month = name.substr(2, 4);
    const std::string extension = name.substr(name.find('.'));
    std::string text;
    for (const FolderEntry& entry : list_matching(std::string(vendor_folder) + kind + month + "??" + extension)) {
        if (available_from(to_upper(entry.name)) > today()) return {};
        const std::string day_file = read_whole(std::string(vendor_folder) + entry.name);
        text += day_file.substr(std::min(day_file.find('\n') + 1, day_file.size()));
    }
    return text.empty() ? text : name + "\n" + text;
}

std::string vendor_file(const std::string& name) {
    if (name.size() == 12 && name.substr(6, 2) == "00") return month_file(name);
    const DayNumber available = available_from(name);
    if (available == no_date || available > today()) return {};
    return read_whole(std::string(vendor_folder) + name);
}

// The names a request file asks for, "SYSTEM.MSG" among them.
std::vector<std::string> requested_names(std::FILE* request) {
    std::vector<std::string> names;
    std::string line;
    for (int n = 0; read_line(request, line, 80); ++n) {
        while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
        if (n >= login_lines && !line.empty()) names.push_back(to_upper(line));
    }
    return names;
}

void download() {
    const FilePtr request = open_file(install::request_file, "r");
    if (!request) {
        console().write("DOWNLOAD: NO REQUEST FILE NEEDFIL2.TXT, NOTHING DOWNLOADED\n");
        return;
    }
    for (const std::string& name : requested_names(request.get())) {
        if (name == "SYSTEM.MSG") {
            const std::string message = read_whole(std::string(vendor_folder) + "SY" + packed(today()) + ".MSG");
            if (!message.empty() && deliver(install::system_message_file, message))
                console().write("DOWNLOAD: SYSTEM.MSG\n");
            continue;
        }
        // Only names of update files are taken; anything else is not the vendor's.
        if (name.size() != 12 || name.find_first_of("\\/:") != std::string::npos) continue;
        const std::string text = vendor_file(name);
        if (deliver(std::string(install::updates_folder) + name, text))
            console().write("DOWNLOAD: " + name + (text.empty() ? " (none)\n" : "\n"));
    }
}

}  // namespace

int main() {
    return qv::run_program(download);
}
