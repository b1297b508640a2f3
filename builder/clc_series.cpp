#include "builder/clc_series.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
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

// A CLC file read as price records of one commodity. The file is read in
// blocks of records; a record's fields are taken from its bytes only when they
// are asked for, so that a pass that needs the roll-over records alone does
// not pay for the others.
class PriceReader {
public:
    explicit PriceReader(const Commodity& commodity)
        : precision_(commodity.precision), quarter_tick_(is_quarter_tick(commodity.tag)) {}

    ClcReader::Status open(const std::string& path) {
        block_ = std::make_unique_for_overwrite<std::uint8_t[]>(block_records * clc_max_record_size);
        return file_.open(path, ClcReader::Buffering::direct);
    }
    bool rewind() {
        count_ = 0;
        next_ = 0;
        return file_.rewind();
    }

    // The next record as stored, valid until the next call; false at the end
    // of the file.
    bool next(ClcRecordBytes& record) {
        if (next_ == count_) {
            next_ = 0;
            count_ = file_.read_block(block_.get(), block_records);
            if (count_ == 0) return false;
        }
        record = ClcRecordBytes(block_.get() + next_ * file_.record_size(), file_.price_width());
        ++next_;
        return true;
    }

    PriceRecord prices_of(const ClcRecordBytes& stored) const {
        PriceRecord record;
        record.day = stored.day();
        for (std::size_t i = 0; i < record.prices.size(); ++i) {
            record.prices[i] = price_of(stored.price(static_cast<int>(i)));
        }
        record.counts = {stored.count(0), stored.count(1), stored.count(2)};
        return record;
    }

    double price_of(std::int32_t stored) const {
        const double price = stored_to_price(stored, precision_);
        if (quarter_tick_) return restore_quarter_tick(price, 2);
        if (precision_ == 7) return restore_quarter_tick(price, 6);
        return price;
    }

private:
    // About 25 KB of records: the memory stays the same however long the file.
    static constexpr std::size_t block_records = 1024;

