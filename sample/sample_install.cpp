#include "sample/sample_install.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "common/calendar.h"
#include "common/platform/text.h"

namespace qv::sample {

namespace {

enum Group { grains, meats, food_fibre, oils, metals, indexes, bonds, currency };

// One commodity as the vendor describes it. `months` holds, for January to
// December, the contract in force in that month before the roll.
struct Row {
    const char* name;       // tag, blank, display name
    const char* months;
    int roll_day;           // negative: a weekday rule (-9 second Monday, -13 the Thursday before the second Friday, -16 third Monday)
    int precision;
    int bytes;
    int compu_trac;
    Group group;
    int decimal = 0;
};

// Grains roll at the end of the month before delivery; the meats early in the
// contract month; the financial futures by a weekday rule of their expiry week.
const Row rows[] = {
    {"W_ WHEAT", "HHKKNNUUZZZH", 25, 2, 3, 2, grains},
    {"C_ CORN", "HHKKNNUUZZZH", 25, 2, 3, 2, grains},
    {"S_ SOYBEANS", "HHKKNNQUXXFF", 25, 2, 3, 2, grains},
    {"SM SOYBEAN MEAL", "HHKKNNQUZZFF", 25, 1, 2, 1, grains},
    {"BO SOYBEAN OIL", "HHKKNNQUZZFF", 25, 2, 2, 2, grains},
    {"O_ OATS", "HHKKNNUUZZZH", 25, 2, 2, 2, grains},
    {"RR ROUGH RICE", "HHKKNNUUXXFF", 25, 3, 2, 3, grains},
    {"KW KC WHEAT", "HHKKNNUUZZZH", 25, 2, 3, 2, grains},
    {"MW MINN WHEAT", "HHKKNNUUZZZH", 25, 2, 3, 2, grains},
    {"CB CANOLA", "HHKKNNXXXXFF", 25, 1, 2, 1, grains},
    {"ZW WHEAT (E)", "HHKKNNUUZZZH", 25, 2, 3, 2, grains},
    {"ZS SOYBEANS (E)", "HHKKNNQUXXFF", 25, 2, 3, 2, grains},
    {"ZM SOYMEAL (E)", "HHKKNNQUZZFF", 25, 1, 2, 1, grains},
    {"ZC CORN (E)", "HHKKNNUUZZZH", 25, 2, 3, 2, grains},
    {"LC LIVE CATTLE", "GJJMMQQVVZZG", 20, 3, 3, 3, meats},
    {"LH LEAN HOGS", "GJJKMNQVVZZG", 10, 3, 3, 3, meats},
    {"FC FEEDER CATTL", "HHJKQQQUVXFF", 20, 3, 3, 3, meats},
    {"PB PORK BELLIES", "GHKKNNQGGGGG", 15, 3, 3, 3, meats},
    {"ZT LIVE CATL(E)", "GJJMMQQVVZZG", 20, 3, 3, 3, meats},
    {"ZZ LEAN HOGS(E)", "GJJKMNQVVZZG", 10, 3, 3, 3, meats},
    {"ZF FEEDER CT(E)", "HHJKQQQUVXFF", 20, 3, 3, 3, meats},
    {"CC COCOA", "HHKKNNUUZZZH", 15, 0, 2, 0, food_fibre},
    {"KC COFFEE", "HHKKNNUUZZZH", 15, 2, 3, 2, food_fibre},
    {"SB SUGAR #11", "HHKKNNVVVHHH", 15, 2, 2, 2, food_fibre},
    {"CT COTTON", "HHKKNNVVZZZH", 15, 2, 2, 2, food_fibre},
    {"OJ ORANGE JUICE", "HHKKNNUUXXFF", 15, 2, 2, 2, food_fibre},
    {"LB LUMBER", "HHKKNNUUXXFF", 15, 1, 2, 1, food_fibre},
    {"DA MILK CLASS 3", "GHJKMNQUVXZF", 1, 2, 2, 2, food_fibre},
    {"CL CRUDE OIL", "GHJKMNQUVXZF", 15, 2, 4, 2, oils},
    {"HO HEATING OIL", "GHJKMNQUVXZF", 25, 4, 3, 4, oils},
    {"HU UNLEADED GAS", "GHJKMNQUVXZF", 25, 4, 3, 4, oils},
    {"RB RBOB GASOLINE", "GHJKMNQUVXZF", 25, 4, 3, 4, oils},
    {"NG NATURAL GAS", "GHJKMNQUVXZF", 22, 3, 2, 3, oils},
    {"BN BRENT CRUDE", "HJKMNQUVXZFG", 10, 2, 4, 2, oils},
    {"PN PROPANE", "GHJKMNQUVXZF", 25, 4, 3, 4, oils},
    {"GC GOLD", "GJJMMQQZZZZG", 25, 1, 3, 1, metals},
    {"SI SILVER", "HHKKNNUUZZZH", 25, 3, 3, 3, metals},
    {"HG COPPER", "HHKKNNUUZZZH", 25, 4, 3, 4, metals},
    {"PL PLATINUM", "JJJNNNVVVFFF", 25, 1, 2, 1, metals},
    {"PA PALLADIUM", "HHMMMUUUZZZH", 25, 2, 3, 2, metals},
    {"AL ALUMINUM", "GHJKMNQUVXZF", 25, 2, 3, 2, metals},
    {"SP S&P 500", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"ES E-MINI S&P", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"ND NASDAQ 100", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"NQ E-MINI NASDAQ", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"DJ DOW JONES IND", "HHHMMMUUUZZZ", -13, 0, 3, 0, indexes},
    {"YM MINI DOW", "HHHMMMUUUZZZ", -13, 0, 3, 0, indexes},
    {"YX NYSE COMPOSIT", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"VL VALUE LINE", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"MV MIDCAP 400", "HHHMMMUUUZZZ", -13, 2, 3, 2, indexes},
    {"ER RUSSELL 2000", "HHHMMMUUUZZZ", -13, 1, 3, 1, indexes},
    {"NK NIKKEI 225", "HHHMMMUUUZZZ", -13, 0, 3, 0, indexes},
    {"DX US DOLLAR IDX", "HHHMMMUUUZZZ", -9, 3, 3, 3, indexes},
    {"GI GSCI INDEX", "GHJKMNQUVXZF", 10, 2, 3, 2, indexes},
    {"CR CRB INDEX", "GHJKMNQUVXZF", 10, 2, 3, 2, indexes},
    {"US T-BONDS", "HHMMMUUUZZZH", 25, 5, 4, 5, bonds},
    {"TY 10-YR T-NOTES", "HHMMMUUUZZZH", 25, 5, 4, 5, bonds},
    {"FV 5-YR T-NOTES", "HHMMMUUUZZZH", 25, 5, 4, 5, bonds},
    {"TU 2-YR T-NOTES", "HHMMMUUUZZZH", 25, 5, 4, 5, bonds},
    {"ZN 10-YR NOTE(E)", "HHMMMUUUZZZH", 25, 5, 4, 5, bonds},
    {"MB MUNI BONDS", "HHMMMUUUZZZH", 25, 5, 4, 5, bonds},
    {"ED EURODOLLAR", "HHHMMMUUUZZZ", -16, 3, 3, 3, bonds},
    {"FF 30-DAY FED FD", "FGHJKMNQUVXZ", 25, 3, 3, 3, bonds},
    {"TB T-BILLS", "HHHMMMUUUZZZ", -16, 3, 3, 3, bonds},
    {"BP BRITISH POUND", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency},
    {"CD CANADIAN DLR", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency},
    {"JY JAPANESE YEN", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency, 2},
    {"SF SWISS FRANC", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency},
    {"DM DEUTSCHE MARK", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency},
    {"AD AUSTRALIAN $", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency},
    {"EC EURO FX", "HHHMMMUUUZZZ", -9, 4, 3, 4, currency},
    {"MP MEXICAN PESO", "HHHMMMUUUZZZ", -9, 5, 2, 5, currency},
    {"NE NEW ZEALAND $", "HHHMMMUUUZZZ", -9, 4, 2, 4, currency},
    {"RA SO AFRICAN RD", "HHHMMMUUUZZZ", -9, 5, 2, 5, currency},
    {"RU RUSSIAN RUBLE", "HHHMMMUUUZZZ", -9, 5, 2, 5, currency},
    {"BR BRAZIL REAL", "GHJKMNQUVXZF", 25, 4, 2, 4, currency},
};

constexpr std::size_t count = sizeof rows / sizeof rows[0];

// A numeric table: four values a line, the last line filled up with zeros.
template <typename Value>
std::string numeric_table(const char* name, Value value) {
    std::string text = format("[%s]\n", name);
    for (std::size_t i = 0; i < count; i += 4) {
        int v[4] = {0, 0, 0, 0};
        for (std::size_t k = 0; k < 4 && i + k < count; ++k) v[k] = value(rows[i + k]);
        text += format("%d,%d,%d,%d\n", v[0], v[1], v[2], v[3]);
    }
    return text;
}

// Saturday holidays are kept on the Friday before, Sunday ones on the Monday after.
DayNumber observed(int year, int month, int day) {
    const DayNumber date = date_to_lotus(year, month, day);
    if (weekday(date) == saturday) return date - 1;
    if (weekday(date) == sunday) return date + 1;
    return date;
}

// The n-th (1 to 4) given weekday (1 Sunday ... 7 Saturday) of a month; n = 5 the last.
DayNumber nth_weekday(int year, int month, int wanted, int n) {
    if (n == 5) {
        const Date next = month == 12 ? Date{year + 1, 1, 1} : Date{year, month + 1, 1};
        DayNumber day = date_to_lotus(next) - 1;
        while (weekday(day) != wanted) --day;
        return day;
    }
    DayNumber day = date_to_lotus(year, month, 1);
    while (weekday(day) != wanted) ++day;
    return static_cast<DayNumber>(day + 7 * (n - 1));
}

// Easter Sunday of the Gregorian calendar.
DayNumber easter(int year) {
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return date_to_lotus(year, month, day);
}

void write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::string tables_ini() {
    std::string text = "QUORVANT SUPPORT TABLES\n";
    text += format("[numcom] = %zu\n", count);
    text += numeric_table("roll_day", [](const Row& r) { return r.roll_day; });
    text += numeric_table("roll_month", [](const Row&) { return 0; });
    text += numeric_table("precision", [](const Row& r) { return r.precision; });
    text += numeric_table("bytes", [](const Row& r) { return r.bytes; });
    text += numeric_table("compu_trac", [](const Row& r) { return r.compu_trac; });
    text += "[mynames]\n";
    for (const Row& r : rows) text += format("%s\n", r.name);
    text += "[all_tag]\n";
    for (std::size_t i = 0; i < count; i += 4) {
        std::string line;
        for (std::size_t k = 0; k < 4; ++k) {
            if (k) line += ',';
            line += '-';
            line += i + k < count ? rows[i + k].months : "FFFFFFFFFFFF";
        }
        text += line + "\n";
    }
    text += numeric_table("group_index", [](const Row& r) { return static_cast<int>(r.group); });
    text += "[decimal]\n";
    for (const Row& r : rows) text += format("%.2s = %d\n", r.name, r.decimal);
    return text;
}

std::string holidays_qvt() {
    std::vector<DayNumber> days;
    for (int year = 1970; year <= 2030; ++year) {
        // New Year on a Saturday was not moved back into the old year.
        if (weekday(date_to_lotus(year, 1, 1)) != saturday) days.push_back(observed(year, 1, 1));
        if (year >= 1998) days.push_back(nth_weekday(year, 1, 2, 3));  // Martin Luther King Day
        days.push_back(nth_weekday(year, 2, 2, 3));                    // Presidents' Day
        days.push_back(static_cast<DayNumber>(easter(year) - 2));      // Good Friday
        days.push_back(nth_weekday(year, 5, 2, 5));                    // Memorial Day
        days.push_back(observed(year, 7, 4));
        days.push_back(nth_weekday(year, 9, 2, 1));                    // Labor Day
        days.push_back(nth_weekday(year, 11, 5, 4));                   // Thanksgiving
        days.push_back(observed(year, 12, 25));
    }
    std::sort(days.begin(), days.end());
    std::string text;
    for (const DayNumber day : days) {
        const Date d = lotus_to_date(day);
        text += format("%02d/%02d/%02d %02d\n", d.month, d.day, d.year % 100, d.year / 100);
    }
    return text;
}

std::string quorup_ini() {
    return "SPARE1 = 1\n"
           "SPARE2 = 2\n"
           "MODEM SPEED = 9600\n"
           "COM PORT = COM2\n"
           "MODEM DIAL MODE = TONE\n"
           "UPDATE DIRECTORY = C:\\QUORVANT\\UPDATES\\\n"
           "BULLETIN DIRECTORY = C:\\QUORVANT\\BULLETIN\\\n"
           "COMM FLAGS = 8N1\n"
           "DIAL NUMBER = 1-555-010-0134\n"
           "USER ID = SAMPLE01\n"
           "USER PASSWORD = HARVEST\n"
           "PORT ADDRESS = 0X2F8\n"
           "PORT IRQ = 3\n"
           "MODEM CODES = ATZ\n"
           "*****WARNING-DO NOT CHANGE ANY OF THE FOLLOWING LINES*****\n"
           "EXTENDED CONTRACTS = B\n"
           "ASCII PATH = C:\\QUORVANT\\ASCII\\\n"
           "META PATH = C:\\QUORVANT\\META\\\n"
           "ASCII MASK = TTMYY.TXT\n"
           "META MASK = TTMYY\n"
           "DATA FORMAT = 1C1N\n"
           "EU LAST DATE = 12/04/20\n";
}

void write_installation(const std::filesystem::path& folder) {
    for (const char* sub : {"CLC", "COT", "IDX", "UPDATES", "AUTO", "MAIL", "BULLETIN", "ASCII", "META"})
        std::filesystem::create_directories(folder / sub);
    write_file(folder / "TABLES.INI", tables_ini());
    write_file(folder / "HOLIDAYS.QVT", holidays_qvt());
    write_file(folder / "QUORUP.INI", quorup_ini());
}

std::string daily_batch() {
    return "@ECHO OFF\n"
           "REM The daily chain: what is missing is requested and downloaded, then\n"
           "REM merged; the updater hands over to DFORGE, DFANOUT and MKPICKS.\n"
           "REM Last, the day's changes go into the SQLite copy of the database.\n"
           "PREQUOR\n"
           "DOWNLOAD\n"
           "POSTQUOR\n"
           "QVEXPORT --sqlite \\QUORVANT\\QUORVANT.SQLITE\n";
}

std::string favourites_ascii() {
    return "FAVORITE ASCII FILES\n"
           "TTYYYYM\n"
           "W_2021H WHEAT MARCH\n"
           "SP2021H S&P 500 MARCH\n"
           "JY2021H JAPANESE YEN MARCH\n";
}

std::string favourites_meta() {
    return "FAVORITE METASTOCK SECURITIES\n"
           "TTYYYYM\n"
           "W_2021H WHEAT MARCH\n"
           "BP2021H BRITISH POUND MARCH\n";
}

void write_daily_chain(const std::filesystem::path& folder) {
    write_file(folder / "DAILY.BAT", daily_batch());
    write_file(folder / "FAVOR.ASC", favourites_ascii());
    write_file(folder / "FAVOR.MS", favourites_meta());
}

}  // namespace qv::sample
