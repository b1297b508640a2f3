#include "updater/merge_screen.h"

#include "common/platform/console.h"
#include "updater/updater.h"

namespace qv {

void show_merge_tag(std::string_view tag) {
    console().draw({{59, 14, "    "}, {59, 14, tag}});
    console().flush();
}

void check_merge_key() {
    Console& screen = console();
    if (!screen.key_waiting()) return;
    screen.read_key();
    updater_message("  DO YOU WANT TO STOP THE UPDATE PROCESS? (Y or N):");
}

}  // namespace qv
