#include "scriptlib/library_clock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace qsl {
namespace {

using std::chrono::system_clock;

// Seconds between the system clock and the library's clock, fixed when the
// library is loaded.
int64_t read_offset() {
    const char* now = std::getenv("QSL_NOW");
    DateTime t;
    if (!now || !parse_ymdhms(now, t, check_full, true)) return 0;
    std::tm tm{};
    tm.tm_year = int(t.year - 1900);
    tm.tm_mon = int(t.month - 1);
    tm.tm_mday = int(t.day);
    tm.tm_hour = int(t.hour);
    tm.tm_min = int(t.minute);
    tm.tm_sec = int(t.second);
    tm.tm_isdst = -1;
    std::time_t wanted = std::mktime(&tm);
    if (wanted == std::time_t(-1)) return 0;
    return int64_t(wanted) - int64_t(std::time(nullptr));
}

const int64_t offset_seconds = read_offset();

system_clock::time_point reading() { return system_clock::now() + std::chrono::seconds(offset_seconds); }

}  // namespace

DateTime clock_now() {
    std::time_t t = system_clock::to_time_t(reading());
    std::tm tm{};
    localtime_r(&t, &tm);
    DateTime now;
    now.year = tm.tm_year + 1900;
    now.month = tm.tm_mon + 1;
    now.day = tm.tm_mday;
    now.hour = tm.tm_hour;
    now.minute = tm.tm_min;
    now.second = tm.tm_sec;
    return now;
}

int clock_milliseconds() {
    auto since = reading().time_since_epoch();
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() % 1000);
}

uint64_t clock_ticks() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace qsl
