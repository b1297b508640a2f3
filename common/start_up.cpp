#include "common/start_up.h"

#include <exception>
#include <string>
#include <thread>

#include "common/platform/console.h"
#include "common/platform/program_end.h"

namespace qv {

void show_start_screen(std::string_view banner) {
    Console& screen = console();
    screen.hide_cursor();
    screen.high_intensity();
    screen.background(9);
    screen.clear_screen();
    screen.go_to(24, 2);
    screen.write(maker_line);
    screen.go_to(16, 3);
    screen.write(banner);
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
    try {
        flow();
    } catch (const ProgramEnd& end) {
        console().flush();
        return end.exit_code;
    } catch (const std::exception& failure) {
        console().write("\n\nERROR - " + std::string(failure.what()) + "\n");
    }
    console().flush();
    return 0;
}

}  // namespace qv
