#include "updater/merge_idx.h"
#include "updater/merge_screen.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/idx_file.h"
#include "common/platform/paths.h"
#include "common/platform/text.h"
#include "common/update_file.h"
#include "common/update_lines.h"
#include "common/platform/work_file.h"
#include "common/install_files.h"

namespace qv::updater {

namespace {

constexpr std::string_view work_file_path = install::idx_work_file;

// The last stored line must be longer than this (line end counted) for the
// update to be appended to the file.
constexpr std::size_t append_min_line = 19;

// The tag of the next commodity's first line, which stays unread. Nothing at
// the end of the file, or after a run of unusable lines long enough to say
// that the rest of the file holds no index lines.
std::optional<std::string> find_next_tag(UpdateLineSource& source) {
    int unusable = 0;
    std::string dropped;
    while (const std::string* line = source.peek()) {
        if (is_valid_tag(*line, DatabaseKind::idx) && line->size() >= 6) {
            // A tag without its single blank starts no commodity; the line is
            // passed over, as its record reader would pass it over.
            if ((*line)[2] == ' ' && (*line)[3] != ' ') return to_upper(line->substr(0, 2));
            unusable = 0;
        } else if (++unusable > idx_unusable_line_run) {
            return std::nullopt;
        }
        source.next(dropped);
    }
    return std::nullopt;
}

// The update side of one tag: its index lines, one at a time. The first line
// of another tag, or of none, ends the tag and stays unread, so that the
// search for the next tag sees every unusable line.
class IdxUpdates {
public:
    IdxUpdates(UpdateLineSource& source, std::string tag) : source_(source), tag_(std::move(tag)) {}

    // Reads the next line; false when it does not read (the message is written
    // and the merge fails).
    bool next() {
        for (;;) {
            const std::string* next = source_.peek();
            if (!next) {
                file_ended_ = true;
                ended_ = true;
                return true;
            }
            if (next->size() < 2 || !equal_no_case(next->substr(0, 2), tag_)) {
                ended_ = true;
                return true;
            }
            std::string text;
            source_.next(text);
            switch (parse_idx_line(text, source_.last_was_cut(), line_)) {
                case LineCheck::data: return true;
                case LineCheck::skip: continue;  // the tag without its single blank
                case LineCheck::out_of_sync: break;
            }
            updater_message(format(" IDX UPDATE LINE OF DATA OUT OF SYNC,@DATE = %d/%d/%d", line_.date.month,
                                   line_.date.day, line_.year()));
            return false;
        }
    }

