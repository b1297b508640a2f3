#include "builder/clc_series.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/clc_file.h"
#include "common/clc_price.h"
#include "common/contract_rule.h"
#include "common/messages.h"
#include "common/platform/text.h"

namespace qv::builder {

namespace {

// The lowest low of a gap pass starts here, so that only a low below zero
// makes the series shift.
constexpr double lowest_low_start = 1000.0;
// What stands for a zero divisor: the operand of "/", the field of "^".
constexpr double zero_operand = 0.000001;
constexpr double zero_field = 0.00001;

// The vendor sends the prices of these commodities without their final 5 (a
// quarter tick): 65.12 stands for 65.125 and 65.17 for 65.175.
bool is_quarter_tick(std::string_view tag) {
    static constexpr std::array<std::string_view, 7> tags = {"LC", "LH", "ZF", "ZT", "ZZ", "FC", "PB"};
    return std::find(tags.begin(), tags.end(), tag.substr(0, 2)) != tags.end();
}

// The price with its quarter tick restored: printed with `decimals` places, a
// last digit of 2 or 7 gets a 5 appended, and the text is read back.
double restore_quarter_tick(double price, int decimals) {
    std::string text;
    append_fixed(text, price, decimals);
    const char last = text.back();
    if (last != '2' && last != '7') return price;
    text += '5';
    return std::strtod(text.c_str(), nullptr);
}

// A value as "%ld" prints it after the fraction is cut off; held at the
// limits of a long rather than overflowing.
long whole_number(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(LONG_MAX)) return LONG_MAX;
    if (value <= static_cast<double>(LONG_MIN)) return LONG_MIN;
    return static_cast<long>(value);
}

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// One record with its prices as prices.
struct PriceRecord {
    DayNumber day = no_date;
    std::array<double, 4> prices{};  // open, high, low, close
    std::array<std::uint32_t, 3> counts{};  // open interest, total volume, total open interest

    bool is_roll_over() const { return day == no_date; }
    double open() const { return prices[0]; }
    double low() const { return prices[2]; }
    double close() const { return prices[3]; }
    // A roll-over record's step from the contract left to the contract entered.
    double gap() const { return close() - open(); }
};

// A CLC file read as price records of one commodity.
class PriceReader {
public:
    explicit PriceReader(const Commodity& commodity)
        : precision_(commodity.precision), quarter_tick_(is_quarter_tick(commodity.tag)) {}

    ClcReader::Status open(const std::string& path) { return file_.open(path); }
    bool rewind() { return file_.rewind(); }

