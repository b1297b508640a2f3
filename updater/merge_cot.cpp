#include "updater/merge_cot.h"
#include "updater/merge_screen.h"

#include <optional>
#include <string>

#include "common/platform/console.h"
#include "common/cot_file.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/update_file.h"
#include "common/update_lines.h"
#include "common/platform/work_file.h"
#include "common/install_files.h"

namespace qv::updater {

namespace {

constexpr std::string_view work_file_path = install::cot_work_file;

// The update side of one commodity: its report lines, one at a time.
class CotUpdates {
public:
    CotUpdates(UpdateRecordReader& reader, std::string tag) : reader_(reader), tag_(std::move(tag)) {}

    // Reads the next record; false when a line does not read (the message is
    // written and the merge fails).
    bool next() {
        CotUpdateLine line;
        switch (reader_.read_cot(tag_, line)) {
            case UpdateRead::record: break;
            case UpdateRead::end_of_file:
                file_ended_ = true;
                ended_ = true;
                return true;
            case UpdateRead::end_of_tag:
                ended_ = true;
                return true;
            case UpdateRead::failed:
                updater_message(reader_.message());
                return false;
        }
        date_only_ = line.date_only;
        if (!cot_record_from_values(line.day_number(), line.values, record_)) {
            updater_message(format(" COT UPDATE LINE OF DATA OUT OF SYNC,@DATE = %d/%d/%d", line.date.month,
                                   line.date.day, line.year()));
            return false;
        }
        return true;
    }

    bool ended() const { return ended_; }
    bool file_ended() const { return file_ended_; }
    bool date_only() const { return date_only_; }
    const CotRecord& record() const { return record_; }

private:
    UpdateRecordReader& reader_;
    std::string tag_;
    CotRecord record_;
    bool date_only_ = false;
    bool ended_ = false;
    bool file_ended_ = false;
};

// The stored reports and the update's in date order: a report of a day already
// stored replaces it, a date-only line deletes it.
bool merge_records(CotReader& master, CotUpdates& updates, std::FILE* out) {
    CotRecord stored;
    bool master_ended = !master.read(stored);
    if (!updates.next()) return false;
    while (!updates.ended() && !master_ended) {
        const CotRecord& update = updates.record();
        if (stored.day < update.day) {
            write_cot_record(out, stored);
            master_ended = !master.read(stored);
        } else if (stored.day == update.day) {
            if (!updates.date_only()) write_cot_record(out, update);
            master_ended = !master.read(stored);
            if (!updates.next()) return false;
        } else {
            if (!updates.date_only()) write_cot_record(out, update);
            if (!updates.next()) return false;
        }
    }
    for (; !master_ended; master_ended = !master.read(stored)) write_cot_record(out, stored);
    while (!updates.ended()) {
        if (!updates.date_only()) write_cot_record(out, updates.record());
        if (!updates.next()) return false;
    }
    return true;
}

// A commodity without a COT file gets one with the tag's reports in order.
bool write_new_file(CotUpdates& updates, std::FILE* out) {
    for (;;) {
        if (!updates.next()) return false;
        if (updates.ended()) return true;
        if (!updates.date_only()) write_cot_record(out, updates.record());
    }
}

}  // namespace

int merge_cot(UpdaterState& state, std::string_view name) {
    const std::string path = state.update_directory + std::string(name);
    auto source = UpdateLineSource::open(path, cot_update_line_length);
    if (!source) {
        updater_message(format(" UNABLE TO OPEN THE INPUT FILE:@%s, UPDATE ABORTED.", path.c_str()));
        return -1;
    }
    if (!source->skip_header()) return 0;
    UpdateRecordReader reader(*source, DatabaseKind::cot);

    // Tags are not looked up in the commodity table: any valid tag gets its file.
    while (const std::optional<std::string> tag = reader.next_tag()) {
        show_merge_tag(*tag);
        check_merge_key();
        const std::string cot_path = cot_file_name(*tag);
        WorkFile work(work_file_path, cot_path);
        if (!work.is_open()) {
            updater_message("UNABLE TO OPEN TEMPORARY COT WORK FILE@UPDATE ABORTED");
            return -1;
        }
        CotUpdates updates(reader, *tag);

        // The new file, too, is written through the work file, so that a line
        // that does not read leaves no half-written file behind.
        if (!file_exists(cot_path)) {
            if (!write_new_file(updates, work.file())) return -1;
            if (!work.commit())
                updater_message(
                    format(" UNABLE TO CREATE NEW FILE: %s@THIS COMMODITY BYPASSED.", cot_path.c_str()));
            if (updates.file_ended()) return 0;
            continue;
        }

        // A file that is there but cannot be read must not be taken for a
        // missing one: a new file in its place would lose its reports.
        {
            CotReader master;
            if (!master.open(cot_path)) {
                updater_message(format(" UNABLE TO OPEN THE COT FILE:@%s, UPDATE ABORTED.", cot_path.c_str()));
                return -1;
            }
            if (!merge_records(master, updates, work.file())) return -1;
        }
        if (!work.commit()) {
            updater_message(format("UNABLE TO REPLACE THE COT FILE FOR %s@UPDATE ABORTED", tag->c_str()));
            return -1;
        }
        if (updates.file_ended()) return 0;
    }
    return 0;
}

}  // namespace qv::updater
