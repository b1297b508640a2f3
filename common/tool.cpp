#include "common/tool.h"

namespace qv {

namespace {
constexpr HolidayRules stop_at(std::size_t bound) { return {bound, HolidayOverflow::stop, false, false}; }
}  // namespace

const ToolProfile updater_profile{
    "QUORUP", {7, 69, 150, false, false, false}, stop_at(1600), MessageStyle::message_file,
    "QUORUP PROGRAM, VERSION 5.5", true, &updater_about};
const ToolProfile builder_profile{
    "DFORGE", {7, 1, 150, false, false, false}, {2000, HolidayOverflow::warning_screen, true, false},
    MessageStyle::warning_screen, "DFORGE PROGRAM, VERSION 10.0", true, &builder_about};
const ToolProfile distributor_profile{
    "DFANOUT", {0, 50, 150, true, true, true}, {1500, HolidayOverflow::warn, false, true},
    MessageStyle::continue_screen, "DFANOUT PROGRAM, VERSION 3.0", true, &distributor_about};
const ToolProfile request_profile{
    "PREQUOR", {7, 1, 150, false, false, false}, stop_at(2000), MessageStyle::error_file,
    {}, false, &request_about};
const ToolProfile favorites_profile{
    "MKPICKS", {8, 50, 100, true, false, false}, stop_at(2000), MessageStyle::framed_and_key,
    "MKPICKS PROGRAM", false, &favorites_about};
const ToolProfile postdownload_profile{
    "POSTQUOR", {7, 1, 150, false, false, false}, stop_at(2000), MessageStyle::notice,
    "POSTQUOR PROGRAM", false, &postdownload_about};
const ToolProfile roll_profile{
    "roll", {7, 70, 100, false, false, false}, stop_at(2000), MessageStyle::trouble,
    "ROLL PROGRAM, VERSION 2.9", true, &roll_about};
const ToolProfile clcconv_profile{
    "clcconv", {7, 50, 100, false, false, false}, stop_at(2000), MessageStyle::direct,
    {}, false, &clcconv_about};

}  // namespace qv
