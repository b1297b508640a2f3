// make_clc_history FOLDER [FIRST_YEAR]: writes the CLC database of the sample
// installation in FOLDER (which holds TABLES.INI and HOLIDAYS.QVT): for every
// commodity of the table, the daily prices of its front contract from
// 2 January 1990 (or the first weekday of FIRST_YEAR, for a smaller database)
// to 4 December 2020, with a roll-over record wherever the contract rule moves
// it to its next contract. The history is the same on every run.

#include "common/calendar.h"
#include "common/clc_file.h"
#include "common/contract_rule.h"
#include "common/platform/environment.h"
#include "common/platform/files.h"
#include "common/holidays.h"
#include "common/platform/program_end.h"
#include "common/tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace qv;

Date first_day{1990, 1, 2};
constexpr Date last_day{2020, 12, 4};  // the sample user's last update

// The grouping of the sample table's group_index.
enum Group { grains, meats, food_fibre, oils, metals, indexes, bonds, currency };

// Deterministic random numbers (splitmix64), one stream per commodity.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    double normal() {
        const double u = std::max(uniform(), 1e-12);
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * uniform());
    }

private:
    std::uint64_t state_;
};

// A typical price level in the commodity's own quoting units.
double typical_price(const Commodity& c) {
    static const std::map<std::string, double> known = {
        {"W_", 400}, {"C_", 300}, {"S_", 800}, {"SM", 250}, {"BO", 30}, {"O_", 200}, {"RR", 10},
        {"KW", 450}, {"MW", 450}, {"CB", 450}, {"ZW", 400}, {"ZS", 800}, {"ZM", 250}, {"ZC", 300},
        {"LC", 90}, {"LH", 70}, {"FC", 120}, {"PB", 60}, {"ZT", 90}, {"ZZ", 70}, {"ZF", 120},
        {"CC", 2000}, {"KC", 120}, {"SB", 12}, {"CT", 65}, {"OJ", 120}, {"LB", 350}, {"DA", 15},
        {"CL", 40}, {"HO", 1.2}, {"HU", 1.2}, {"RB", 1.5}, {"NG", 3}, {"BN", 45}, {"PN", 0.5},
        {"GC", 600}, {"SI", 10}, {"HG", 1.5}, {"PL", 700}, {"PA", 400}, {"AL", 1800},
        {"SP", 1500}, {"ES", 1500}, {"ND", 3000}, {"NQ", 3000}, {"DJ", 15000}, {"YM", 15000},
        {"YX", 700}, {"VL", 400}, {"MV", 800}, {"ER", 800}, {"NK", 15000}, {"DX", 90}, {"GI", 400},
        {"CR", 250}, {"US", 110}, {"TY", 110}, {"FV", 110}, {"TU", 105}, {"ZN", 110}, {"MB", 100},
        {"ED", 95}, {"FF", 97}, {"TB", 95}, {"BP", 1.5}, {"CD", 0.8}, {"JY", 0.9}, {"SF", 0.8},
        {"DM", 0.6}, {"AD", 0.75}, {"EC", 1.2}, {"MP", 0.08}, {"NE", 0.65}, {"RA", 0.15},
        {"RU", 0.03}, {"BR", 0.3},
    };
    if (const auto it = known.find(c.tag); it != known.end()) return it->second;
    // An unknown commodity sits well inside its price width.
    const double stored = c.bytes == 2 ? 20000 : c.bytes == 3 ? 200000 : 2000000;
    return stored / std::pow(10.0, std::max<int>(c.precision, 0));
}

double daily_volatility(int group) {
    switch (group) {
    case bonds: return 0.004;
    case currency: return 0.006;
    case indexes: return 0.011;
    default: return 0.016;
    }
}

// Price change per month further out on the curve.
double monthly_carry(int group) {
    switch (group) {
    case grains: return 0.006;
    case oils: return 0.004;
    case metals: return 0.003;
    case indexes: return 0.002;
    case bonds: return -0.002;
    case currency: return 0.001;
    default: return -0.002;
    }
}

std::int64_t width_limit(int bytes) { return bytes == 2 ? 0xFFFF : bytes == 3 ? tri_max : 0x7FFFFFFF; }

class History {
public:
    explicit History(const Commodity& c)
        : c_(c),
          random_(0x51C0FFEEULL ^ (static_cast<std::uint64_t>(c.tag[0]) << 8 | static_cast<std::uint8_t>(c.tag[1]))),
          typical_(typical_price(c)),
          scale_(std::pow(10.0, std::max<int>(c.precision, 0))),
          volatility_(daily_volatility(c.group_index)),
          carry_(monthly_carry(c.group_index)),
          log_level_(std::log(typical_)),
          open_interest_(20000 + 300000 * random_.uniform()) {}

