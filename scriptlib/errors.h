// The numbers of the library's errors and messages, one name each. The number
// decides the severity: up to 2000 minor, 2001 to 3000 moderate, above 3000
// fatal; 9000 and above end the script without a message of their own.
#pragma once

#include "scriptlib/include/qsleng32.h"

namespace qsl::errors {

// Severity bounds.
constexpr int minor_max = 2000;
constexpr int moderate_max = 3000;
constexpr int silent_min = 9000;

// Loading a script.
constexpr int script_not_found = 102;
constexpr int execution_error = 111;
constexpr int script_out_of_memory = 203;
constexpr int script_lock_failed = 204;
constexpr int script_read_error = 206;
constexpr int script_protected = 211;
constexpr int line_too_long = 214;
constexpr int script_unicode_error = 215;

// Loading an extender: the detail shown with the error.
constexpr int extender_needs_library = 851;
constexpr int extender_not_loadable = 852;
constexpr int extender_needs_function = 853;
constexpr int extender_wrong_system = 854;
constexpr int extender_init_failed = 855;

// Minor errors.
constexpr int window_not_found = 1039;
constexpr int extender_minor = 1213;
constexpr int fp_domain = 1341;
constexpr int fp_overflow = 1342;
constexpr int fp_partial_loss = 1343;
constexpr int fp_singularity = 1344;
constexpr int fp_total_loss = 1345;
constexpr int fp_underflow = 1346;
constexpr int fp_error = 1351;
constexpr int extender_refused = 1399;
constexpr int call_file_not_found = 1400;
constexpr int bad_list_delimiter = 1407;
constexpr int rename_source_not_found = 1426;
constexpr int rename_bad_target = 1427;
constexpr int rename_other_drive = 1428;
constexpr int bad_intcontrol_value = 1464;
constexpr int bad_share_mode = 1471;
constexpr int memory_not_available = 1588;

// Moderate errors.
constexpr int extender_moderate = 2214;

// Fatal errors.
constexpr int goto_lock_failed = 3032;
constexpr int label_not_found = 3033;
constexpr int function_not_defined = 3046;
constexpr int variable_name_too_long = 3047;
constexpr int substitution_unclosed = 3048;
constexpr int no_if_for_then_else = 3050;
constexpr int undefined_name = 3051;
constexpr int uninitialized_variable = 3052;
constexpr int string_too_long = 3053;
constexpr int unrecognizable_item = 3054;
constexpr int variable_name_over_30 = 3055;
constexpr int not_convertible_to_string = 3056;
constexpr int not_a_number = 3057;
constexpr int divide_by_zero = 3062;
constexpr int binary_operation_illegal = 3063;
constexpr int unary_operation_illegal = 3064;
constexpr int unbalanced_parenthesis = 3065;
constexpr int wrong_argument_count = 3066;
constexpr int opening_parenthesis_missing = 3067;
constexpr int illegal_delimiter = 3068;
constexpr int assignment_not_legal = 3069;
constexpr int too_many_arguments = 3070;
constexpr int incomplete_statement = 3071;
constexpr int then_missing = 3072;
constexpr int goto_label_missing = 3073;
constexpr int expression_continues = 3074;
constexpr int strings_out_of_memory = 3096;
constexpr int variables_out_of_memory = 3097;
constexpr int substituted_line_too_long = 3101;
constexpr int drop_not_variable = 3102;
constexpr int isdefined_not_variable = 3103;
constexpr int bad_intcontrol = 3171;
constexpr int extender_no_memory = 3210;
constexpr int call_too_deep = 3211;
constexpr int extender_severe = 3215;
constexpr int fp_too_many_dots = 3338;
constexpr int fp_too_many_exponents = 3339;
constexpr int not_a_float = 3340;
constexpr int structure_not_defined = 3352;
constexpr int nesting_too_deep = 3353;
constexpr int no_matching_end = 3354;
constexpr int break_outside_structure = 3355;
constexpr int continue_outside_structure = 3356;
constexpr int end_without_match = 3357;
constexpr int else_without_if = 3358;
constexpr int break_continue_misplaced = 3359;
constexpr int for_syntax = 3360;
constexpr int for_counter_not_number = 3361;
constexpr int misplaced_to = 3362;
constexpr int unidentified_end = 3363;
constexpr int switch_not_integer = 3364;
constexpr int case_without_switch = 3365;
constexpr int too_many_extenders = 3393;
constexpr int extender_not_found = 3394;
constexpr int extender_not_valid = 3395;
constexpr int extender_table_full = 3396;
constexpr int extender_load_failed = 3437;
constexpr int function_not_available = 3472;

// Files and folders, line file input and output, INI files, the registry,
// programs, libraries, the clipboard, sound and the system.
constexpr int file_move_no_match = 1003;
constexpr int file_move_failed = 1004;
constexpr int file_move_target_kept = 1005;
constexpr int file_move_bad_target = 1006;
constexpr int file_move_same_file = 1007;
constexpr int file_copy_no_match = 1008;
constexpr int file_copy_failed = 1009;
constexpr int file_copy_bad_target = 1010;
constexpr int file_copy_same_file = 1011;
constexpr int file_append_not_found = 1012;
constexpr int file_append_open_failed = 1013;
constexpr int file_append_failed = 1014;
constexpr int file_rename_failed = 1015;
constexpr int file_delete_failed = 1016;
constexpr int logdisk_bad_drive = 1028;
constexpr int dir_make_failed = 1029;
constexpr int dir_remove_failed = 1030;
constexpr int dir_change_failed = 1031;
constexpr int file_open_failed = 1077;
constexpr int file_attr_get_failed = 1083;
constexpr int file_attr_set_failed = 1086;
constexpr int file_time_get_failed = 1125;
constexpr int file_time_touch_failed = 1128;
constexpr int ole_initiate_failed = 1129;
constexpr int dde_terminate_failed = 1144;
constexpr int reg_open_failed = 1158;
constexpr int reg_create_failed = 1159;
constexpr int net_failed = 1173;
constexpr int play_sounds_failed = 1194;
constexpr int play_media_failed = 1195;
constexpr int reg_delete_key_not_found = 1229;
constexpr int reg_close_failed = 1231;
constexpr int reg_set_value_failed = 1232;
constexpr int reg_query_value_failed = 1233;
constexpr int exe_type_not_found = 1240;
constexpr int run_environ_failed = 1241;
constexpr int environ_set_failed = 1242;
constexpr int dll_not_loaded = 1299;
constexpr int dll_function_not_found = 1300;
constexpr int dll_call_bad_handle = 1301;
constexpr int dll_call_no_function = 1302;
constexpr int icon_replace_failed = 1303;
constexpr int file_full_name_failed = 1323;
constexpr int file_map_name_failed = 1324;
constexpr int ini_private_failed = 1335;
constexpr int dll_call_bad_argument = 1369;
constexpr int dll_call_too_many = 1370;
constexpr int dll_call_bad_result = 1371;
constexpr int request_ignored = 1388;
constexpr int file_compare_first = 1389;
constexpr int file_compare_second = 1390;
constexpr int reg_bad_handle = 1402;
constexpr int file_copy_no_room = 1404;
constexpr int file_move_no_room = 1405;
constexpr int file_append_no_room = 1406;
constexpr int shortcut_failed = 1410;
constexpr int dir_attr_get_failed = 1421;
constexpr int dir_attr_set_failed = 1422;
constexpr int file_name_long_failed = 1423;
constexpr int file_name_short_failed = 1424;
constexpr int reg_app_failed = 1429;
constexpr int reg_del_value_failed = 1432;
constexpr int install_source_not_found = 1434;
constexpr int install_failed = 1435;
constexpr int shell_execute_failed = 1449;
constexpr int reg_query_item_failed = 1450;
constexpr int reg_bad_key_name = 1452;
constexpr int reg_query_bin_failed = 1454;
constexpr int reg_store_failed = 1455;
constexpr int reg_query_dword_failed = 1456;
constexpr int reg_set_bin_failed = 1457;
constexpr int reg_set_dword_failed = 1459;
constexpr int reg_wrong_type = 1460;
constexpr int disk_info_bad_drive = 1468;
constexpr int disk_info_bad_request = 1469;
constexpr int reg_query_expsz_failed = 1483;
constexpr int reg_query_mulsz_failed = 1484;
constexpr int reg_bad_delimiter = 1487;
constexpr int reg_query_ex_failed = 1492;
constexpr int reg_set_ex_failed = 1493;
constexpr int reg_entry_type_failed = 1494;
constexpr int file_ver_info_failed = 1496;
constexpr int reg_connect_failed = 1502;
constexpr int disk_vol_info_bad_drive = 1519;
constexpr int disk_vol_info_bad_request = 1520;
constexpr int reg_load_hive_failed = 1523;
constexpr int reg_unload_hive_failed = 1528;
constexpr int reg_exist_value_failed = 1534;
constexpr int clip_get_ex_bad_format = 1535;
constexpr int clip_get_ex_unavailable = 1536;
constexpr int reg_delete_key_failed = 1566;
constexpr int win_version_bad_request = 1567;
constexpr int file_time_ex_not_found = 1568;
constexpr int file_time_ex_bad_type = 1569;
constexpr int dir_size_not_found = 1573;
constexpr int file_delete_no_match = 1590;
constexpr int file_read_line_too_long = 1591;
constexpr int ini_itemize_pvt_failed = 1598;
constexpr int exec_no_memory = 1900;
constexpr int exec_not_found = 1902;
constexpr int exec_path_not_found = 1903;
constexpr int exec_access_denied = 1905;
constexpr int exec_bad_format = 1911;
constexpr int exec_undefined = 1932;
constexpr int exec_no_application = 1933;
constexpr int file_size_not_found = 2112;
constexpr int copy_move_several_to_one = 2118;
constexpr int file_append_same_file = 2122;
constexpr int dir_rename_failed = 2203;
constexpr int dir_rename_target_exists = 2204;
constexpr int dll_load_failed = 2392;
constexpr int logdisk_empty = 3026;
constexpr int file_open_bad_mode = 3076;
constexpr int file_open_too_many = 3078;
constexpr int file_close_bad_handle = 3079;
constexpr int file_close_not_open = 3080;
constexpr int file_read_bad_handle = 3081;
constexpr int file_read_not_open = 3082;
constexpr int file_write_bad_handle = 3084;
constexpr int file_write_not_open = 3085;
constexpr int file_read_not_readable = 3087;
constexpr int file_read_past_end = 3088;
constexpr int file_write_not_writable = 3089;
constexpr int run_no_program = 3107;
constexpr int file_itemize_bad_mask = 3108;
constexpr int file_size_no_name = 3113;
constexpr int file_delete_no_name = 3115;
constexpr int file_rename_no_name = 3116;
constexpr int copy_move_no_name = 3117;
constexpr int ole_terminate_failed = 3130;
constexpr int dde_initiate_failed = 3136;
constexpr int play_media_no_player = 3196;
constexpr int run_exit_failed = 3234;
constexpr int eval_disk_bad_drive = 3320;
constexpr int file_name_bad = 3322;
constexpr int dll_call_syntax = 3382;
constexpr int disk_exist_bad_drive = 3385;
constexpr int ini_itemize_failed = 3386;
constexpr int shell_print_failed = 3387;
constexpr int dll_free_bad_handle = 3391;
constexpr int file_write_failed = 3467;
constexpr int copy_move_bad_target = 3473;
constexpr int dde_execute_failed = 3145;
constexpr int dde_request_failed = 3151;
constexpr int dde_poke_failed = 3160;
constexpr int wait_for_key_failed = 3123;
constexpr int ignore_input_failed = 1465;
constexpr int shortcut_dir_failed = 1541;

// Ends without a message of its own.
constexpr int previously_reported = 9002;
constexpr int stop_requested = QSL_STOP_REQUESTED;
constexpr int stop_quietly = QSL_STOP_QUIETLY;
constexpr int user_cancel = QSL_USER_CANCEL;

}  // namespace qsl::errors
