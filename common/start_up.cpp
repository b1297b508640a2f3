#include "common/start_up.h"

#include <exception>
#include <string>
#include <thread>

#include "common/messages.h"
#include "common/platform/program_end.h"
#include "common/platform/run_status.h"

namespace qv {

void show_start_screen(std::string_view banner) {
    Console& screen = console();
    screen.hide_cursor();
    screen.high_intensity();
    screen.background(9);
    screen.clear_screen();
    screen.draw({{24, 2, maker_line}, {16, 3, banner}});
}

StartUp start_up(const ToolProfile& tool, std::span<const ScreenText> screen) {
    if (!tool.banner.empty()) show_start_screen(tool.banner);
    console().draw(screen);
    StartUp loaded;
    loaded.commodities = load_tables(tool.tables);
    if (!tool.loads_holidays) return loaded;
    if (tool.holidays.warnings_only) {
        loaded.holidays = load_holidays(tool.holidays, [&tool](std::string_view text) { message(tool, text); });
    } else {
        loaded.holidays = load_holidays(tool.holidays);
    }
    return loaded;
}

void show_farewell(std::chrono::milliseconds pause) {
    Console& screen = console();
    screen.high_intensity();
    screen.background(9);
    screen.clear_screen();
    screen.write(std::string(12, '\n') + std::string(20, ' ') + "H A V E  A  P R O F I T A B L E  D A Y !");
    screen.flush();
    if (pause.count() > 0 && screen.is_terminal()) std::this_thread::sleep_for(pause);
}

int run_program(const std::function<void()>& flow) {
    int exit_code = 0;
    try {
        flow();
    } catch (const ProgramEnd& end) {
        exit_code = end.exit_code;
    } catch (const std::exception& failure) {
        note_failed_run();
        console().write("\n\nERROR - " + std::string(failure.what()) + "\n");
    }
    console().flush();
    return exit_code != 0 ? exit_code : run_exit_code();
}

int run_program(const ProgramAbout& about, int argc, char** argv, const ProgramFlow& flow) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (answer_front_door(about, arguments)) return 0;
    take_over_failure();
    return run_program([&] { flow(arguments); });
}

int run_program(const ToolProfile& tool, int argc, char** argv, const ProgramFlow& flow) {
    return run_program(*tool.about, argc, argv, flow);
}

}  // namespace qv