    void write(const std::vector<DayNumber>& days, ClcWriter& out) {
        bool first = true;
        Contract held;
        double previous_spot = spot();
        for (const DayNumber day : days) {
            step();
            const Contract contract = contract_in_force(day, c_);
            if (!first && contract != held) {
                // The roll-over record: the contract left and the contract
                // entered, both at today's close.
                const std::int32_t left = stored(spot() * curve(held, day));
                const std::int32_t entered = stored(spot() * curve(contract, day));
                out.write(ClcRecord{0, left, std::max(left, entered), std::min(left, entered), entered, 0, 0, 0});
            }
            out.write(day_record(day, contract, previous_spot));
            held = contract;
            first = false;
            previous_spot = spot();
        }
    }

private:
    double spot() const { return std::exp(log_level_); }

    // A random walk that is drawn back towards the typical price, so that three
    // decades stay within sensible bounds (and within the price width).
    void step() {
        const double pull = 0.002 * (log_level_ - std::log(typical_));
        log_level_ += volatility_ * random_.normal() - pull;
        log_level_ = std::clamp(log_level_, std::log(typical_ * 0.4), std::log(typical_ * 2.5));
        open_interest_ *= 1.0 + 0.02 * random_.normal();
        open_interest_ = std::clamp(open_interest_, 5000.0, 900000.0);
    }

    double curve(const Contract& contract, DayNumber day) const {
        const Date date = lotus_to_date(day);
        const int months_out = (contract.year * 12 + contract.month) - (date.year * 12 + date.month);
        return 1.0 + carry_ * months_out;
    }

    std::int32_t stored(double price) const {
        const auto value = static_cast<std::int64_t>(std::llround(price * scale_));
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 1, width_limit(c_.bytes)));
    }

    ClcRecord day_record(DayNumber day, const Contract& contract, double previous_spot) {
        const double factor = curve(contract, day);
        const double close = spot() * factor;
        const double open = previous_spot * factor * (1.0 + 0.3 * volatility_ * random_.normal());
        const double high = std::max(open, close) * (1.0 + 0.5 * volatility_ * std::fabs(random_.normal()));
        const double low = std::min(open, close) * (1.0 - 0.5 * volatility_ * std::fabs(random_.normal()));
        const auto oi = static_cast<std::uint32_t>(open_interest_);
        const auto volume = static_cast<std::uint32_t>(open_interest_ * (0.1 + 0.4 * random_.uniform()));
        const auto total = static_cast<std::uint32_t>(
            std::min<double>(open_interest_ * (1.2 + 0.6 * random_.uniform()), tri_max));
        return ClcRecord{day, stored(open), stored(high), stored(low), stored(close), oi, volume, total};
    }

    const Commodity& c_;
    Random random_;
    double typical_;
    double scale_;
    double volatility_;
    double carry_;
    double log_level_;
    double open_interest_;
};

std::vector<DayNumber> trading_days(const HolidayTable& holidays) {
    std::vector<DayNumber> days;
    for (DayNumber day = date_to_lotus(first_day); day <= date_to_lotus(last_day); ++day) {
        const int w = weekday(day);
        if (w != saturday && w != sunday && !holidays.contains(day)) days.push_back(day);
    }
    return days;
}

int make_history() {
    TableRules table_rules;
    table_rules.reads_group_index = true;
    const CommodityTable table = load_tables(table_rules);
    HolidayRules holiday_rules;
    holiday_rules.in_install_folder = true;
    const std::vector<DayNumber> days = trading_days(load_holidays(holiday_rules));

    if (!create_folders("\\QUORVANT\\CLC")) {
        std::fprintf(stderr, "make_clc_history: cannot create the CLC folder\n");
        return 1;
    }
    for (const Commodity& commodity : table) {
        ClcWriter out;
        const std::string path = clc_file_name(commodity.tag);
        if (!out.create(path, make_clc_header(commodity.tag, commodity.precision, commodity.bytes))) {
            std::fprintf(stderr, "make_clc_history: cannot create %s\n", path.c_str());
            return 1;
        }
        History(commodity).write(days, out);
        if (!out.finish()) {
            std::fprintf(stderr, "make_clc_history: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_clc_history FOLDER [FIRST_YEAR]\n");
        return 2;
    }
    qv::set_env("QUORVANT_ROOT", argv[1]);
    if (argc == 3) {
        const int year = std::atoi(argv[2]);
        if (year < 1990 || year > 2020) {
            std::fprintf(stderr, "make_clc_history: FIRST_YEAR must lie from 1990 to 2020\n");
            return 2;
        }
        first_day = {year, 1, 2};
    }
    try {
        return make_history();
    } catch (const qv::ProgramEnd&) {
        std::fprintf(stderr, "make_clc_history: the support files of %s cannot be read\n", argv[1]);
        return 1;
    }
}