    bool ended() const { return ended_; }
    bool file_ended() const { return file_ended_; }
    const IdxUpdateLine& line() const { return line_; }
    DayNumber day() const { return line_.day_number(); }

private:
    UpdateLineSource& source_;
    std::string tag_;
    IdxUpdateLine line_;
    bool ended_ = false;
    bool file_ended_ = false;
};

// The stored lines and the update's in date order: a line of a day already
// stored replaces it, a date-only line deletes it. A stored line without a
// date keeps its place after the line before it. `master` is null for a tag
// that has no file yet.
bool merge_lines(std::FILE* master, IdxUpdates& updates, std::FILE* out) {
    std::string stored;
    DayNumber stored_day = no_date;
    bool master_ended = true;
    const auto read_master = [&] {
        master_ended = master == nullptr || !read_idx_line(master, stored);
        if (!master_ended) stored_day = idx_line_day(stored);
    };
    read_master();
    while (!updates.ended() && !master_ended) {
        const DayNumber update_day = updates.day();
        if (stored_day == no_date || stored_day < update_day) {
            write_idx_line(out, stored);
            read_master();
        } else if (stored_day == update_day) {
            if (!updates.line().date_only) write_idx_line(out, updates.line().text);
            read_master();
            if (!updates.next()) return false;
        } else {
            if (!updates.line().date_only) write_idx_line(out, updates.line().text);
            if (!updates.next()) return false;
        }
    }
    for (; !master_ended; read_master()) write_idx_line(out, stored);
    while (!updates.ended()) {
        if (!updates.line().date_only) write_idx_line(out, updates.line().text);
        if (!updates.next()) return false;
    }
    return true;
}

// Every line of the tag comes after the file's last day: they are added to its
// end and the file is not rewritten. The lines are read whole before anything
// is written, and a write that fails is taken back, so that a failure leaves
// the file as it was.
enum class Append { done, bad_line, write_failed };

Append append_lines(const std::string& idx_path, IdxUpdates& updates) {
    std::vector<std::string> lines;
    while (!updates.ended()) {
        if (!updates.line().date_only) lines.push_back(updates.line().text);
        if (!updates.next()) return Append::bad_line;
    }
    const std::optional<std::uintmax_t> size = file_size(idx_path);
    bool written = false;
    if (size) {
        FilePtr file = open_file(idx_path, "rb+");
        if (file && std::fseek(file.get(), 0, SEEK_END) == 0) {
            written = true;
            // A last line without its line end would run into the first new one.
            if (*size > 0 && std::fseek(file.get(), -1, SEEK_END) == 0) {
                const int last = std::fgetc(file.get());
                std::fseek(file.get(), 0, SEEK_END);
                if (last != '\n') written = std::fputc('\n', file.get()) != EOF;
            }
            for (const std::string& line : lines) written = written && write_idx_line(file.get(), line);
            written = std::fflush(file.get()) == 0 && written;
            written = std::fclose(file.release()) == 0 && written;
        }
    }
    if (written) return Append::done;
    if (size) {
        std::error_code error;
        std::filesystem::resize_file(translate_path(idx_path), *size, error);
    }
    return Append::write_failed;
}

}  // namespace

int merge_idx(UpdaterState& state, std::string_view name) {
    delete_file(work_file_path);
    const std::string path = state.update_directory + std::string(name);
    auto source = UpdateLineSource::open(path, idx_update_line_length);
    if (!source) {
        updater_message(format(" UNABLE TO OPEN THE INPUT FILE:@%s, UPDATE ABORTED.", path.c_str()));
        return -1;
    }
    if (!source->skip_header()) return 0;
    // Tags are not looked up in the commodity table: any valid tag gets its file.
    while (const std::optional<std::string> tag = find_next_tag(*source)) {
        show_merge_tag(*tag);
        check_merge_key();
        const std::string idx_path = idx_file_name(*tag);
        WorkFile work(work_file_path, idx_path);
        if (!work.is_open()) {
            updater_message("UNABLE TO OPEN TEMPORARY IDX WORK FILE@UPDATE ABORTED");
            return -1;
        }
        IdxUpdates updates(*source, *tag);
        if (!updates.next()) return -1;

        const bool exists = file_exists(idx_path);
        if (exists && !updates.ended()) {
            const std::optional<std::string> last = last_idx_line(idx_path);
            if (last && last->size() + 1 > append_min_line && idx_line_day(*last) < updates.day()) {
                work.abandon();
                switch (append_lines(idx_path, updates)) {
                    case Append::done: break;
                    case Append::bad_line: return -1;
                    case Append::write_failed:
                        updater_message(
                            format("UNABLE TO APPEND TO THE IDX FILE FOR %s@UPDATE ABORTED", tag->c_str()));
                        return -1;
                }
                if (updates.file_ended()) return 0;
                continue;
            }
        }

        // A file that is there but cannot be read must not be taken for a
        // missing one: the merge would write the update's lines alone.
        FilePtr master;
        if (exists) {
            master = open_file(idx_path, "rb");
            if (!master) {
                updater_message(format(" UNABLE TO OPEN THE IDX FILE:@%s, UPDATE ABORTED.", idx_path.c_str()));
                return -1;
            }
        }
        if (!merge_lines(master.get(), updates, work.file())) return -1;
        master.reset();
        if (!work.commit()) {
            updater_message(format("UNABLE TO REPLACE THE IDX FILE FOR %s@UPDATE ABORTED", tag->c_str()));
            return -1;
        }
        if (updates.file_ended()) return 0;
    }
    return 0;
}

}  // namespace qv::updater
