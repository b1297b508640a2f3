#include "builder/driver.h"

#include <chrono>
#include <optional>
#include <string>

#include "builder/broadcast_list.h"
#include "builder/build_file.h"
#include "builder/build_output.h"
#include "builder/headings.h"
#include "builder/start_up.h"
#include "builder/validation.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/run_status.h"
#include "common/start_up.h"
#include "common/platform/text.h"

namespace qv::builder {

namespace {

// The build pass: option lines between blocks are applied as they come; each
// block (output line, option lines, input lines, up to a blank line or the
// end of the file) is built as soon as it is read. False when a build ended
// the run.
//
// The sets of the updater's roll list come from several build files, each set
// with the option lines it was built with: there every block starts from the
// build map's settings and the option lines that stand between blocks, so
// that no set takes the options of the set before it.
bool build_pass(BuildRun& run, std::FILE* file, bool roll_list) {
    std::string line;
    std::optional<Block> block;
    std::optional<BuildSettings> between_blocks;
    if (roll_list) between_blocks = run.settings;
    const auto build_block = [&]() {
        const BuildOutcome outcome = build_output_file(run, *block);
        if (outcome == BuildOutcome::skipped) note_failed_run();
        block.reset();
        return outcome != BuildOutcome::run_ends;
    };
    while (read_build_line(file, line)) {
        switch (classify_line(line)) {
            case LineKind::comment: break;
            case LineKind::blank:
                if (block && !build_block()) return false;
                break;
            case LineKind::option:
                apply_option_line(run.settings, line);
                if (!block && between_blocks) apply_option_line(*between_blocks, line);
                break;
            case LineKind::other:
                if (block) {
                    block->input_lines.push_back(line);
                } else {
                    if (between_blocks) run.settings = *between_blocks;
                    block = Block{line, {}};
                }
                break;
        }
    }
    if (block) return build_block();
    return true;
}

}  // namespace

void run_builder(const std::vector<std::string_view>& arguments) {
    BuildRun run;
    {
        StartUp loaded = start_up(arguments.size() == 1 ? arguments.front() : std::string_view());
        run.commodities = std::move(loaded.commodities);
        run.holidays = std::move(loaded.holidays);
    }
    const std::string name = build_file_argument(arguments);
    run.meta13 = meta13_present();
    run.settings = load_last_settings();

    const FilePtr file = open_build_file(name);
    if (!file) return;
    const bool roll_list = is_roll_list(name);
    if (validate_build_file(file.get(), name) != Validation::sound) {
        note_failed_run();
        // A roll list that cannot be built would hold up every later one.
        if (roll_list) remove_build_file(name);
        return;
    }
    std::rewind(file.get());

    const bool ran_to_the_end = build_pass(run, file.get(), roll_list);
    // The updater's roll list goes once every set of it has been built (or
    // reported as not built); a run stopped before that leaves it for the
    // next update, which builds its sets again with its own.
    if (roll_list && ran_to_the_end) remove_build_file(name);
    record_in_broadcast_list(name);
    show_farewell(std::chrono::milliseconds(500));
}

}  // namespace qv::builder
