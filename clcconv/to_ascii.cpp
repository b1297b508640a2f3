#include "clcconv/clcconv.h"

#include "common/calendar.h"
#include "common/clc_price.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"

#include <charconv>
#include <cstdio>

namespace qv::clcconv {

namespace {

// Lines are written through a buffer of this size.
constexpr std::size_t output_buffer_size = 64 * 1024;

void append_whole(std::string& line, std::int64_t value) {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    line.append(digits, end);
}

}  // namespace

void get_clc_record_line(const ClcRecord& record, int precision, std::string& line) {
    line.clear();
    if (record.day == 0) {
        line += "00000000 ";
    } else {
        const Date date = lotus_to_date(record.day);
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02d%02d ", date.year, date.month, date.day);
        line += text;
    }
    if (precision >= 0 && precision <= 7) {
        // A roll-over record keeps its high and low too, so that converting the
        // file back gives the record it came from.
        for (std::int32_t price : {record.open, record.high, record.low, record.close}) {
            append_price(line, price, precision);
            line += ' ';
        }
    }
    append_whole(line, record.open_interest);
    line += ' ';
    append_whole(line, record.total_volume);
    line += ' ';
    append_whole(line, record.total_open_interest);
    line += '\n';
}

void convert_to_ascii(const CommodityTable& table, const std::vector<bool>& selected) {
    Console& out = console();
    if (!folder_exists(clc_folder)) {
        out.write("\n\n\n     ERROR - \\QUORVANT\\CLC DIRECTORY NOT FOUND??\n\n\n");
        return;
    }
    if (!folder_exists(temp_folder)) {
        create_folders(temp_folder);
        if (!folder_exists(temp_folder)) {
            out.write("\n\n\n     COULD NOT CREATE FOLDER- \\QUORVANT\\CLC\\TEMP??\n\n\n");
            return;
        }
    }

    std::vector<char> buffer(output_buffer_size);
    std::string line;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (row >= selected.size() || !selected[row]) continue;
        if (out.key_waiting()) return;
        const Commodity& commodity = table[row];
        const char* tag = commodity.tag.c_str();
        out.print("\nConverting %s_CLC.QVT to ASCII format - ", tag);
        out.print(" \\QUORVANT\\CLC\\TEMP\\%s_CLC.ASC", tag);

        const std::string output_path = temp_file(commodity.tag, ".ASC");
        FilePtr output = open_file(output_path, "w");
        if (!output) {
            out.print("\nERROR-couldn't open output file %s", output_path.c_str());
            continue;
        }
        UnfinishedFile unfinished(output_path);
        std::setvbuf(output.get(), buffer.data(), _IOFBF, buffer.size());

        const std::string input_path = clc_file_name(commodity.tag);
        ClcReader reader;
        const ClcReader::Status status = reader.open(input_path);
        if (status == ClcReader::Status::cannot_open) {
            out.print("\nERROR-couldn't open input file %s", input_path.c_str());
            continue;
        }
        if (status != ClcReader::Status::ok) {
            out.print("\n\n\nERROR-invalid header byte count of %d", reader.price_width());
            throw ProgramEnd{};
        }

        for (ClcRecord record; reader.read(record);) {
            get_clc_record_line(record, commodity.precision, line);
            std::fwrite(line.data(), 1, line.size(), output.get());
        }
        std::FILE* file = output.release();
        const bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
        if (std::fclose(file) != 0 || !written) {
            out.print("\nERROR-couldn't write output file %s", output_path.c_str());
            throw ProgramEnd{};
        }
        unfinished.finished();
        out.write("- Done!");
    }
}

}  // namespace qv::clcconv
