#include "builder/start_up.h"

#include <string>
#include <vector>

#include "builder/build_file.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

// The working screen under the start screen's banner; its fields are filled as
// each output is built.
constexpr ScreenText working_screen[] = {
    {32, 8, "---WORKING ON---"},
    {17, 11, "File Being Built:"},
    {17, 14, "Location Of File:"},
    {17, 17, "Format of Data:          "},
    {17, 20, "Year Processed:              "},
};

constexpr ScreenText relinking_note{1, 25, "NOTE:    has rolled over and is being relinked"};

}  // namespace

StartUp start_up(std::string_view build_file) {
    std::vector<ScreenText> screen(std::begin(working_screen), std::end(working_screen));
    if (is_roll_list(build_file)) screen.push_back(relinking_note);
    return qv::start_up(builder_profile, screen);
}

}  // namespace qv::builder