    ClcReader file_;
    int precision_;
    bool quarter_tick_;
    std::unique_ptr<std::uint8_t[]> block_;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

// The text of one input for one day, built in place: grown only when a day
// needs more room than any before it.
class DayText {
public:
    void clear() { size_ = 0; }
    std::string_view view() const { return {chars_.data(), size_}; }
    void put(char c) { *room(1) = c; ++size_; }
    void put(std::string_view text) {
        std::memcpy(room(text.size()), text.data(), text.size());
        size_ += text.size();
    }
    void put_units(long long units, int decimals) { set_end(put_fixed_units(room(fixed_units_room), units, decimals)); }
    // Where `more` characters may be written, and the end of what was.
    char* room(std::size_t more) {
        if (chars_.size() < size_ + more) chars_.resize(2 * (size_ + more));
        return chars_.data() + size_;
    }
    void set_end(const char* end) { size_ = static_cast<std::size_t>(end - chars_.data()); }
    void swap(DayText& other) {
        chars_.swap(other.chars_);
        std::swap(size_, other.size_);
    }

private:
    std::vector<char> chars_;
    std::size_t size_ = 0;
};

// The linking methods of CLCLINKINGMETHOD, by their option characters.
enum class Linking { none = '1', forward = '2', back = '3', ratio = '4' };

// The places a price field without an operator is printed with.
int price_decimals(const Commodity& commodity) {
    if (commodity.precision == 2 && is_quarter_tick(commodity.tag)) return 3;
    return std::clamp<int>(commodity.precision, 0, 7);
}

// Whether a price field without an operator may be worked out as a whole
// number of stored units (the stored price plus stored gaps) and printed with
// the commodity's precision as its places: prices that are the stored number
// over a power of ten (no quarter ticks to restore, a precision of 0 to 6),
// and a linking that only adds gaps (none, forward, back) without a shift.
bool prices_as_whole_units(const Commodity& commodity, const BuildSettings& settings) {
    const char linking = settings.clc_linking_method;
    return commodity.precision >= 0 && commodity.precision <= 6 && !is_quarter_tick(commodity.tag) &&
           (linking == '1' || linking == '2' || linking == '3') && settings.clc_neg_price_handling != '5';
}

std::int64_t units_of_one(int decimals) {
    std::int64_t units = 1;
    for (int i = 0; i < decimals; ++i) units *= 10;
    return units;
}


// A roll-over record's gap in stored units, and the size of the two prices it
// is taken from.
std::int64_t gap_units(const ClcRecordBytes& record) {
    return static_cast<std::int64_t>(record.price(3)) - record.price(0);
}
double gap_size(const ClcRecordBytes& record) {
    return std::fabs(static_cast<double>(record.price(3))) + std::fabs(static_cast<double>(record.price(0)));
}

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
          last_day_(context.last_day),
          price_decimals_(price_decimals(commodity)),
          whole_units_(prices_as_whole_units(commodity, context.settings)) {
        for (const FieldTerm& term : terms_) {
            operands_.push_back(std::strtod(term.operand.c_str(), nullptr));
            const bool as_units = whole_units_ && term.op == '\0' && term.field >= 1 && term.field <= 4;
            unit_prices_.push_back(as_units ? term.field - 1 : -1);
        }
        all_units_ = !terms_.empty() && std::all_of(unit_prices_.begin(), unit_prices_.end(),
                                                    [](int price) { return price >= 0; });
    }

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
    void gap_pass(double extra, bool lows);
    void ratio_pass();
    // Reads the next record into stored_; false at the end of the file.
    bool advance();
    // A roll-over record passed after the first day written.
    void add_cumulative_gap();
    double ratio_factor() const;
    // The prices of the day's record, linked; worked out when first asked for.
    const PriceRecord& linked_prices();
    void append_constant(DayText& text, std::string_view value) const;
    // The value of a term for the record of `day`; false when handling 4 drops the day.
    bool append_value(DayText& text, std::size_t term_index, DayNumber day);
    // The same as a whole number of price units when that gives the very
    // digits of the calculation in prices; false when it does not.
    bool append_units(DayText& text, std::size_t term_index, bool& kept);
    // Works out units_offset_ and units_limit_ from the gaps summed so far.
    void bound_units();
    // The price (0 to 3) of the day's record with the gaps as a whole number
    // of units, when the bound lets it through (see bound_units) and it is
    // not zero, which may come out as -0 in prices; else the calculation in
    // prices decides.
    bool units_of(int price_index, std::int64_t& units) const {
        const std::int32_t price = stored_.price(price_index);
        units = price + units_offset_;
        return units != 0 && std::abs(static_cast<std::int64_t>(price)) <= units_limit_;
    }
    // The day's text when every term is a price in whole units (all_units_),
    // written straight from the stored prices; false when one is not to be
    // (see units_of) or lies below zero, and the text is to be built term by
    // term.
    bool put_units_day(DayText& text) const;

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
    int price_decimals_;       // of a price field without an operator
    bool whole_units_;         // see prices_as_whole_units
    std::vector<double> operands_;  // of the terms, read once
    std::vector<int> unit_prices_;  // of the terms: the price taken in whole units (0 to 3), or -1
    bool all_units_ = false;        // no -1 among them

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
    DayText previous_text_;
    DayText text_;       // the day's text while it is built
    std::string value_;  // a value printed from the calculation in prices

    // The gaps once more as sums of stored numbers, and what bounds the
    // rounding of the sums in prices: how many gaps they hold and the size of
    // the stored prices that went into them.
    std::int64_t total_units_ = 0;
    std::int64_t cumulative_units_ = 0;
    double gaps_summed_ = 0.0;
    double gap_magnitude_ = 0.0;
    // What the gaps add to a stored price, and the largest stored price (by
    // its size) that the bound lets through.
    std::int64_t units_offset_ = 0;
    std::int64_t units_limit_ = -1;

