#include "distributor/meta_security.h"

#include <algorithm>
#include <cmath>

#include "common/calendar.h"
#include "common/platform/files.h"
#include "common/make_directories.h"
#include "common/messages.h"
#include "distributor/distribution.h"
#include "common/metastock_data.h"
#include "common/platform/paths.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::distributor {

namespace {

void warn(const std::string& text) { report_skipped(text); }

MetaDay day_from_record(const MetaStockRecord& record, int field_count) {
    MetaDay day;
    day.date = std::lround(record.date);
    const auto& v = record.values;
    if (field_count == 7) {
        day.open = v[0];
        day.high = v[1];
        day.low = v[2];
        day.close = v[3];
        day.volume = v[4];
        day.open_interest = v[5];
    } else {
        day.high = v[0];
        day.low = v[1];
        day.close = v[2];
        day.volume = v[3];
    }
    return day;
}

MetaStockRecord record_from_day(const MetaDay& day, int field_count) {
    MetaStockRecord record;
    record.date = static_cast<float>(day.date);
    if (field_count == 7)
        record.values = {day.open, day.high, day.low, day.close, day.volume, day.open_interest};
    else
        record.values = {day.high, day.low, day.close, day.volume, 0, 0};
    return record;
}

std::string master_path(const MetaSecurity& security) { return security.folder + "MASTER"; }

// A new security: the next file number, or the lowest free one.
int add_new_security(MetaSecurity& security) {
    const Allocation allocation = allocate_series(security.master, security.name, security.name, 'D');
    if (allocation.status == Allocation::full) {
        warn(std::string(distributor_full_message));
        warn(meta_repair_message);
        return -1;
    }
    if (allocation.status == Allocation::no_free_number) {
        warn(std::string(no_free_number_message));
        return -1;
    }
    security.index = allocation.index;
    security.is_new = true;
    security.field_count = 7;
    security.header.clear();
    security.days.clear();
    security.kept = 0;
    security.first_date = 0;
    return 0;
}

}  // namespace

std::string meta_folder_of(const std::string& output_path) {
    const auto split = output_path.find_last_of("\\:");
    return split == std::string::npos ? std::string() : output_path.substr(0, split + 1);
}

int prepare_meta_security(const std::string& output_path, MetaSecurity& security, std::size_t newest,
                          InUseLook look, MasterReadResult* master_read) {
    security.folder = meta_folder_of(output_path);
    security.name = output_path.substr(security.folder.size());

    if (metastock_in_use(security.folder, look)) {
        warn(format(meta_in_use_message, security.folder.c_str()));
        return -1;
    }
    MasterReadResult read = master_read ? std::move(*master_read) : read_master(security.folder);
    if (read.status == MasterReadResult::damaged) {
        warn(read.message);
        return -1;
    }
    if (read.status == MasterReadResult::missing) {
        if (!folder_exists(security.folder) && make_directories(output_path, distributor_profile) != 0)
            return -1;
        read.master = MetaStockMaster{};
    }
    security.master = std::move(read.master);

    const auto found = find_series(security.master, security.name, 'D');
    if (!found) return add_new_security(security);

    const MasterRecord& series = security.master.records[*found];
    if (series.field_count() != 7 && series.field_count() != 5) {
        warn(format("METASTOCK SECURITY %s HAS %d FIELDS,@ONLY 5 OR 7 CAN BE UPDATED, BYPASSING IT.",
                    output_path.c_str(), series.field_count()));
        return 1;
    }
    DataReadResult data = read_dat(security.folder, series, newest);
    if (data.status == DataReadResult::damaged) {
        warn(data.message);
        return 1;
    }
    if (data.status == DataReadResult::missing) {
        warn(format(meta_missing_dat_message, output_path.c_str()));
        if (remove_meta_security(security, *found) != 0) return 1;
        // The contract's lines, this one included, make a new security.
        return add_new_security(security);
    }
    security.index = *found;
    security.is_new = false;
    security.field_count = data.data.field_count;
    security.header = std::move(data.data.header);
    security.kept = data.data.skipped;
    security.first_date = std::lround(data.data.first_date);
    security.days.clear();
    security.days.reserve(data.data.records.size() + 8);
    // Every day of the security is kept, however long its history.
    for (const MetaStockRecord& record : data.data.records)
        security.days.push_back(day_from_record(record, security.field_count));
    return 0;
}