    bool read(PriceRecord& record) {
        ClcRecord stored;
        if (!file_.read(stored)) return false;
        record.day = stored.day;
        const std::array<std::int32_t, 4> raw = {stored.open, stored.high, stored.low, stored.close};
        for (std::size_t i = 0; i < raw.size(); ++i) {
            double price = stored_to_price(raw[i], precision_);
            if (quarter_tick_) price = restore_quarter_tick(price, 2);
            else if (precision_ == 7) price = restore_quarter_tick(price, 6);
            record.prices[i] = price;
        }
        record.counts = {stored.open_interest, stored.total_volume, stored.total_open_interest};
        return true;
    }

private:
    ClcReader file_;
    int precision_;
    bool quarter_tick_;
};

// The linking methods of CLCLINKINGMETHOD, by their option characters.
enum class Linking { none = '1', forward = '2', back = '3', ratio = '4' };

bool shifts_prices(const BuildSettings& settings) {
    return settings.clc_neg_price_handling == '5' && settings.clc_linking_method > '1';
}

// An input line for a message: its series and field terms, as read.
std::string input_text(const InputLine& input) {
    std::string text = input.series;
    char separator = ' ';
    for (const FieldTerm& term : input.terms) {
        text += separator;
        text += format("%d", term.field);
        if (term.op != '\0') {
            text += term.op;
            text += term.operand;
        }
        separator = ',';
    }
    return text;
}

const Commodity* commodity_of(const InputLine& input, const CommodityTable& commodities) {
    const std::optional<std::string> tag = clc_tag(input.series);
    return tag ? commodities.find_no_case(*tag) : nullptr;
}

// A CLC series whose tag names no row of the commodity table has no precision
// and no contract rule to be read by: it is refused with a message rather than
// read with another commodity's rules.
void show_unknown_commodity(const InputLine& input) {
    const std::optional<std::string> tag = clc_tag(input.series);
    message(builder_profile, format("COMMODITY %s NOT FOUND IN TABLES.INI@INPUT FILE: %s",
                                    tag ? tag->c_str() : "??", input_text(input).c_str()));
}

// The day of the last dated record, read from the end of the file: a file
// ends with a dated record, but a roll-over written last is stepped over. 0
// when there is none.
DayNumber last_dated_day(ClcReader& reader) {
    ClcRecord record;
    for (std::size_t index = reader.record_count(); index-- > 0;) {
        if (!reader.seek(index) || !reader.read(record)) break;
        if (!record.is_roll_over()) return record.day;
    }
    return no_date;
}

class ClcSeries final : public InputSeries {
public:
    ClcSeries(const InputLine& input, const Commodity& commodity, const BuildContext& context)
        : terms_(input.terms),
          commodity_(commodity),
          reader_(commodity),
          linking_(static_cast<Linking>(context.settings.clc_linking_method)),
          handling_(context.settings.clc_neg_price_handling),
          separator_(context.settings.column_separator()),
          leave_out_empty_days_(context.single_input && upper(context.settings.include_holidays) == 'N'),
          empty_day_value_(upper(context.settings.value_of_included_holiday)),
          first_day_(context.first_day),
          last_day_(context.last_day) {}

    OpenResult open(const std::string& path) {
        switch (reader_.open(path)) {
        case ClcReader::Status::ok: break;
        case ClcReader::Status::cannot_open: return OpenResult::cannot_open;
        case ClcReader::Status::short_header:
        case ClcReader::Status::bad_width: return OpenResult::corrupted;
        }
        set_up();
        return OpenResult::ok;
    }

    FieldsResult append_fields(std::string& line, DayNumber day) override;

private:
    void set_up();
    void gap_pass(double extra);
    void ratio_pass();
    // Reads the next record into current_; false at the end of the file.
    bool advance();
    double ratio_factor() const;
    void append_constant(std::string& text, const char* value) const;
    // The value of a term for the record of `day`; false when handling 4 drops the day.
    bool append_value(std::string& text, const FieldTerm& term, DayNumber day) const;

    std::vector<FieldTerm> terms_;
    Commodity commodity_;
    PriceReader reader_;
    Linking linking_;
    char handling_;
    char separator_;
    bool leave_out_empty_days_;
    char empty_day_value_;
    DayNumber first_day_;
    DayNumber last_day_;

    double cumulative_gap_ = 0.0;
    double total_gap_ = 0.0;
    double shift_ = 0.0;
    double lowest_low_ = lowest_low_start;
    // One ratio per roll-over record, however many the file holds: 1 + ratio[k]
    // is the product of close/open over roll-over k and every later one, and a
    // record after k roll-overs is multiplied by it.
    std::vector<double> ratio_;
    std::size_t roll_count_ = 0;
    bool started_ = false;
    std::string previous_text_;
    std::string text_;  // the day's text while it is built

