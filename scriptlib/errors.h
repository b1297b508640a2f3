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
constexpr int timediff_bad_value = 1017;
constexpr int timediff_out_of_range = 1018;
constexpr int timeadd_bad_value = 1020;
constexpr int delay_not_computable = 1021;
constexpr int timewait_bad_format = 1022;
constexpr int window_not_found = 1039;
constexpr int binary_alloc_failed = 1126;
constexpr int extender_minor = 1213;
constexpr int binary_read_failed = 1330;
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
constexpr int bad_julian_date = 1461;
constexpr int cannot_subtract_times = 1462;
constexpr int timesubtract_bad_value = 1463;
constexpr int bad_intcontrol_value = 1464;
constexpr int bad_share_mode = 1471;
constexpr int binary_bad_record_size = 1474;
constexpr int binary_bad_key_offset = 1475;
constexpr int binary_bad_key_size = 1476;
constexpr int binary_key_beyond_record = 1477;
constexpr int binary_buffer_below_record = 1478;
constexpr int binary_hash_no_memory = 1479;
constexpr int binary_hash_no_key = 1480;
constexpr int binary_hash_key_too_long = 1481;
constexpr int binary_hash_full = 1482;
constexpr int binary_bad_ole_type = 1514;
constexpr int binary_offset_beyond_end = 1543;
constexpr int binary_count_beyond_end = 1544;
constexpr int binary_file_open_failed = 1545;
constexpr int binary_file_write_failed = 1546;
constexpr int binary_file_offset = 1547;
constexpr int binary_invalid_offset = 1548;
constexpr int binary_invalid_count = 1549;
constexpr int binary_offset_beyond_eod = 1550;
constexpr int binary_count_beyond_eod = 1551;
constexpr int binary_writeex_failed = 1552;
constexpr int binary_convert_bad_source = 1553;
constexpr int binary_convert_bad_target = 1554;
constexpr int binary_convert_bad_flags = 1555;
constexpr int binary_convert_failed = 1556;
constexpr int binary_convert_too_large = 1557;
constexpr int binary_clip_bad_format = 1559;
constexpr int binary_clip_too_large = 1560;
constexpr int binary_clip_failed = 1561;
constexpr int strfix_no_padding = 1571;
constexpr int binary_tag_empty = 1580;
constexpr int binary_tag_invalid = 1581;
constexpr int binary_tag_no_room = 1582;
constexpr int memory_not_available = 1588;
constexpr int binary_compress_failed = 1592;
constexpr int binary_uncompress_failed = 1593;

// Moderate errors.
constexpr int extender_moderate = 2214;
constexpr int binary_peekstr_beyond_end = 2331;
constexpr int binary_pokestr_beyond_end = 2332;

// Fatal errors.
constexpr int invalid_binary_handle = 3023;
constexpr int too_many_binary_handles = 3024;
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
constexpr int internal_error = 3098;
constexpr int substituted_line_too_long = 3101;
constexpr int drop_not_variable = 3102;
constexpr int isdefined_not_variable = 3103;
constexpr int binary_eod_beyond_end = 3127;
constexpr int bad_intcontrol = 3171;
constexpr int extender_no_memory = 3210;
constexpr int call_too_deep = 3211;
constexpr int extender_severe = 3215;
constexpr int binary_offset_beyond_buffer = 3325;
constexpr int binary_poke_out_of_range = 3326;
constexpr int binary_copy_beyond_source = 3327;
constexpr int binary_copy_beyond_target = 3328;
constexpr int binary_index_beyond_eod = 3333;
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

// Ends without a message of its own.
constexpr int previously_reported = 9002;
constexpr int stop_requested = QSL_STOP_REQUESTED;
constexpr int stop_quietly = QSL_STOP_QUIETLY;
constexpr int user_cancel = QSL_USER_CANCEL;

}  // namespace qsl::errors
