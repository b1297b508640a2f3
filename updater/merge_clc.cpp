#include "updater/merge_clc.h"
#include "updater/merge_screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/clc_file.h"
#include "common/clc_price.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/update_file.h"
#include "common/update_lines.h"
#include "common/platform/work_file.h"
#include "common/install_files.h"

namespace qv::updater {

namespace {

constexpr std::string_view work_file_path = install::clc_work_file;
constexpr std::size_t io_chunk = 256 * 1024;

// Records of a daily update older than the update's day by more than this many
// days are copied in blocks; the last stretch is merged record by record.
constexpr int block_copy_distance = 20;
constexpr int block_copy_margin = 15;

std::size_t block_size(int bytes) {
    switch (bytes) {
        case 2: return 520;
        case 3: return 430;
        default: return 365;
    }
}

// The records of the commodity's CLC file, read through a buffer, so that runs
// of them can also be handed on as raw bytes.
class MasterRecords {
public:
    // The buffer is the merge's, kept from one commodity to the next.
    MasterRecords(FilePtr file, std::vector<std::uint8_t>& buffer) : file_(std::move(file)), buffer_(buffer) {
        if (buffer_.size() < io_chunk) buffer_.resize(io_chunk);
    }

    // False when the file ends inside its 40-byte header. Only the header is
    // read, so that the records can be taken up anywhere.
    bool read_header(ClcHeader& header) {
        std::uint8_t raw[clc_header_size];
        if (std::fread(raw, 1, sizeof raw, file_.get()) != sizeof raw) return false;
        header = decode_header(raw);
        return true;
    }
    void set_width(int bytes) {
        bytes_ = bytes;
        record_size_ = clc_record_size(bytes);
    }

    // The next whole record; false at the end of the file (a record cut by the
    // end of the file ends the series).
    bool next(ClcRecord& record) {
        if (!fill(record_size_)) return false;
        record = decode_record(buffer_.data() + pos_, bytes_);
        pos_ += record_size_;
        return true;
    }

    // Whole records waiting in the buffer (at least one unless the file ended).
    std::size_t available() {
        fill(record_size_);
        return (end_ - pos_) / record_size_;
    }
    const std::uint8_t* at(std::size_t index) const { return buffer_.data() + pos_ + index * record_size_; }
    void skip(std::size_t count) { pos_ += count * record_size_; }
    std::size_t record_size() const { return record_size_; }

    // The file's whole records, counted from its size.
    std::size_t record_count() const {
        const std::uintmax_t size = open_file_size(file_.get()).value_or(0);
        return size < clc_header_size ? 0 : static_cast<std::size_t>((size - clc_header_size) / record_size_);
    }
    // Up to `count` records from record `first` on, read by position.
    bool read_records(std::size_t first, std::size_t count, std::string& bytes) const {
        return read_file_bytes(file_.get(), record_offset(first), count * record_size_, bytes);
    }
    // Copies the records before record `index` to the output in the kernel;
    // the next record read is record `index`.
    bool copy_records_before(std::size_t index, std::FILE* out) {
        pos_ = end_ = 0;
        at_end_ = false;
        return copy_file_bytes(file_.get(), clc_header_size, index * record_size_, out) &&
               std::fseek(file_.get(), static_cast<long>(record_offset(index)), SEEK_SET) == 0;
    }

private:
    std::uintmax_t record_offset(std::size_t index) const { return clc_header_size + index * record_size_; }

    // Makes at least `need` bytes available from pos_; false at the end.
    bool fill(std::size_t need) {
        if (end_ - pos_ >= need) return true;
        if (at_end_) return false;
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
        while (end_ < buffer_.size()) {
            const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_.get());
            if (got == 0) {
                at_end_ = true;
                break;
            }
            end_ += got;
        }
        return end_ - pos_ >= need;
    }

