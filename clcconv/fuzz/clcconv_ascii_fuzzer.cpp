// Edited ASCII files of any content, line by line, through the converter's
// line reader: the input's first byte is the commodity's precision (-8 to 7),
// the rest the lines. A line read gives a date that is its day's; when its
// values fit a CLC record of 4-byte prices, the record's own line reads back
// as the same values.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "clcconv/clcconv.h"

namespace {

bool fits_record(const qv::clcconv::AsciiRecord& ascii) {
    for (std::int64_t price : ascii.prices)
        if (!qv::fits_price_width(price, 4)) return false;
    for (std::int64_t count : ascii.counts)
        if (!qv::fits_in_tri(count)) return false;
    return true;
}

bool same_values(const qv::clcconv::AsciiRecord& a, const qv::clcconv::AsciiRecord& b) {
    for (int i = 0; i < 4; ++i)
        if (a.prices[i] != b.prices[i]) return false;
    for (int i = 0; i < 3; ++i)
        if (a.counts[i] != b.counts[i]) return false;
    return a.day == b.day;
}

void check_line(std::string_view line, int precision) {
    const auto ascii = qv::clcconv::read_ascii_line(line, precision);
    if (!ascii) return;
    if (ascii->day != 0 && qv::lotus_to_date(ascii->day) != ascii->date) std::abort();
    if (precision < 0 || !fits_record(*ascii)) return;

    const qv::ClcRecord record = qv::clcconv::clc_record(*ascii);
    std::string written;
    qv::clcconv::get_clc_record_line(record, precision, written);
    if (written.empty() || written.back() != '\n') std::abort();
    written.pop_back();
    const auto again = qv::clcconv::read_ascii_line(written, precision);
    if (!again || !same_values(*ascii, *again)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int precision = static_cast<int>(data[0] & 15) - 8;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        check_line(text.substr(0, end), precision);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return 0;
}
