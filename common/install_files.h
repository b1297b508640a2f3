#pragma once

// Every fixed file and folder of the installation, named once. The names are
// in the installation's own form (\QUORVANT\...); the platform layer turns them
// into Linux paths. Folders end in a backslash. Files whose names are built
// from a tag or a number (xx_CLC.QVT, $C%d.ASC, <tag>.HDG) are made by the
// operations that own them from the folders named here.

#include <string_view>

namespace qv::install {

// The install folder itself.
inline constexpr std::string_view root = "\\QUORVANT\\";

// The lock that one program at a time holds while it writes the installation.
// The fixed work-file names below (TEMP_CLC.QVT, TEMP0001.QVT, QUORUP.TMP and
// the others) are safe because of it: no second program of the suite writes
// the installation while the holder has them open.
inline constexpr std::string_view lock_file = "\\QUORVANT\\QUORVANT.LCK";

// Support files.
inline constexpr std::string_view tables_file = "\\QUORVANT\\TABLES.INI";
inline constexpr std::string_view holidays_file = "\\QUORVANT\\HOLIDAYS.QVT";

// Settings, with the backup and the work file of a rewrite.
inline constexpr std::string_view settings_file = "\\QUORVANT\\QUORUP.INI";
inline constexpr std::string_view settings_backup = "\\QUORVANT\\QUORUP.BAK";
inline constexpr std::string_view settings_work_file = "\\QUORVANT\\TEMP0001.QVT";

// Messages: the message file, its work file while the updater dates it, and the
// request preparation's error file.
inline constexpr std::string_view message_file = "\\QUORVANT\\QUORUP.MSG";
inline constexpr std::string_view message_work_file = "\\QUORVANT\\QUORUP.TMP";
inline constexpr std::string_view error_file = "\\QUORVANT\\QUORUP.ERR";

// The database folders and the work files that replace their files.
inline constexpr std::string_view clc_folder = "\\QUORVANT\\CLC\\";
inline constexpr std::string_view cot_folder = "\\QUORVANT\\COT\\";
inline constexpr std::string_view idx_folder = "\\QUORVANT\\IDX\\";
inline constexpr std::string_view clc_work_file = "\\QUORVANT\\CLC\\TEMP_CLC.QVT";
inline constexpr std::string_view cot_work_file = "\\QUORVANT\\COT\\TEMP_COT.QVT";
inline constexpr std::string_view idx_work_file = "\\QUORVANT\\IDX\\TEMP_IDX.QVT";
// The converter's output folder.
inline constexpr std::string_view clc_temp_folder = "\\QUORVANT\\CLC\\TEMP\\";

// Update and bulletin folders when the settings name none.
inline constexpr std::string_view updates_folder = "\\QUORVANT\\UPDATES\\";
inline constexpr std::string_view bulletin_folder = "\\QUORVANT\\BULLETIN\\";

// Build files, the front end's last build settings, the autobuild list and the
// broadcast's work list.
inline constexpr std::string_view auto_folder = "\\QUORVANT\\AUTO\\";
inline constexpr std::string_view last_map_file = "\\QUORVANT\\LASTMAP.QVT";
inline constexpr std::string_view broadcast_list_file = "\\QUORVANT\\BCAST.TXT";
inline constexpr std::string_view broadcast_work_list = "\\QUORVANT\\AUTOBLDX.TMP";

// The builder's tables: the joined table of a build and the one of the block before.
inline constexpr std::string_view build_table_file = "\\QUORVANT\\TEMP0001.QVT";
inline constexpr std::string_view previous_build_table_file = "\\QUORVANT\\TEMP0000.QVT";

// Headings and the MetaStock heading marker.
inline constexpr std::string_view cot_headings_file = "\\QUORVANT\\COT.HDG";
inline constexpr std::string_view clc_headings_file = "\\QUORVANT\\CLC.HDG";
inline constexpr std::string_view meta13_marker = "\\QUORVANT\\META13.TXT";

// The updater's hand-over: the batch file it ends by running, the rebuild list
// and the markers that switch rebuilds and cash-index builds off.
inline constexpr std::string_view hand_over_batch = "\\QUORVANT\\TEMPZIP.BAT";
inline constexpr std::string_view roll_list = "\\QUORVANT\\$ROLL";
inline constexpr std::string_view roll_work_file = "\\QUORVANT\\$ROLL.TMP";
inline constexpr std::string_view no_roll_marker = "\\QUORVANT\\$NOROLL";
inline constexpr std::string_view no_cash_marker = "\\QUORVANT\\$NOCASH";

// The request for the download, with its work file, the vendor's system
// message that the download leaves, and the position file of the mail folder
// with its work file.
inline constexpr std::string_view request_file = "\\QUORVANT\\NEEDFIL2.TXT";
inline constexpr std::string_view request_work_file = "\\QUORVANT\\NEEDFIL2.TMP";
inline constexpr std::string_view system_message_file = "\\QUORVANT\\SYSTEM.MSG";
inline constexpr std::string_view position_file = "\\QUORVANT\\MAIL\\POSITION.QVT";
inline constexpr std::string_view position_work_file = "\\QUORVANT\\MAIL\\POSITION.TMP";

// The rollover reports and their work files.
inline constexpr std::string_view roll_show_file = "\\QUORVANT\\ROLLSHOW.TXT";
inline constexpr std::string_view roll_show_work_file = "\\QUORVANT\\ROLLSHOW.TMP";
inline constexpr std::string_view roll_print_file = "\\QUORVANT\\ROLLPRNT.TXT";
inline constexpr std::string_view roll_print_work_file = "\\QUORVANT\\ROLLPRNT.TMP";

// The post-download processing's leftovers and its fallback batch file.
inline constexpr std::string_view update_log = "\\QUORVANT\\QUORUP.LOG";
inline constexpr std::string_view symbols_file = "\\QUORVANT\\UPDATES\\SYMBOLS.TXT";
inline constexpr std::string_view merge_batch = "\\QUORVANT\\merge.bat";
inline constexpr std::string_view merge_batch_work_file = "\\QUORVANT\\MERGE.TMP";

// The distributor's favourites lists and the programs of the chain.
inline constexpr std::string_view favourites_ascii_list = "\\QUORVANT\\FAVOR.ASC";
inline constexpr std::string_view favourites_meta_list = "\\QUORVANT\\FAVOR.MS";
inline constexpr std::string_view favourites_program = "\\QUORVANT\\MKPICKS.EXE";
// Made by the distributor before it changes a user's file when the user keeps
// favourites, removed by the favourites builder at the end of its run: a
// chain stopped in between leaves it, and the next distributor run starts
// the favourites builder even with no update file to carry.
inline constexpr std::string_view favourites_pending = "\\QUORVANT\\FAVOR.PND";
inline constexpr std::string_view distributor_program = "\\QUORVANT\\DFANOUT.EXE";
inline constexpr std::string_view bulletin_viewer = "\\QUORVANT\\BULSHOW.EXE";

}  // namespace qv::install
