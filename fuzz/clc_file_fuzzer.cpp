// CLC and COT database files of any bytes: the first byte chooses the file
// kind, the rest is the file. A CLC file goes through the header check, the
// records of its width, and record_count, seek and rewind, which must agree
// with the records read in order; a COT file through its reader.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/clc_file.h"
#include "common/cot_file.h"
#include "fuzz/fuzz_install.h"

namespace {

std::string file_path;

void read_clc() {
    qv::ClcReader reader;
    const qv::ClcReader::Status status = reader.open(file_path);
    if (status != qv::ClcReader::Status::ok) return;
    const int width = reader.price_width();
    if (!qv::valid_price_width(width)) std::abort();

    std::vector<qv::ClcRecord> records;
    qv::ClcRecord record;
    while (reader.read(record)) records.push_back(record);
    if (reader.record_count() != records.size()) std::abort();

    // Every record encodes back to what was read.
    std::uint8_t bytes[qv::clc_max_record_size];
    for (const qv::ClcRecord& r : records) {
        qv::encode_record(r, width, bytes);
        if (!(qv::decode_record(bytes, width) == r)) std::abort();
    }

    // Seeking to a record and rewinding give the records read in order.
    if (!records.empty()) {
        const std::size_t last = records.size() - 1;
        if (!reader.seek(last) || !reader.read(record) || !(record == records[last])) std::abort();
        if (reader.read(record)) std::abort();
    }
    if (!reader.rewind()) std::abort();
    std::size_t n = 0;
    while (n < 3 && reader.read(record)) {
        if (!(record == records.at(n))) std::abort();
        ++n;
    }
    (void)reader.seek(records.size() + 1);
}

void read_cot(std::size_t size) {
    qv::CotReader reader;
    if (!reader.open(file_path)) std::abort();
    std::size_t count = 0;
    qv::CotRecord record;
    std::uint8_t bytes[qv::cot_record_size];
    while (reader.read(record)) {
        qv::encode_cot_record(record, bytes);
        if (!(qv::decode_cot_record(bytes) == record)) std::abort();
        ++count;
    }
    if (count != size / qv::cot_record_size) std::abort();
    if (reader.cut() != (size % qv::cot_record_size != 0)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    file_path = (qv::fuzzing::fuzz_installation("qv-fuzz-clc") / "FUZZ.QVT").string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    qv::fuzzing::write_fuzz_file(file_path, file);
    if (data[0] & 1)
        read_cot(file.size());
    else
        read_clc();
    return 0;
}
