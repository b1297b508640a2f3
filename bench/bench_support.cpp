#include "bench/bench_support.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/calendar.h"
#include "common/clc_file.h"

namespace qv::bench {

double best_seconds(int rounds, const std::function<void()>& job) { return best_seconds(rounds, [] {}, job); }

double best_seconds(int rounds, const std::function<void()>& before, const std::function<void()>& job) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        before();
        const auto start = std::chrono::steady_clock::now();
        job();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::optional<std::filesystem::path> make_bench_folder(std::string_view benchmark) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(benchmark) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "%.*s: cannot create a temporary folder\n", static_cast<int>(benchmark.size()),
                     benchmark.data());
        return std::nullopt;
    }
    return std::filesystem::path(pattern);
}

std::string file_contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_clc_history(const Commodity& row) {
    ClcWriter writer;
    if (!writer.create(clc_file_name(row.tag), make_clc_header(row.tag, row.precision, row.bytes)))
        throw std::runtime_error("cannot write " + clc_file_name(row.tag));
    std::int32_t price = 20000;
    int count = 0;
    for (DayNumber d = date_to_lotus(1980, 12, 5); d <= date_to_lotus(2020, 12, 4); ++d) {
        if (weekday(d) == saturday || weekday(d) == sunday) continue;
        price = std::clamp<std::int32_t>(price + static_cast<std::int32_t>((d * 7919u) % 41) - 20, 1000, 60000);
        if (++count % 63 == 0) writer.write(ClcRecord{0, price, price, price, price + 40, 0, 0, 0});
        writer.write(ClcRecord{d, price - 5, price + 20, price - 25, price, 5000u + count % 300,
                               20000u + count % 1000, 60000u + count % 500});
    }
    if (!writer.finish()) throw std::runtime_error("cannot write " + clc_file_name(row.tag));
}

}  // namespace qv::bench
