#pragma once

// The MetaStock favourites: a MetaStock folder of its own whose MASTER lists
// copies of the user's favourite securities, numbered from 1, with their data
// files copied beside it.

#include <string>
#include <string_view>

#include "common/metastock.h"

namespace qv::favorites {

class MetaFavourites {
public:
    explicit MetaFavourites(std::string folder) : folder_(std::move(folder)) {}

    // Looks for the daily security `name` in the source folder and its
    // numbered siblings 1 to 9 (as far as the distributor writes them, up to
    // the first without a MASTER) and copies it in under the next file number.
    // 0, also when it is not found; -1 when the favourites hold 255 already.
    int prep_meta(const std::string& source_folder, std::string_view name);

    // Writes the favourites' MASTER, stamped, through a work file. False when
    // it could not be written.
    bool closeout_meta();

    const MetaStockMaster& master() const { return master_; }

private:
    void add_copy(const std::string& source_folder, MasterRecord record, std::string_view name);

    std::string folder_;
    MetaStockMaster master_;
};

}  // namespace qv::favorites