    PriceRecord current_;
    bool at_end_ = false;
};

void ClcSeries::set_up() {
    cumulative_gap_ = 0.0;
    total_gap_ = 0.0;
    shift_ = 0.0;
    lowest_low_ = lowest_low_start;
    started_ = false;
    roll_count_ = 0;
    ratio_.clear();

    const bool shift = handling_ == '5';
    switch (linking_) {
    case Linking::ratio: ratio_pass(); break;
    case Linking::forward:
        if (shift) {
            gap_pass(0.0);
            total_gap_ = 0.0;
            if (lowest_low_ < 0.0) shift_ = 1.0 - lowest_low_;
        }
        break;
    case Linking::back:
        gap_pass(0.0);
        if (shift) {
            const double total = total_gap_;
            lowest_low_ = lowest_low_start;
            gap_pass(total);
            if (lowest_low_ < 0.0) shift_ = 2.0 - std::trunc(lowest_low_);
            total_gap_ = total;
        }
        break;
    case Linking::none:
    default: break;
    }

    // To the first dated record. Roll-over records before it count for the
    // ratios, so that every record is multiplied by the ratios of the
    // roll-overs after it only.
    reader_.rewind();
    at_end_ = false;
    while (advance() && current_.is_roll_over()) ++roll_count_;
}

// Sums the gaps of the roll-over records within the output range and keeps
// the lowest low adjusted by them (plus `extra`). A roll-over counts once a
// dated record of the range follows it, so that one just after the last day
// of the range leaves the range's prices alone.
void ClcSeries::gap_pass(double extra) {
    reader_.rewind();
    double running = 0.0;
    double pending = 0.0;
    bool started = false;
    PriceRecord record;
    while (reader_.read(record)) {
        if (record.is_roll_over()) {
            if (started) pending += record.gap();
            continue;
        }
        if (record.day < first_day_) continue;
        if (record.day > last_day_) break;
        started = true;
        running += pending;
        pending = 0.0;
        lowest_low_ = std::min(lowest_low_, record.low() + extra - running);
    }
    total_gap_ = running;
}

void ClcSeries::ratio_pass() {
    reader_.rewind();
    std::vector<std::pair<double, double>> rolls;  // close, open of each roll-over record
    PriceRecord record;
    while (reader_.read(record)) {
        if (record.is_roll_over()) rolls.emplace_back(record.close(), record.open());
    }
    ratio_.assign(rolls.size(), 0.0);
    double later = 0.0;  // the ratio after the last roll-over
    for (std::size_t k = rolls.size(); k-- > 0;) {
        const auto [close, open] = rolls[k];
        // A roll-over without the price of the contract left gives no ratio:
        // it links nothing rather than making every earlier price infinite.
        if (open != 0.0) later = (close * (1.0 + later) - open) / open;
        ratio_[k] = later;
    }
}

double ClcSeries::ratio_factor() const {
    return 1.0 + (roll_count_ < ratio_.size() ? ratio_[roll_count_] : 0.0);
}

bool ClcSeries::advance() {
    if (at_end_ || !reader_.read(current_)) {
        at_end_ = true;
        return false;
    }
    if (!current_.is_roll_over()) show_year_processed(lotus_to_date(current_.day).year);
    return true;
}

void ClcSeries::append_constant(std::string& text, const char* value) const {
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        text += separator_;
        text += value;
    }
}

bool ClcSeries::append_value(std::string& text, const FieldTerm& term, DayNumber day) const {
    double value = 0.0;
    if (term.field >= 1 && term.field <= 4) value = current_.prices[static_cast<std::size_t>(term.field - 1)];
    else if (term.field >= 5 && term.field <= 7) value = current_.counts[static_cast<std::size_t>(term.field - 5)];
    else if (term.field == 8) value = contract_in_force(day, commodity_).year_month();

    if (term.op != '\0') {
        const double operand = std::strtod(term.operand.c_str(), nullptr);
        switch (term.op) {
        case '*': value *= operand; break;
        case '/': value /= operand == 0.0 ? zero_operand : operand; break;
        case '+': value += operand; break;
        case '-': value -= operand; break;
        case '^': value = operand / (value == 0.0 ? zero_field : value); break;
        default: break;
        }
    }
    if (value < 0.0) {
        switch (handling_) {
        case '2': value = 0.0; break;
        case '3': value = 1.0; break;
        case '4': return false;
        default: break;
        }
    }

    text += separator_;
    if (term.field >= 5) {
        append_whole(text, whole_number(value));
        return true;
    }
    const int precision = commodity_.precision;
    int decimals = std::clamp(precision, 0, 7);
    if (term.op != '\0') decimals = precision >= 5 ? decimals : 4;
    else if (precision == 2 && is_quarter_tick(commodity_.tag)) decimals = 3;
    append_fixed(text, value, decimals);
    return true;
}