    ClcRecordBytes stored_;  // the record read last, in the reader's block
    DayNumber stored_day_ = no_date;
    PriceRecord current_;  // stored_ in prices, linked, when priced_
    bool priced_ = false;
    bool at_end_ = false;
};

void ClcSeries::set_up() {
    cumulative_gap_ = 0.0;
    total_gap_ = 0.0;
    total_units_ = 0;
    cumulative_units_ = 0;
    gaps_summed_ = 0.0;
    gap_magnitude_ = 0.0;
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
            gap_pass(0.0, true);
            total_gap_ = 0.0;
            if (lowest_low_ < 0.0) shift_ = 1.0 - lowest_low_;
        }
        break;
    case Linking::back:
        gap_pass(0.0, false);
        if (shift) {
            const double total = total_gap_;
            lowest_low_ = lowest_low_start;
            gap_pass(total, true);
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
    while (advance() && stored_day_ == no_date) ++roll_count_;
    bound_units();
}

// Sums the gaps of the roll-over records within the output range and, with
// `lows`, keeps the lowest low adjusted by them (plus `extra`). A roll-over
// counts once a dated record of the range follows it, so that one just after
// the last day of the range leaves the range's prices alone. Only the
// roll-over records (and the lows asked for) are turned into prices.
void ClcSeries::gap_pass(double extra, bool lows) {
    reader_.rewind();
    double running = 0.0;
    double pending = 0.0;
    std::int64_t running_units = 0;
    std::int64_t pending_units = 0;
    std::size_t pending_count = 0;
    double pending_magnitude = 0.0;
    bool started = false;
    gaps_summed_ = 0.0;
    gap_magnitude_ = 0.0;
    ClcRecordBytes record;
    while (reader_.next(record)) {
        const DayNumber day = record.day();
        if (day == no_date) {
            if (started) {
                pending += reader_.prices_of(record).gap();
                pending_units += gap_units(record);
                ++pending_count;
                pending_magnitude += gap_size(record);
            }
            continue;
        }
        if (day < first_day_) continue;
        if (day > last_day_) break;
        started = true;
        if (pending_count > 0) {
            running += pending;
            pending = 0.0;
            running_units += pending_units;
            pending_units = 0;
            gaps_summed_ += static_cast<double>(pending_count);
            gap_magnitude_ += pending_magnitude;
            pending_count = 0;
            pending_magnitude = 0.0;
        }
        if (lows) lowest_low_ = std::min(lowest_low_, reader_.price_of(record.price(2)) + extra - running);
    }
    total_gap_ = running;
    total_units_ = running_units;
}