    FilePtr file_;
    std::vector<std::uint8_t>& buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool at_end_ = false;
    int bytes_ = 0;
    std::size_t record_size_ = 0;
};

// The work file's content, collected and written in large pieces.
class RecordOutput {
public:
    RecordOutput(std::FILE* file, int bytes, std::vector<std::uint8_t>& pending)
        : file_(file), bytes_(bytes), pending_(pending) {
        pending_.clear();
        pending_.reserve(io_chunk);
    }

    void header(const ClcHeader& header) {
        std::uint8_t raw[clc_header_size];
        encode_header(header, raw);
        raw_bytes(raw, sizeof raw);
    }
    void record(const ClcRecord& record) {
        std::uint8_t raw[clc_max_record_size];
        encode_record(record, bytes_, raw);
        raw_bytes(raw, clc_record_size(bytes_));
    }
    void raw_bytes(const std::uint8_t* data, std::size_t size) {
        if (size >= io_chunk / 4) {
            // A long run of old records goes out as it is, without another copy.
            flush();
            if (std::fwrite(data, 1, size, file_) != size) failed_ = true;
            return;
        }
        pending_.insert(pending_.end(), data, data + size);
        if (pending_.size() >= io_chunk) flush();
    }
    // The records before record `index` of the master file, copied in the kernel.
    void copy_records_before(MasterRecords& master, std::size_t index) {
        flush();
        if (!master.copy_records_before(index, file_)) failed_ = true;
    }
    // False when anything could not be written.
    bool flush() {
        if (!pending_.empty() && std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size())
            failed_ = true;
        pending_.clear();
        return !failed_;
    }

private:
    std::FILE* file_;
    int bytes_;
    std::vector<std::uint8_t>& pending_;
    bool failed_ = false;
};

enum class Outcome { merged, failed };

// One commodity's record merge: the master side (its CLC file) and the update
// side (its lines of the update file) in date order into the work file.
class CommodityMerge {
public:
    CommodityMerge(UpdaterState& state, const Commodity& commodity, std::size_t row, UpdateRecordReader& reader,
                   MasterRecords& master, RecordOutput& out, int bytes, bool daily, bool block_copy)
        : state_(state), commodity_(commodity), row_(row), reader_(reader), master_(master), out_(out),
          bytes_(bytes), daily_(daily), block_copy_(block_copy) {}

    Outcome run();
    bool file_ended() const { return file_ended_; }

private:
    void read_master();
    bool read_update();
    bool to_record(const ClcUpdateLine& line, ClcRecord& record);
    bool carries_back(DayNumber day) const;
    void write_master();
    void write_update(bool takes_master_rollover);
    void write_master_rollover();
    void copy_blocks();
    std::size_t copy_raw(std::size_t count);
    void copy_unchanged_records();
    Outcome fail(const std::string& text);

    UpdaterState& state_;
    const Commodity& commodity_;
    std::size_t row_;
    UpdateRecordReader& reader_;
    MasterRecords& master_;
    RecordOutput& out_;
    const int bytes_;
    const bool daily_;
    const bool block_copy_;

    ClcRecord master_record_;
    std::optional<ClcRecord> master_rollover_;  // read from the file, not yet written
    bool master_ended_ = false;