int remove_meta_security(MetaSecurity& security, std::size_t index) {
    if (!remove_series(security.folder, security.master, index)) {
        warn("CAN'T OPEN MASTER FILE: " + master_path(security));
        return -1;
    }
    return 0;
}

void insert_meta_record(MetaWorkTable& days, std::size_t position, const MetaDay& day) {
    days.insert(days.begin() + static_cast<std::ptrdiff_t>(std::min(position, days.size())), day);
}

void replace_meta_record(MetaWorkTable& days, std::size_t position, const MetaDay& day) {
    if (position < days.size()) days[position] = day;
}

void delete_meta_record(MetaWorkTable& days, long date) {
    const auto it =
        std::find_if(days.begin(), days.end(), [date](const MetaDay& d) { return d.date == date; });
    if (it != days.end()) days.erase(it);
}

void place_meta_record(MetaWorkTable& days, const MetaDay& day, long previous_date) {
    if (days.empty() || days.front().date > day.date) {
        insert_meta_record(days, 0, day);
        return;
    }
    // The days are in date order, so a day after the last one is new; a
    // history of thousands of days is so appended without a search per day.
    MetaDay& last = days.back();
    if (day.date > last.date) {
        if (last.date != previous_date) {
            last.volume = day.volume;
            last.open_interest = day.open_interest;
        }
        days.push_back(day);
        return;
    }
    const auto place =
        std::find_if(days.begin(), days.end(), [&](const MetaDay& d) { return d.date >= day.date; });
    const auto position = static_cast<std::size_t>(place - days.begin());
    if (place->date == day.date)
        replace_meta_record(days, position, day);
    else
        insert_meta_record(days, position, day);
}

int write_meta_security(MetaSecurity& security, int decimals, Distribution& run, WorkFileMode mode) {
    // A date that does not read back as a real YYYMMDD date would be stored
    // for good; nothing is written and the security stays as it was.
    for (const MetaDay& day : security.days) {
        if (!split_metastock_date(day.date)) {
            warn(format(meta_date_message, day.date));
            return -1;
        }
    }
    MetaStockData data;
    data.field_count = security.field_count;
    data.header = security.header;
    data.records.reserve(security.days.size());
    for (const MetaDay& day : security.days)
        data.records.push_back(record_from_day(day, security.field_count));

    MasterRecord& series = security.master.records[security.index];
    const int number = series.file_number();
    switch (write_dat_after(security.folder, number, data, security.kept, mode, security.work_folder)) {
        case DataWrite::ok:
            break;
        case DataWrite::cannot_write:
            write_failed(run, metastock_path(security.folder, dat_file_name(number)));
            warn(meta_dat_message);
            return -1;
        case DataWrite::no_mbf_form:
            warn(format("ERROR-A PRICE OR VOLUME OF %s IS TOO LARGE@FOR A METASTOCK FILE, BYPASSING IT.",
                        security.name.c_str()));
            return -1;
        case DataWrite::too_many:
            warn(format("ERROR-METASTOCK SECURITY %s HOLDS@TOO MANY DAYS TO BE WRITTEN, BYPASSING IT.",
                        security.name.c_str()));
            return -1;
    }
    for (const MetaDay& day : security.days) {
        const auto date = split_metastock_date(day.date);
        run.newest_written = std::max(run.newest_written, date_to_lotus(date->year, date->month, date->day));
    }

    describe_series(series, data);
    if (security.kept > 0) series.set_first_date(security.first_date);
    stamp_master(security.master);
    if (!write_master(security.folder, security.master, mode, security.work_folder)) {
        // A new security's data file is nobody's without its MASTER record.
        if (security.is_new) delete_file(metastock_path(security.folder, dat_file_name(number)));
        write_failed(run, master_path(security));
        warn("CAN'T UPDATE MASTER FILE: " + master_path(security));
        return -1;
    }
    if (!write_dop(security.folder, number, security.field_count, decimals, mode, security.work_folder)) {
        write_failed(run, metastock_path(security.folder, dop_file_name(number)));
        warn(meta_dop_message);
        return -1;
    }
    return 0;
}

}  // namespace qv::distributor
