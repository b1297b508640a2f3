#pragma once

#include <filesystem>
#include <string>

namespace qv::sample {

// The support files of a realistic installation, as their texts.
std::string tables_ini();     // TABLES.INI: 76 commodities with every table
std::string holidays_qvt();   // HOLIDAYS.QVT: exchange holidays 1970 to 2030
std::string quorup_ini();     // QUORUP.INI: the settings of a user of both output kinds

// Writes an installation into `folder`: the three files and the fixed subfolders.
void write_installation(const std::filesystem::path& folder);

// The daily chain as the user starts it (from cron: qbatch DAILY.BAT in the
// install folder): the request, the download, the post-download processing,
// which merges and hands over to the builder, the distributor and the
// favourites, and last the export of the day's changes into the SQLite file
// QUORVANT.SQLITE. (The updater writes its hand-over batch file TEMPZIP.BAT
// itself, line by line; the installation's own batch file is where a user
// adds a step after the merge.)
std::string daily_batch();   // DAILY.BAT
std::string favourites_ascii();  // FAVOR.ASC: contracts the sample user keeps together
std::string favourites_meta();   // FAVOR.MS

// Writes DAILY.BAT and the two favourites lists into `folder`.
void write_daily_chain(const std::filesystem::path& folder);

}  // namespace qv::sample