    ClcUpdateRecord update_line_;
    ClcRecord update_record_;
    std::optional<ClcRecord> update_rollover_;
    // The first day whose record would get this update's open interest: the
    // next trading day after any day from here up to the update's day is the
    // update's day.
    DayNumber carry_back_from_ = 0;
    bool update_ended_ = false;
    bool file_ended_ = false;
    bool failed_ = false;
};

// A master record of day 0 is a roll-over record: it never takes part in the
// date comparison and waits to be written in front of the next record.
void CommodityMerge::read_master() {
    ClcRecord record;
    while (master_.next(record)) {
        if (record.is_roll_over()) {
            master_rollover_ = record;
            continue;
        }
        master_record_ = record;
        return;
    }
    master_ended_ = true;
}

// Prices that do not fit the file's price width would be stored cut to it, a
// different price; such a line is refused like any line that does not read.
bool CommodityMerge::to_record(const ClcUpdateLine& line, ClcRecord& record) {
    record = ClcRecord{};
    record.day = line.day_number();
    std::int32_t* prices[] = {&record.open, &record.high, &record.low, &record.close};
    for (std::size_t i = 0; i < 4; ++i) {
        if (line.date_only) break;
        const std::int64_t stored = update_number_to_stored(line.prices[i], commodity_.precision);
        if (!fits_price_width(stored, bytes_)) return false;
        *prices[i] = static_cast<std::int32_t>(stored);
    }
    // The counts keep their low three bytes, as the 24-bit fields hold them.
    record.open_interest = static_cast<std::uint32_t>(line.counts[0]) & tri_max;
    record.total_volume = static_cast<std::uint32_t>(line.counts[1]) & tri_max;
    record.total_open_interest = static_cast<std::uint32_t>(line.counts[2]) & tri_max;
    return true;
}

Outcome CommodityMerge::fail(const std::string& text) {
    updater_message(text);
    failed_ = true;
    return Outcome::failed;
}

bool CommodityMerge::read_update() {
    ClcUpdateRecord record;
    switch (reader_.read_clc(commodity_.tag, record)) {
        case UpdateRead::record: break;
        case UpdateRead::end_of_file:
            file_ended_ = true;
            update_ended_ = true;
            return true;
        case UpdateRead::end_of_tag:
            update_ended_ = true;
            return true;
        case UpdateRead::failed:
            fail(reader_.message());
            return false;
    }
    const auto out_of_sync = [&](const ClcUpdateLine& line) {
        fail(format(" CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = %d/%d/%d", line.date.month, line.date.day,
                    line.year()));
        return false;
    };
    update_line_ = std::move(record);
    if (!to_record(update_line_.line, update_record_)) return out_of_sync(update_line_.line);
    update_rollover_.reset();
    if (update_line_.rollover) {
        ClcRecord rollover;
        if (!to_record(*update_line_.rollover, rollover)) return out_of_sync(*update_line_.rollover);
        update_rollover_ = rollover;
    }
    if (update_line_.same_tag_follows) state_.several_days[row_] = true;

    // The open interest of a daily update is reported a day late: it belongs
    // to the trading day before, which is every day from the last trading day
    // before the update's day on (a record of a weekend or a holiday included).
    // Only the last line of a commodity in a daily update carries it back, and
    // a date-only line has no figures to carry.
    carry_back_from_ = 0;
    const DayNumber day = update_record_.day;
    if (daily_ && !update_line_.same_tag_follows && !update_line_.line.date_only && day > first_day_number) {
        const auto trading = [&](DayNumber d) {
            const int w = weekday(d);
            return w != saturday && w != sunday && !state_.holidays.contains(d);
        };
        if (trading(day)) {
            DayNumber before = day - 1;
            while (before > first_day_number && !trading(before)) --before;
            carry_back_from_ = before;
        }
    }
    return true;
}

bool CommodityMerge::carries_back(DayNumber day) const {
    return carry_back_from_ != 0 && day >= carry_back_from_ && day < update_record_.day;
}

void CommodityMerge::write_master_rollover() {
    if (!master_rollover_) return;
    out_.record(*master_rollover_);
    master_rollover_.reset();
}

void CommodityMerge::write_master() {
    write_master_rollover();
    ClcRecord record = master_record_;
    if (!update_ended_ && carries_back(record.day)) {
        record.open_interest = update_record_.open_interest;
        record.total_open_interest = update_record_.total_open_interest;
    }
    out_.record(record);
}

// An update record that takes the place of a stored day (or follows the end of
// the stored days) also takes over the roll-over record that stood in front of
// that day, unless it brings its own: the roll-over stays where the contract
// changed instead of moving to a later day or being written twice. A day
// inserted before a stored day leaves that day's roll-over in front of it.
void CommodityMerge::write_update(bool takes_master_rollover) {
    if (takes_master_rollover) {
        if (update_rollover_)
            master_rollover_.reset();
        else
            write_master_rollover();
    }
    if (update_rollover_) out_.record(*update_rollover_);
    out_.record(update_record_);
}

// Copies up to `count` records unchanged, as raw bytes. Only records that the
// record merge would write unchanged right away are copied: days before the
// update's day that get no open interest carried back, and roll-over records
// standing in front of such a day. So the result is the same as the record
// merge's; the copy stops early where it is not.
std::size_t CommodityMerge::copy_raw(std::size_t count) {
    std::size_t copied = 0;
    while (copied < count) {
        const std::size_t available = master_.available();
        if (available == 0) break;
        const std::size_t scan = std::min(available, count - copied);
        std::size_t safe = 0;
        bool after_rollover = false;
        bool stopped = false;
        for (std::size_t i = 0; i < scan; ++i) {
            const DayNumber day = get_u16(master_.at(i));
            if (day == no_date) {
                if (after_rollover) {
                    stopped = true;
                    break;
                }
                after_rollover = true;
                continue;
            }
            if (day >= update_record_.day || carries_back(day)) {
                stopped = true;
                break;
            }
            after_rollover = false;
            safe = i + 1;
        }
        if (safe > 0) {
            out_.raw_bytes(master_.at(0), safe * master_.record_size());
            master_.skip(safe);
            copied += safe;
        }
        if (stopped || safe < scan) break;
    }
    return copied;
}

// The stored days between the record just written and the update's day are
// estimated at 0.6 a calendar day; whole blocks of that many records are
// copied, then all but the last 15, which the record merge compares.
void CommodityMerge::copy_blocks() {
    std::size_t estimate = static_cast<std::size_t>(update_record_.day - master_record_.day) * 6 / 10;
    const std::size_t block = block_size(bytes_);
    while (estimate >= block) {
        if (copy_raw(block) < block) return;
        estimate -= block;
    }
    if (estimate > block_copy_distance) copy_raw(estimate - block_copy_margin);
}

// A daily update changes a file only near its end. The records before the
// first one it changes are found from the end of the file (the days rise)
// and copied in the kernel, never passing through the program: the stored
// days up to the first day at or after the update's day, or that takes its
// open interest, and the roll-over record in front of that day. When the
// update reaches further back than the records read, nothing is copied here.
void CommodityMerge::copy_unchanged_records() {
    constexpr std::size_t tail_records = 256;
    const std::size_t total = master_.record_count();
    const std::size_t first = total > tail_records ? total - tail_records : 0;
    std::string tail;
    if (total == 0 || !master_.read_records(first, total - first, tail)) return;
    const std::size_t size = master_.record_size();
    const std::size_t read = tail.size() / size;
    const auto* records = reinterpret_cast<const std::uint8_t*>(tail.data());
    const auto day_of = [&](std::size_t i) { return static_cast<DayNumber>(get_u16(records + i * size)); };
    const auto unchanged = [&](DayNumber day) { return day < update_record_.day && !carries_back(day); };
    if (read == 0 || day_of(0) == no_date || !unchanged(day_of(0))) return;
    std::size_t end = 1;
    bool after_rollover = false;
    for (std::size_t i = 1; i < read; ++i) {
        const DayNumber day = day_of(i);
        if (day == no_date) {
            if (after_rollover) break;
            after_rollover = true;
            continue;
        }
        if (!unchanged(day)) break;
        after_rollover = false;
        end = i + 1;
    }
    out_.copy_records_before(master_, first + end);
}

Outcome CommodityMerge::run() {
    if (!read_update()) return Outcome::failed;
    if (daily_ && block_copy_ && !update_ended_) copy_unchanged_records();
    read_master();
    while (!update_ended_ && !master_ended_) {
        const DayNumber master_day = master_record_.day;
        const DayNumber update_day = update_record_.day;
        if (master_day < update_day) {
            write_master();
            if (daily_ && block_copy_ && master_day + block_copy_distance < update_day) copy_blocks();
            read_master();
        } else if (master_day == update_day) {
            // A date-only line deletes the stored day; a full line replaces it.
            if (!update_line_.line.date_only) write_update(true);
            read_master();
            if (!read_update()) return Outcome::failed;
        } else {
            // A date-only line for a day that is not stored changes nothing.
            if (!update_line_.line.date_only) write_update(false);
            if (!read_update()) return Outcome::failed;
        }
    }
    while (!master_ended_) {
        write_master();
        read_master();
    }
    while (!update_ended_) {
        if (!update_line_.line.date_only) write_update(true);
        if (!read_update()) return Outcome::failed;
    }
    // A roll-over record whose next day was deleted keeps its place at the end,
    // in front of the day that comes next.
    write_master_rollover();
    return failed_ ? Outcome::failed : Outcome::merged;
}

}  // namespace

