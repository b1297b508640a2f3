#include "favorites/meta_favourites.h"

#include "common/output_mask.h"
#include "favorites/favourites_folder.h"

namespace qv::favorites {

int MetaFavourites::prep_meta(const std::string& source_folder, std::string_view name) {
    if (master_.records.size() >= static_cast<std::size_t>(max_file_number)) return -1;
    for (int k = 0; k < metastock_folders; ++k) {
        const std::string folder = numbered_metastock_folder(source_folder, k);
        const MasterReadResult read = read_master(folder);
        // A damaged MASTER says nothing reliable of its folder or the ones after it.
        if (read.status != MasterReadResult::ok) return 0;
        if (const auto found = find_series(read.master, name, 'D')) {
            add_copy(folder, read.master.records[*found], name);
            return 0;
        }
    }
    return 0;
}

void MetaFavourites::add_copy(const std::string& source_folder, MasterRecord record, std::string_view name) {
    const int old_number = record.file_number();
    const int number = static_cast<int>(master_.records.size()) + 1;
    record.set_file_number(number);
    record.set_names(name, name);
    master_.records.push_back(record);
    master_.set_highest_file_number(number);
    // A data file that is missing is passed over; the record is listed all the same.
    copy_favourite(metastock_path(source_folder, dat_file_name(old_number)), metastock_path(folder_, dat_file_name(number)));
    copy_favourite(metastock_path(source_folder, dop_file_name(old_number)), metastock_path(folder_, dop_file_name(number)));
}

bool MetaFavourites::closeout_meta() {
    stamp_master(master_);
    return write_master(folder_, master_);
}

}  // namespace qv::favorites
