#include "distributor/ascii_append.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/platform/files.h"
#include "common/make_directories.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/platform/work_file.h"
#include "distributor/ascii_line.h"
#include "distributor/output_mask.h"
#include "distributor/work_folders.h"

namespace qv::distributor {

namespace {

// The first line of a contract carries at least the key, the date and prices,
// or it is the key and date alone, which deletes that day.
constexpr std::size_t min_contract_line_length = 24;
constexpr std::size_t key_and_date_length = 12;
// The vendor's prices start on 1 June 1968; lines dated earlier are not data.
constexpr DayNumber first_price_day = 24990;

// Reads a whole line, however long, without its line end.
bool read_text_line(std::FILE* file, std::string& line) {
    if (!read_whole_line(file, line)) return false;
    if (line.back() == '\n') line.pop_back();
    return true;
}

// The update file's lines, one at a time, with a look at the next one.
class UpdateLines {
public:
    explicit UpdateLines(std::FILE* file) : file_(file) {}

    bool next(std::string& line) {
        if (held_) {
            line = std::move(*held_);
            held_.reset();
            return true;
        }
        if (!read_text_line(file_, line)) return false;
        line = to_upper(line);
        return true;
    }
    const std::string* peek() {
        if (!held_) {
            std::string line;
            if (!read_text_line(file_, line)) return nullptr;
            held_ = to_upper(line);
        }
        return &*held_;
    }

private:
    std::FILE* file_;
    std::optional<std::string> held_;
};

struct AsciiLine {
    DayNumber day = no_date;
    std::string text;
};

// An existing ASCII file as the merge sees it: its heading, and its data lines
// in strictly rising date order.
struct AsciiFile {
    std::optional<std::string> heading;
    std::vector<AsciiLine> lines;
};

enum class FileRead { ok, unreadable, foreign_dates };

// Reads the file and cleans it: a line is kept when its date reads in the
// user's style and comes after the line kept before it (the first after day
// 1000), which drops blank lines, stray text and repeated days. When the
// header flag is set, a first line that is not a dated line is the heading.
// A file none of whose lines reads in the user's style is refused rather than
// cleaned away: it was written in another date style.
FileRead read_ascii_file(const std::string& path, const Distribution& run, AsciiFile& file) {
    const FilePtr input = open_file(path, "r");
    if (!input) return FileRead::unreadable;
    const char style = run.settings.date_style();
    std::string text;
    bool first = true;
    std::size_t foreign = 0;
    DayNumber last = 1000;
    while (read_text_line(input.get(), text)) {
        const DayNumber day = ascii_line_day(text, style);
        if (first && run.header_flag && day == no_date) {
            file.heading = text;
            first = false;
            continue;
        }
        first = false;
        if (day == no_date) {
            if (text.find_first_not_of(" \t,") != std::string::npos && text != ascii_heading) ++foreign;
            continue;
        }
        if (day <= last) continue;
        file.lines.push_back({day, text});
        last = day;
    }
    if (std::ferror(input.get())) return FileRead::unreadable;
    return file.lines.empty() && foreign > 0 ? FileRead::foreign_dates : FileRead::ok;
}

std::string folder_of(const std::string& path) {
    const std::size_t end = path.find_last_of("\\/:");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

void put_line(std::FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
    std::fputc('\n', out);
}

void raise_newest(Distribution& run, DayNumber day) { run.newest_written = std::max(run.newest_written, day); }

void cannot_write(const std::string& path, Distribution& run) {
    write_failed(run, path);
    report_skipped(
            format("ERROR-CANNOT OPEN FILE %s FOR WRITING,@PLEASE CHECK IF IT IS WRITE PROTECTED?", path.c_str()));
}

// The file is replaced whole through TEMP in its folder, so that an
// interrupted run leaves the old file or the new one, never part of a line.
bool write_ascii_file(const std::string& path, const std::optional<std::string>& heading,
                      const std::vector<AsciiLine>& lines) {
    WorkFile work(folder_of(path) + "TEMP", path);
    if (!work.is_open()) return false;
    if (heading) put_line(work.file(), *heading);
    for (const AsciiLine& line : lines) put_line(work.file(), line.text);
    return work.commit();
}

double multiplier_of(std::string_view line, const Distribution& run) {
    const Commodity* row = run.commodities.find_no_case(line.substr(0, 2));
    return row ? row->decimal : 1.0;
}

// Writes one update line of a new file. From the contract's second line on,
// a date not after the last one written stops the contract.
int write_ascii_line(std::FILE* out, std::string_view reformatted, std::string_view update_line, bool first,
                     DayNumber& last_written, Distribution& run) {
    const DayNumber day = update_line_day(update_line);
    if (!first && last_written >= day) {
        report_skipped(format("ERROR-date sequence of %s out of order@ bypassing this contract.",
                                            std::string(update_line).c_str()));
        return -1;
    }
    put_line(out, ascii_line_text(reformatted, run.settings));
    last_written = day;
    raise_newest(run, day);
    return 0;
}

void create_ascii_file(const std::string& path, const std::vector<std::string>& contract, Distribution& run) {
    // Deletions alone make no file.
    if (std::none_of(contract.begin(), contract.end(),
                     [](const std::string& line) { return line.size() >= deletion_line_length; }))
        return;
    const std::string work_path = folder_of(path) + "TEMP";
    WorkFile work(work_path, path);
    if (!work.is_open()) {
        make_directories(path, distributor_profile);
        work = WorkFile(work_path, path);
        if (!work.is_open()) {
            write_failed(run, path);
            report_skipped(format("ERROR-could not create the new ASCII file@ %s", path.c_str()));
            return;
        }
    }
    if (run.header_flag) put_line(work.file(), ascii_heading);
    const double multiplier = multiplier_of(contract.front(), run);
    DayNumber last_written = no_date;
    bool first = true;
    for (const std::string& line : contract) {
        if (line.size() < deletion_line_length || update_line_day(line) == no_date) continue;
        const std::optional<std::string> reformatted =
            reformat_update_line(line, multiplier, run.settings.volume_option());
        if (!reformatted) continue;
        // The lines before an out-of-order one are kept.
        if (write_ascii_line(work.file(), *reformatted, line, first, last_written, run) != 0) break;
        first = false;
    }
    if (!work.commit()) cannot_write(path, run);
}

// Brings the contract's update lines into the file's lines: a day already
// there is replaced, a new one inserted in date order, a line without prices
// deletes its day. When a line goes after the last one, the last line takes
// its volume and open interest (they are the vendor's figures for that day),
// once per run of new days.
void merge_ascii_lines(std::vector<AsciiLine>& lines, const std::vector<std::string>& contract,
                       Distribution& run) {
    const double multiplier = multiplier_of(contract.front(), run);
    DayNumber previous = no_date;
    for (const std::string& line : contract) {
        const DayNumber day = update_line_day(line);
        const DayNumber previous_day = std::exchange(previous, day);
        if (day < first_price_day) continue;
        const auto place = std::lower_bound(lines.begin(), lines.end(), day,
                                            [](const AsciiLine& kept, DayNumber d) { return kept.day < d; });
        if (line.size() < deletion_line_length) {
            if (place != lines.end() && place->day == day) lines.erase(place);
            continue;
        }
        const std::optional<std::string> reformatted =
            reformat_update_line(line, multiplier, run.settings.volume_option());
        if (!reformatted) continue;
        AsciiLine added{day, ascii_line_text(*reformatted, run.settings)};
        raise_newest(run, day);
        if (place == lines.end()) {
            if (!lines.empty() && lines.back().day != previous_day)
                copy_volume_oi(lines.back().text, added.text, run.settings);
            lines.push_back(std::move(added));
        } else if (place->day == day) {
            *place = std::move(added);
        } else {
            lines.insert(place, std::move(added));
        }
    }
}

// The end of a file that a new day can be appended to without reading it
// whole: its last line and where that line starts.
struct FileTail {
    std::uintmax_t last_line_at = 0;
    std::string last_line;  // without its line end
    DayNumber last_day = no_date;
};

// The file's first and last lines are read (a few kilobytes from each end).
constexpr std::size_t head_bytes = 512;
constexpr std::size_t tail_bytes = 4096;

// Reads the file's first line and its last lines. Nothing when a rewrite of
// the whole file would change a line read here: a heading to add or drop, a
// CR LF line end, a line whose date does not read or does not follow the
// date before it, a blank line; or when the file has no day. The lines in
// between are taken as they stand.
std::optional<FileTail> read_clean_tail(std::FILE* input, const Distribution& run) {
    const std::optional<std::uintmax_t> size = open_file_size(input);
    if (!size || *size == 0) return std::nullopt;
    std::string head;
    if (!read_file_bytes(input, 0, static_cast<std::size_t>(std::min<std::uintmax_t>(*size, head_bytes)), head))
        return std::nullopt;
    const std::size_t head_end = head.find('\n');
    if (head_end == std::string::npos && head.size() < *size) return std::nullopt;
    const std::string_view first_line = std::string_view(head).substr(0, head_end);
    if (first_line.find('\r') != std::string_view::npos) return std::nullopt;
    const char style = run.settings.date_style();
    // With the header flag the first line must be the file's own heading,
    // without it a day.
    const bool first_is_heading = ascii_line_day(first_line, style) == no_date;
    if (first_is_heading != run.header_flag) return std::nullopt;

    const std::uintmax_t from = *size > tail_bytes ? *size - tail_bytes : 0;
    std::string tail;
    if (!read_file_bytes(input, from, static_cast<std::size_t>(*size - from), tail)) return std::nullopt;
    if (tail.find('\r') != std::string::npos) return std::nullopt;
    // The first line of the piece read may be cut; the heading is no day.
    std::size_t at = 0;
    if (from > 0 || first_is_heading) {
        at = tail.find('\n');
        if (at == std::string::npos) return std::nullopt;
        ++at;
    }
    FileTail found;
    DayNumber before = 1000;
    while (at < tail.size()) {
        const std::size_t end = std::min(tail.find('\n', at), tail.size());
        const std::string_view line = std::string_view(tail).substr(at, end - at);
        const DayNumber day = ascii_line_day(line, style);
        if (day == no_date || day <= before) return std::nullopt;
        before = day;
        found = {from + at, std::string(line), day};
        at = end + 1;
    }
    if (found.last_day == no_date) return std::nullopt;
    return found;
}

// The common case, one new day after the file's last: the file's lines up to
// its last are copied as they stand, in the kernel, into the work file, then
// the last line with the new day's volume and open interest and the new line.
// False when the file must be read whole (its end is not as a rewrite would
// leave it, or the day is not after its last).
bool append_after_tail(const std::string& path, const std::vector<std::string>& contract, WorkFolders& temp,
                       Distribution& run) {
    const std::string& single = contract.front();
    const DayNumber day = update_line_day(single);
    if (contract.size() != 1 || single.size() < deletion_line_length || day < first_price_day) return false;
    const FilePtr input = open_file(path, "rb");
    if (!input) return false;
    const std::optional<FileTail> tail = read_clean_tail(input.get(), run);
    if (!tail || tail->last_day >= day) return false;

    raise_newest(run, tail->last_day);
    const std::optional<std::string> reformatted =
        reformat_update_line(single, multiplier_of(single, run), run.settings.volume_option());
    if (!reformatted) return true;
    std::string last = tail->last_line;
    const std::string added = ascii_line_text(*reformatted, run.settings);
    copy_volume_oi(last, added, run.settings);
    raise_newest(run, day);

    WorkFile work(temp.work_path(folder_of(path), "TEMP"), path, WorkFileMode::reuse);
    // The run syncs the disk before the update file's done name.
    work.write_ahead();
    bool written = work.is_open() && copy_file_bytes(input.get(), 0, tail->last_line_at, work.file());
    if (written) {
        put_line(work.file(), last);
        put_line(work.file(), added);
        written = work.commit();
    }
    if (!written) cannot_write(path, run);
    return true;
}

void update_ascii_file(const std::string& path, const std::vector<std::string>& contract, WorkFolders& temp,
                       Distribution& run) {
    if (append_after_tail(path, contract, temp, run)) return;
    AsciiFile file;
    switch (read_ascii_file(path, run, file)) {
        case FileRead::unreadable: cannot_write(path, run); return;
        case FileRead::foreign_dates:
            report_skipped(
                    format("ERROR-dates of %s do not read in the DATA FORMAT@of QUORUP.INI, bypassing this contract.",
                           path.c_str()));
            return;
        case FileRead::ok: break;
    }
    if (!file.lines.empty()) raise_newest(run, file.lines.back().day);

    // A file without a heading gets the standard one when the header flag is
    // set; a rewrite by the merge always writes the standard heading.
    std::optional<std::string> heading;
    if (run.header_flag) heading = ascii_heading;

    // The common case, one new day after the file's last: the file keeps its
    // own heading line.
    const std::string& single = contract.front();
    const DayNumber day = update_line_day(single);
    if (contract.size() == 1 && single.size() >= deletion_line_length && day >= first_price_day &&
        (file.lines.empty() || file.lines.back().day < day)) {
        const std::optional<std::string> reformatted =
            reformat_update_line(single, multiplier_of(single, run), run.settings.volume_option());
        if (!reformatted) return;
        AsciiLine added{day, ascii_line_text(*reformatted, run.settings)};
        if (!file.lines.empty()) copy_volume_oi(file.lines.back().text, added.text, run.settings);
        file.lines.push_back(std::move(added));
        raise_newest(run, day);
        if (file.heading) heading = file.heading;
    } else {
        merge_ascii_lines(file.lines, contract, run);
    }
    if (!write_ascii_file(path, heading, file.lines)) cannot_write(path, run);
}

// Short lines are no data; a lone deletion is, so that a contract whose only
// line deletes a day does not keep that day.
bool starts_contract(const std::string& line) {
    if (line.size() >= min_contract_line_length) return true;
    return line.size() >= key_and_date_length && line.size() < deletion_line_length &&
           update_line_day(line) != no_date;
}

// Passes over the lines that follow a contract's first line and share its key.
void skip_contract(UpdateLines& lines, const std::string& first) {
    const std::string key = first.substr(0, 6);
    std::string dropped;
    while (const std::string* next = lines.peek()) {
        if (next->substr(0, 6) != key) break;
        lines.next(dropped);
    }
}

}  // namespace

int append_ascii_updates(const std::string& update_path, Distribution& run) {
    const FilePtr file = open_file(update_path, "r");
    if (!file) {
        report_skipped(format(" ERROR: CANNOT FIND FILE@%s, UPDATE ABORTED.", update_path.c_str()));
        return -1;
    }
    UpdateLines lines(file.get());
    // The daily appends' reused work files TEMP.
    WorkFolders temp({"TEMP"});
    std::string line;
    lines.next(line);  // the heading
    while (lines.next(line)) {
        if (!starts_contract(line)) continue;
        if (!check_contract_key(line, run)) {
            skip_contract(lines, line);
            continue;
        }
        std::string path;
        std::string name;
        // A mask that cannot name the contract warns for each of its lines.
        if (determine_name(line, 'A', run, path, name) != 0) continue;
        show_contract("ASCII       ", line, run);

        std::vector<std::string> contract{line};
        const std::string_view key = std::string_view(line).substr(0, 6);
        while (const std::string* next = lines.peek()) {
            if (std::string_view(*next).substr(0, 6) != key) break;
            contract.emplace_back();
            lines.next(contract.back());
        }

        make_writable(path);
        if (file_exists(path))
            update_ascii_file(path, contract, temp, run);
        else
            create_ascii_file(path, contract, run);
    }
    return 0;
}

}  // namespace qv::distributor
