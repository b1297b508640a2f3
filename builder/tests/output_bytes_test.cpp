// The bytes of built outputs, for a table of build blocks that covers every
// setting that changes them: the expected checksums were taken from the
// builder as it was before any change made for speed, so that a faster build
// shows it still writes the same files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "builder/driver.h"
#include "common/clc_file.h"
#include "common/cot_file.h"
#include "common/platform/files.h"
#include "common/platform/text.h"
#include "common/start_up.h"
#include "common/testing/recording_console.h"
#include "common/testing/sample_install.h"

namespace qv::builder {
namespace {

namespace fs = std::filesystem;
using testing::RecordingConsole;
using testing::SampleInstall;

const DayNumber first_day = date_to_lotus(2017, 12, 1);
const DayNumber last_day = date_to_lotus(2020, 12, 4);

struct ClcFixture {
    const char* tag;
    int precision;
    int bytes;
    std::int32_t start;   // the first close, as stored
    std::int32_t gap;     // the step of every roll-over, close - open
    bool on_holidays;     // records on exchange holidays too
};

// Prices that wander, a roll-over every 41 records, a few weekdays missing.
// Christmas, New Year and Independence Day, when they fall on a weekday.
bool is_feast(DayNumber d) {
    const Date date = lotus_to_date(d);
    return (date.month == 12 && date.day == 25) || (date.month == 1 && date.day == 1) ||
           (date.month == 7 && date.day == 4);
}

void write_clc(const ClcFixture& fixture) {
    ClcWriter writer;
    ASSERT_TRUE(writer.create(clc_file_name(fixture.tag), make_clc_header(fixture.tag, fixture.precision, fixture.bytes)));
    std::int32_t price = fixture.start;
    const std::int32_t ceiling = fixture.bytes == 2 ? 30000 : 8000000;
    std::uint32_t count = 0;
    writer.write(ClcRecord{0, price, price, price, price + fixture.gap, 0, 0, 0});
    for (DayNumber d = first_day; d <= last_day; ++d) {
        if (weekday(d) == saturday || weekday(d) == sunday) continue;
        if (!fixture.on_holidays && is_feast(d)) continue;
        ++count;
        if (count % 97 == 13) continue;
        const std::int32_t step = static_cast<std::int32_t>((d * 7919u) % 23) - 11;
        price = std::clamp<std::int32_t>(price + step * std::max(1, fixture.start / 400), 2, ceiling);
        if (count % 41 == 0) {
            writer.write(ClcRecord{0, price, price + 3, price - 3, price + fixture.gap, 0, 0, 0});
            price += fixture.gap;
        }
        writer.write(ClcRecord{d, price - 7, price + 12, price - 15, price, 1000u + count % 77,
                               50000u + count * 3 % 1000, 90000u + count % 500});
    }
    ASSERT_TRUE(writer.finish());
}

void write_cot(const SampleInstall& install) {
    std::string bytes;
    std::int32_t n = 0;
    for (DayNumber d = date_to_lotus(2017, 10, 3); d <= last_day; d += 7, ++n) {
        CotRecord r;
        r.day = d;
        r.commercial_long = 20000 + (n * 37) % 900;
        r.commercial_short = 21000 + (n * 53) % 700;
        r.non_commercial_long = 9000 + (n * 71) % 1300;
        r.non_commercial_short = 8000 + (n * 29) % 600;
        r.non_commercial_spreading = 300 + n % 40;
        r.non_reportable_long = 4000 + (n * 13) % 200;
        r.non_reportable_short = 4100 + (n * 17) % 250;
        r.commercial_traders_long = 30 + n % 7;
        r.commercial_traders_short = 31 + n % 5;
        r.non_commercial_traders_long = 40 + n % 9;
        r.non_commercial_traders_short = 41 + n % 3;
        std::uint8_t out[cot_record_size];
        encode_cot_record(r, out);
        bytes.append(reinterpret_cast<const char*>(out), cot_record_size);
    }
    install.write("COT/GC_COT.QVT", bytes);
}

// An index of weekdays with three fields, and a user's ASCII file of dated
// lines with two numbers.
void write_text_inputs(const SampleInstall& install) {
    std::string index = "";
    std::string mine = "Date Price Volume\n";
    int n = 0;
    for (DayNumber d = first_day; d <= last_day; ++d) {
        if (weekday(d) == saturday || weekday(d) == sunday || ++n % 11 == 4) continue;
        const Date date = lotus_to_date(d);
        index += format("%04d%02d%02d %d.%02d %d %d.5\n", date.year, date.month, date.day, 3000 + n % 97, n % 100,
                        n * 3, n % 13);
        if (n % 3 != 0)
            mine += format("%02d/%02d/%04d %d.25 %d\n", date.month, date.day, date.year, 100 + n % 31, n * 7);
    }
    install.write("IDX/B1_IDX.QVT", index);
    install.write("MINE.TXT", mine);
}

std::string checksum(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return format("%016llx/%zu", static_cast<unsigned long long>(hash), bytes.size());
}

// An ASCII output's bytes, or the files of a MetaStock output's folder by name.
std::string output_bytes(const SampleInstall& install, const std::string& output) {
    if (!output.starts_with("META/")) {
        return fs::exists(install.path(output)) ? install.read(output) : std::string("(none)");
    }
    const std::string relative = output.substr(0, output.rfind('/'));
    const fs::path path = install.path(relative);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string bytes;
    for (const std::string& name : names) bytes += name + "\n" + install.read(relative + "/" + name);
    return bytes;
}

struct Case {
    const char* name;
    const char* block;      // the build block after the output line
    const char* expected;   // checksum/size of the output's bytes
    const char* output = "OUT/A.TXT";
};

// The output line is \QUORVANT\ followed by the case's output in DOS form.
std::string output_line(const std::string& relative) {
    std::string line = "\\QUORVANT\\" + relative;
    std::replace(line.begin(), line.end(), '/', '\\');
    return line;
}

const Case cases[] = {
    {"as stored, fields 1 to 8", "#CLCLINKINGMETHOD=1\nW__CLC 1,2,3,4,5,6,7,8\n", "d09eb2ebeacf5416/46970"},
    {"back adjustment", "#CLCLINKINGMETHOD=3\nW__CLC 1,2,3,4\n", "bfbff3a98926f148/28490"},
    {"back adjustment, ten inputs", "#CLCLINKINGMETHOD=3\nW__CLC 1,2,3,4\nLC_CLC 1,2,3,4\nUS_CLC 1,2,3,4\n"
     "CC_CLC 1,2,3,4\nGC_CLC 1,2,3,4\nW__CLC 4\nLC_CLC 4\nUS_CLC 4\nCC_CLC 4\nGC_CLC 4\n", "89963173706add9c/139840"},
    {"back adjustment, negatives as they are", "#CLCLINKINGMETHOD=3\nCL_CLC 1,2,3,4\n", "8bde1953951385db/30130"},
    {"back adjustment, negatives as zero", "#CLCLINKINGMETHOD=3\n#CLCNEGPRICEHANDLING=2\nCL_CLC 1,3,4\n",
     "e1ea5853962ef419/18480"},
    {"back adjustment, negatives as one", "#CLCLINKINGMETHOD=3\n#CLCNEGPRICEHANDLING=3\nCL_CLC 3,4\n",
     "2104a0a982bb1b1d/14630"},
    {"back adjustment, negatives repeat", "#CLCLINKINGMETHOD=3\n#CLCNEGPRICEHANDLING=4\nCL_CLC 3,4\nW__CLC 4\n",
     "f91888273f6be532/1014"},
    {"back adjustment, shifted up", "#CLCLINKINGMETHOD=3\n#CLCNEGPRICEHANDLING=5\nCL_CLC 1,2,3,4\n",
     "9e4d9d01e420f918/26546"},
    {"forward adjustment", "#CLCLINKINGMETHOD=2\nW__CLC 1,2,3,4\nCL_CLC 4\n", "eb7dd9df3ee827cc/33159"},
    {"forward adjustment, shifted up", "#CLCLINKINGMETHOD=2\n#CLCNEGPRICEHANDLING=5\nCL_CLC 1,2,3,4\n",
     "a56c101590e6bff0/27354"},
    {"ratio", "#CLCLINKINGMETHOD=4\nW__CLC 1,2,3,4\nLC_CLC 4\nUS_CLC 4\n", "63e3778a463baee9/40280"},
    {"quarter ticks, precision 0 and 5", "#CLCLINKINGMETHOD=1\nLC_CLC 1,2,3,4\nCC_CLC 4,6\nUS_CLC 1,4\n",
     "7a48720acc42a15c/50932"},
    {"operators", "#CLCLINKINGMETHOD=3\nW__CLC 4*100,1/3,2+0.5,3-7,4^2,6/0,7*2\n", "29a5bae0792a87cf/56210"},
    {"part of the history", "#STARTINGDATE=03/14/2019\n#ENDINGDATE=07/02/2020\nW__CLC 1,4\nLC_CLC 4\n",
     "d35d7a28a479671d/9900"},
    {"holidays with the previous values", "#INCLUDEHOLIDAYS=Y\nW__CLC 4\nLC_CLC 4\n", "5c2967c04108877c/18101"},
    {"holidays as zeros", "#INCLUDEHOLIDAYS=Y\n#VALUEOFINCLUDEDHOLIDAY=Z\nW__CLC 4\nLC_CLC 4\n",
     "f660945573f0af9d/17971"},
    {"holidays as -1", "#INCLUDEHOLIDAYS=Y\n#VALUEOFINCLUDEDHOLIDAY=N\nW__CLC 4\n", "d699facbda1e3fa2/12524"},
    {"every calendar day", "#INCLUDEHOLIDAYS=A\nW__CLC 4\nB1_IDX 1\n", "30d48ebaf1927f6f/26472"},
    {"a single input with holidays", "#INCLUDEHOLIDAYS=Y\nW__CLC 1,4\n", "f07e4e5b7fb3dd72/18101"},
    {"weekly", "#SAMPLINGPERIOD=W\nW__CLC 1,2,3,4,6,7\n", "65ad7e9c3109028e/7742"},
    {"weekly to Wednesday", "#SAMPLINGPERIOD=3\nW__CLC 1,4\nGC_CLC 4\n", "ca7c186d930387ad/4710"},
    {"monthly", "#SAMPLINGPERIOD=M\nW__CLC 1,2,3,4,6,7\n", "1b95b21ca86c5b66/1764"},
    {"weekly and monthly bars", "#SAMPLINGPERIOD=K\nW__CLC 1,2,3,4,6,7\n", "ba95610f24e19a8e/7850"},
    {"bars of days", "#SAMPLINGPERIOD=B\n#DAYSPERBAR=3\nW__CLC 1,2,3,4,6\n", "f8f4c80160799f82/11308"},
    {"headings and title, dates with slashes",
     "#OUTPUTCOLUMNHEADINGS=Y\n#FIRSTLINETITLE=MIXED\n#OUTPUTDATEFORMAT=1\n"
     "W__CLC 1,4\nGC_COT 1,16\nB1_IDX 1,2\n\\QUORVANT\\MINE.TXT 1,2\n",
     "e48926e5bf2aaaaa/44892"},
    {"headings quoted, tabs, quoted dates",
     "#OUTPUTCOLUMNHEADINGS=Y\n#COLHEADINGSINQUOTES=Y\n#COLSEPARATORCHARACTER=T\n#OUTPUTDATEFORMAT=2\n"
     "W__CLC 1,4*2\nLC_CLC 7\n",
     "6c76ef6ef704870e/27395"},
    {"spaces and dates of format 4", "#COLSEPARATORCHARACTER=S\n#OUTPUTDATEFORMAT=4\nGC_CLC 4\nCC_CLC 4\n",
     "f363c847f138d197/17480"},
    {"COT fields and indexes", "#COTINTERPOLATIONMETHOD=1\nGC_CLC 4\nGC_COT 1,2,3,4,5,6,16,17,18\n",
     "913e0eb184dfeb0d/44650"},
    {"COT interpolated", "#COTINTERPOLATIONMETHOD=2\n#COTINDEXLOOKBACKDAYS=60\nGC_COT 1,16,17\n",
     "8158359549f0a683/17548"},
    {"IDX interpolated", "#IDXINTERPOLATIONMETHOD=2\nB1_IDX 1,2,3\nW__CLC 4\n", "cc768f1b156865d8/24897"},
    {"IDX as it is", "#IDXINTERPOLATIONMETHOD=1\nB1_IDX 1,3\n", "133c379cc380adf4/16132"},
    {"ASCII input", "\\QUORVANT\\MINE.TXT 1,2\nW__CLC 4\n", "a70f50289bc18d4f/21128"},
    {"MetaStock, one field", "#OUTPUTFORMAT=M\n#CLCLINKINGMETHOD=3\nW__CLC 4\n",
     "4a7594088a739791/15602", "META/ONE/W_"},
    {"MetaStock, six fields", "#OUTPUTFORMAT=M\n#CLCLINKINGMETHOD=3\nGC_CLC 1,2,3,4,6,7\n",
     "6fa0369028654fc1/21790", "META/SIX/GC"},
    {"MetaStock, weekly", "#OUTPUTFORMAT=M\n#SAMPLINGPERIOD=W\nW__CLC 1,2,3,4,6,7\n",
     "7cb154b7e73f9899/4654", "META/WEEK/W_"},
};

TEST(BuiltOutputs, KeepTheirBytesForEverySetting) {
    SampleInstall install;
    for (const ClcFixture& fixture :
         {ClcFixture{"W_", 2, 3, 52000, 900, false}, ClcFixture{"LC", 3, 3, 118000, -2500, true},
          ClcFixture{"US", 5, 4, 15200000, 40000, false}, ClcFixture{"CC", 0, 2, 2400, 35, false},
          ClcFixture{"GC", 1, 3, 12800, 60, false}, ClcFixture{"CL", 2, 4, 3000, -1500, false}}) {
        write_clc(fixture);
    }
    write_cot(install);
    write_text_inputs(install);
    install.write("CLC.HDG", "Opening\nHighest\nLowest\nClosing\n");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingConsole screen;
        install.write("AUTO/$TEST", output_line(c.output) + "\n" + c.block);
        run_program([] { run_builder({"$TEST"}); });
        EXPECT_EQ(screen.text().find("WARNING"), std::string::npos) << screen.text();
        EXPECT_EQ(checksum(output_bytes(install, c.output)), c.expected);
    }
}

}  // namespace
}  // namespace qv::builder
