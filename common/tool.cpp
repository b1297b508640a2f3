#include "common/tool.h"

namespace qv {

namespace {
constexpr HolidayRules stop_at(std::size_t bound) { return {bound, HolidayOverflow::stop, false, false}; }
}  // namespace

const ToolProfile updater_profile{
    "QUORUP", {7, 69, 150, false, false, false}, stop_at(1600), MessageStyle::message_file};
const ToolProfile builder_profile{
    "DFORGE", {7, 1, 150, false, false, false}, {2000, HolidayOverflow::warning_screen, true, false},
    MessageStyle::warning_screen};
const ToolProfile distributor_profile{
    "DFANOUT", {0, 50, 150, true, true, true}, {1500, HolidayOverflow::warn, false, true},
    MessageStyle::continue_screen};
const ToolProfile request_profile{
    "PREQUOR", {7, 1, 150, false, false, false}, stop_at(2000), MessageStyle::error_file};
const ToolProfile favorites_profile{
    "MKPICKS", {8, 50, 100, true, false, false}, stop_at(2000), MessageStyle::framed_and_key};
const ToolProfile postdownload_profile{
    "POSTQUOR", {7, 1, 150, false, false, false}, stop_at(2000), MessageStyle::notice};
const ToolProfile roll_profile{
    "roll", {7, 70, 100, false, false, false}, stop_at(2000), MessageStyle::trouble};
const ToolProfile clcconv_profile{
    "clcconv", {7, 50, 100, false, false, false}, stop_at(2000), MessageStyle::direct};

}  // namespace qv