void ClcSeries::ratio_pass() {
    reader_.rewind();
    std::vector<std::pair<double, double>> rolls;  // close, open of each roll-over record
    ClcRecordBytes record;
    while (reader_.next(record)) {
        if (record.is_roll_over()) {
            rolls.emplace_back(reader_.price_of(record.price(3)), reader_.price_of(record.price(0)));
        }
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
    if (at_end_ || !reader_.next(stored_)) {
        at_end_ = true;
        return false;
    }
    priced_ = false;
    stored_day_ = stored_.day();
    if (stored_day_ != no_date) show_year_of(stored_day_);
    return true;
}

void ClcSeries::add_cumulative_gap() {
    cumulative_gap_ += reader_.prices_of(stored_).gap();
    cumulative_units_ += gap_units(stored_);
    gaps_summed_ += 1.0;
    gap_magnitude_ += gap_size(stored_);
    bound_units();
}

// The calculation in prices rounds at each step, by at most half a unit in
// the last place of the largest number it meets; with fewer than 8 roundings
// per gap summed, all of them stay below a sixteenth of a stored unit while
// (8 * gaps + 16) * (|price| + the size of the summed gaps) < 2^49, and the
// printed digits and the sign are those of the exact sum. The limit keeps a
// unit below that bound, so that it errs on the side of the calculation in
// prices.
void ClcSeries::bound_units() {
    units_offset_ = linking_ == Linking::none ? 0 : total_units_ - cumulative_units_;
    const double bound = 0x1p49 / (8.0 * gaps_summed_ + 16.0) - gap_magnitude_;
    units_limit_ = bound > 1.0 ? static_cast<std::int64_t>(bound) - 1 : -1;
}

const PriceRecord& ClcSeries::linked_prices() {
    if (priced_) return current_;
    current_ = reader_.prices_of(stored_);
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
    priced_ = true;
    return current_;
}

void ClcSeries::append_constant(DayText& text, std::string_view value) const {
    for (std::size_t i = 0; i < terms_.size(); ++i) {
        text.put(separator_);
        text.put(value);
    }
}

bool ClcSeries::append_units(DayText& text, std::size_t term_index, bool& kept) {
    const int price_index = unit_prices_[term_index];
    std::int64_t units = 0;
    if (price_index < 0 || !units_of(price_index, units)) return false;
    if (units < 0) {
        switch (handling_) {
        case '2': units = 0; break;
        case '3': units = units_of_one(price_decimals_); break;
        case '4': kept = false; return true;
        default: break;
        }
    }
    text.put(separator_);
    text.put_units(units, price_decimals_);
    kept = true;
    return true;
}

bool ClcSeries::put_units_day(DayText& text) const {
    char* out = text.room(unit_prices_.size() * (1 + fixed_units_room));
    for (const int price_index : unit_prices_) {
        std::int64_t units = 0;
        if (!units_of(price_index, units) || units < 0) return false;
        *out++ = separator_;
        out = put_fixed_units(out, units, price_decimals_);
    }
    text.set_end(out);
    return true;
}

bool ClcSeries::append_value(DayText& text, std::size_t term_index, DayNumber day) {
    const FieldTerm& term = terms_[term_index];
    bool kept = true;
    if (append_units(text, term_index, kept)) return kept;

    double value = 0.0;
    if (term.field >= 1 && term.field <= 4) value = linked_prices().prices[static_cast<std::size_t>(term.field - 1)];
    else if (term.field >= 5 && term.field <= 7) value = stored_.count(term.field - 5);
    else if (term.field == 8) value = contract_in_force(day, commodity_).year_month();

    if (term.op != '\0') {
        const double operand = operands_[term_index];
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

    text.put(separator_);
    value_.clear();
    if (term.field >= 5) {
        append_whole(value_, whole_number(value));
    } else {
        int decimals = price_decimals_;
        if (term.op != '\0') decimals = commodity_.precision >= 5 ? std::clamp<int>(commodity_.precision, 0, 7) : 4;
        append_fixed(value_, value, decimals);
    }
    text.put(value_);
    return true;
}

FieldsResult ClcSeries::append_fields(std::string& line, DayNumber day) {
    while (!at_end_ && stored_day_ < day) {
        if (!advance()) break;
        if (stored_day_ == no_date) {
            ++roll_count_;
            if (started_) add_cumulative_gap();
        }
    }
    if (at_end_ && !started_) {
        line += previous_text_.view();
        return FieldsResult::ok;
    }

    DayText& text = text_;
    text.clear();
    if (!at_end_ && stored_day_ == day) {
        started_ = true;
        if (!all_units_ || !put_units_day(text)) {
            for (std::size_t i = 0; i < terms_.size(); ++i) {
                if (!append_value(text, i, day)) {
                    line += previous_text_.view();
                    return FieldsResult::ok;
                }
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
            line += previous_text_.view();
            return FieldsResult::ok;
        }
        append_constant(text, empty_day_value_ == 'Z' ? "0" : "-1");
    }
    line += text.view();
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
    const ClcReader::Status status = reader.open(path, ClcReader::Buffering::direct);
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
    if (reader.open(clc_file_name(tag), ClcReader::Buffering::direct) != ClcReader::Status::ok) return no_date;
    return last_dated_day(reader);
}

}  // namespace qv::builder