FieldsResult ClcSeries::append_fields(std::string& line, DayNumber day) {
    while (!at_end_ && current_.day < day) {
        if (!advance()) break;
        if (current_.is_roll_over()) {
            ++roll_count_;
            if (started_) cumulative_gap_ += current_.gap();
        }
    }
    if (at_end_ && !started_) {
        line += previous_text_;
        return FieldsResult::ok;
    }

    std::string& text = text_;
    text.clear();
    if (!at_end_ && current_.day == day) {
        started_ = true;
        switch (linking_) {
        case Linking::forward:
        case Linking::back:
            for (double& price : current_.prices) price += total_gap_ - cumulative_gap_ + shift_;
            break;
        case Linking::ratio:
            for (double& price : current_.prices) price *= ratio_factor();
            break;
        case Linking::none:
        default: break;
        }
        for (const FieldTerm& term : terms_) {
            if (!append_value(text, term, day)) {
                line += previous_text_;
                return FieldsResult::ok;
            }
        }
    } else if (!started_) {
        append_constant(text, "0");
    } else {
        // A day without data, also past the last record (a holiday or a day
        // whose update has not come yet): a build made that day writes the
        // day as a build made after the next record will.
        if (leave_out_empty_days_) return FieldsResult::ok;
        if (empty_day_value_ == 'P') {
            line += previous_text_;
            return FieldsResult::ok;
        }
        append_constant(text, empty_day_value_ == 'Z' ? "0" : "-1");
    }
    line += text;
    // The day's text becomes the previous one; the buffers swap so that
    // neither is allocated again for the next day.
    previous_text_.swap(text);
    return FieldsResult::ok;
}

}  // namespace

SpanResult clc_day_span(const std::string& path, const InputLine& input, const BuildContext& context,
                        DaySpan& span) {
    span = DaySpan{unknown_last_day, unknown_last_day};
    ClcReader reader;
    const ClcReader::Status status = reader.open(path);
    if (status == ClcReader::Status::cannot_open) return SpanResult::missing;

    if (shifts_prices(context.settings) &&
        std::any_of(input.terms.begin(), input.terms.end(), [](const FieldTerm& t) { return t.op != '\0'; })) {
        message(builder_profile, "FIELD OPERATORS CONFLICT WITH NEG CLC PRICE SHIFT@INPUT FILE:" + input_text(input));
        return SpanResult::refused;
    }
    if (!commodity_of(input, context.commodities)) {
        show_unknown_commodity(input);
        return SpanResult::refused;
    }
    if (status != ClcReader::Status::ok) return SpanResult::ok;

    ClcRecord record;
    while (reader.read(record)) {
        if (record.is_roll_over()) continue;
        span.first = record.day;
        break;
    }
    if (span.first == unknown_last_day) return SpanResult::ok;
    if (const DayNumber last = last_dated_day(reader); last != no_date) span.last = last;
    return SpanResult::ok;
}

std::unique_ptr<InputSeries> open_clc_series(const std::string& path, const InputLine& input,
                                             BuildContext& context, OpenResult& result) {
    const Commodity* commodity = commodity_of(input, context.commodities);
    if (!commodity) {
        show_unknown_commodity(input);
        result = OpenResult::stopped;
        return nullptr;
    }
    auto series = std::make_unique<ClcSeries>(input, *commodity, context);
    result = series->open(path);
    if (result != OpenResult::ok) return nullptr;
    return series;
}

DayNumber last_clc_date(std::string_view tag) {
    ClcReader reader;
    if (reader.open(clc_file_name(tag)) != ClcReader::Status::ok) return no_date;
    return last_dated_day(reader);
}

}  // namespace qv::builder
