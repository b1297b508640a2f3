// MetaStock folders of any content: an input is the MASTER file, then after a
// line "%%" the file F1.DAT. MASTER goes through its reader, and every series
// it lists through the data reader; F1.DAT is also read for a series record
// built from the input's first byte (field count and number kept), so that
// the data reader sees every input whatever its MASTER holds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "common/metastock.h"
#include "common/metastock_data.h"
#include "fuzz/fuzz_install.h"

namespace {

std::filesystem::path folder;

void check_data(const qv::DataReadResult& result, const qv::MasterRecord& series, std::size_t keep) {
    if (result.status != qv::DataReadResult::ok) return;
    if (result.data.records.size() > keep) std::abort();
    if (result.data.header.size() != static_cast<std::size_t>(series.record_length())) std::abort();
    if (result.data.field_count != series.field_count()) std::abort();
}

void check_master(const qv::MasterReadResult& result) {
    if (result.status != qv::MasterReadResult::ok) return;
    const qv::MetaStockMaster& master = result.master;
    if (master.records.size() > static_cast<std::size_t>(qv::max_file_number)) std::abort();
    if (master.highest_file_number() > qv::max_file_number) std::abort();
    std::set<int> numbers;
    for (const qv::MasterRecord& record : master.records)
        if (record.file_number() == 0 || !numbers.insert(record.file_number()).second) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    folder = qv::fuzzing::fuzz_installation("qv-fuzz-metastock") / "MS";
    std::filesystem::create_directories(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string_view master_text = text;
    std::string_view dat_text;
    if (const std::size_t split = text.find("\n%%\n"); split != std::string_view::npos) {
        master_text = text.substr(0, split);
        dat_text = text.substr(split + 4);
    }
    std::filesystem::remove(folder / "MASTER");
    if (choice & 0x80) qv::fuzzing::write_fuzz_file(folder / "MASTER", master_text);
    qv::fuzzing::write_fuzz_file(folder / "F1.DAT", dat_text);

    const std::string directory = folder.string();
    const std::size_t keep = (choice & 0x40) ? (choice & 7) : static_cast<std::size_t>(-1);

    const qv::MasterReadResult master = qv::read_master(directory);
    check_master(master);
    for (const qv::MasterRecord& series : master.master.records)
        check_data(qv::read_dat(directory, series, keep), series, keep);

    qv::MasterRecord series = qv::MasterRecord::make(1, "FUZZ", "FZ", 'D');
    series.set_field_count(choice & 7);
    check_data(qv::read_dat(directory, series, keep), series, keep);
    // A record as another program may have left it: length and count apart.
    qv::MasterBytes raw = series.bytes();
    raw[3] = static_cast<std::uint8_t>((choice >> 3) * 4 + 1);
    const qv::MasterRecord odd(raw);
    check_data(qv::read_dat(directory, odd, keep), odd, keep);
    return 0;
}
