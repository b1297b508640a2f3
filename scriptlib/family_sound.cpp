// Sounds. The plain beep rings the terminal bell (the sound interface's
// default); wave and MIDI files are played by the system's players (aplay or
// paplay, aplaymidi or timidity) when one is installed; media control
// strings have no player on Linux.
#include <filesystem>

#include "common/platform/environment.h"
#include "common/platform/process.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> installed(std::initializer_list<const char*> names) {
    std::string path = qv::get_env_or("PATH", "/usr/bin:/bin");
    for (const char* name : names) {
        for (size_t start = 0; start <= path.size();) {
            size_t colon = path.find(':', start);
            fs::path candidate = fs::path(path.substr(start, colon == std::string::npos ? std::string::npos : colon - start)) / name;
            std::error_code error;
            if (fs::is_regular_file(candidate, error)) return candidate;
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    return std::nullopt;
}

// Plays a file with the first player found; flag 1 waits for the end.
void play_file(Call& call, std::initializer_list<const char*> players) {
    if (!call.c.in->sounds || call.c.in->silent) return call.out.set_int(1);
    fs::path file = script_path(call.view(0));
    std::error_code error;
    if (!fs::is_regular_file(file, error)) fail_because(call.c, errors::play_sounds_failed, call.text(0) + ": not found");
    auto player = installed(players);
    if (!player || !programs_allowed())
        fail_because(call.c, errors::play_sounds_failed, player ? "this host does not let scripts start programs"
                                                                : "no sound player is installed");
    int start_error = 0;
    if (qv::start_program(*player, {file.string()}, {}, call.integer(1) != 0, start_error) < 0)
        fail_because(call.c, errors::play_sounds_failed, player->string());
    call.out.set_int(1);
}

void play_waveform(Call& call) { play_file(call, {"paplay", "aplay"}); }
void play_midi(Call& call) { play_file(call, {"aplaymidi", "timidity"}); }

void play_media(Call& call) {
    fail_because(call.c, errors::play_media_no_player, "media control strings have no player on Linux");
}

// Sounds(flag): sounds on or off; returns the previous setting.
void sounds(Call& call) {
    int32_t previous = call.c.in->sounds;
    call.c.in->sounds = call.integer(0) != 0;
    call.out.set_int(previous);
}

const Builtin functions[] = {
    {"playmedia", play_media},
    {"playmidi", play_midi},
    {"playwaveform", play_waveform},
    {"sounds", sounds},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