int merge_clc(UpdaterState& state, std::string_view name, const ClcMergeOptions& options) {
    const std::string path = state.update_directory + std::string(name);
    auto source = UpdateLineSource::open(path, clc_update_line_length);
    if (!source) {
        updater_message(format(" UNABLE TO OPEN THE INPUT FILE:@%s, UPDATE ABORTED.", path.c_str()));
        return -1;
    }
    if (state.several_days.size() != state.tables.size()) state.several_days.resize(state.tables.size(), false);
    const bool daily = !name.empty() && (name[0] == 'D' || name[0] == 'd');
    if (!source->skip_header()) return 0;
    UpdateRecordReader reader(*source, DatabaseKind::clc);
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> output;
    // One work file serves every commodity of the update and goes at the end.
    const WorkFileRemoval remove_work_file(work_file_path);

    for (;;) {
        // The next commodity that is in the table and has a CLC file; lines of
        // any other tag are passed over.
        std::string tag;
        std::optional<std::size_t> row;
        FilePtr clc;
        for (;;) {
            const std::optional<std::string> next = reader.next_tag();
            if (!next) return 0;
            row = state.tables.position_of(*next);
            if (row) clc = open_file(clc_file_name(*next), "rb");
            if (clc) {
                tag = *next;
                break;
            }
            reader.skip_line();
        }
        show_merge_tag(tag);
        check_merge_key();

        const Commodity& commodity = state.tables[*row];
        ClcHeader header;
        bool file_ended = false;
        {
            MasterRecords master(std::move(clc), input);
            const bool whole_header = master.read_header(header);
            header.precision = commodity.precision;
            if (!whole_header || header.precision < 0 || header.precision > 8 || !valid_price_width(header.bytes)) {
                updater_message(format(" ERROR - MASTER CLC FILE FOR %s IS DEFECTIVE @ BYPASSING IT ", tag.c_str()));
                reader.skip_tag(tag);
                continue;
            }
            master.set_width(header.bytes);

            WorkFile work(work_file_path, clc_file_name(tag), WorkFileMode::reuse);
            // The merge syncs the disk before the update file's done name.
            work.write_ahead();
            if (!work.is_open()) {
                updater_message("UNABLE TO OPEN TEMPORARY CLC WORK FILE@UPDATE ABORTED");
                return -1;
            }
            RecordOutput out(work.file(), header.bytes, output);
            out.header(header);
            CommodityMerge merge(state, commodity, *row, reader, master, out, header.bytes, daily,
                                 options.block_copy);
            if (merge.run() == Outcome::failed) return -1;
            if (!out.flush() || !work.commit()) {
                updater_message(format("UNABLE TO REPLACE THE CLC FILE FOR %s@UPDATE ABORTED", tag.c_str()));
                return -1;
            }
            file_ended = merge.file_ended();
        }
        if (file_ended) return 0;
    }
}

}  // namespace qv::updater
